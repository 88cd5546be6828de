#include "Halvane/Monitors/VolumeMonitor.h"

#include <QPointer>
#include <algorithm>

#include "Halvane/Monitors/SystemHUDSuppressor.h"

namespace halvane {

VolumeMonitor::VolumeMonitor(std::unique_ptr<AudioOutput> output, QObject* parent)
    : QObject(parent), m_output(std::move(output)) {
    setupDevice();
    updateFromSystem();
}

VolumeMonitor::~VolumeMonitor() = default;

void VolumeMonitor::start() {
    start(SystemHUDSuppressor::shared());
}

void VolumeMonitor::start(SystemHUDSuppressor& keys) {
    if (m_running) {
        return;
    }
    m_running = true;
    addListeners();

    // The handlers run inside the key delivery; the work waits for the next
    // turn of the event loop, and is dropped if the monitor is gone by then.
    const auto later = [self = QPointer<VolumeMonitor>(this)](void (*work)(VolumeMonitor&)) {
        return [self, work] {
            if (!self) {
                return;
            }
            QMetaObject::invokeMethod(
                self,
                [self, work] {
                    if (self) {
                        work(*self);
                    }
                },
                Qt::QueuedConnection);
        };
    };
    keys.setOnVolumeUp(later([](VolumeMonitor& m) {
        // A server may amplify past full scale; raising from there must not
        // pull the volume back down to full scale.
        if (m.volume() < 1.0f) {
            m.setVolume(m.volume() + step);
        }
    }));
    keys.setOnVolumeDown(later([](VolumeMonitor& m) { m.setVolume(m.volume() - step); }));
    keys.setOnVolumeMute(later([](VolumeMonitor& m) { m.toggleMute(); }));
}

void VolumeMonitor::setVolume(float value) {
    if (m_deviceID.empty() || !m_output) {
        return;
    }
    m_output->writeVolume(m_deviceID, std::clamp(value, 0.0f, 1.0f));
}

void VolumeMonitor::toggleMute() {
    if (m_deviceID.empty() || !m_output) {
        return;
    }
    m_output->writeMute(m_deviceID, !m_isMuted);
}

void VolumeMonitor::setupDevice() {
    if (!m_output) {
        return;
    }
    const auto device = m_output->defaultDevice();
    if (device && *device != m_deviceID) {
        m_deviceID = *device;
        emit deviceIDChanged();
    }
}

void VolumeMonitor::updateFromSystem() {
    if (m_deviceID.empty() || !m_output) {
        return;
    }
    const AudioLevels levels = m_output->readLevels(m_deviceID);
    if (levels.volume && *levels.volume != m_volume) {
        m_volume = *levels.volume;
        emit volumeChanged(m_volume);
    }
    if (levels.muted && *levels.muted != m_isMuted) {
        m_isMuted = *levels.muted;
        emit isMutedChanged(m_isMuted);
    }
}

void VolumeMonitor::addListeners() {
    if (m_deviceID.empty() || !m_output) {
        return;
    }
    m_output->watch([self = QPointer<VolumeMonitor>(this)](AudioOutput::Change change) {
        if (self) {
            self->handleChange(change);
        }
    });
}

void VolumeMonitor::handleChange(AudioOutput::Change change) {
    if (change == AudioOutput::Change::device) {
        setupDevice();
        addListeners();
    }
    updateFromSystem();
}

}  // namespace halvane
