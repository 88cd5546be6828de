#include <gtest/gtest.h>

#include <chrono>

#include "Halvane/Notch/SessionList/SessionListText.h"
#include "QtPrinters.h"

using namespace halvane;
using namespace std::chrono_literals;

namespace {

Session sessionWith(SessionStatus status) {
    Session session;
    session.id = "s1";
    session.cwd = "/home/ada/src/engine";
    session.status = std::move(status);
    return session;
}

PendingPrompt anyPrompt() {
    return PendingPrompt{QUuid::createUuid(), HookEvent{}, [](const HookDecision&) {}};
}

}  // namespace

TEST(SessionListSubtitle, CountsWorkWhenNobodyWaits) {
    EXPECT_EQ(SessionListText::subtitle(0, 2, 5), "2 working");
    EXPECT_EQ(SessionListText::subtitle(0, 1, 1), "1 working");
}

TEST(SessionListSubtitle, CountsSessionsWhenNothingHappens) {
    EXPECT_EQ(SessionListText::subtitle(0, 0, 1), "1 session");
    EXPECT_EQ(SessionListText::subtitle(0, 0, 3), "3 sessions");
    EXPECT_EQ(SessionListText::subtitle(0, 0, 0), "0 sessions");
}

TEST(SessionListSubtitle, PutsWaitingFirst) {
    EXPECT_EQ(SessionListText::subtitle(2, 1, 4), "2 waiting · 1 working");
    EXPECT_EQ(SessionListText::subtitle(1, 0, 3), "1 waiting for input");
}

TEST(SessionListTimeAgo, RoundsDownAtEachUnit) {
    const Timestamp now = Timestamp() + 1000000s;
    const auto ago = [now](std::chrono::milliseconds elapsed) {
        return SessionListText::timeAgo(now - elapsed, now).toStdString();
    };
    EXPECT_EQ(ago(0s), "now");
    EXPECT_EQ(ago(59s), "now");
    EXPECT_EQ(ago(59999ms), "now");
    EXPECT_EQ(ago(60s), "1m");
    EXPECT_EQ(ago(3599s), "59m");
    EXPECT_EQ(ago(3600s), "1h");
    EXPECT_EQ(ago(86399s), "23h");
    EXPECT_EQ(ago(86400s), "1d");
    EXPECT_EQ(ago(86400s * 9 + 5s), "9d");
    // A clock that went backwards shows the newest label, not a negative age.
    EXPECT_EQ(ago(-30s), "now");
}

TEST(SessionListState, WaitingOutranksWorkAndWorkOutranksAFreshFinish) {
    Session waiting = sessionWith(SessionStatus::waitingForUser(anyPrompt()));
    waiting.justFinishedAt = Timestamp();
    EXPECT_EQ(SessionListText::uiStatus(waiting), SessionUIStatus::waiting);

    Session working = sessionWith(SessionStatus::working());
    working.justFinishedAt = Timestamp();
    EXPECT_EQ(SessionListText::uiStatus(working), SessionUIStatus::working);

    Session finished = sessionWith(SessionStatus::idle());
    finished.justFinishedAt = Timestamp();
    EXPECT_EQ(SessionListText::uiStatus(finished), SessionUIStatus::done);

    EXPECT_EQ(SessionListText::uiStatus(sessionWith(SessionStatus::idle())), SessionUIStatus::idle);

    // Claude Code waiting for the next prompt shows, but a fresh finish first.
    finished.awaitingPrompt = true;
    EXPECT_EQ(SessionListText::uiStatus(finished), SessionUIStatus::done);
    finished.justFinishedAt.reset();
    EXPECT_EQ(SessionListText::uiStatus(finished), SessionUIStatus::yourTurn);
    working.awaitingPrompt = true;
    EXPECT_EQ(SessionListText::uiStatus(working), SessionUIStatus::working);

    // Subagents at work show on their session's row.
    working.cwd = "/src/billing-api";
    EXPECT_EQ(SessionListText::rowTitle(working), "billing-api");
    working.runningAgents = {"a1", "a2"};
    EXPECT_EQ(SessionListText::rowTitle(working), "billing-api · 2 agents");
}

