#include "Halvane/Platform/linux/PidfdExitHandles.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace halvane {

namespace {

ProcessExitHandles::Handle pidfdOpen(std::int32_t pid) {
#ifdef SYS_pidfd_open
    // The descriptor comes with close-on-exec set.
    const long fd = ::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0U);
    if (fd < 0) {
        return {-1, errno};
    }
    return {static_cast<int>(fd), 0};
#else
    (void)pid;
    return {-1, ENOSYS};
#endif
}

}  // namespace

bool PidfdExitHandles::supported() {
    if (!m_supported) {
        // Our own process always exists: only a kernel (or a sandbox) without
        // the call refuses it.
        const Handle probe = pidfdOpen(static_cast<std::int32_t>(::getpid()));
        if (probe.fd >= 0) {
            ::close(probe.fd);
        }
        m_supported = probe.fd >= 0;
    }
    return *m_supported;
}

ProcessExitHandles::Handle PidfdExitHandles::open(std::int32_t pid) {
    if (pid <= 0) {
        return {-1, ESRCH};
    }
    return pidfdOpen(pid);
}

std::unique_ptr<ProcessExitHandles> makeSystemProcessExitHandles() {
    return std::make_unique<PidfdExitHandles>();
}

}  // namespace halvane
