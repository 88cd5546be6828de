#include "Injection.h"

#include <sys/un.h>

namespace halvane {

std::optional<std::string> injectionSocketPath(std::string_view directory,
                                               std::string_view sessionId) {
    if (directory.empty() || sessionId.empty() || sessionId == "." || sessionId == ".." ||
        sessionId.find('/') != std::string_view::npos ||
        sessionId.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    std::string path(directory);
    path += "/inject-";
    path += sessionId;
    path += ".sock";
    if (path.size() >= sizeof(sockaddr_un::sun_path)) {
        return std::nullopt;
    }
    return path;
}

std::string daemonLogPath(std::string_view directory) {
    return std::string(directory) + "/daemon.log";
}

std::string decodeEscapes(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            bytes.push_back(c);
            continue;
        }
        switch (text[i + 1]) {
            case '\\':
                bytes.push_back('\\');
                ++i;
                break;
            case 'e':
                bytes.push_back('\x1b');
                ++i;
                break;
            case 't':
                bytes.push_back('\t');
                ++i;
                break;
            case 'r':
                bytes.push_back('\r');
                ++i;
                break;
            case 'n':
                bytes.push_back('\n');
                ++i;
                break;
            default:
                bytes.push_back('\\');
                break;
        }
    }
    return bytes;
}

std::string encodeEscapes(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        switch (c) {
            case '\\':
                text += "\\\\";
                break;
            case '\x1b':
                text += "\\e";
                break;
            case '\t':
                text += "\\t";
                break;
            case '\r':
                text += "\\r";
                break;
            case '\n':
                text += "\\n";
                break;
            default:
                text.push_back(c);
        }
    }
    return text;
}

}  // namespace halvane