TEST(SessionListProject, IsTheLastFolderOfTheWorkingDirectory) {
    EXPECT_EQ(SessionListText::projectName("/home/ada/src/engine"), "engine");
    EXPECT_EQ(SessionListText::projectName("/home/ada/src/engine/"), "engine");
    EXPECT_EQ(SessionListText::projectName("engine"), "engine");
    EXPECT_EQ(SessionListText::projectName("/"), "/");
    EXPECT_EQ(SessionListText::projectName(""), "");
}

TEST(SessionListPreview, PrefersTheLatestMessageOverTheFirstPrompt) {
    Session session = sessionWith(SessionStatus::idle());
    EXPECT_FALSE(SessionListText::activityPreview(session).has_value());
    session.firstUserPrompt = "set up the build";
    EXPECT_EQ(SessionListText::activityPreview(session), "set up the build");
    session.lastUserMessage = "";
    EXPECT_EQ(SessionListText::activityPreview(session), "set up the build");
    session.lastUserMessage = "now fix the tests";
    EXPECT_EQ(SessionListText::activityPreview(session), "now fix the tests");
    session.firstUserPrompt = "";
    session.lastUserMessage.reset();
    EXPECT_FALSE(SessionListText::activityPreview(session).has_value());
}

TEST(SessionListTerminal, NamesKnownTerminalsAndCallsTheRestTerminal) {
    using SessionListText::terminalLabel;
    EXPECT_FALSE(terminalLabel(std::nullopt).has_value());
    EXPECT_EQ(terminalLabel("org.gnome.Terminal"), "Terminal");
    EXPECT_EQ(terminalLabel("com.mitchellh.ghostty"), "Ghostty");
    EXPECT_EQ(terminalLabel("com.github.wez.wezterm"), "WezTerm");
    EXPECT_EQ(terminalLabel("io.alacritty"), "Alacritty");
    EXPECT_EQ(terminalLabel("net.kovidgoyal.kitty"), "Kitty");
    EXPECT_EQ(terminalLabel("dev.warp.Warp-Stable"), "Warp");
    EXPECT_EQ(terminalLabel("com.microsoft.VSCode"), "VSCode");
    EXPECT_EQ(terminalLabel("com.todesktop.230313mzl4w4u92"), "Cursor");
    EXPECT_EQ(terminalLabel("org.kde.konsole"), "Konsole");
    EXPECT_EQ(terminalLabel("org.gnome.Console"), "Console");
    EXPECT_EQ(terminalLabel("xterm"), "XTerm");
    EXPECT_EQ(terminalLabel("tmux"), "tmux");
    EXPECT_EQ(terminalLabel("org.example.unknown"), "Terminal");
    // Identifiers compare exactly.
    EXPECT_EQ(terminalLabel("org.kde.KONSOLE"), "Terminal");
}

TEST(SessionListTerminal, EditorsGetACodeIconAndUnknownHostsADashedFrame) {
    using SessionListText::terminalIcon;
    EXPECT_EQ(terminalIcon(std::nullopt), Icon::dashedFrame);
    EXPECT_EQ(terminalIcon("com.microsoft.VSCode"), Icon::code);
    EXPECT_EQ(terminalIcon("com.todesktop.230313mzl4w4u92"), Icon::code);
    EXPECT_EQ(terminalIcon("net.kovidgoyal.kitty"), Icon::terminal);
    EXPECT_EQ(terminalIcon("org.example.unknown"), Icon::terminal);
}

TEST(SessionListTooltip, SaysWhatTheNextClickDoes) {
    EXPECT_EQ(SessionListText::helpText(false, "engine", QStringLiteral("Kitty")),
              "Click to expand · click again to open in Kitty");
    EXPECT_EQ(SessionListText::helpText(true, "engine", QStringLiteral("Kitty")),
              "Click anywhere to open engine in Kitty");
    EXPECT_EQ(SessionListText::helpText(false, "engine", std::nullopt),
              "Click to expand · click again to open in the terminal");
    EXPECT_EQ(SessionListText::helpText(true, "engine", std::nullopt),
              "Click anywhere to open engine in the terminal");
}
