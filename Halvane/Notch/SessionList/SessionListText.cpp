#include "Halvane/Notch/SessionList/SessionListText.h"

#include <array>
#include <chrono>
#include <string_view>
#include <utility>

#include "Halvane/Terminals/TerminalIds.h"

namespace halvane::SessionListText {

namespace {

using namespace std::string_view_literals;

constexpr std::int64_t kMinute = 60;
constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 86400;

bool present(const std::optional<std::string>& text) {
    return text && !text->empty();
}

}  // namespace

QString subtitle(int pending, int working, int total) {
    if (pending == 0) {
        if (working > 0) {
            return QString::number(working) + QStringLiteral(" working");
        }
        return QString::number(total) +
               (total == 1 ? QStringLiteral(" session") : QStringLiteral(" sessions"));
    }
    if (working > 0) {
        return QString::number(pending) + QStringLiteral(" waiting · ") + QString::number(working) +
               QStringLiteral(" working");
    }
    return QString::number(pending) + QStringLiteral(" waiting for input");
}

QString timeAgo(Timestamp lastEvent, Timestamp now) {
    const std::int64_t seconds =
        std::chrono::duration_cast<std::chrono::seconds>(now - lastEvent).count();
    if (seconds < kMinute) {
        return QStringLiteral("now");
    }
    if (seconds < kHour) {
        return QString::number(seconds / kMinute) + QLatin1Char('m');
    }
    if (seconds >= kDay) {
        return QString::number(seconds / kDay) + QLatin1Char('d');
    }
    return QString::number(seconds / kHour) + QLatin1Char('h');
}

SessionUIStatus uiStatus(const Session& session) {
    switch (session.status.kind()) {
        case SessionStatus::Kind::waitingForUser:
            return SessionUIStatus::waiting;
        case SessionStatus::Kind::working:
            return SessionUIStatus::working;
        case SessionStatus::Kind::idle:
            break;
    }
    if (session.justFinishedAt) {
        return SessionUIStatus::done;
    }
    return session.awaitingPrompt ? SessionUIStatus::yourTurn : SessionUIStatus::idle;
}

QString projectName(const std::string& cwd) {
    std::string_view path(cwd);
    // "/src/app/" names the folder "app", as "/src/app" does.
    while (path.size() > 1 && path.back() == '/') {
        path.remove_suffix(1);
    }
    const auto slash = path.rfind('/');
    const std::string_view last = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (last.empty()) {
        return QString::fromStdString(cwd);
    }
    return QString::fromUtf8(last.data(), static_cast<qsizetype>(last.size()));
}

QString rowTitle(const Session& session) {
    const QString project = projectName(session.cwd);
    const std::size_t agents = session.runningAgents.size();
    if (agents == 0) {
        return project;
    }
    return project + QStringLiteral(" · ") + QString::number(agents) +
           (agents == 1 ? QStringLiteral(" agent") : QStringLiteral(" agents"));
}

std::optional<QString> activityPreview(const Session& session) {
    if (present(session.lastUserMessage)) {
        return QString::fromStdString(*session.lastUserMessage);
    }
    if (present(session.firstUserPrompt)) {
        return QString::fromStdString(*session.firstUserPrompt);
    }
    return std::nullopt;
}

std::optional<QString> terminalLabel(const std::optional<std::string>& terminalId) {
    if (!terminalId) {
        return std::nullopt;
    }
    const std::string_view name = terminalDisplayName(*terminalId);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

Icon terminalIcon(const std::optional<std::string>& terminalId) {
    if (!terminalId) {
        return Icon::dashedFrame;
    }
    return isEditor(*terminalId) ? Icon::code : Icon::terminal;
}

QString helpText(bool expanded, const QString& projectName, const std::optional<QString>& label) {
    const QString terminal = label.value_or(QStringLiteral("the terminal"));
    if (expanded) {
        return QStringLiteral("Click anywhere to open ") + projectName + QStringLiteral(" in ") +
               terminal;
    }
    return QStringLiteral("Click to expand · click again to open in ") + terminal;
}

}  // namespace halvane::SessionListText
