#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>

#include "Halvane/Sessions/TranscriptInfo.h"
#include "Halvane/Sessions/TranscriptParser.h"

namespace halvane {

// Reads transcripts so that the cost follows what changed. Claude Code only
// ever appends to a transcript, so for each file the cache keeps where the
// last complete line ended and the parser's state there; the next read parses
// only the lines appended since. Whenever the file may have been changed in
// any other way (it shrank, was replaced, changed without growing, or the
// bytes before that point differ) it is read again from the start. Every
// result equals a full read of the file as it stood.
class TranscriptCache final {
public:
    // How many bytes before the resume point must still match.
    static constexpr std::size_t fingerprintSize = 64;

    TranscriptCache();
    ~TranscriptCache();
    TranscriptCache(const TranscriptCache&) = delete;
    TranscriptCache& operator=(const TranscriptCache&) = delete;

    // The transcript at `path`. One that cannot be read reads as empty.
    TranscriptInfo read(const std::filesystem::path& path);

    // Forgets every transcript not read since the previous call.
    void evictUnread();

    std::size_t size() const { return m_entries.size(); }
    // Bytes taken from files so far, for tests and benchmarks.
    std::uint64_t bytesRead() const { return m_bytesRead; }

    // A transcript read from the start, remembering nothing.
    static TranscriptInfo parseTranscript(const std::filesystem::path& path);

private:
    struct Entry {
        dev_t device = 0;
        ino_t inode = 0;
        std::uint64_t size = 0;
        std::int64_t mtimeNanoseconds = 0;
        std::uint64_t consumed = 0;  // the first byte not yet parsed as a complete line
        std::string fingerprint;     // the bytes just before `consumed`
        TranscriptParser parser;     // the state at `consumed`
        TranscriptInfo result;
        bool readSinceEviction = true;
    };

    bool fingerprintMatches(int fd, const Entry& entry);
    // Parses from `entry.consumed` up to `end` (or the file's end, if sooner).
    bool readFrom(int fd, std::uint64_t end, Entry& entry);
    // Grows the buffer, keeping its first `used` bytes.
    void ensureCapacity(std::size_t capacity, std::size_t used);

    std::unordered_map<std::string, Entry> m_entries;
    std::uint64_t m_bytesRead = 0;
    // One read buffer for all files.
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity = 0;
};

}  // namespace halvane
