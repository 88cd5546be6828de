#pragma once

#include <cstddef>

namespace halvane::process_resources {

// Raises this process's limit on open descriptors to the system's ceiling
// for it (a server holding many connections needs more than the usual
// 1,024). Returns the limit now in force.
std::size_t raiseOpenFileLimit();

// Hands memory the allocator keeps after large frees back to the system, so
// a burst of big requests does not leave the process large for good.
void releaseFreeMemory();

}  // namespace halvane::process_resources
