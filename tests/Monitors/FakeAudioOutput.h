#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Halvane/Platform/AudioOutput.h"

namespace halvane::test {

// A sound server in memory. Writes are recorded and not applied; the test
// applies them (or not) and plays the server's reports with report().
class FakeAudioOutput final : public AudioOutput {
public:
    struct Write {
        std::string device;
        std::optional<float> volume;
        std::optional<bool> muted;
        friend bool operator==(const Write&, const Write&) = default;
    };

    std::optional<std::string> defaultDevice() override { return defaultSink; }
    AudioLevels readLevels(const std::string& device) override {
        const auto found = devices.find(device);
        return found == devices.end() ? AudioLevels{} : found->second;
    }
    void writeVolume(const std::string& device, float volume) override {
        writes.push_back({device, volume, std::nullopt});
    }
    void writeMute(const std::string& device, bool muted) override {
        writes.push_back({device, std::nullopt, muted});
    }
    void watch(std::function<void(Change)> onChange) override {
        ++watchCalls;
        m_onChange = std::move(onChange);
    }

    void report(Change change) {
        if (m_onChange) {
            m_onChange(change);
        }
    }
    // Applies every recorded write the way a server would, then reports.
    void applyWrites() {
        for (const Write& write : writes) {
            if (write.volume) {
                devices[write.device].volume = write.volume;
            }
            if (write.muted) {
                devices[write.device].muted = write.muted;
            }
        }
        writes.clear();
        report(Change::levels);
    }

    // nullopt: the server cannot be asked; "": it has no output.
    std::optional<std::string> defaultSink;
    std::map<std::string, AudioLevels> devices;
    std::vector<Write> writes;
    int watchCalls = 0;

private:
    std::function<void(Change)> m_onChange;
};

}  // namespace halvane::test
