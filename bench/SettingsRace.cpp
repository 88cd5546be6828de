// Halvane's edits of Claude Code's settings file while another program
// rewrites it every millisecond, once in place (truncate and write) and once
// by renaming a finished copy over it: how many edits wiped the user's own
// settings, and how many of the other program's rewrites Halvane undid.
// Arguments: rounds per mode (default 900), writer period in µs (default 1000).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "Halvane/Sessions/HooksInstaller.h"
#include "SettingsWriter.h"

namespace {

namespace fs = std::filesystem;
using halvane::test::WriterCounts;
using halvane::test::WriterMode;

volatile sig_atomic_t stopWriter = 0;

void onTerm(int) {
    stopWriter = 1;
}

struct Round {
    long operations = 0;
    long failed = 0;
    WriterCounts writer;
};

Round race(const fs::path& folder, WriterMode mode, long rounds, std::chrono::microseconds period) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path file = folder / "settings.json";
    {
        const std::string bytes = halvane::test::userSettings(0).dump(2) + "\n";
        std::FILE* out = std::fopen(file.c_str(), "w");
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    int report[2];
    if (::pipe(report) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(report[0]);
        stopWriter = 0;
        ::signal(SIGTERM, onTerm);
        const WriterCounts counts =
            halvane::test::runSettingsWriter(file, mode, period, [] { return stopWriter != 0; });
        [[maybe_unused]] const ssize_t written = ::write(report[1], &counts, sizeof counts);
        ::_exit(0);
    }
    ::close(report[1]);
    ::setenv("CLAUDE_CONFIG_DIR", folder.c_str(), 1);

    Round round;
    for (long index = 0; index < rounds; ++index) {
        const std::string rule = "Bash(bench-" + std::to_string(index / 2 % 7) + ":*)";
        // Alternate so most operations really rewrite the file.
        const bool changed = index % 2 == 0 ? halvane::HooksInstaller::addAllowRule(rule)
                                            : halvane::HooksInstaller::removeAllowRule(rule);
        ++round.operations;
        round.failed += changed ? 0 : 1;
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    ::kill(child, SIGTERM);
    if (::read(report[0], &round.writer, sizeof round.writer) != sizeof round.writer) {
        std::fprintf(stderr, "no report from the writer\n");
    }
    ::close(report[0]);
    ::waitpid(child, nullptr, 0);
    return round;
}

}  // namespace

int main(int argc, char** argv) {
    const long rounds = argc > 1 ? std::atol(argv[1]) : 900;
    const std::chrono::microseconds period(argc > 2 ? std::atol(argv[2]) : 1000);
    const fs::path folder =
        fs::temp_directory_path() / ("settings-race-" + std::to_string(::getpid()));

    const Round inPlace = race(folder, WriterMode::inPlace, rounds, period);
    std::printf("in place : %ld edits (%ld not applied), writer %ld rewrites; wiped %ld times\n",
                inPlace.operations, inPlace.failed, inPlace.writer.updates, inPlace.writer.wipes);
    const Round byRename = race(folder, WriterMode::byRename, rounds, period);
    std::printf(
        "by rename: %ld edits (%ld not applied), writer %ld rewrites; lost %ld of them, "
        "wiped %ld times\n",
        byRename.operations, byRename.failed, byRename.writer.updates, byRename.writer.lost,
        byRename.writer.wipes);
    fs::remove_all(folder);
    return 0;
}
