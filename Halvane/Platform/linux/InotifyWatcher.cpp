#include "Halvane/Platform/linux/InotifyWatcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include "Halvane/Platform/posix/Log.h"

namespace halvane {

namespace {

constexpr std::uint32_t changeMask =
    IN_CREATE | IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE;
// The root also reports its own end, which no event in a folder above it would.
constexpr std::uint32_t rootMask = changeMask | IN_DELETE_SELF | IN_MOVE_SELF;

}  // namespace

InotifyWatcher::InotifyWatcher(std::chrono::milliseconds latency, QObject* parent)
    : QObject(parent) {
    m_coalesce.setSingleShot(true);
    m_coalesce.setInterval(latency);
    connect(&m_coalesce, &QTimer::timeout, this, &InotifyWatcher::report);
}

InotifyWatcher::~InotifyWatcher() {
    stop();
}

bool InotifyWatcher::watch(const std::filesystem::path& root, std::function<void()> onChange) {
    stop();
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0) {
        log::system(std::string("Halvane: cannot watch transcripts: ") + std::strerror(errno));
        return false;
    }
    const int rootWatch = ::inotify_add_watch(m_fd, root.c_str(), rootMask | IN_ONLYDIR);
    if (rootWatch < 0) {
        stop();
        return false;
    }
    m_root = root;
    m_rootWatch = rootWatch;
    m_folders[rootWatch] = root;
    m_onChange = std::move(onChange);
    watchSubfolders();
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &InotifyWatcher::readEvents);
    return true;
}

bool InotifyWatcher::watches(const std::filesystem::path& folder) const {
    for (const auto& [watch, path] : m_folders) {
        if (path == folder) {
            return true;
        }
    }
    return false;
}

void InotifyWatcher::stop() {
    m_notifier.reset();
    if (m_fd >= 0) {
        // Closing drops every watch at once.
        ::close(m_fd);
        m_fd = -1;
    }
    m_folders.clear();
    m_rootWatch = -1;
}

void InotifyWatcher::readEvents() {
    alignas(inotify_event) char buffer[64 * 1024];
    bool changed = false;
    bool overflowed = false;
    bool rootGone = false;
    while (m_fd >= 0) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;  // EAGAIN: everything queued has been read
        }
        for (ssize_t at = 0; at < got;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            const char* name = buffer + at + sizeof(inotify_event);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event.len);

            if ((event.mask & IN_Q_OVERFLOW) != 0) {
                overflowed = true;
                continue;
            }
            if ((event.mask & IN_IGNORED) != 0) {
                // The kernel dropped this watch: its folder was deleted.
                m_folders.erase(event.wd);
                rootGone = rootGone || event.wd == m_rootWatch;
                continue;
            }
            if (event.wd != m_rootWatch) {
                // Folders further down are not watched, so their coming and
                // going is no change either (Claude Code keeps a session's
                // subagent transcripts and tool output there).
                changed = changed || (event.mask & IN_ISDIR) == 0;
                continue;
            }
            changed = true;
            if ((event.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) != 0) {
                rootGone = true;
                continue;
            }
            if ((event.mask & IN_ISDIR) != 0 && event.len > 0) {
                const std::filesystem::path folder = m_root / std::string(name);
                if ((event.mask & (IN_CREATE | IN_MOVED_TO)) != 0) {
                    watchFolder(folder);
                } else if ((event.mask & (IN_MOVED_FROM | IN_DELETE)) != 0) {
                    forgetFolder(folder);
                }
            }
        }
    }
    if (rootGone) {
        stop();
        changed = true;
    } else if (overflowed) {
        // Folders made while events were dropped have no watch yet.
        watchSubfolders();
        changed = true;
    }
    if (changed) {
        scheduleReport();
    }
}

void InotifyWatcher::watchSubfolders() {
    std::error_code error;
    std::filesystem::directory_iterator entries(m_root, error);
    for (const std::filesystem::directory_iterator end; !error && entries != end;
         entries.increment(error)) {
        std::error_code notFolder;
        if (entries->is_directory(notFolder)) {
            watchFolder(entries->path());
        }
    }
}

void InotifyWatcher::watchFolder(const std::filesystem::path& folder) {
    const int watch = ::inotify_add_watch(m_fd, folder.c_str(), changeMask | IN_ONLYDIR);
    if (watch >= 0) {
        m_folders[watch] = folder;
        return;
    }
    // A folder gone again before its watch is no loss; running out of watches
    // is, though the periodic scan still sees the folder's changes.
    if (errno != ENOENT && errno != ENOTDIR && !m_reportedWatchFailure) {
        m_reportedWatchFailure = true;
        log::system("Halvane: cannot watch " + folder.string() + ": " + std::strerror(errno));
    }
}

void InotifyWatcher::forgetFolder(const std::filesystem::path& folder) {
    for (auto it = m_folders.begin(); it != m_folders.end(); ++it) {
        if (it->first != m_rootWatch && it->second == folder) {
            // Moved away, its watch would follow it out of the tree.
            ::inotify_rm_watch(m_fd, it->first);
            m_folders.erase(it);
            return;
        }
    }
}

void InotifyWatcher::scheduleReport() {
    // Not restarted by later events: a transcript written without pause
    // must still be reported once per latency.
    if (!m_coalesce.isActive()) {
        m_coalesce.start();
    }
}

void InotifyWatcher::report() {
    // A copy: the listener may replace the watch from inside its callback.
    const std::function<void()> onChange = m_onChange;
    if (onChange) {
        onChange();
    }
}

std::unique_ptr<FileWatcher> makeSystemFileWatcher(std::chrono::milliseconds latency) {
    return std::make_unique<InotifyWatcher>(latency);
}

}  // namespace halvane
