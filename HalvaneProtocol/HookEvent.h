#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DecodeResult.h"

namespace halvane {

// One hook event as the relay sends it to the application.
struct HookEvent {
    enum class Kind { permissionRequest, notification, stop };

    Kind kind = Kind::notification;
    std::string sessionId;
    std::string cwd;
    std::optional<std::string> tool = std::nullopt;
    std::optional<std::string> toolInput = std::nullopt;
    std::optional<std::string> message = std::nullopt;
    // Seconds since 2001-01-01 00:00:00 UTC, the wire's epoch.
    double timestamp = 0;
    std::optional<std::string> terminalBundleId = std::nullopt;
    std::optional<std::int32_t> terminalPid = std::nullopt;
    std::optional<std::vector<std::string>> suggestions = std::nullopt;
    std::optional<std::int32_t> claudePid = std::nullopt;
    std::optional<std::string> iTermSessionId = std::nullopt;

    bool operator==(const HookEvent&) const = default;

    // Compact JSON without a raw line feed; absent optionals are omitted.
    std::string encode() const;
    static DecodeResult<HookEvent> decode(std::string_view json);
};

std::string_view rawValue(HookEvent::Kind kind);
std::optional<HookEvent::Kind> hookEventKindFromRaw(std::string_view raw);

}  // namespace halvane
