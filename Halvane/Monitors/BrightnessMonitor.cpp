#include "Halvane/Monitors/BrightnessMonitor.h"

#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "Halvane/Monitors/SystemHUDSuppressor.h"

namespace halvane {

BrightnessMonitor::BrightnessMonitor(std::unique_ptr<Backlight> backlight,
                                     std::chrono::milliseconds pollInterval, QObject* parent)
    : QObject(parent), m_pollInterval(pollInterval), m_backlight(std::move(backlight)) {
    refresh();
}

BrightnessMonitor::~BrightnessMonitor() = default;

void BrightnessMonitor::start() {
    start(SystemHUDSuppressor::shared());
}

void BrightnessMonitor::start(SystemHUDSuppressor& keys) {
    if (m_running) {
        return;
    }
    m_running = true;
    m_timer = new QTimer(this);
    m_timer->setInterval(m_pollInterval);
    connect(m_timer, &QTimer::timeout, this, &BrightnessMonitor::checkChange);
    m_timer->start();

    const auto later = [self = QPointer<BrightnessMonitor>(this)](float direction) {
        return [self, direction] {
            if (!self) {
                return;
            }
            QMetaObject::invokeMethod(
                self,
                [self, direction] {
                    if (self) {
                        self->setValue(self->brightness() + direction * step);
                    }
                },
                Qt::QueuedConnection);
        };
    };
    keys.setOnBrightnessUp(later(1.0f));
    keys.setOnBrightnessDown(later(-1.0f));
}

void BrightnessMonitor::setValue(float value) {
    const float clamped = std::clamp(value, 0.0f, 1.0f);
    if (m_backlight) {
        m_backlight->write(clamped);
    }
    // Remembered as seen, so the next poll does not report our own change.
    store(clamped, clamped);
}

std::optional<float> BrightnessMonitor::readDisplay() {
    if (!m_backlight) {
        return std::nullopt;
    }
    return m_backlight->read();
}

void BrightnessMonitor::refresh() {
    const float value = readDisplay().value_or(0.5f);
    store(value, value);
}

void BrightnessMonitor::checkChange() {
    // A panel that cannot be read has not moved: without a backlight the keys
    // move the value on their own, and it must not snap back to the middle.
    const std::optional<float> value = readDisplay();
    if (!value) {
        return;
    }
    // A slow drift is reported once it adds up to more than the threshold.
    if (std::fabs(*value - m_last) > changeThreshold) {
        store(*value, *value);
    }
}

void BrightnessMonitor::store(float last, float brightness) {
    m_last = last;
    if (m_brightness != brightness) {
        m_brightness = brightness;
        emit brightnessChanged(brightness);
    }
}

}  // namespace halvane
