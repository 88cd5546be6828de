#pragma once

#include <QObject>
#include <memory>
#include <string>

#include "Halvane/Platform/AudioOutput.h"

namespace halvane {

class SystemHUDSuppressor;

// The default output device's volume and mute, kept up to date, and the
// volume keys carried out on that device.
class VolumeMonitor final : public QObject {
    Q_OBJECT

public:
    // One sixteenth of full scale per key press.
    static constexpr float step = 0.0625f;

    // Reads the device and its levels at once, so the values are right before
    // anything shows them.
    explicit VolumeMonitor(std::unique_ptr<AudioOutput> output = makeSystemAudioOutput(),
                           QObject* parent = nullptr);
    ~VolumeMonitor() override;

    float volume() const { return m_volume; }
    bool isMuted() const { return m_isMuted; }
    // The default output's name; empty while there is none.
    const std::string& deviceID() const { return m_deviceID; }

    // Follows changes and installs the volume keys' handlers. Called once.
    void start(SystemHUDSuppressor& keys);
    void start();

    // Clamped to 0…1. The stored volume follows when the server reports it.
    void setVolume(float value);
    void toggleMute();

signals:
    void volumeChanged(float volume);
    void isMutedChanged(bool isMuted);
    void deviceIDChanged();

private:
    void setupDevice();
    void updateFromSystem();
    void addListeners();
    void handleChange(AudioOutput::Change change);

    float m_volume = 0.0f;
    bool m_isMuted = false;
    std::string m_deviceID;
    bool m_running = false;
    std::unique_ptr<AudioOutput> m_output;
};

}  // namespace halvane
