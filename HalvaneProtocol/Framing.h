#pragma once

#include <sys/types.h>
#include <string>

namespace halvane {

// One message per direction: the encoded record followed by one line feed.

// Hands record + line feed to a single send call and returns its result
// (-1 with errno on failure). A short write is not retried: the reader then
// waits for a line feed that never comes and gives up on its time-out.
ssize_t writeMessage(int fd, const std::string& encoded);

// Reads one byte per receive until the first line feed (dropped), or until a
// receive returns anything but one byte: end of stream, error or time-out.
std::string readMessage(int fd);

}  // namespace halvane
