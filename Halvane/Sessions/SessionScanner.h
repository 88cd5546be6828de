#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "Halvane/Platform/FileWatcher.h"
#include "Halvane/Sessions/Clock.h"
#include "Halvane/Sessions/ScannerTimings.h"
#include "Halvane/Sessions/TranscriptCache.h"

namespace halvane {

class SessionStore;

// Finds Claude Code sessions without any hook event: recent transcripts under
// Claude Code's projects folder, paired with the claude process running in
// the same folder, are handed to the store, which also drops the sessions
// whose process has ended. Runs on the main thread. Its timers and the file
// watcher reach it only while it exists.
class SessionScanner final : public QObject {
    Q_OBJECT

public:
    // The store must outlive the scanner's use of it; once it is gone the
    // scanner does nothing.
    explicit SessionScanner(SessionStore& sessions, ScannerTimings timings = ScannerTimings(),
                            std::unique_ptr<FileWatcher> watcher = makeSystemFileWatcher(),
                            Clock clock = Clock(), QObject* parent = nullptr);
    ~SessionScanner() override;

    // Scans at once, then on every change under the projects folder and
    // every fallbackInterval, and prunes every pruneInterval. Later calls do
    // nothing.
    void start();
    // One full scan, ending in the store's reconcile.
    void scan();

signals:
    // After every completed scan.
    void scanned();

private:
    void startFSEvents();
    bool watchProjects();
    void prune();
    void fallbackScan();

    QPointer<SessionStore> m_sessions;
    ScannerTimings m_timings;
    std::unique_ptr<FileWatcher> m_watcher;
    Clock m_clock;
    QTimer m_pruneTimer;
    QTimer m_fallbackTimer;
    // Transcripts are read only as far as they grew since the last scan.
    TranscriptCache m_transcripts;
    bool m_started = false;
};

}  // namespace halvane
