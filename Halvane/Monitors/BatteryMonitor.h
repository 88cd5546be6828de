#pragma once

#include <QObject>
#include <array>
#include <memory>
#include <optional>

#include "Halvane/Platform/PowerSource.h"

namespace halvane {

// The battery's level, charging state and adapter state, and the three events
// the HUD announces: adapter plugged in, unplugged, and low battery.
class BatteryMonitor final : public QObject {
    Q_OBJECT
    Q_PROPERTY(int percentage READ percentage NOTIFY percentageChanged)
    Q_PROPERTY(bool isCharging READ isCharging NOTIFY isChargingChanged)
    Q_PROPERTY(bool isPluggedIn READ isPluggedIn NOTIFY isPluggedInChanged)

public:
    struct Event {
        enum class Kind { low, plugged, unplugged };

        Kind kind = Kind::plugged;
        // For low: the threshold crossed, not the current level.
        int threshold = 0;

        static Event low(int threshold) { return {Kind::low, threshold}; }
        friend bool operator==(const Event&, const Event&) = default;
    };

    // Announced once per discharge each, in this order; plugging in re-arms.
    static constexpr std::array<int, 3> lowThresholds{20, 10, 5};

    explicit BatteryMonitor(std::unique_ptr<PowerSource> source = makeSystemPowerSource(),
                            QObject* parent = nullptr);
    ~BatteryMonitor() override;

    int percentage() const { return m_percentage; }
    bool isCharging() const { return m_isCharging; }
    bool isPluggedIn() const { return m_isPluggedIn; }

    // Takes the first reading (which announces nothing) and follows the
    // system's change reports from then on. Called once.
    void start();

signals:
    // One of the three events; after the reading it follows is taken.
    void announced(halvane::BatteryMonitor::Event event);
    void percentageChanged(int percentage);
    void isChargingChanged(bool isCharging);
    void isPluggedInChanged(bool isPluggedIn);

private:
    void refresh(bool initial);

    int m_percentage = 100;
    bool m_isCharging = false;
    bool m_isPluggedIn = false;
    std::unique_ptr<PowerSource> m_source;
    std::optional<bool> m_lastPlugged;
    std::optional<int> m_lastLowThresholdFired;
};

}  // namespace halvane
