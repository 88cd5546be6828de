// What reading transcripts costs: the first read of every transcript next to
// a plain read of the same bytes, and the read after one line was appended
// to each next to a full re-parse, all measured in the same run. Arguments:
// projects, megabytes per transcript, rounds.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Halvane/Sessions/TranscriptCache.h"
#include "Statistics.h"
#include "TranscriptGenerator.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class TemporaryFolder final {
public:
    TemporaryFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base && *base ? base : "/tmp") + "/halvane-scanner-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        m_path = pattern;
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

std::uint64_t plainRead(const fs::path& path, char* buffer, std::size_t size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    std::uint64_t total = 0;
    for (ssize_t got; (got = ::read(fd, buffer, size)) > 0;) {
        total += static_cast<std::uint64_t>(got) + static_cast<unsigned char>(buffer[0]);
    }
    ::close(fd);
    return total;
}

void append(const fs::path& path, const std::string& line) {
    std::ofstream(path, std::ios::binary | std::ios::app) << line;
}

}  // namespace

int main(int argc, char** argv) {
    const int projects = argc > 1 ? std::atoi(argv[1]) : 20;
    const int megabytes = argc > 2 ? std::atoi(argv[2]) : 50;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 7;
    if (projects < 1 || megabytes < 1 || rounds < 1) {
        std::fprintf(stderr, "usage: scanner-bench [projects] [MB per transcript] [rounds]\n");
        return 2;
    }

    const TemporaryFolder root;
    std::vector<fs::path> transcripts;
    std::vector<halvane::bench::TranscriptGenerator> generators;
    std::uint64_t totalBytes = 0;
    const auto generating = Clock::now();
    for (int project = 0; project < projects; ++project) {
        const std::string cwd = "/home/ada/src/project-" + std::to_string(project);
        const std::string sessionId =
            "5f0c2a9e-7b1d-4c3e-9a55-0d6e2b8f" + std::to_string(1000 + project);
        const fs::path folder = root.path() / ("-home-ada-src-project-" + std::to_string(project));
        fs::create_directories(folder);
        transcripts.push_back(folder / (sessionId + ".jsonl"));
        generators.emplace_back(static_cast<std::uint64_t>(project) + 1, sessionId, cwd);
        std::ofstream out(transcripts.back(), std::ios::binary);
        std::uint64_t size = 0;
        while (size < static_cast<std::uint64_t>(megabytes) << 20) {
            const std::string turn = generators.back().turn();
            out << turn;
            size += turn.size();
        }
        totalBytes += size;
    }
    // A generator that wrote broken lines would make every figure meaningless.
    const auto sample = halvane::TranscriptCache::parseTranscript(transcripts.front());
    if (!sample.lastUserPrompt || !sample.lastAssistant || !sample.turnComplete) {
        std::fprintf(stderr, "scanner: the generated transcripts do not read as expected\n");
        return 1;
    }
    const double megabytesTotal = static_cast<double>(totalBytes) / (1 << 20);
    std::printf("scanner: %d transcripts, %.1f MB in all (generated in %.1f s)\n", projects,
                megabytesTotal, millisecondsSince(generating) / 1000);

    // First reads, interleaved with plain reads so machine noise hits both alike.
    constexpr std::size_t readSize = 1 << 20;
    const auto buffer = std::make_unique<char[]>(readSize);
    std::vector<double> plain, first;
    std::uint64_t sink = 0;
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        for (const auto& path : transcripts) {
            sink += plainRead(path, buffer.get(), readSize);
        }
        plain.push_back(millisecondsSince(start));
        halvane::TranscriptCache cache;
        start = Clock::now();
        for (const auto& path : transcripts) {
            sink += cache.read(path).turnComplete;
        }
        first.push_back(millisecondsSince(start));
    }
    const double plainMs = halvane::bench::fastest(plain), firstMs = halvane::bench::fastest(first);
    std::printf("plain read           %9.1f ms  %7.0f MB/s\n", plainMs,
                megabytesTotal / plainMs * 1000);
    std::printf(
        "first read (parse)   %9.1f ms  %7.0f MB/s  = %.0f %% of the plain read (target >= 25 "
        "%%)\n",
        firstMs, megabytesTotal / firstMs * 1000, plainMs / firstMs * 100);

    // Steady state: one line appended to every transcript between reads.
    halvane::TranscriptCache cache;
    for (const auto& path : transcripts) {
        cache.read(path);
    }
    std::vector<double> steady, full, unchanged;
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < transcripts.size(); ++i) {
            append(transcripts[i], generators[i].answerLine());
        }
        auto start = Clock::now();
        std::vector<halvane::TranscriptInfo> incremental;
        for (const auto& path : transcripts) {
            incremental.push_back(cache.read(path));
        }
        steady.push_back(millisecondsSince(start));
        start = Clock::now();
        for (const auto& path : transcripts) {
            cache.read(path);
        }
        unchanged.push_back(millisecondsSince(start));
        start = Clock::now();
        for (std::size_t i = 0; i < transcripts.size(); ++i) {
            if (halvane::TranscriptCache::parseTranscript(transcripts[i]) != incremental[i]) {
                std::fprintf(stderr, "scanner: incremental and full read differ on %s\n",
                             transcripts[i].c_str());
                return 1;
            }
        }
        full.push_back(millisecondsSince(start));
    }
    const double steadyMs = halvane::bench::fastest(steady), fullMs = halvane::bench::fastest(full);
    std::printf("full re-parse        %9.1f ms\n", fullMs);
    std::printf(
        "one line appended    %9.3f ms  = %.0fx faster than a full re-parse (target >= 100x)\n",
        steadyMs, fullMs / steadyMs);
    std::printf("nothing changed      %9.3f ms\n", halvane::bench::fastest(unchanged));
    std::printf(
        "(fastest of %d rounds; medians: plain %.1f, first %.1f, full %.1f, appended %.3f ms)\n",
        rounds, halvane::bench::median(plain), halvane::bench::median(first),
        halvane::bench::median(full), halvane::bench::median(steady));
    return sink == 0 ? 1 : 0;
}
