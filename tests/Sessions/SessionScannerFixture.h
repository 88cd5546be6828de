#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "FakeFileWatcher.h"
#include "FakeProcessExitHandles.h"
#include "FakeProcessTable.h"
#include "Halvane/Sessions/SessionScanner.h"
#include "SessionStoreFixture.h"
#include "TranscriptWriter.h"

namespace halvane::test {

// A store and a scanner sharing a hand-set clock that starts at the real
// time (transcripts are real files), a hand-written process table and a
// watcher the test fires itself. Nothing runs until the test scans or starts.
class SessionScannerTest : public SessionStoreTest {
protected:
    using Seconds = std::chrono::seconds;

    SessionScannerTest() {
        now = std::chrono::system_clock::now();
        store.setProcessTable(processes);
        processes.add(shellPid, 1, "bash");
    }

    std::filesystem::path projects() const { return claudeFolder / "projects"; }

    // A transcript in a project folder, last written `age` ago.
    std::filesystem::path transcript(const std::string& folder, const std::string& sessionId,
                                     const std::vector<std::string>& lines,
                                     Seconds age = Seconds(5)) {
        return TranscriptWriter::write(projects() / folder / (sessionId + ".jsonl"), lines,
                                       now - age);
    }

    // A claude process working in cwd, started from a shell.
    FakeProcessTable::Entry& agent(std::int32_t pid, const std::string& cwd) {
        FakeProcessTable::Entry& entry = processes.add(pid, shellPid, "claude");
        entry.cwd = cwd;
        return entry;
    }

    bool has(const std::string& id) const { return store.sessions().contains(id); }

    static constexpr std::int32_t shellPid = 900;
    FakeProcessTable processes;
    std::shared_ptr<FakeFileWatcher::Record> watched = std::make_shared<FakeFileWatcher::Record>();
    // The hand-written processes have no exits to watch: the scanner sweeps.
    SessionScanner scanner{store, ScannerTimings(), std::make_unique<FakeFileWatcher>(watched),
                           Clock([this] { return now; }),
                           std::make_unique<FakeProcessExitHandles>()};
};

}  // namespace halvane::test
