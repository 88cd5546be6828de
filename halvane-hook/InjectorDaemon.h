#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace halvane {

// Starts a daemon for the session unless one already serves it (its socket
// file exists). The daemon is a copy of the running program; the caller does
// not wait for it. Unsafe session ids never get one. directory is the user's
// runtime folder, already checked.
void spawnInjectorDaemonIfNeeded(const std::string& directory, const std::string& sessionId);

// The daemon's body: types each request received on the session's injection
// socket (in directory) into the session's terminal, until the relay that
// started it (its parent, or relayPid when given) exits. Returns the exit
// status: 1 when it cannot start, 0 otherwise.
int runInjectorDaemon(const std::string& directory, const std::string& sessionId,
                      std::optional<pid_t> relayPid = std::nullopt);

}  // namespace halvane
