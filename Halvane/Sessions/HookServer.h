#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "Halvane/Sessions/HookEventHandler.h"
#include "Halvane/Sessions/WorkerThreads.h"

class QObject;

namespace halvane {

class DecisionHolder;

// How long the server waits, and for how many clients at once. The defaults
// are the product's; tests pass short ones.
struct HookServerLimits {
    // An unanswered request gets passthrough after this, well before the
    // relay's own 30 s limit; Claude Code's own permission request (which the
    // relay waits for without a limit) is held until answered or hung up.
    std::chrono::milliseconds decisionWait{25000};
    // The relay writes its event as soon as it connects; a request not
    // complete within this is dropped, so a client that stays silent or
    // trickles bytes cannot hold a worker for ever.
    std::chrono::milliseconds requestReadTimeout{5000};
    // Connections served at once, each holding one thread. Every tool call
    // of every session waits here while undecided, so this is generous;
    // past it, new connections are closed as they arrive.
    std::size_t maxConnections = 256;
};

// Why start() failed: a POSIX error code and a text for the log.
struct HookServerError {
    int code = 0;
    std::string description;
};

// The application's end of the hook socket: accepts one connection per hook
// event, hands the decoded event to the session model on the main thread and
// writes back one decision line.
//
// Threads: one for the accept loop, one per connection being served (kept a
// while for the next connection, see WorkerThreads). Construct, start and
// destroy the server on the main thread; handle() is always called there.
// The server holds the model strongly for its whole life; the threads share
// only an internal state block, never the server itself. The product never
// destroys its server; the destructor still shuts down cleanly so tests can:
// it wakes every blocked thread, waits for the workers to let go, and drops
// main-thread calls that have not run yet.
class HookServer final {
public:
    explicit HookServer(std::shared_ptr<HookEventHandler> sessions, std::string path,
                        HookServerLimits limits = {});
    ~HookServer();
    HookServer(const HookServer&) = delete;
    HookServer& operator=(const HookServer&) = delete;

    // Removes whatever is at the path (a stale socket, or a running copy's,
    // which this server then takes over), listens and starts accepting.
    // Fails with EIO (socket, listen) or EADDRINUSE (bind).
    std::optional<HookServerError> start();

    // The listening descriptor; -1 while not listening.
    int serverFD() const { return m_serverFD; }
    const std::string& path() const { return m_path; }
    // Connections being served right now, each by its own thread.
    std::size_t activeConnections() const;

private:
    struct Shared;

    static void acceptLoop(const std::shared_ptr<Shared>& shared, int serverFD,
                           WorkerThreads& workers);
    static void admit(const std::shared_ptr<Shared>& shared, int fd, WorkerThreads& workers);
    static void serveConnection(const std::shared_ptr<Shared>& shared, int fd,
                                const std::shared_ptr<DecisionHolder>& holder);
    // Waits for the model's answer while the relay stays connected; nothing
    // when it hung up (or the server stops) first.
    static std::optional<HookDecision> awaitWhileConnected(int fd, DecisionHolder& holder);
    // Tells the model on the main thread that a held request is gone.
    static void withdraw(Shared& shared, HookEvent event);
    static void release(Shared& shared, int fd);
    void removeOwnSocketFile() const;

    std::shared_ptr<HookEventHandler> m_sessions;
    std::string m_path;
    // Target of the hops to the main thread; deleting it discards hops that
    // have not run yet.
    std::unique_ptr<QObject> m_mainThread;
    std::shared_ptr<Shared> m_shared;
    int m_serverFD = -1;
    // Identity of the socket file we bound, so shutdown removes only our own.
    dev_t m_socketDevice = 0;
    ino_t m_socketInode = 0;
    // One per connection being served; outlives the accept thread.
    WorkerThreads m_workers;
    std::thread m_acceptThread;
};

}  // namespace halvane
