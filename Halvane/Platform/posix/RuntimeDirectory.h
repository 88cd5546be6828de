#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace halvane::runtime_directory {

// The folder that holds every socket and log of one user's Halvane: the hook
// socket, the injector daemons' sockets and their log. Only that user may
// reach into it, so another local account can neither squat a socket name
// nor read what the daemons log. Both programs derive it from the uid alone:
// a hook does not always inherit the desktop's environment.

// "<runUserRoot>/<uid>/halvane" when "<runUserRoot>/<uid>" is a directory the
// user owns with mode 0700 (systemd's runtime directory), else
// "<home>/.local/state/halvane/run" with the home from the password database.
// Empty when the user has no home there either.
std::string locate(uid_t uid, const std::string& runUserRoot = "/run/user");

// Creates path (and missing parents, mode 0700) when it is missing, then
// checks it. The problem as one line naming the path and the reason (a
// symbolic link, not a directory, another user's, open to others), for the
// caller to prefix with its name, or nothing when the folder is safe to use.
std::optional<std::string> prepare(const std::string& path, uid_t uid);

// The hook socket inside directory: "<directory>/halvane.sock" (empty when
// directory is).
std::string hookSocketIn(const std::string& directory);

// The hook socket both programs use: $HALVANE_SOCKET when set, else the one
// in directory.
std::string hookSocket(const std::string& directory);

}  // namespace halvane::runtime_directory
