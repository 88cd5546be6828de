#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace halvane::test {

// A real listening Unix socket that plays the application's part for one
// test: it records every request line and answers each with a fixed script.
class ScriptedServer final {
public:
    enum class Reply { line, raw, closeWithoutAnswer, stayOpenSilent };

    ScriptedServer(std::string path, Reply reply, std::string payload = {});
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    bool listening() const { return m_fd >= 0; }
    const std::string& path() const { return m_path; }
    std::vector<std::string> requests() const;

private:
    void serve();

    std::string m_path;
    Reply m_reply;
    std::string m_payload;
    int m_fd = -1;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::vector<int> m_openConnections;
    std::thread m_thread;
};

}  // namespace halvane::test
