#include "HalvaneWithClaude.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "ChildProcess.h"
#include "EndToEnd.h"
#include "Files.h"
#include "Halvane/Platform/posix/RuntimeDirectory.h"
#include "MissingService.h"
#include "Polling.h"
#include "QtTestEnvironment.h"

namespace halvane::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The app and the relay of the shipped binaries meet in the user's own folder.
const std::string socketPath =
    runtime_directory::hookSocketIn(runtime_directory::locate(::getuid()));

std::string readLink(const fs::path& link) {
    std::error_code error;
    return fs::read_symlink(link, error).string();
}

pid_t parentOf(pid_t pid) {
    // "pid (name) state ppid …": the name may hold spaces and parentheses.
    const std::string stat = readFile(fs::path("/proc") / std::to_string(pid) / "stat");
    const auto end = stat.rfind(')');
    if (end == std::string::npos) {
        return 0;
    }
    std::istringstream rest(stat.substr(end + 1));
    std::string state;
    pid_t parent = 0;
    rest >> state >> parent;
    return parent;
}

bool descendsFrom(pid_t pid, pid_t ancestor) {
    for (int depth = 0; pid > 1 && depth < 32; ++depth) {
        pid = parentOf(pid);
        if (pid == ancestor) {
            return true;
        }
    }
    return false;
}

}  // namespace

void HalvaneWithClaude::SetUp() {
    if (const std::string why = ClaudeCli::unavailableReason(); !why.empty()) {
        HALVANE_SKIP_UNLESS_CI(why);
    }
    for (const char* tool : {"/usr/bin/xdotool", "/usr/bin/tmux"}) {
        if (::access(tool, X_OK) != 0) {
            HALVANE_SKIP_UNLESS_CI(std::string(tool) + " is not installed (scripts/install-deps)");
        }
    }
    ASSERT_TRUE(m_api.listening());
    m_display = std::make_unique<XvfbSession>();
    if (!m_display->ready()) {
        HALVANE_SKIP_UNLESS_CI(m_display->why());
    }
    qtApplication();
    m_accessibility = std::make_unique<AccessibilityBus>(m_display->display());
    if (!m_accessibility->ready()) {
        HALVANE_SKIP_UNLESS_CI(m_accessibility->why());
    }

    // Onboarding done before: the app installs its hooks as it starts, into
    // the Claude Code folder the test's Claude Code uses.
    m_home = std::make_unique<TempDir>("claude-app-home");
    writeFile(*m_home / ".config/halvane/halvane.conf", "[General]\nonboarding.completed=true\n");
    Environment environment = appEnvironment(*m_home, *m_display);
    environment["CLAUDE_CONFIG_DIR"] = m_cli.configDirectory().string();
    for (const auto& [name, value] : m_accessibility->environment()) {
        environment[name] = value;
    }
    m_app = std::make_unique<AppProcess>(std::vector<std::string>{binaryDirectory() + "/halvane"},
                                         environment, m_home->path());
    // Its own server, not another Halvane's on the same fixed path.
    const std::string listening = "hook server listening on " + socketPath;
    ASSERT_TRUE(pollUntil([&] {
        return (appLog().find(listening) != std::string::npos && accepts(socketPath)) ||
               !m_app->running();
    })) << appLog();
    if (!m_app->running() && appLog().find("already running") != std::string::npos) {
        // A developer's own Halvane, say: the relay would talk to that one.
        HALVANE_SKIP_UNLESS_CI("another Halvane serves " + socketPath + ": " + appLog());
    }
    ASSERT_TRUE(m_app->running()) << appLog();
    struct stat served {};
    ASSERT_EQ(::stat(socketPath.c_str(), &served), 0);
    m_socketInode = served.st_ino;
    ASSERT_TRUE(pollUntil([&] {
        const nlohmann::json hooks = m_cli.userSettings().value("hooks", nlohmann::json());
        return hooks.contains("PermissionRequest") && hooks.contains("PostToolUse");
    })) << m_cli.userSettings().dump(2)
        << appLog();
}

void HalvaneWithClaude::TearDown() {
    if (m_app && HasFailure()) {
        screenshot(*m_display,
                   std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                       "-failed.png");
    }
}

std::future<ChildResult> HalvaneWithClaude::printInBackground(
    const std::string& prompt, const std::vector<std::string>& arguments) {
    return std::async(std::launch::async,
                      [this, prompt, arguments] { return m_cli.print(prompt, arguments, 60s); });
}

std::optional<QRect> HalvaneWithClaude::onScreen(const QString& name) {
    return m_accessibility->extentsOf(m_app->pid(), name);
}

bool HalvaneWithClaude::cardShown() {
    return onScreen(QStringLiteral("Deny")).has_value();
}

