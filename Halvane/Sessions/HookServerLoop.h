#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Halvane/Platform/posix/Poller.h"
#include "Halvane/Sessions/HookEventHandler.h"
#include "Halvane/Sessions/HookServerLimits.h"

class QObject;

namespace halvane {

// What the serving thread shares with the server and with the model's
// answers. Answers hold it weakly: one that comes after the server is gone
// goes nowhere.
struct HookServerShared {
    Poller poller;
    std::atomic<bool> stopping{false};
    std::atomic<std::size_t> active{0};

    // Called on the main thread with the model's answer for a connection.
    void post(std::uint64_t connection, const HookDecision& decision);
    std::vector<std::pair<std::uint64_t, HookDecision>> takeAnswers();

private:
    std::mutex m_mutex;
    std::vector<std::pair<std::uint64_t, HookDecision>> m_answers;
};

// The hook server's serving thread: one loop over the listening socket and
// every connection, none of which it ever blocks on.
class HookServerLoop final {
public:
    HookServerLoop(std::shared_ptr<HookServerShared> shared, int serverFD, HookServerLimits limits,
                   std::weak_ptr<HookEventHandler> sessions, QObject* mainThread);

    // Serves until the server asks it to stop, then answers whatever waits
    // with passthrough and closes every connection.
    void run();

private:
    using Clock = std::chrono::steady_clock;

    struct Connection {
        int fd = -1;
        Clock::time_point accepted;
        // The bytes of an unfinished request.
        std::string request;
        // Decoded and handed to the model; only a hang-up is watched now.
        bool waiting = false;
        std::optional<Clock::time_point> answerBy;
        // Only ever read and written on the main thread: set by the first
        // answer or by the withdrawal, whichever comes first.
        std::shared_ptr<bool> settled;
        std::shared_ptr<const HookEvent> event;
    };
    using Connections = std::map<std::uint64_t, Connection>;

    void acceptAll();
    void admit(int fd);
    void readFrom(Connections::iterator connection);
    void complete(Connections::iterator connection);
    void withdraw(Connections::iterator connection);
    void deliverAnswers();
    void expire(Clock::time_point now);
    std::optional<std::chrono::milliseconds> untilNextDeadline(Clock::time_point now) const;
    bool makeRoom(const std::string& because);
    void enforceHeldBytes();
    void reply(Connections::iterator connection, const HookDecision& decision);
    void close(Connections::iterator connection);
    void releaseMemoryIfIdle();

    std::shared_ptr<HookServerShared> m_shared;
    int m_serverFD;
    HookServerLimits m_limits;
    std::weak_ptr<HookEventHandler> m_sessions;
    QObject* m_mainThread;
    // By arrival: the first unfinished one is the longest waiting.
    Connections m_connections;
    std::uint64_t m_nextId = 1;
    // Bytes of unfinished requests, now and at most since memory was last
    // handed back.
    std::size_t m_heldBytes = 0;
    std::size_t m_heldPeak = 0;
    bool m_acceptPaused = false;
    std::vector<char> m_buffer;
};

}  // namespace halvane
