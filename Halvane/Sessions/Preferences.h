#pragma once

#include <QString>
#include <memory>

class QSettings;

namespace halvane {

// The user's choices, kept in ~/.config/halvane/halvane.conf ($XDG_CONFIG_HOME
// honoured) under the product's key names. Every instance on the same file
// shares Qt's in-process cache, so a change made through one is seen by all.
class Preferences final {
public:
    static constexpr const char* soundsEnabledKey = "soundsEnabled";

    Preferences();
    explicit Preferences(const QString& filePath);
    ~Preferences();
    Preferences(const Preferences&) = delete;
    Preferences& operator=(const Preferences&) = delete;

    static QString defaultFilePath();
    QString filePath() const;

    // The chime when Claude finishes a task; on until the user turns it off.
    bool soundsEnabled() const;
    void setSoundsEnabled(bool enabled);

private:
    bool boolValue(const char* key, bool fallback) const;
    void setValue(const char* key, bool value);

    std::unique_ptr<QSettings> m_settings;
};

}  // namespace halvane
