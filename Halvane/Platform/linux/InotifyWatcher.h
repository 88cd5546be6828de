#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <unordered_map>

#include "Halvane/Platform/FileWatcher.h"

class QSocketNotifier;

namespace halvane {

// FileWatcher on inotify: one watch on the root and one on each folder
// directly inside it, read through a socket notifier on the event loop.
// Polling the files instead would miss in-place writes within one second.
class InotifyWatcher final : public QObject, public FileWatcher {
    Q_OBJECT

public:
    explicit InotifyWatcher(std::chrono::milliseconds latency = defaultLatency,
                            QObject* parent = nullptr);
    ~InotifyWatcher() override;

    bool watch(const std::filesystem::path& root, std::function<void()> onChange) override;
    bool isWatching() const override { return m_rootWatch >= 0; }

    // Whether folder (the root or a folder in it) has a watch of its own.
    bool watches(const std::filesystem::path& folder) const;

private:
    void stop();
    void readEvents();
    // Watches every folder now in the root; already watched ones keep their watch.
    void watchSubfolders();
    void watchFolder(const std::filesystem::path& folder);
    void forgetFolder(const std::filesystem::path& folder);
    void scheduleReport();
    void report();

    int m_fd = -1;
    int m_rootWatch = -1;
    std::filesystem::path m_root;
    std::unordered_map<int, std::filesystem::path> m_folders;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_coalesce;
    std::function<void()> m_onChange;
    bool m_reportedWatchFailure = false;
};

}  // namespace halvane
