// What the running application costs while nothing happens, read from the
// kernel's account of its CPU time (/proc/<pid>/stat): with the machine as it
// is, with a thousand extra sleeping processes, and with eight live sessions
// whose transcripts grow once a second. One application serves every phase,
// so the phases differ only in what the machine holds.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
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

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

pid_t spawn(const std::vector<std::string>& argv, const fs::path& log,
            const fs::path& workingDirectory = {}) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
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
    return pid;
}

void stop(std::vector<pid_t>& children) {
    for (const pid_t pid : children) {
        ::kill(pid, SIGKILL);
    }
    for (const pid_t pid : children) {
        ::waitpid(pid, nullptr, 0);
    }
    children.clear();
}

// Processes that only sleep: each one is a /proc entry a sweep has to read.
std::vector<pid_t> sleepers(int count) {
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            for (;;) {
                ::pause();
            }
        }
        children.push_back(pid);
    }
    return children;
}

bool accepts(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    const bool connected =
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// User plus system time of the whole process, in seconds.
double cpuSeconds(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long long ticks = 0;
    // Fields 3 to 15 follow the name; utime and stime are 14 and 15.
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        if (number >= 14) {
            ticks += std::atoll(field.c_str());
        }
    }
    return static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
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
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

struct LiveSession {
    fs::path transcript;
    std::string cwd;
    std::string id;
};

std::string assistantLine(const LiveSession& session, int turn) {
    return R"({"type":"assistant","sessionId":")" + session.id + R"(","cwd":")" + session.cwd +
           R"(","message":{"role":"assistant","model":"claude-sonnet-4-5","stop_reason":"tool_use",)"
           R"("content":[{"type":"tool_use","id":"toolu_)" +
           std::to_string(turn) + R"(","name":"Bash","input":{"command":"make test"}}]}})" + "\n";
}

// Agents at work: a process named "claude" in each project's folder and a
// transcript whose turn is still open.
std::vector<LiveSession> liveSessions(const fs::path& home, const fs::path& scratch, int count,
                                      std::vector<pid_t>& agents) {
    const fs::path claude = scratch / "claude";
    fs::copy_file("/bin/sleep", claude, fs::copy_options::overwrite_existing);
    std::vector<LiveSession> sessions;
    for (int i = 0; i < count; ++i) {
        const fs::path project = home / "code" / ("project-" + std::to_string(i));
        fs::create_directories(project);
        std::string folder = project.string();
        std::replace(folder.begin(), folder.end(), '/', '-');
        LiveSession session{home / ".claude" / "projects" / folder, project.string(),
                            "idle-session-" + std::to_string(1000 + i)};
        fs::create_directories(session.transcript);
        session.transcript /= session.id + ".jsonl";
        std::ofstream(session.transcript)
            << R"({"type":"user","sessionId":")" << session.id << R"(","cwd":")" << session.cwd
            << R"(","message":{"role":"user","content":"Keep the tests green"}})"
            << "\n"
            << assistantLine(session, 0);
        agents.push_back(spawn({claude.string(), "100000"}, scratch / "agents.log", project));
        sessions.push_back(session);
    }
    return sessions;
}

// Percent of one core the app used over `seconds`; `tick` runs once a second.
template <typename Tick>
double measure(pid_t app, int seconds, Tick tick) {
    const double cpuBefore = cpuSeconds(app);
    const auto start = Clock::now();
    for (int second = 1; second <= seconds; ++second) {
        std::this_thread::sleep_until(start + std::chrono::seconds(second));
        tick(second);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    return 100.0 * (cpuSeconds(app) - cpuBefore) / wall;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: idle-bench <halvane> [seconds per phase] [extra processes]\n", stderr);
        return 2;
    }
    const std::string app = argv[1];
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 60;
    const int extra = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1000;
    constexpr int liveCount = 8;
    ::signal(SIGPIPE, SIG_IGN);

    char pattern[] = "/tmp/halvane-idle-bench.XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path scratch = pattern;
    const fs::path home = scratch / "home";
    fs::create_directories(home / ".config" / "halvane");
    // Onboarding done: the app runs as it does every day after the first.
    std::ofstream(home / ".config" / "halvane" / "halvane.conf")
        << "[General]\nonboarding.completed=true\n";
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
    ::unsetenv("CLAUDE_CONFIG_DIR");
    const std::string socket = (scratch / "halvane.sock").string();
    const fs::path log = scratch / "output.log";

    std::vector<pid_t> children{spawn({app, "--socket", socket}, log)};
    const pid_t appPid = children.front();
    const auto started = Clock::now();
    while (!accepts(socket) && Clock::now() - started < 30s) {
        std::this_thread::sleep_for(50ms);
    }
    if (!accepts(socket)) {
        std::fprintf(stderr, "idle-bench: %s did not start; see %s\n", app.c_str(), log.c_str());
        stop(children);
        return 1;
    }
    // Start-up work (first scan, first paint) settles first.
    std::this_thread::sleep_for(3s);
    const auto nothing = [](int) {};
    const int processesBefore = static_cast<int>(std::count_if(
        fs::directory_iterator("/proc"), fs::directory_iterator(),
        [](const fs::directory_entry& e) {
            return std::isdigit(static_cast<unsigned char>(e.path().filename().string()[0]));
        }));

    std::printf("app CPU time as a share of one core, %d s per phase (%d processes running)\n",
                seconds, processesBefore);
    std::fflush(stdout);
    const double idle = measure(appPid, seconds, nothing);
    std::printf("  idle:                               %6.3f %%\n", idle);
    std::fflush(stdout);

    // New processes are read a few times while they may still exec
    // something; what an idle desktop pays is the cost once they have settled.
    std::vector<pid_t> crowd = sleepers(extra);
    std::this_thread::sleep_for(15s);
    const double crowded = measure(appPid, seconds, nothing);
    std::printf(
        "  idle, %d more sleeping processes: %6.3f %%   ratio %.2f (target <= 1.50, "
        "and under 1 %%)\n",
        extra, crowded, idle > 0 ? crowded / idle : 0.0);
    std::fflush(stdout);
    stop(crowd);

    std::vector<pid_t> agents;
    std::vector<LiveSession> sessions = liveSessions(home, scratch, liveCount, agents);
    if (!waitForLine(log, "Scanner: discovered " + std::to_string(liveCount) + " sessions", 30s)) {
        std::fprintf(stderr, "idle-bench: the app did not find the %d sessions; see %s\n",
                     liveCount, log.c_str());
        stop(agents);
        stop(children);
        return 1;
    }
    std::this_thread::sleep_for(2s);
    const auto appendAll = [&sessions](int turn) {
        for (const LiveSession& session : sessions) {
            std::ofstream(session.transcript, std::ios::app) << assistantLine(session, turn);
        }
    };
    const double live = measure(appPid, seconds, appendAll);
    std::printf("  %d live sessions, appended 1/s:      %6.3f %%\n", liveCount, live);
    std::fflush(stdout);

    crowd = sleepers(extra);
    std::this_thread::sleep_for(15s);
    const double liveCrowded = measure(appPid, seconds, appendAll);
    std::printf("  the same, %d more processes:      %6.3f %%\n", extra, liveCrowded);

    stop(crowd);
    stop(agents);
    stop(children);
    fs::remove_all(scratch);
    return 0;
}
