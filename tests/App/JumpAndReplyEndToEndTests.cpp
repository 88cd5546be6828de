// Answering and jumping, end to end on a real X server with a window manager:
// an agent runs in a tmux pane shown by an xterm, its relay asks a question,
// the user clicks an answer on the card and it is typed into the pane; later
// a second click on the agent's row brings its pane and window to the front.
// The test finds the card's buttons and rows where a person would see them,
// through the accessibility bus the app publishes its widgets on.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QRect>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>

#include "AccessibilityBus.h"
#include "AppProcess.h"
#include "ChildProcess.h"
#include "EndToEnd.h"
#include "Files.h"
#include "Halvane/Platform/posix/RuntimeDirectory.h"
#include "HalvaneProtocol/Injection.h"
#include "MissingService.h"
#include "QtTestEnvironment.h"
#include "TempDir.h"
#include "XvfbSession.h"

namespace halvane::test {
namespace {

using namespace std::chrono_literals;

// The app and the relay of the shipped binaries meet in the user's own folder.
const std::string socketPath =
    runtime_directory::hookSocketIn(runtime_directory::locate(::getuid()));
namespace fs = std::filesystem;

// A tmux server of the test's own, on a socket in the test's folder.
class Tmux final {
public:
    Tmux(fs::path socket, Environment environment)
        : m_socket(std::move(socket)), m_environment(std::move(environment)) {}
    ~Tmux() { run({"kill-server"}); }
    Tmux(const Tmux&) = delete;
    Tmux& operator=(const Tmux&) = delete;

