#include "Halvane/Platform/posix/FileReplace.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace halvane::file_replace {

int exchange(const std::filesystem::path& first, const std::filesystem::path& second) {
    const long result = ::syscall(SYS_renameat2, AT_FDCWD, first.c_str(), AT_FDCWD, second.c_str(),
                                  RENAME_EXCHANGE);
    return result == 0 ? 0 : errno;
}

FileLock::FileLock(const std::filesystem::path& lockFile, std::chrono::milliseconds wait) {
    m_fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
            m_held = true;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) ||
            std::chrono::steady_clock::now() >= deadline) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

FileLock::~FileLock() {
    if (m_fd >= 0) {
        // Closing releases the lock.
        ::close(m_fd);
    }
}

}  // namespace halvane::file_replace
