#pragma once

#include <QObject>
#include <chrono>
#include <memory>
#include <optional>

#include "Halvane/Platform/Backlight.h"

class QTimer;

namespace halvane {

class SystemHUDSuppressor;

// The built-in display's brightness, kept up to date by polling (the system
// sends no notice of changes), and the brightness keys carried out on it.
// Without a backlight it reports a fixed middle value that the keys still move.
class BrightnessMonitor final : public QObject {
    Q_OBJECT

public:
    // One sixteenth of full scale per key press.
    static constexpr float step = 0.0625f;
    // Movements of this much or less between polls are not news.
    static constexpr float changeThreshold = 0.005f;
    // 20 polls a second.
    static constexpr std::chrono::milliseconds defaultPollInterval{50};

    explicit BrightnessMonitor(std::unique_ptr<Backlight> backlight = makeSystemBacklight(),
                               std::chrono::milliseconds pollInterval = defaultPollInterval,
                               QObject* parent = nullptr);
    ~BrightnessMonitor() override;

    float brightness() const { return m_brightness; }

    // Starts polling and installs the brightness keys' handlers. Called once.
    void start(SystemHUDSuppressor& keys);
    void start();

    // Clamped to 0…1; published at once, whether or not the display took it.
    void setValue(float value);

signals:
    void brightnessChanged(float brightness);

private:
    std::optional<float> readDisplay();
    void refresh();
    void checkChange();
    void store(float last, float brightness);

    float m_brightness = 0.5f;
    QTimer* m_timer = nullptr;
    // The last value seen by polling or set here; below zero before the first
    // reading so that reading always counts.
    float m_last = -1.0f;
    bool m_running = false;
    std::chrono::milliseconds m_pollInterval;
    std::unique_ptr<Backlight> m_backlight;
};

}  // namespace halvane
