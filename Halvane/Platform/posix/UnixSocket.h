#pragma once

#include <sys/socket.h>
#include <sys/types.h>
#include <sys/un.h>

#include <optional>
#include <string_view>

namespace halvane::unix_socket {

// A zeroed Unix-domain address for path; a path longer than the address field
// is cut to fit, leaving room for the terminating NUL.
sockaddr_un address(std::string_view path);

// Whether path fits the address field without being cut.
bool fitsAddress(std::string_view path);

// The user id of the process at the other end of a connected socket.
std::optional<uid_t> peerUid(int fd);

// Whether a process of this user listens on the socket at path. A file left
// by a process that ended, or another user's listener, does not count.
bool ownListenerAt(std::string_view path);

// Sets a receive time-out in whole seconds; false when the system refused.
bool setReceiveTimeout(int fd, double seconds);

}  // namespace halvane::unix_socket
