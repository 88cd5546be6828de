#pragma once

#include <QObject>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "Halvane/Platform/ProcessExitHandles.h"

class QSocketNotifier;

namespace halvane {

// Learns that an agent process has ended the moment it ends, at no cost
// while it runs: each followed process has an exit handle read by the event
// loop. Runs on the main thread.
class AgentExitWatch final : public QObject {
    Q_OBJECT

public:
    explicit AgentExitWatch(std::unique_ptr<ProcessExitHandles> handles, QObject* parent = nullptr);
    ~AgentExitWatch() override;

    // False where exits cannot be watched at all: the process table has to
    // be swept instead.
    bool supported() const { return m_supported; }
    // Watches exactly these processes from now on: new ones get a handle,
    // those no longer listed are let go.
    void follow(const std::vector<std::int32_t>& pids);
    // Some followed process got no handle (out of descriptors, say): only a
    // sweep would notice its end.
    bool incomplete() const { return !m_unwatched.empty(); }
    bool watches(std::int32_t pid) const { return m_watches.contains(pid); }

signals:
    // A followed process ended, or was gone before it could be watched.
    void exited(std::int32_t pid);

private:
    struct Watch {
        int fd = -1;
        QSocketNotifier* notifier = nullptr;
    };
    void release(Watch& watch);
    void ended(std::int32_t pid);

    std::unique_ptr<ProcessExitHandles> m_handles;
    bool m_supported = false;
    std::map<std::int32_t, Watch> m_watches;
    std::set<std::int32_t> m_unwatched;
};

}  // namespace halvane