bool HalvaneWithClaude::waitForCard() {
    // The card slides in: it is ready once its button stays put.
    std::optional<QRect> last;
    return pollUntil(
        [&] {
            const auto now = onScreen(QStringLiteral("Deny"));
            const bool settled = now && last && *now == *last;
            last = now;
            return settled;
        },
        30s, 150ms);
}

bool HalvaneWithClaude::waitForNoCard(std::chrono::milliseconds limit) {
    return pollUntil([&] { return !cardShown(); }, limit, 100ms);
}

void HalvaneWithClaude::pressOnCard(const std::string& key) {
    const auto windows = visibleNotches();
    ASSERT_FALSE(windows.empty()) << "no panel on screen";
    const std::string panel = windows.front();
    const auto frame = geometryOf(panel);
    ASSERT_TRUE(frame.has_value());
    // The card's rim, clear of its buttons, once the card has come to rest.
    ASSERT_TRUE(pollUntilSteady(notchInputRegion));
    ASSERT_TRUE(clickOnNotchAt({frame->x + frame->width / 2, frame->y + 30}));
    ASSERT_TRUE(pollUntil([&] {
        return xdotool({"getwindowfocus"}).find(std::to_string(std::stoul(panel))) == 0;
    })) << "the panel did not take the keyboard";
    xdotool({"key", key});
}

bool HalvaneWithClaude::clickOnCard(const QString& name) {
    if (!pollUntil([&] { return onScreen(name).has_value(); }, 10s, 100ms) ||
        !pollUntilSteady(notchInputRegion)) {
        return false;
    }
    const auto where = onScreen(name);
    return where && clickOnNotchAt(where->center());
}

bool HalvaneWithClaude::clickOnNotchAt(QPoint point) {
    // The notch takes clicks only where its surface is drawn, which grows
    // with the card's animation; a click outside falls through to the desktop.
    if (!notchTakesClickAt(point.x(), point.y())) {
        ADD_FAILURE() << "the notch takes no click at " << point.x() << "," << point.y();
        return false;
    }
    // Not --sync: xdotool would wait 15 s for a pointer already there to move.
    xdotool({"mousemove", std::to_string(point.x()), std::to_string(point.y()), "click", "1"});
    return true;
}

int HalvaneWithClaude::eventsReceived(const std::string& kind) const {
    const std::string log = appLog();
    const std::string line = "event kind=" + kind + " ";
    int count = 0;
    for (auto at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) {
        ++count;
    }
    return count;
}

std::string HalvaneWithClaude::appLog() const {
    return m_app ? m_app->output() : std::string();
}

std::vector<pid_t> HalvaneWithClaude::relaysUnder(pid_t claude) {
    std::vector<pid_t> relays;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const pid_t pid = static_cast<pid_t>(std::atol(name.c_str()));
        if (fs::path(readLink(entry.path() / "exe")).filename() != "halvane-hook") {
            continue;
        }
        // The relay's injector daemon lives on its own.
        if (readFile(entry.path() / "cmdline").find("--inject-daemon") != std::string::npos) {
            continue;
        }
        if (descendsFrom(pid, claude)) {
            relays.push_back(pid);
        }
    }
    return relays;
}

pid_t HalvaneWithClaude::claudeOf(const ClaudeTui& tui) {
    ChildOptions options;
    const ChildResult pane = runChild(
        {"/usr/bin/tmux", "-S", tui.socket(), "display-message", "-p", "#{pane_pid}"}, options);
    return static_cast<pid_t>(std::atol(pane.standardOutput.c_str()));
}

std::string HalvaneWithClaude::resultText(std::size_t turnNumber) const {
    const nlohmann::json result = m_api.toolResult(MockMessagesApi::toolUseId(turnNumber));
    if (!result.is_object()) {
        return {};
    }
    const nlohmann::json content = result.value("content", nlohmann::json());
    if (content.is_string()) {
        return content.get<std::string>();
    }
    std::string text;
    for (const auto& block : content) {
        if (block.is_object() && block.value("type", "") == "text") {
            text += block.value("text", "");
        }
    }
    return text;
}

bool HalvaneWithClaude::resultIsError(std::size_t turnNumber) const {
    const nlohmann::json result = m_api.toolResult(MockMessagesApi::toolUseId(turnNumber));
    return result.is_object() && result.value("is_error", false);
}

std::string HalvaneWithClaude::context() const {
    std::string text = "\n--- app ---\n" + appLog();
    // Tests of other checkouts on this machine may start a Halvane of their
    // own, which takes the fixed path over.
    struct stat now {};
    if (::stat(socketPath.c_str(), &now) != 0 || now.st_ino != m_socketInode) {
        text += std::string("\n--- ") + socketPath + " is no longer this app's ---\n";
    }
    return text;
}

}  // namespace halvane::test
