// The whole application next to the floor of any Qt desktop program (one
// frameless window): time from exec to the socket accepting connections,
// resident memory once started, and the app's memory with 50 sessions in its
// list. Runs the two interleaved so machine noise hits them alike, and prints
// medians and ratios against the floor.
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "HalvaneProtocol/Framing.h"
#include "HalvaneProtocol/HookEvent.h"
#include "Statistics.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

int connectTo(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

struct Child {
    pid_t pid = -1;

    void stop() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }
};

Child spawn(const std::vector<std::string>& argv, const fs::path& log,
            const fs::path& workingDirectory = {}) {
    Child child;
    child.pid = ::fork();
    if (child.pid == 0) {
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        ::dup2(out, 1);
        ::dup2(out, 2);
        if (!workingDirectory.empty() && ::chdir(workingDirectory.c_str()) != 0) {
            ::_exit(126);
        }
        std::vector<char*> arguments;
        for (const auto& argument : argv) {
            arguments.push_back(const_cast<char*>(argument.c_str()));
        }
        arguments.push_back(nullptr);
        ::execve(arguments[0], arguments.data(), environ);
        ::_exit(127);
    }
    return child;
}

// Milliseconds from exec to the first accepted connection; negative on failure.
double startAndWait(Child& child, const std::vector<std::string>& argv, const std::string& socket,
                    const fs::path& log, const fs::path& workingDirectory = {}) {
    ::unlink(socket.c_str());
    const auto start = Clock::now();
    child = spawn(argv, log, workingDirectory);
    while (Clock::now() - start < 30s) {
        if (const int fd = connectTo(socket); fd >= 0) {
            ::close(fd);
            return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        }
        std::this_thread::sleep_for(200us);
    }
    return -1;
}

double residentMiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
        }
    }
    return -1;
}

std::string contentsOf(const fs::path& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool waitForLine(const fs::path& log, const std::string& text, std::chrono::seconds limit) {
    const auto start = Clock::now();
    while (Clock::now() - start < limit) {
        if (contentsOf(log).find(text) != std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

// 50 projects, each with an agent at work: a process named "claude" in the
// project's folder and a transcript whose turn is still open.
std::vector<Child> fiftyAgents(const fs::path& home, const fs::path& scratch) {
    const fs::path claude = scratch / "claude";
    fs::copy_file("/bin/sleep", claude, fs::copy_options::overwrite_existing);
    std::vector<Child> agents;
    for (int i = 0; i < 50; ++i) {
        const fs::path project = home / "code" / ("project-" + std::to_string(i));
        fs::create_directories(project);
        const std::string id = "bench-session-" + std::to_string(1000 + i);
        const fs::path folder =
            home / ".claude" / "projects" / ("-code-project-" + std::to_string(i));
        fs::create_directories(folder);
        std::ofstream(folder / (id + ".jsonl"))
            << R"({"type":"user","sessionId":")" << id << R"(","cwd":")" << project.string()
            << R"(","message":{"role":"user","content":"Refactor the module and keep the tests green"}})"
            << "\n"
            << R"({"type":"assistant","sessionId":")" << id << R"(","cwd":")" << project.string()
            << R"(","message":{"role":"assistant","model":"claude-sonnet-4-5","stop_reason":"tool_use",)"
            << R"("content":[{"type":"tool_use","id":"toolu_)" << i
            << R"(","name":"Bash","input":{"command":"make test"}}]}})"
            << "\n";
        agents.push_back(spawn({claude.string(), "1000"}, scratch / "agents.log", project));
    }
    return agents;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: app-bench <halvane> <qt-floor> [runs]\n", stderr);
        return 2;
    }
    const std::string app = argv[1];
    const std::string floor = argv[2];
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;
    ::signal(SIGPIPE, SIG_IGN);

    char pattern[] = "/tmp/halvane-app-bench.XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path scratch = pattern;
    const fs::path home = scratch / "home";
    fs::create_directories(home / ".config");
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
    ::unsetenv("CLAUDE_CONFIG_DIR");
    const std::string socket = (scratch / "halvane.sock").string();
    const fs::path log = scratch / "output.log";

    std::vector<double> appStart, floorStart, appMemory, floorMemory;
    for (int run = 0; run < runs; ++run) {
        for (const bool isApp : {false, true}) {
            Child child;
            const double ms = isApp ? startAndWait(child, {app, "--socket", socket}, socket, log)
                                    : startAndWait(child, {floor, socket}, socket, log);
            if (ms < 0) {
                std::fprintf(stderr, "app-bench: %s did not start; see %s\n",
                             isApp ? app.c_str() : floor.c_str(), log.c_str());
                child.stop();
                return 1;
            }
            // Let lazy start-up work (first scan, first paint) settle.
            std::this_thread::sleep_for(1500ms);
            (isApp ? appStart : floorStart).push_back(ms);
            (isApp ? appMemory : floorMemory).push_back(residentMiB(child.pid));
            child.stop();
        }
    }

    // The app again, with 50 sessions found by its scanner and a permission
    // request from one of them, so the expanded list shows all 50.
    std::vector<Child> agents = fiftyAgents(home, scratch);
    fs::remove(log);
    Child child;
    if (startAndWait(child, {app, "--socket", socket}, socket, log) < 0 ||
        !waitForLine(log, "Scanner: discovered 50 sessions", 20s)) {
        std::fprintf(stderr, "app-bench: the app did not find the 50 sessions; see %s\n",
                     log.c_str());
        return 1;
    }
    halvane::HookEvent request;
    request.kind = halvane::HookEvent::Kind::permissionRequest;
    request.sessionId = "bench-session-1000";
    request.cwd = (home / "code" / "project-0").string();
    request.tool = "Bash";
    request.toolInput = R"({"command":"make test"})";
    const int held = connectTo(socket);
    halvane::writeMessage(held, request.encode());
    std::this_thread::sleep_for(2500ms);
    const double fiftyMemory = residentMiB(child.pid);
    ::close(held);
    child.stop();
    for (Child& agent : agents) {
        agent.stop();
    }
    fs::remove_all(scratch);

    const double floorMiB = halvane::bench::median(floorMemory);
    const double budget = 1.5 * floorMiB + 20;
    std::printf("start-up, exec to socket accepting (median of %d):\n", runs);
    std::printf("  qt floor (one frameless window): %8.1f ms\n",
                halvane::bench::median(floorStart));
    std::printf("  halvane:                         %8.1f ms   ratio %.2f (target <= 2.00)\n",
                halvane::bench::median(appStart),
                halvane::bench::median(appStart) / halvane::bench::median(floorStart));
    std::printf("resident memory after start-up:\n");
    std::printf("  qt floor:                        %8.1f MiB\n", floorMiB);
    std::printf(
        "  halvane:                         %8.1f MiB   (target <= 1.5 x floor + 20 = "
        "%.1f MiB)\n",
        halvane::bench::median(appMemory), budget);
    std::printf("  halvane, 50 sessions listed:     %8.1f MiB   (target <= %.1f MiB)\n",
                fiftyMemory, budget);
    return 0;
}
