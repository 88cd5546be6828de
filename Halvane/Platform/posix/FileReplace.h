#pragma once

#include <chrono>
#include <filesystem>

namespace halvane::file_replace {

// Swaps the two names in one step: each then names the other's file. 0, or
// the errno; EINVAL or ENOSYS where the file system cannot swap.
int exchange(const std::filesystem::path& first, const std::filesystem::path& second);

// An advisory lock held on a lock file for as long as the object lives.
// Cooperating writers wait for each other; others may ignore it, so it only
// narrows races that callers must still detect.
class FileLock final {
public:
    // Creates the lock file when needed and waits up to wait for the lock;
    // held() tells whether it was taken.
    FileLock(const std::filesystem::path& lockFile, std::chrono::milliseconds wait);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool held() const { return m_held; }

private:
    int m_fd = -1;
    bool m_held = false;
};

}  // namespace halvane::file_replace
