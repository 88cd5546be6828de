// What one prune sweep of the process table costs with about a thousand
// processes present, next to merely listing /proc and to reading every
// process's stat file, all measured in the same run. Arguments: processes
// present, rounds.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Halvane/Platform/SoundPlayer.h"
#include "Halvane/Platform/posix/ProcfsProcessTable.h"
#include "Halvane/Sessions/Preferences.h"
#include "Halvane/Sessions/SessionStore.h"
#include "Statistics.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int agentCount = 4;

double microsecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

class SilentSpeaker final : public halvane::SoundPlayer {
public:
    void play(Sound) override {}
};

// Sleeping children that die with the benchmark, however it ends.
class Children final {
public:
    Children() = default;
    ~Children() {
        for (const pid_t pid : m_pids) {
            ::kill(pid, SIGKILL);
        }
        for (const pid_t pid : m_pids) {
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
    }
    Children(const Children&) = delete;
    Children& operator=(const Children&) = delete;

    bool start(const fs::path& executable, const fs::path& cwd) {
        const pid_t parent = ::getpid();
        const pid_t pid = ::fork();
        if (pid < 0) {
            return false;
        }
        if (pid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent || ::chdir(cwd.c_str()) != 0) {
                ::_exit(1);
            }
            const std::string name = executable.filename().string();
            ::execl(executable.c_str(), name.c_str(), "600", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        m_pids.push_back(pid);
        return true;
    }
    std::size_t size() const { return m_pids.size(); }

private:
    std::vector<pid_t> m_pids;
};

class TemporaryFolder final {
public:
    TemporaryFolder() {
        std::string pattern = (fs::temp_directory_path() / "halvane-proc-sweep-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        m_path = fs::canonical(pattern);
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

}  // namespace

int main(int argc, char** argv) {
    const int target = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 200;
    if (target < 1 || rounds < 1) {
        std::fprintf(stderr, "usage: proc-sweep-bench [processes] [rounds]\n");
        return 2;
    }

    const TemporaryFolder root;
    const fs::path claude = root.path() / "bin" / "claude";
    fs::create_directories(claude.parent_path());
    fs::copy_file("/bin/sleep", claude);
    const halvane::ProcfsProcessTable table;

    // A few agents with a session each, so the sweep keeps every session and
    // walks every agent's parents, as it does on a working machine.
    Children children;
    std::vector<halvane::DiscoveredSession> sessions;
    for (int i = 0; i < agentCount; ++i) {
        const fs::path cwd = root.path() / ("project-" + std::to_string(i));
        fs::create_directories(cwd);
        if (!children.start(claude, cwd)) {
            std::perror("fork");
            return 1;
        }
        halvane::DiscoveredSession session;
        session.sessionId = "5f0c2a9e-7b1d-4c3e-9a55-0d6e2b8f000" + std::to_string(i);
        session.cwd = cwd.string();
        session.mtime = std::chrono::system_clock::now();
        sessions.push_back(session);
    }
    const std::size_t present = table.allPids().size();
    for (std::size_t i = present; i < static_cast<std::size_t>(target); ++i) {
        if (!children.start("/bin/sleep", root.path())) {
            std::perror("fork");
            return 1;
        }
    }

    SilentSpeaker speaker;
    halvane::Preferences preferences(
        QString::fromStdString((root.path() / "halvane.conf").string()));
    halvane::SessionStore store(speaker, preferences);
    store.setProcessTable(table);
    // Every agent must have exec'd before the figures mean anything.
    for (int attempt = 0; halvane::SessionStore::runningClaudes(table).size() < agentCount;
         ++attempt) {
        if (attempt == 1000) {
            std::fprintf(stderr, "proc-sweep: the agents did not start\n");
            return 1;
        }
        ::usleep(1000);
    }
    store.reconcileDiscovered(sessions);
    store.pruneDeadProcesses();
    if (store.sessions().size() != agentCount) {
        std::fprintf(stderr, "proc-sweep: the sweep dropped live sessions\n");
        return 1;
    }
    const std::size_t processes = table.allPids().size();
    std::printf("proc-sweep: %zu processes (%zu started here), %d agents, %zu sessions\n",
                processes, children.size(), agentCount, store.sessions().size());

    // Interleaved, so machine noise hits all three alike.
    std::vector<double> listing, stats, sweeps;
    std::size_t sink = 0;
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        const std::vector<std::int32_t> pids = table.allPids();
        listing.push_back(microsecondsSince(start));
        sink += pids.size();

        start = Clock::now();
        for (const std::int32_t pid : table.allPids()) {
            sink += table.info(pid).has_value();
        }
        stats.push_back(microsecondsSince(start));

        start = Clock::now();
        store.pruneDeadProcesses();
        sweeps.push_back(microsecondsSince(start));
    }
    if (store.sessions().size() != agentCount) {
        std::fprintf(stderr, "proc-sweep: the sweep dropped live sessions\n");
        return 1;
    }

    const double list = halvane::bench::median(listing), stat = halvane::bench::median(stats),
                 sweep = halvane::bench::median(sweeps);
    std::printf("list /proc (baseline)     %9.1f us\n", list);
    std::printf("list + read every stat    %9.1f us  = %5.1fx the listing\n", stat, stat / list);
    std::printf("pruneDeadProcesses sweep  %9.1f us  = %5.1fx the listing, %.2fx list+stat\n",
                sweep, sweep / list, sweep / stat);
    std::printf("(median of %d rounds; fastest: list %.1f, list+stat %.1f, sweep %.1f us)\n",
                rounds, halvane::bench::fastest(listing), halvane::bench::fastest(stats),
                halvane::bench::fastest(sweeps));
    std::printf("at one sweep per 0.5 s: %.2f %% of one core\n", sweep / 5000.0);
    return sink == 0 ? 1 : 0;
}