    ChildResult run(const std::vector<std::string>& arguments) const {
        std::vector<std::string> argv{"/usr/bin/tmux", "-S", m_socket.string(), "-f", "/dev/null"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        ChildOptions options;
        options.environment = m_environment;
        return runChild(argv, options);
    }
    std::string query(const std::string& target, const std::string& format) const {
        const std::string out = run({"display-message", "-p", "-t", target, format}).standardOutput;
        return out.substr(0, out.find('\n'));
    }
    const fs::path& socket() const { return m_socket; }

private:
    fs::path m_socket;
    Environment m_environment;
};

// Clicks the middle of the element, once the notch has stopped moving and
// takes clicks there.
void click(const QRect& rect) {
    ASSERT_TRUE(pollUntilSteady(notchInputRegion));
    ASSERT_TRUE(notchTakesClickAt(rect.center().x(), rect.center().y()));
    xdotool({"mousemove", "--sync", std::to_string(rect.center().x()),
             std::to_string(rect.center().y()), "click", "1"});
}

TEST(JumpAndReplyEndToEndTest, AnAnswerIsTypedIntoThePaneAndASecondRowClickJumpsToIt) {
    for (const char* tool :
         {"/usr/bin/xdotool", "/usr/bin/import", "/usr/bin/tmux", "/usr/bin/xterm"}) {
        if (::access(tool, X_OK) != 0) {
            HALVANE_SKIP_UNLESS_CI(std::string(tool) + " is not installed (scripts/install-deps)");
        }
    }
    XvfbSession display;
    if (!display.ready()) {
        HALVANE_SKIP_UNLESS_CI(display.why());
    }
    AccessibilityBus accessibility(display.display());
    if (!accessibility.ready()) {
        HALVANE_SKIP_UNLESS_CI(accessibility.why());
    }
    qtApplication();

    const TempDir home("jump-home");
    const fs::path alpha = home / "projects/alpha";
    const fs::path billing = home / "projects/billing-api";
    fs::create_directories(alpha);
    fs::create_directories(billing);
    // Onboarding done before, so no window of ours competes for the focus.
    // Answers are typed only when Halvane asks before every tool call: Claude
    // Code's own requests take them with the approval.
    writeFile(home / ".config/halvane/halvane.conf",
              "[General]\nonboarding.completed=true\naskBeforeEveryToolCall=true\n");

    const auto compositor = startCompositor(home, display);
    Environment environment = appEnvironment(home, display);
    // A screen with a notch: the list opens when the pointer rests on it.
    environment["HALVANE_NOTCH"] = "200x32";
    for (const auto& [name, value] : accessibility.environment()) {
        environment[name] = value;
    }
    // Our own tmux and xterms: nothing of a tmux the tests may run inside.
    environment["TMUX"] = std::nullopt;
    environment["TMUX_PANE"] = std::nullopt;
    AppProcess app({binaryDirectory() + "/halvane"}, environment, home.path());
    ASSERT_TRUE(pollUntil([&] { return accepts(socketPath) || !app.running(); }));
    ASSERT_TRUE(app.running()) << app.output();

    // The agent: a shell under Claude Code's process name, whose relay asks
    // the question and which then reads the answer from its terminal, as the
    // agent's own question prompt would.
    const fs::path agent = home / "bin/claude";
    fs::create_directories(agent.parent_path());
    fs::copy_file(fs::canonical("/bin/sh"), agent);
    const std::string sessionId = "jump-e2e-" + std::to_string(::getpid());
    writeFile(home / "event.json",
              R"({"hook_event_name":"PreToolUse","session_id":")" + sessionId + R"(","cwd":")" +
                  billing.string() +
                  R"(","tool_name":"AskUserQuestion","tool_input":{"questions":[)"
                  R"({"question":"Which database should the service use?","header":"Database",)"
                  R"("multiSelect":false,"options":[)"
                  R"({"label":"Postgres","description":"The one production runs"},)"
                  R"({"label":"SQLite","description":"A file next to the service"}]}]}})");
    // Its transcript, as Claude Code keeps it: the scanner lists sessions by
    // their transcripts and the running agents in the same folder.
    std::string projectFolder = billing.string();
    std::replace(projectFolder.begin(), projectFolder.end(), '/', '-');
    writeFile(home / ".claude/projects" / projectFolder / (sessionId + ".jsonl"),
              R"({"type":"user","cwd":")" + billing.string() +
                  R"(","message":{"role":"user","content":"Set up the database layer"}})"
                  "\n"
                  R"({"type":"assistant","cwd":")" +
                  billing.string() +
                  R"(","message":{"role":"assistant","model":"claude-opus-4-6",)"
                  R"("stop_reason":"tool_use","content":[{"type":"tool_use","id":"toolu_1",)"
                  R"("name":"AskUserQuestion","input":{}}]}})"
                  "\n");
    writeFile(home / "agent.sh",
              "\"$1\" < \"$2\" > \"$3/relay.out\" 2> \"$3/relay.err\"\n"
              "IFS= read -r answer\n"
              "printf '%s\\n' \"$answer\" > \"$3/answer.tmp\" && mv \"$3/answer.tmp\" "
              "\"$3/answer.txt\"\n"
              "sleep 600\n");

    Tmux tmux(home / "tmux.sock", environment);
    ASSERT_EQ(tmux.run({"new-session", "-d", "-s", "work", "-n", "alpha", "-c", alpha.string(),
                        "-x", "100", "-y", "30"})
                  .exitStatus,
              0);
    const std::string agentCommand = agent.string() + " " + (home / "agent.sh").string() + " " +
                                     binaryDirectory() + "/halvane-hook " +
                                     (home / "event.json").string() + " " + home.path().string();
    ASSERT_EQ(tmux.run({"new-window", "-d", "-t", "work", "-n", "billing", "-c", billing.string(),
                        agentCommand})
                  .exitStatus,
              0);
    const std::string agentPane = tmux.query("work:billing", "#{pane_id}");
    ASSERT_FALSE(agentPane.empty());

    // The terminal showing the tmux session, and another one beside it.
    fs::create_directories(home / "host");
    fs::create_directories(home / "other");
    AppProcess host({"/usr/bin/xterm", "-title", "host", "-e", "/usr/bin/tmux", "-S",
                     tmux.socket().string(), "attach", "-t", "work"},
                    environment, home / "host");
    AppProcess other({"/usr/bin/xterm", "-title", "other", "-e", "sleep", "600"}, environment,
                     home / "other");

    // The question opens the card by itself; its first answer is clicked.
    ASSERT_TRUE(pollUntil([] { return !visibleNotches().empty(); })) << app.output();
    std::optional<QRect> postgres;
    ASSERT_TRUE(pollUntil([&] {
        postgres = accessibility.extentsOf(app.pid(), "Postgres");
        return postgres.has_value();
    })) << app.output();
    ASSERT_TRUE(pollUntilSteady(notchInputRegion)) << "the card kept opening";
    screenshot(display, "e2e-question.png");
    ASSERT_NO_FATAL_FAILURE(click(*postgres));

    ASSERT_TRUE(pollUntil([&] { return fs::exists(home / "answer.txt"); }))
        << "pane: " << tmux.run({"capture-pane", "-p", "-t", agentPane}).standardOutput
        << "\nrelay: " << readFile(home / "relay.err") << app.output();
    EXPECT_EQ(readFile(home / "answer.txt"), "1\n");
    EXPECT_EQ(
        readFile(home / "relay.out"),
        R"({"hookSpecificOutput":{"hookEventName":"PreToolUse","permissionDecision":"allow"}})"
        "\n");
    // Typed by the session's injector daemon, not by the fallback.
    EXPECT_NE(readFile(daemonLogPath(runtime_directory::locate(::getuid())))
                  .find("inject sid=" + sessionId + " bytes=2\n"),
              std::string::npos);
    // The answer also brought its pane and terminal forward, beside the
    // typing rather than before it: wait for that before moving elsewhere.
    EXPECT_TRUE(pollUntil([&] {
        return tmux.query("work", "#{pane_id}") == agentPane && activeWindowPid() == host.pid();
    })) << "the answer did not bring its pane to the front";

    // Elsewhere now: the other tmux window and the other terminal in front.
    ASSERT_EQ(tmux.run({"select-window", "-t", "work:alpha"}).exitStatus, 0);
    ASSERT_TRUE(pollUntil([&] {
        xdotool({"search", "--name", "^other$", "windowactivate"});
        return activeWindowPid() == other.pid();
    })) << "the other terminal did not come to the front";
    ASSERT_NE(tmux.query("work", "#{pane_id}"), agentPane);

    // The list opens under the pointer of a person who moves it onto the
    // notch and keeps it there, moving a little. The first click on the
    // agent's row unfolds it, the second jumps.
    std::optional<QRect> row;
    int step = 0;
    ASSERT_TRUE(pollUntil([&] {
        xdotool({"mousemove", std::to_string(636 + step++ % 2 * 6), "12"});
        row = accessibility.extentsOf(app.pid(), "billing-api");
        return row.has_value();
    })) << app.output();
    ASSERT_NO_FATAL_FAILURE(click(*row));
    // Unfolded, the row offers to collapse again; then it stops growing.
    ASSERT_TRUE(pollUntil([&] {
        return accessibility.extentsOf(app.pid(), "Collapse").has_value();
    })) << app.output();
    ASSERT_TRUE(pollUntilSteady([&] { return accessibility.extentsOf(app.pid(), "billing-api"); }));
    row = accessibility.extentsOf(app.pid(), "billing-api");
    ASSERT_TRUE(row.has_value()) << "the row is still there, unfolded";
    screenshot(display, "e2e-row-unfolded.png");
    // The first click only unfolds the row (the panel takes the keyboard):
    // a jump it started would show within the time the answer's took above.
    EXPECT_FALSE(pollUntil(
        [&] {
            return tmux.query("work", "#{pane_id}") == agentPane || activeWindowPid() == host.pid();
        },
        2s))
        << "the first click jumped";
    ASSERT_NO_FATAL_FAILURE(click(*row));

    EXPECT_TRUE(pollUntil([&] { return tmux.query("work", "#{pane_id}") == agentPane; }, 10s))
        << "active pane " << tmux.query("work", "#{pane_id}") << ", agent's " << agentPane;
    EXPECT_TRUE(pollUntil([&] { return activeWindowPid() == host.pid(); }, 10s))
        << "active window's pid " << activeWindowPid() << ", host terminal " << host.pid();
    screenshot(display, "e2e-jumped.png");
}

}  // namespace
}  // namespace halvane::test
