#pragma once

#include <chrono>
#include <string>

namespace halvane {

// Reads one request from a connected socket: the bytes before the first line
// feed (which is consumed, not kept), or every byte up to the end of the
// stream, an error or the time limit. Bytes after the line feed stay unread,
// exactly as with one receive call per byte, but a line costs a few calls
// instead of one per byte. The limit holds for the whole read, so a client
// that trickles bytes without ever ending a line is cut off like a silent one.
std::string readRequestLine(int fd, std::chrono::milliseconds limit);

}  // namespace halvane
