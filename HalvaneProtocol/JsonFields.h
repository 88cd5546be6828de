#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace halvane::json_fields {

// Raised only inside a decode call and turned into a DecodeResult failure there.
class FieldError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses one top-level object; anything else is a FieldError.
nlohmann::json parseObject(std::string_view text);

std::string requireString(const nlohmann::json& object, const char* key);
double requireNumber(const nlohmann::json& object, const char* key);
std::optional<std::string> optionalString(const nlohmann::json& object, const char* key);
std::optional<bool> optionalBool(const nlohmann::json& object, const char* key);
std::optional<std::int32_t> optionalInt32(const nlohmann::json& object, const char* key);
std::optional<std::vector<std::string>> optionalStringList(const nlohmann::json& object,
                                                           const char* key);

// Compact, no raw line feed, and never throws on text that is not valid UTF-8.
std::string dumpCompact(const nlohmann::json& value);

}  // namespace halvane::json_fields
