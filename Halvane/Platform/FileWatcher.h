#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

namespace halvane {

// Watches a folder and every folder directly inside it, also folders made
// there later, for files created, written, moved in or out, and deleted.
// Folders made or removed deeper down are no change.
// Reports arrive on the main thread and are coalesced: one report stands for
// every change within `latency` of the first. When the system drops events a
// report follows all the same, so a listener that re-reads what it watches
// never misses a change.
class FileWatcher {
public:
    static constexpr std::chrono::milliseconds defaultLatency{200};

    virtual ~FileWatcher() = default;

    // Starts watching root, replacing any earlier watch. False when the
    // system refuses (no such folder, out of watches); nothing is reported then.
    virtual bool watch(const std::filesystem::path& root, std::function<void()> onChange) = 0;
    // False before watch() succeeded and once the root was removed or moved away.
    virtual bool isWatching() const = 0;
};

// The running system's watcher.
std::unique_ptr<FileWatcher> makeSystemFileWatcher(
    std::chrono::milliseconds latency = FileWatcher::defaultLatency);

}  // namespace halvane
