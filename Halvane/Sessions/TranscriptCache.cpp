#include "Halvane/Sessions/TranscriptCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace halvane {

namespace {

// Small enough that a chunk stays in the processor's cache while it is
// checked and parsed.
constexpr std::size_t chunkSize = 256 * 1024;
// A buffer grown past this for one huge line is not kept for the next read.
constexpr std::size_t keptCapacity = 4 * 1024 * 1024;

class FileDescriptor final {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Reads up to `size` bytes at `offset`; fewer only at the end of the file.
// -1 on a read error.
ssize_t readAt(int fd, char* into, std::size_t size, std::uint64_t offset) {
    for (;;) {
        const ssize_t got = ::pread(fd, into, size, static_cast<off_t>(offset));
        if (got >= 0 || errno != EINTR) {
            return got;
        }
    }
}

}  // namespace

TranscriptCache::TranscriptCache() = default;
TranscriptCache::~TranscriptCache() = default;

TranscriptInfo TranscriptCache::read(const std::filesystem::path& path) {
    const std::string key = path.string();
    // Non-blocking, so a named pipe in the projects folder cannot stall the caller.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        m_entries.erase(key);
        return TranscriptInfo{};
    }
    const auto size = static_cast<std::uint64_t>(status.st_size);
    const std::int64_t mtime =
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;

    auto [slot, added] = m_entries.try_emplace(key);
    Entry& entry = slot->second;
    entry.readSinceEviction = true;
    const bool sameFile = !added && entry.device == status.st_dev && entry.inode == status.st_ino;
    if (sameFile && size == entry.size && mtime == entry.mtimeNanoseconds) {
        return entry.result;
    }
    if (!sameFile || size <= entry.size || !fingerprintMatches(file.get(), entry)) {
        entry.consumed = 0;
        entry.fingerprint.clear();
        entry.parser = TranscriptParser{};
    }
    entry.device = status.st_dev;
    entry.inode = status.st_ino;
    entry.mtimeNanoseconds = mtime;
    if (!readFrom(file.get(), size, entry)) {
        m_entries.erase(slot);
        return TranscriptInfo{};
    }
    return entry.result;
}

void TranscriptCache::evictUnread() {
    std::erase_if(m_entries, [](const auto& item) { return !item.second.readSinceEviction; });
    for (auto& [path, entry] : m_entries) {
        entry.readSinceEviction = false;
    }
}

TranscriptInfo TranscriptCache::parseTranscript(const std::filesystem::path& path) {
    TranscriptCache cache;
    return cache.read(path);
}

bool TranscriptCache::fingerprintMatches(int fd, const Entry& entry) {
    const std::size_t length = entry.fingerprint.size();
    char bytes[fingerprintSize];
    const ssize_t got = readAt(fd, bytes, length, entry.consumed - length);
    m_bytesRead += got > 0 ? static_cast<std::uint64_t>(got) : 0;
    return got == static_cast<ssize_t>(length) &&
           std::memcmp(bytes, entry.fingerprint.data(), length) == 0;
}

bool TranscriptCache::readFrom(int fd, std::uint64_t end, Entry& entry) {
    // The buffer holds the file's bytes from `start` on: the fingerprint, then
    // whatever is read. Bytes before `lineStart` are parsed; from `searched`
    // on no line feed has been looked for yet.
    std::size_t used = entry.fingerprint.size();
    std::uint64_t start = entry.consumed - used;
    std::size_t lineStart = used;
    std::size_t searched = used;
    ensureCapacity(used + chunkSize, 0);
    std::memcpy(m_buffer.get(), entry.fingerprint.data(), used);

    for (std::uint64_t position = entry.consumed; position < end;) {
        const auto wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(chunkSize, end - position));
        ensureCapacity(used + wanted, used);
        const ssize_t got = readAt(fd, m_buffer.get() + used, wanted, position);
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            break;  // it shrank meanwhile; the next read sees that and starts over
        }
        m_bytesRead += static_cast<std::uint64_t>(got);
        used += static_cast<std::size_t>(got);
        position += static_cast<std::uint64_t>(got);

        char* data = m_buffer.get();
        while (const void* feed = std::memchr(data + searched, '\n', used - searched)) {
            const auto at = static_cast<std::size_t>(static_cast<const char*>(feed) - data);
            entry.parser.consume(std::string_view(data + lineStart, at - lineStart));
            lineStart = at + 1;
            searched = lineStart;
        }
        searched = used;
        // Keep the unfinished line and the fingerprint bytes before it.
        if (lineStart > fingerprintSize) {
            const std::size_t drop = lineStart - fingerprintSize;
            std::memmove(data, data + drop, used - drop);
            used -= drop;
            lineStart -= drop;
            searched -= drop;
            start += drop;
        }
    }

    const char* data = m_buffer.get();
    const std::size_t fingerprintStart =
        lineStart > fingerprintSize ? lineStart - fingerprintSize : 0;
    entry.fingerprint.assign(data + fingerprintStart, lineStart - fingerprintStart);
    entry.consumed = start + lineStart;
    entry.size = start + used;
    // A last line still being written counts as it stands, on a copy of the
    // state: it is parsed for good once its line feed arrives.
    const std::string_view unfinished(data + lineStart, used - lineStart);
    if (unfinished.empty()) {
        entry.result = entry.parser.result();
    } else {
        TranscriptParser finished = entry.parser;
        finished.consume(unfinished);
        entry.result = finished.result();
    }
    if (m_capacity > keptCapacity) {
        m_buffer.reset();
        m_capacity = 0;
    }
    return true;
}

void TranscriptCache::ensureCapacity(std::size_t capacity, std::size_t used) {
    if (capacity <= m_capacity) {
        return;
    }
    const std::size_t grown = std::max(capacity, m_capacity * 2);
    auto buffer = std::make_unique_for_overwrite<char[]>(grown);
    if (used > 0) {
        std::memcpy(buffer.get(), m_buffer.get(), used);
    }
    m_buffer = std::move(buffer);
    m_capacity = grown;
}

}  // namespace halvane
