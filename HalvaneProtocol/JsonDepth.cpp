#include "HalvaneProtocol/JsonDepth.h"

namespace halvane {

bool nestsDeeperThan(std::string_view text, std::size_t limit) {
    std::size_t depth = 0;
    bool inString = false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (inString) {
            if (c == '\\') {
                ++at;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        switch (c) {
            case '"':
                inString = true;
                break;
            case '[':
            case '{':
                if (++depth > limit) {
                    return true;
                }
                break;
            case ']':
            case '}':
                // Unbalanced closers make the text invalid; the parser says so.
                depth = depth > 0 ? depth - 1 : 0;
                break;
            default:
                break;
        }
    }
    return false;
}

nlohmann::json parseBounded(std::string_view text) {
    if (nestsDeeperThan(text)) {
        return nlohmann::json(nlohmann::json::value_t::discarded);
    }
    return nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
}

}  // namespace halvane
