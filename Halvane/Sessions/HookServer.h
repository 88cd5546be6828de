#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "Halvane/Sessions/HookEventHandler.h"
#include "Halvane/Sessions/HookServerLimits.h"

class QObject;

namespace halvane {

struct HookServerShared;

// Why start() failed: a POSIX error code and a text for the log.
struct HookServerError {
    int code = 0;
    std::string description;
};

// The application's end of the hook socket: accepts one connection per hook
// event, hands the decoded event to the session model on the main thread and
// writes back one decision line.
//
// One thread serves every connection: it waits for all of them at once, so a
// client that stays silent or sends slowly costs a descriptor and its bytes,
// never a thread, and cannot hold up anybody else. A decoded request waiting
// for its answer is watched too: when its client hangs up, the model hears of
// it through HookEventHandler::withdraw. Construct, start and destroy the
// server on the main thread; the model is only ever called there. The
// product never destroys its server; the destructor still shuts down cleanly
// so tests can: waiting requests are answered passthrough, and main-thread
// calls that have not run yet are dropped.
class HookServer final {
public:
    explicit HookServer(std::shared_ptr<HookEventHandler> sessions, std::string path,
                        HookServerLimits limits = {});
    ~HookServer();
    HookServer(const HookServer&) = delete;
    HookServer& operator=(const HookServer&) = delete;

    // Removes whatever is at the path (a stale socket, or a running copy's,
    // which this server then takes over), listens and starts serving.
    // Fails with EIO (socket, listen, serving thread) or EADDRINUSE (bind).
    std::optional<HookServerError> start();

    // The listening descriptor; -1 while not listening.
    int serverFD() const { return m_serverFD; }
    const std::string& path() const { return m_path; }
    // Connections open right now: being read or waiting for their answer.
    std::size_t activeConnections() const;

private:
    void removeOwnSocketFile() const;

    std::shared_ptr<HookEventHandler> m_sessions;
    std::string m_path;
    HookServerLimits m_limits;
    // Target of the hops to the main thread; deleting it discards hops that
    // have not run yet.
    std::unique_ptr<QObject> m_mainThread;
    std::shared_ptr<HookServerShared> m_shared;
    int m_serverFD = -1;
    // Identity of the socket file we bound, so shutdown removes only our own.
    dev_t m_socketDevice = 0;
    ino_t m_socketInode = 0;
    std::thread m_thread;
};

}  // namespace halvane
