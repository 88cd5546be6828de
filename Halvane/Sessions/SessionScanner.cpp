#include "Halvane/Sessions/SessionScanner.h"

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Sessions/ClaudePaths.h"
#include "Halvane/Sessions/DiscoveredSession.h"
#include "Halvane/Sessions/ProjectFolders.h"
#include "Halvane/Sessions/QuotedList.h"
#include "Halvane/Sessions/RunningClaude.h"
#include "Halvane/Sessions/SessionStore.h"

namespace halvane {

SessionScanner::SessionScanner(SessionStore& sessions, ScannerTimings timings,
                               std::unique_ptr<FileWatcher> watcher, Clock clock,
                               std::unique_ptr<ProcessExitHandles> exitHandles, QObject* parent)
    : QObject(parent),
      m_sessions(&sessions),
      m_timings(timings),
      m_watcher(std::move(watcher)),
      m_clock(std::move(clock)),
      m_exits(std::move(exitHandles)) {
    m_pruneTimer.setInterval(m_timings.pruneInterval);
    m_fallbackTimer.setInterval(m_timings.fallbackInterval);
    // Timers owned by the scanner, connected with the scanner as context:
    // neither can reach it once it is gone.
    connect(&m_pruneTimer, &QTimer::timeout, this, &SessionScanner::prune);
    connect(&m_fallbackTimer, &QTimer::timeout, this, &SessionScanner::fallbackScan);
    connect(&m_exits, &AgentExitWatch::exited, this, &SessionScanner::agentExited);
}

SessionScanner::~SessionScanner() = default;

void SessionScanner::start() {
    if (m_started) {
        return;
    }
    m_started = true;
    scan();
    startFSEvents();
    updateSweep();
    m_fallbackTimer.start();
}

void SessionScanner::updateSweep() {
    if (!m_started) {
        return;
    }
    const bool sweep = !m_exits.supported() || m_exits.incomplete();
    if (sweep && !m_pruneTimer.isActive()) {
        m_pruneTimer.start();
    } else if (!sweep) {
        m_pruneTimer.stop();
    }
}

std::vector<RunningClaude> SessionScanner::readAgents() {
    if (!m_exits.supported()) {
        return SessionStore::runningClaudes(m_sessions->processTable());
    }
    std::vector<RunningClaude> agents = m_census.count(m_sessions->processTable(), m_clock.now());
    std::vector<std::int32_t> pids;
    for (const RunningClaude& agent : agents) {
        pids.push_back(agent.pid);
    }
    m_exits.follow(pids);
    updateSweep();
    return agents;
}

void SessionScanner::agentExited() {
    // Agents that end together are pruned once, after the last report.
    if (m_pruneQueued) {
        return;
    }
    m_pruneQueued = true;
    QMetaObject::invokeMethod(this, &SessionScanner::pruneAgainstAgents, Qt::QueuedConnection);
}

void SessionScanner::pruneAgainstAgents() {
    m_pruneQueued = false;
    if (!m_sessions) {
        return;
    }
    std::set<std::string> alive;
    for (RunningClaude& agent : readAgents()) {
        alive.insert(std::move(agent.cwd));
    }
    m_sessions->pruneDeadProcesses(alive);
}

void SessionScanner::startFSEvents() {
    std::error_code ignored;
    std::filesystem::create_directories(ClaudePaths::projectsDirectory(), ignored);
    watchProjects();
}

bool SessionScanner::watchProjects() {
    if (!m_watcher) {
        return false;
    }
    const QPointer<SessionScanner> self(this);
    return m_watcher->watch(ClaudePaths::projectsDirectory(), [self] {
        // Queued: the watcher's own report finishes before a scan runs.
        if (self) {
            QMetaObject::invokeMethod(
                self.data(), [self] { self->scan(); }, Qt::QueuedConnection);
        }
    });
}

void SessionScanner::prune() {
    if (m_sessions) {
        m_sessions->pruneDeadProcesses();
    }
}

void SessionScanner::fallbackScan() {
    // The projects folder was removed and perhaps made again: watch it anew.
    if (m_watcher && !m_watcher->isWatching()) {
        watchProjects();
    }
    scan();
}

void SessionScanner::scan() {
    if (!m_sessions) {
        return;
    }
    const std::filesystem::path projects = ClaudePaths::projectsDirectory();
    std::error_code error;
    std::filesystem::directory_iterator entries(projects, error);
    if (error) {
        // Nothing to find, but agents are still followed and pruned.
        if (m_exits.supported()) {
            pruneAgainstAgents();
        }
        return;
    }

    // The first agent in process order speaks for its folder.
    std::map<std::string, RunningClaude> running;
    for (RunningClaude& claude : readAgents()) {
        running.try_emplace(claude.cwd, claude);
    }
    std::vector<std::string> aliveCwds;
    for (const auto& [cwd, claude] : running) {
        aliveCwds.push_back(cwd);
    }
    log::error("Scanner: aliveCwds = " + quotedList(aliveCwds));
    if (m_exits.supported()) {
        // No sweep runs: this reading of the process table is the prune's too.
        m_sessions->pruneDeadProcesses(std::set<std::string>(aliveCwds.begin(), aliveCwds.end()));
    }

    const Timestamp now = m_clock.now();
    std::vector<DiscoveredSession> discovered;
    for (const std::filesystem::directory_iterator end; !error && entries != end;
         entries.increment(error)) {
        std::error_code notFolder;
        if (!entries->is_directory(notFolder)) {
            continue;
        }
        const auto transcript = ProjectFolders::newestTranscript(entries->path());
        if (!transcript) {
            continue;
        }
        const auto age = now - transcript->mtime;
        if (age > m_timings.activeWindow) {
            continue;
        }
        TranscriptInfo info = m_transcripts.read(transcript->path);
        const std::string cwd =
            info.cwd ? *info.cwd
                     : ProjectFolders::cwdFromFolderName(entries->path().filename().string());
        const auto agent = running.find(cwd);
        if (agent == running.end()) {
            continue;
        }
        const RunningClaude& claude = agent->second;
        discovered.push_back(
            DiscoveredSession{ProjectFolders::sessionIdOf(transcript->path), cwd, transcript->mtime,
                              std::move(info.firstUserPrompt), std::move(info.lastUserPrompt),
                              std::move(info.lastAssistant), std::move(info.lastModel),
                              info.turnComplete || age > m_timings.quietTurnEnds, claude.pid,
                              claude.terminalId, claude.terminalPid});
    }
    if (error) {
        return;  // half a listing would drop the sessions not reached
    }
    m_transcripts.evictUnread();

    std::vector<std::string> ids;
    for (const DiscoveredSession& session : discovered) {
        ids.push_back(session.sessionId);
    }
    log::error("Scanner: discovered " + std::to_string(discovered.size()) +
               " sessions: " + quotedList(ids));
    m_sessions->reconcileDiscovered(discovered);
    emit scanned();
}

}  // namespace halvane
