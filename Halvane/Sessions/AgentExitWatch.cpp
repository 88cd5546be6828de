#include "Halvane/Sessions/AgentExitWatch.h"

#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

namespace halvane {

AgentExitWatch::AgentExitWatch(std::unique_ptr<ProcessExitHandles> handles, QObject* parent)
    : QObject(parent), m_handles(std::move(handles)) {
    m_supported = m_handles && m_handles->supported();
}

AgentExitWatch::~AgentExitWatch() {
    for (auto& [pid, watch] : m_watches) {
        release(watch);
    }
}

void AgentExitWatch::release(Watch& watch) {
    // The notifier stops before its descriptor closes: it must never watch a
    // closed one. It may be the one reporting right now, so it is deleted later.
    if (watch.notifier != nullptr) {
        watch.notifier->setEnabled(false);
        watch.notifier->deleteLater();
        watch.notifier = nullptr;
    }
    if (watch.fd >= 0) {
        ::close(watch.fd);
        watch.fd = -1;
    }
}

void AgentExitWatch::follow(const std::vector<std::int32_t>& pids) {
    if (!m_supported) {
        return;
    }
    const std::set<std::int32_t> wanted(pids.begin(), pids.end());
    for (auto it = m_watches.begin(); it != m_watches.end();) {
        if (wanted.contains(it->first)) {
            ++it;
            continue;
        }
        release(it->second);
        it = m_watches.erase(it);
    }
    m_unwatched.clear();
    std::vector<std::int32_t> gone;
    for (const std::int32_t pid : wanted) {
        if (m_watches.contains(pid)) {
            continue;
        }
        const ProcessExitHandles::Handle handle = m_handles->open(pid);
        if (handle.fd < 0) {
            if (handle.error == ESRCH) {
                gone.push_back(pid);
            } else {
                m_unwatched.insert(pid);
            }
            continue;
        }
        Watch& watch = m_watches[pid];
        watch.fd = handle.fd;
        watch.notifier = new QSocketNotifier(handle.fd, QSocketNotifier::Read, this);
        connect(watch.notifier, &QSocketNotifier::activated, this, [this, pid] { ended(pid); });
    }
    // Ended between the process table's reading and now.
    for (const std::int32_t pid : gone) {
        emit exited(pid);
    }
}

void AgentExitWatch::ended(std::int32_t pid) {
    const auto found = m_watches.find(pid);
    if (found == m_watches.end()) {
        return;
    }
    release(found->second);
    m_watches.erase(found);
    emit exited(pid);
}

}  // namespace halvane
