#include "Halvane/Monitors/BatteryMonitor.h"

#include <QPointer>

namespace halvane {

namespace {

// Computed as current × 100 ÷ maximum so that whole percentages come out
// whole: 57 ÷ 100 × 100 is 56.99… in floating point and would truncate to 56.
int levelOf(int current, int maximum) {
    if (maximum <= 0) {
        return 0;
    }
    return static_cast<int>(static_cast<double>(current) * 100.0 / static_cast<double>(maximum));
}

}  // namespace

BatteryMonitor::BatteryMonitor(std::unique_ptr<PowerSource> source, QObject* parent)
    : QObject(parent), m_source(std::move(source)) {}

BatteryMonitor::~BatteryMonitor() = default;

void BatteryMonitor::start() {
    refresh(true);
    if (!m_source) {
        return;
    }
    // Reports arrive on the main thread already; the extra hop keeps a refresh
    // from running inside whatever delivered the report.
    m_source->watch([self = QPointer<BatteryMonitor>(this)] {
        if (!self) {
            return;
        }
        QMetaObject::invokeMethod(
            self,
            [self] {
                if (self) {
                    self->refresh(false);
                }
            },
            Qt::QueuedConnection);
    });
}

void BatteryMonitor::refresh(bool initial) {
    if (!m_source) {
        return;
    }
    const auto descriptions = m_source->descriptions();
    if (descriptions.empty()) {
        return;
    }
    const PowerSourceDescription& description = descriptions.front();
    const int current = description.currentCapacity.value_or(0);
    const int maximum = description.maxCapacity.value_or(100);
    const bool charging = description.isCharging.value_or(false);
    const bool plugged = description.powerSourceState.value_or("") == acPowerState;
    const int level = levelOf(current, maximum);

    if (m_percentage != level) {
        m_percentage = level;
        emit percentageChanged(level);
    }
    if (m_isCharging != charging) {
        m_isCharging = charging;
        emit isChargingChanged(charging);
    }
    if (m_isPluggedIn != plugged) {
        m_isPluggedIn = plugged;
        emit isPluggedInChanged(plugged);
    }

    if (initial) {
        // Launching low counts as already announced down to the first
        // threshold at or above the level; the next crossing is news.
        m_lastPlugged = plugged;
        m_lastLowThresholdFired.reset();
        for (const int threshold : lowThresholds) {
            if (threshold >= level) {
                m_lastLowThresholdFired = threshold;
                break;
            }
        }
        return;
    }

    if (m_lastPlugged && *m_lastPlugged != plugged) {
        emit announced(plugged ? Event{Event::Kind::plugged} : Event{Event::Kind::unplugged});
    }
    m_lastPlugged = plugged;

    if (plugged) {
        m_lastLowThresholdFired.reset();
        return;
    }
    for (const int threshold : lowThresholds) {
        if (threshold >= level &&
            (!m_lastLowThresholdFired || threshold < *m_lastLowThresholdFired)) {
            m_lastLowThresholdFired = threshold;
            emit announced(Event::low(threshold));
            return;
        }
    }
}

}  // namespace halvane
