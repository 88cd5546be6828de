#pragma once

#include <QObject>
#include <chrono>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Halvane/Platform/SoundPlayer.h"
#include "Halvane/Platform/posix/ProcessTable.h"
#include "Halvane/Sessions/Clock.h"
#include "Halvane/Sessions/DelayedTask.h"
#include "Halvane/Sessions/DiscoveredSession.h"
#include "Halvane/Sessions/HookEventHandler.h"
#include "Halvane/Sessions/Preferences.h"
#include "Halvane/Sessions/ProcessDiscovery.h"
#include "Halvane/Sessions/RunningClaude.h"
#include "Halvane/Sessions/Session.h"
#include "Halvane/Sessions/SessionStatus.h"
#include "Halvane/Terminals/TerminalHost.h"

namespace halvane {

// The application's one model of Claude Code sessions, on the main thread.
// Hook events change sessions and hold permission requests until the user
// answers them; changed() follows every change of a session or of the allow
// rules, and observers re-read the lists they show.
class SessionStore final : public QObject, public HookEventHandler {
    Q_OBJECT

public:
    using Status = SessionStatus;

    static constexpr std::size_t historyLimit = 20;
    // How long a finished session flashes as just finished.
    static constexpr std::chrono::milliseconds justFinishedDuration{4000};

    SessionStore(SoundPlayer& sounds, const Preferences& preferences, Clock clock = Clock(),
                 std::chrono::milliseconds justFinishedFor = justFinishedDuration,
                 QObject* parent = nullptr);
    ~SessionStore() override;

    void handle(const HookEvent& event, Respond respond) override;
    // Claude Code stopped waiting for this request (the user answered in the
    // terminal): its card goes.
    void withdraw(const HookEvent& event) override;
    // Answers the prompt the session holds; nothing happens unless it waits.
    void resolve(const std::string& sessionId, const HookDecision& decision);
    // Approves the held prompt and remembers a rule so its like is never asked again.
    void resolveAlways(const std::string& sessionId);

    // Waiting sessions, latest event first.
    std::vector<Session> pending() const;
    // Sessions flashing as just finished, latest finish first.
    std::vector<Session> justFinished() const;
    // Every session, latest event first.
    std::vector<Session> allSorted() const;

    const std::map<std::string, Session>& sessions() const { return m_sessions; }
    const std::vector<std::string>& allowPatterns() const { return m_allowPatterns; }
    // Takes the allow rules from Claude Code's settings file.
    void reloadAllowPatterns();

    // Whether a tool that ran is the call a request asked about.
    static bool isSameCall(const HookEvent& request, const HookEvent& ran);

    // The history line for an event.
    static std::string summarize(const HookEvent& event);

    // The claude processes running now, with their folders and terminals.
    static std::vector<RunningClaude> runningClaudes(
        const ProcessTable& processes = ProcessDiscovery::systemProcessTable());
    static std::set<std::string> runningClaudeCwds(
        const ProcessTable& processes = ProcessDiscovery::systemProcessTable());
    static TerminalHost detectTerminal(
        std::int32_t forClaudePid,
        const ProcessTable& processes = ProcessDiscovery::systemProcessTable());

    // Merges a scan's sessions, then drops every session the scan did not
    // find, except those waiting for the user and those whose start Claude
    // Code announced (their end is announced too).
    void reconcileDiscovered(const std::vector<DiscoveredSession>& discovered);
    // Drops every session without a claude process in its folder, except
    // those waiting for the user.
    void pruneDeadProcesses();
    // The same against folders the caller has just found agents in.
    void pruneDeadProcesses(const std::set<std::string>& alive);

    // The process table discovery reads: the machine's, unless a test hands
    // in its own, which must then outlive the store.
    const ProcessTable& processTable() const { return *m_processes; }
    void setProcessTable(const ProcessTable& processes) { m_processes = &processes; }

signals:
    void changed();

private:
    void store(Session session);
    // Holds a request until the user answers it.
    void hold(Session session, const HookEvent& event, Respond respond);
    // Answers a held request passthrough, so no relay waits on a card that is gone.
    static void releaseHeld(const Session& session);
    void scheduleJustFinishedClear(const std::string& sessionId);
    void clearJustFinished(const std::string& sessionId);

    SoundPlayer& m_sounds;
    const Preferences& m_preferences;
    Clock m_clock;
    std::chrono::milliseconds m_justFinishedFor;
    std::map<std::string, Session> m_sessions;
    std::vector<std::string> m_allowPatterns;
    const ProcessTable* m_processes = &ProcessDiscovery::systemProcessTable();
    // One clear per stop: a later stop never postpones an earlier stop's clear.
    std::vector<std::unique_ptr<DelayedTask>> m_justFinishedClears;
};

}  // namespace halvane
