#pragma once

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace halvane::test {

// A command hook for Claude Code that keeps what it is given: every call
// stores its payload, one file per call, and prints the answer the test set
// for that event ({} when none). Registered for every event Halvane cares
// about, it shows which hooks fire, in which order and with which fields.
class HookRecorder final {
public:
    struct Call {
        nlohmann::json payload;
        std::string event;
        // When the hook started, by the wall clock (nanoseconds since the epoch).
        std::chrono::nanoseconds started{0};
        // The hook printed its answer and exited on its own.
        bool finished = false;
        // Claude Code ended the hook with SIGTERM before it answered.
        bool terminated = false;
    };

    // The hook events a companion app listens to.
    static const std::vector<std::string>& allEvents();

    explicit HookRecorder(std::filesystem::path folder);

    // The "hooks" object of a settings file with this recorder on every event.
    nlohmann::json hooksSettings() const;
    // The command line for one event.
    std::string command(const std::string& event) const;

    // What the hook prints for later calls of event.
    void answer(const std::string& event, const nlohmann::json& answer);
    // Makes later calls of event wait this long before answering.
    void delay(const std::string& event, std::chrono::milliseconds delay);

    // Every call so far, in the order they started.
    std::vector<Call> calls() const;
    std::vector<Call> calls(const std::string& event) const;
    std::vector<std::string> events() const;

private:
    std::filesystem::path m_folder;
};

}  // namespace halvane::test
