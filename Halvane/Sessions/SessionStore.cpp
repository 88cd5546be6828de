#include "Halvane/Sessions/SessionStore.h"

#include <QSysInfo>
#include <QUuid>
#include <algorithm>
#include <nlohmann/json.hpp>

#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Sessions/AllowRules.h"
#include "Halvane/Sessions/Graphemes.h"
#include "Halvane/Sessions/HooksInstaller.h"
#include "Halvane/Sessions/QuotedList.h"
#include "Halvane/Sessions/SessionEvents.h"
#include "Halvane/Sessions/SessionReconciler.h"
#include "HalvaneProtocol/JsonDepth.h"
#include "HalvaneProtocol/Utf8.h"
#include "HalvaneProtocol/WireTime.h"

namespace halvane {

namespace {

constexpr std::size_t loggedIdLength = 8;

HookDecision decision(HookDecision::Decision verdict) {
    return HookDecision{verdict, std::nullopt, std::nullopt};
}

// The first characters of a session id for a log line.
std::string shortId(const std::string& id) {
    if (!isValidUtf8(id)) {
        return id.substr(0, loggedIdLength);
    }
    return id.substr(0, Graphemes::cutPoint(id, loggedIdLength).value_or(id.size()));
}

template <typename Key>
std::vector<Session> newestFirst(const std::map<std::string, Session>& sessions,
                                 bool (*include)(const Session&), Key key) {
    std::vector<Session> selected;
    for (const auto& [id, session] : sessions) {
        if (include(session)) {
            selected.push_back(session);
        }
    }
    std::stable_sort(selected.begin(), selected.end(),
                     [&key](const Session& a, const Session& b) { return key(a) > key(b); });
    return selected;
}

}  // namespace

SessionStore::SessionStore(SoundPlayer& sounds, const Preferences& preferences, Clock clock,
                           std::chrono::milliseconds justFinishedFor, QObject* parent)
    : QObject(parent),
      m_sounds(sounds),
      m_preferences(preferences),
      m_clock(std::move(clock)),
      m_justFinishedFor(justFinishedFor) {}

SessionStore::~SessionStore() = default;

void SessionStore::handle(const HookEvent& event, Respond respond) {
    const Timestamp eventTime = timeFromWire(event.timestamp);
    Session session;
    if (const auto found = m_sessions.find(event.sessionId); found != m_sessions.end()) {
        session = found->second;
    } else {
        session.id = event.sessionId;
        session.status = Status::idle();
    }
    session.cwd = event.cwd;
    session.lastEvent = eventTime;
    static const std::string ownHost = QSysInfo::machineHostName().toStdString();
    if (event.hostName && *event.hostName != ownHost) {
        session.remoteHost = event.hostName;
    } else {
        session.remoteHost.reset();
    }
    // Process ids and terminals of another machine mean nothing here. An
    // event without terminal details never forgets the ones known already.
    if (!session.remoteHost) {
        if (event.terminalId) {
            session.lastTerminalId = event.terminalId;
        }
        if (event.terminalPid) {
            session.lastTerminalPid = event.terminalPid;
        }
        if (event.claudePid) {
            session.claudePid = event.claudePid;
        }
    }
    const bool awaitedPrompt = session.awaitingPrompt;
    SessionEvents::note(session, event);
    if (SessionEvents::recordsHistory(event)) {
        session.history.push_back(
            HistoryEntry{QUuid::createUuid(), eventTime, event.kind, event.tool, summarize(event)});
        if (session.history.size() > historyLimit) {
            session.history.erase(
                session.history.begin(),
                session.history.end() - static_cast<std::ptrdiff_t>(historyLimit));
        }
    }
    // A card that only says Claude Code asks in its terminal is settled by
    // whatever the session does next.
    if (const PendingPrompt* held = session.status.prompt();
        held != nullptr && !held->respond && event.kind != HookEvent::Kind::notification) {
        session.status = Status::working();
    }
    const auto answer = [&respond](HookDecision::Decision verdict) {
        if (respond) {
            respond(decision(verdict));
        }
    };

    switch (event.kind) {
        case HookEvent::Kind::notification:
            if (session.awaitingPrompt && !awaitedPrompt) {
                log::error("Halvane: session " + shortId(session.id) +
                           " waits for the next prompt");
            }
            // Claude Code asks in its terminal without a request we could
            // answer (plan mode, or a check it cannot hand to hooks).
            if (SessionEvents::asksInTerminal(event) && !session.status.isWaitingForUser()) {
                session.status =
                    Status::waitingForUser(PendingPrompt{QUuid::createUuid(), event, nullptr});
                session.justFinishedAt = std::nullopt;
            }
            store(std::move(session));
            answer(HookDecision::Decision::passthrough);
            return;
        case HookEvent::Kind::stop: {
            // A request Claude Code still waits on outlives a subagent's stop.
            if (const PendingPrompt* held = session.status.prompt(); held && held->respond) {
                store(std::move(session));
                answer(HookDecision::Decision::passthrough);
                return;
            }
            // The turn ended but a background task or subagent works on:
            // no chime and no "Done" until the stop that ends it all.
            if (SessionEvents::workGoesOn(session, event)) {
                log::error("Halvane: session " + shortId(session.id) +
                           " ended a turn while background work goes on");
                session.status = Status::working();
                store(std::move(session));
                answer(HookDecision::Decision::passthrough);
                return;
            }
            log::error("Halvane: session " + shortId(session.id) + " finished its work");
            const Timestamp now = m_clock.now();
            session.status = Status::idle();
            session.justFinishedAt = now;
            session.lastStoppedAt = now;
            if (m_preferences.soundsEnabled()) {
                m_sounds.play(SoundPlayer::Sound::glass);
            }
            scheduleJustFinishedClear(session.id);
            store(std::move(session));
            answer(HookDecision::Decision::passthrough);
            return;
        }
        case HookEvent::Kind::preToolUse:
            if (!m_preferences.askBeforeEveryToolCall()) {
                if (!session.status.isWaitingForUser()) {
                    session.status = Status::working();
                }
                store(std::move(session));
                answer(HookDecision::Decision::passthrough);
                return;
            }
            if (AllowRules::matchesAllowRule(event, m_allowPatterns)) {
                releaseHeld(session);
                session.status = Status::working();
                store(std::move(session));
                answer(HookDecision::Decision::approve);
                return;
            }
            hold(std::move(session), event, std::move(respond));
            return;
        case HookEvent::Kind::permissionRequest:
            // Asked already, before the call, when every call is shown.
            if (m_preferences.askBeforeEveryToolCall()) {
                store(std::move(session));
                answer(HookDecision::Decision::passthrough);
                return;
            }
            hold(std::move(session), event, std::move(respond));
            return;
        case HookEvent::Kind::postToolUse:
            // The call ran: whoever answered, it was not this card.
            if (const PendingPrompt* held = session.status.prompt();
                held != nullptr && isSameCall(held->event, event)) {
                log::system("Halvane: request of session " + shortId(session.id) +
                            " answered in the terminal");
                releaseHeld(session);
                session.status = Status::working();
            } else if (!session.status.isWaitingForUser()) {
                session.status = Status::working();
            }
            store(std::move(session));
            answer(HookDecision::Decision::passthrough);
            return;
        case HookEvent::Kind::sessionEnd:
            releaseHeld(session);
            log::system("Halvane: session " + shortId(session.id) + " ended (" +
                        event.message.value_or("no reason given") + ")");
            m_sessions.erase(session.id);
            emit changed();
            answer(HookDecision::Decision::passthrough);
            return;
        case HookEvent::Kind::userPromptSubmit:
            session.justFinishedAt = std::nullopt;
            [[fallthrough]];
        case HookEvent::Kind::subagentStart:
            if (!session.status.isWaitingForUser()) {
                session.status = Status::working();
            }
            store(std::move(session));
            answer(HookDecision::Decision::passthrough);
            return;
        case HookEvent::Kind::sessionStart:
            log::system("Halvane: session " + shortId(session.id) + " started in " + session.cwd);
            store(std::move(session));
            answer(HookDecision::Decision::passthrough);
            return;
        case HookEvent::Kind::subagentStop:
            store(std::move(session));
            answer(HookDecision::Decision::passthrough);
            return;
    }
}

void SessionStore::hold(Session session, const HookEvent& event, Respond respond) {
    // One card per session: an older request Claude Code still waits on is
    // left to its terminal dialog rather than held for ever.
    releaseHeld(session);
    session.status =
        Status::waitingForUser(PendingPrompt{QUuid::createUuid(), event, std::move(respond)});
    session.justFinishedAt = std::nullopt;
    store(std::move(session));
}

void SessionStore::releaseHeld(const Session& session) {
    if (const PendingPrompt* held = session.status.prompt(); held && held->respond) {
        const Respond respond = held->respond;
        respond(decision(HookDecision::Decision::passthrough));
    }
}

bool SessionStore::isSameCall(const HookEvent& request, const HookEvent& ran) {
    if (request.tool != ran.tool || !request.toolInput || !ran.toolInput) {
        return false;
    }
    const nlohmann::json asked = parseBounded(*request.toolInput);
    const nlohmann::json done = parseBounded(*ran.toolInput);
    if (asked.is_discarded() || done.is_discarded()) {
        return *request.toolInput == *ran.toolInput;
    }
    return asked == done;
}

void SessionStore::withdraw(const HookEvent& event) {
    const auto found = m_sessions.find(event.sessionId);
    if (found == m_sessions.end()) {
        return;
    }
    const PendingPrompt* held = found->second.status.prompt();
    if (held == nullptr || !(held->event == event)) {
        return;
    }
    log::system("Halvane: request of session " + shortId(event.sessionId) +
                " withdrawn by Claude Code");
    Session session = found->second;
    session.status = Status::working();
    store(std::move(session));
}

void SessionStore::resolve(const std::string& sessionId, const HookDecision& answer) {
    const auto found = m_sessions.find(sessionId);
    if (found == m_sessions.end() || !found->second.status.isWaitingForUser()) {
        return;
    }
    // Copied out: the callback may reach back into the store.
    const PendingPrompt prompt = *found->second.status.prompt();
    if (prompt.respond) {
        prompt.respond(answer);
    }
    const auto again = m_sessions.find(sessionId);
    if (again == m_sessions.end()) {
        return;
    }
    // Only the prompt just answered turns into work; a newer one keeps waiting.
    const PendingPrompt* held = again->second.status.prompt();
    if (held == nullptr || held->id != prompt.id) {
        return;
    }
    Session session = again->second;
    session.status = Status::working();
    store(std::move(session));
}

void SessionStore::resolveAlways(const std::string& sessionId) {
    const auto found = m_sessions.find(sessionId);
    if (found == m_sessions.end() || !found->second.status.isWaitingForUser()) {
        return;
    }
    const HookEvent& event = found->second.status.prompt()->event;
    if (event.kind == HookEvent::Kind::permissionRequest) {
        // Claude Code remembers the rule it suggested, in its own syntax and
        // place; without a suggestion there is nothing to remember.
        if (!event.permissionSuggestions) {
            return;
        }
        HookDecision approval = decision(HookDecision::Decision::approve);
        approval.updatedPermissions = event.permissionSuggestions;
        resolve(sessionId, approval);
        return;
    }
    if (const auto pattern = AllowRules::allowPattern(event)) {
        // false only means the file already holds the rule or cannot take it;
        // the request is approved either way.
        HooksInstaller::addAllowRule(*pattern);
        if (std::find(m_allowPatterns.begin(), m_allowPatterns.end(), *pattern) ==
            m_allowPatterns.end()) {
            m_allowPatterns.push_back(*pattern);
            emit changed();
        }
    }
    resolve(sessionId, decision(HookDecision::Decision::approve));
}

std::vector<Session> SessionStore::pending() const {
    return newestFirst(
        m_sessions, [](const Session& s) { return s.status.isWaitingForUser(); },
        [](const Session& s) { return s.lastEvent; });
}

std::vector<Session> SessionStore::justFinished() const {
    return newestFirst(
        m_sessions, [](const Session& s) { return s.justFinishedAt.has_value(); },
        [](const Session& s) { return s.justFinishedAt.value_or(Timestamp::min()); });
}

std::vector<Session> SessionStore::allSorted() const {
    return newestFirst(
        m_sessions, [](const Session&) { return true; },
        [](const Session& s) { return s.lastEvent; });
}

void SessionStore::reloadAllowPatterns() {
    std::vector<std::string> patterns = HooksInstaller::currentAllowPatterns();
    if (patterns == m_allowPatterns) {
        return;
    }
    m_allowPatterns = std::move(patterns);
    emit changed();
}

std::string SessionStore::summarize(const HookEvent& event) {
    return SessionEvents::summarize(event);
}

std::vector<RunningClaude> SessionStore::runningClaudes(const ProcessTable& processes) {
    return ProcessDiscovery::runningClaudes(processes);
}

std::set<std::string> SessionStore::runningClaudeCwds(const ProcessTable& processes) {
    return ProcessDiscovery::runningClaudeCwds(processes);
}

TerminalHost SessionStore::detectTerminal(std::int32_t forClaudePid,
                                          const ProcessTable& processes) {
    return ProcessDiscovery::detectTerminal(processes, forClaudePid);
}

void SessionStore::reconcileDiscovered(const std::vector<DiscoveredSession>& discovered) {
    const Timestamp now = m_clock.now();
    bool modified = false;
    std::set<std::string> found;
    for (const DiscoveredSession& record : discovered) {
        found.insert(record.sessionId);
        const auto known = m_sessions.find(record.sessionId);
        if (known == m_sessions.end()) {
            m_sessions.emplace(record.sessionId, SessionReconciler::sessionFrom(record));
            modified = true;
        } else {
            modified = SessionReconciler::update(known->second, record, now) || modified;
        }
    }
    const auto dropped = std::erase_if(m_sessions, [&found](const auto& item) {
        return !item.second.status.isWaitingForUser() && !item.second.announced &&
               !found.contains(item.first);
    });
    if (modified || dropped > 0) {
        emit changed();
    }
}

void SessionStore::pruneDeadProcesses() {
    pruneDeadProcesses(runningClaudeCwds(*m_processes));
}

void SessionStore::pruneDeadProcesses(const std::set<std::string>& alive) {
    bool removed = false;
    for (auto it = m_sessions.begin(); it != m_sessions.end();) {
        const Session& session = it->second;
        if (session.status.isWaitingForUser() || alive.contains(session.cwd)) {
            ++it;
            continue;
        }
        log::error("Prune: removing session " + shortId(session.id) + " cwd=" + session.cwd +
                   " (not in alive=" + quotedList(alive) + ")");
        it = m_sessions.erase(it);
        removed = true;
    }
    if (removed) {
        emit changed();
    }
}

void SessionStore::store(Session session) {
    const std::string id = session.id;
    m_sessions.insert_or_assign(id, std::move(session));
    emit changed();
}

void SessionStore::scheduleJustFinishedClear(const std::string& sessionId) {
    std::erase_if(m_justFinishedClears, [](const auto& task) { return !task->isActive(); });
    auto& task = m_justFinishedClears.emplace_back(std::make_unique<DelayedTask>(this));
    task->start(m_justFinishedFor, [this, sessionId] { clearJustFinished(sessionId); });
}

void SessionStore::clearJustFinished(const std::string& sessionId) {
    const auto found = m_sessions.find(sessionId);
    if (found == m_sessions.end() || !found->second.justFinishedAt) {
        return;
    }
    Session session = found->second;
    session.justFinishedAt = std::nullopt;
    store(std::move(session));
}

}  // namespace halvane
