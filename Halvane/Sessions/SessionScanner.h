#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "Halvane/Platform/FileWatcher.h"
#include "Halvane/Platform/ProcessExitHandles.h"
#include "Halvane/Sessions/AgentCensus.h"
#include "Halvane/Sessions/AgentExitWatch.h"
#include "Halvane/Sessions/Clock.h"
#include "Halvane/Sessions/ScannerTimings.h"
#include "Halvane/Sessions/TranscriptCache.h"

namespace halvane {

class SessionStore;

// Finds Claude Code sessions without any hook event: recent transcripts under
// Claude Code's projects folder, paired with the claude process running in
// the same folder, are handed to the store, which also drops the sessions
// whose process has ended. The process table is read with each scan; an
// agent's end is learnt from its exit handle the moment it happens, and only
// where the system has no such handles is the table swept every
// pruneInterval. Runs on the main thread. Its timers, the file watcher and
// the exit handles reach it only while it exists.
class SessionScanner final : public QObject {
    Q_OBJECT

public:
    // The store must outlive the scanner's use of it; once it is gone the
    // scanner does nothing.
    explicit SessionScanner(
        SessionStore& sessions, ScannerTimings timings = ScannerTimings(),
        std::unique_ptr<FileWatcher> watcher = makeSystemFileWatcher(), Clock clock = Clock(),
        std::unique_ptr<ProcessExitHandles> exitHandles = makeSystemProcessExitHandles(),
        QObject* parent = nullptr);
    ~SessionScanner() override;

    // Scans at once, then on every change under the projects folder and
    // every fallbackInterval; prunes as soon as a known agent ends (or every
    // pruneInterval without exit handles). Later calls do nothing.
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
    // The agents running now; follows each one's exit from here on.
    std::vector<RunningClaude> readAgents();
    void agentExited();
    void pruneAgainstAgents();
    // Sweeps only while some agent's end cannot be watched.
    void updateSweep();

    QPointer<SessionStore> m_sessions;
    ScannerTimings m_timings;
    std::unique_ptr<FileWatcher> m_watcher;
    Clock m_clock;
    QTimer m_pruneTimer;
    QTimer m_fallbackTimer;
    // Transcripts are read only as far as they grew since the last scan.
    TranscriptCache m_transcripts;
    AgentExitWatch m_exits;
    AgentCensus m_census;
    bool m_pruneQueued = false;
    bool m_started = false;
};

}  // namespace halvane
