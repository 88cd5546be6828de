#include "Halvane/Platform/posix/ProcessResources.h"

#include <malloc.h>
#include <sys/resource.h>

namespace halvane::process_resources {

std::size_t raiseOpenFileLimit() {
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) != 0) {
        return 0;
    }
    if (files.rlim_cur < files.rlim_max) {
        rlimit raised = files;
        raised.rlim_cur = files.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) {
            files = raised;
        }
    }
    return files.rlim_cur == RLIM_INFINITY ? static_cast<std::size_t>(-1)
                                           : static_cast<std::size_t>(files.rlim_cur);
}

void releaseFreeMemory() {
    ::malloc_trim(0);
}

}  // namespace halvane::process_resources
