#pragma once

#include <QString>
#include <memory>
#include <optional>

class QSettings;

namespace halvane {

// The user's choices, kept in ~/.config/halvane/halvane.conf ($XDG_CONFIG_HOME
// honoured) under the product's key names. Every instance on the same file
// shares Qt's in-process cache, so a change made through one is seen by all.
class Preferences final {
public:
    static constexpr const char* soundsEnabledKey = "soundsEnabled";
    static constexpr const char* onboardingCompletedKey = "onboarding.completed";
    static constexpr const char* onboardingResumeAtKey = "onboarding.resumeAt";
    static constexpr const char* automaticChecksKey = "SUEnableAutomaticChecks";
    static constexpr const char* askBeforeEveryToolCallKey = "askBeforeEveryToolCall";

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

    // Set once the first-run flow has been finished; off when absent.
    bool onboardingCompleted() const;
    void setOnboardingCompleted(bool completed);
    void removeOnboardingCompleted();

    // Present while an onboarding interrupted by a restart waits to be
    // resumed. Whatever it holds counts as present; only a whole number is a
    // step to resume at.
    bool hasOnboardingResumeAt() const;
    std::optional<int> onboardingResumeAt() const;
    void setOnboardingResumeAt(int step);
    void removeOnboardingResumeAt();

    // Background update checks; on until the user turns them off.
    bool automaticChecksEnabled() const;
    void setAutomaticChecksEnabled(bool enabled);

    // Ask in Halvane before every tool call instead of only when Claude Code
    // itself would ask; off unless the user turns it on.
    bool askBeforeEveryToolCall() const;
    void setAskBeforeEveryToolCall(bool enabled);

private:
    bool boolValue(const char* key, bool fallback) const;
    void setValue(const char* key, const QVariant& value);
    void remove(const char* key);
    void save();

    std::unique_ptr<QSettings> m_settings;
};

}  // namespace halvane
