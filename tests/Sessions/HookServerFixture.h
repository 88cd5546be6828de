#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "Halvane/Sessions/HookServer.h"
#include "HookServerHarness.h"
#include "LogCapture.h"
#include "Polling.h"
#include "TempDir.h"

namespace halvane::test {

inline HookServerLimits limits(
    std::chrono::milliseconds decisionWait,
    std::chrono::milliseconds requestReadTimeout = std::chrono::seconds(20),
    std::size_t maxConnections = 64) {
    HookServerLimits result;
    result.decisionWait = decisionWait;
    result.requestReadTimeout = requestReadTimeout;
    result.maxConnections = maxConnections;
    return result;
}

// A server on a socket in a fresh folder, a fake model, and the log lines.
class HookServerTest : public ::testing::Test {
protected:
    void SetUp() override { qtApplication(); }

    void TearDown() override {
        if (HasFailure()) {
            for (const auto& line : m_log.lines()) {
                std::printf("log: %s\n", line.c_str());
            }
        }
    }

    std::unique_ptr<HookServer> startServer() {
        return startServer(limits(std::chrono::seconds(20)));
    }

    std::unique_ptr<HookServer> startServer(HookServerLimits serverLimits) {
        auto server = std::make_unique<HookServer>(m_sessions, socketPath(), serverLimits);
        const auto error = server->start();
        EXPECT_FALSE(error) << error->description;
        return server;
    }

    std::string socketPath() const { return (m_dir / "h.sock").string(); }

    std::size_t logLinesStartingWith(const std::string& prefix) const {
        std::size_t count = 0;
        for (const auto& line : m_log.lines()) {
            count += line.rfind(prefix, 0) == 0 ? 1 : 0;
        }
        return count;
    }

    LogCapture m_log;
    TempDir m_dir{"hooksrv"};
    std::shared_ptr<FakeSessions> m_sessions = std::make_shared<FakeSessions>();
};

}  // namespace halvane::test
