#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "ServiceProcess.h"
#include "TempDir.h"

namespace halvane::test {

// A PulseAudio daemon of our own, in a private runtime folder, whose only
// output is a null sink named "ci". When it cannot start, ready() is false
// and why() says why, for GTEST_SKIP.
class PulseServer final {
public:
    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    bool ready() const { return m_ready; }
    const std::string& why() const { return m_why; }
    // The server address libpulse takes ("unix:…/pulse/native").
    const std::string& server() const { return m_server; }

    // Stops the daemon and starts a fresh one at the same address, the way a
    // desktop restarts its sound server.
    bool restart();

    // Runs pactl against this server.
    ChildResult pactl(const std::vector<std::string>& arguments) const;
    // The sink's volume as pactl reports it, 0…1 of full scale (the first
    // channel's raw value ÷ 65536); negative when it cannot be read.
    double sinkVolume(const std::string& sink = "ci") const;
    // Every channel's volume, 0…1 of full scale.
    std::vector<double> sinkChannels(const std::string& sink = "ci") const;
    bool sinkMuted(const std::string& sink = "ci") const;

private:
    bool launch();

    TempDir m_runtime{"pulse"};
    std::unique_ptr<ServiceProcess> m_daemon;
    std::string m_server;
    bool m_ready = false;
    std::string m_why;
};

}  // namespace halvane::test
