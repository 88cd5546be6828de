#include "JsonFields.h"

#include <cmath>
#include <limits>
#include <string>

#include "JsonDepth.h"

namespace halvane::json_fields {

namespace {

std::string quoted(const char* key) {
    return std::string("\"") + key + "\"";
}

const nlohmann::json* present(const nlohmann::json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || it->is_null()) {
        return nullptr;
    }
    return &*it;
}

const nlohmann::json& required(const nlohmann::json& object, const char* key) {
    const nlohmann::json* value = present(object, key);
    if (value == nullptr) {
        throw FieldError("missing value for key " + quoted(key));
    }
    return *value;
}

std::int32_t toInt32(const nlohmann::json& value, const char* key) {
    constexpr auto lowest = std::numeric_limits<std::int32_t>::min();
    constexpr auto highest = std::numeric_limits<std::int32_t>::max();
    const std::string problem = quoted(key) + " is not a signed 32-bit integer";
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(highest)) {
            throw FieldError(problem);
        }
        return static_cast<std::int32_t>(number);
    }
    if (value.is_number_integer()) {
        const auto number = value.get<std::int64_t>();
        if (number < lowest || number > highest) {
            throw FieldError(problem);
        }
        return static_cast<std::int32_t>(number);
    }
    if (value.is_number_float()) {
        // 812.0 is still the integer 812; 812.5 is not.
        const double number = value.get<double>();
        if (!std::isfinite(number) || std::trunc(number) != number || number < lowest ||
            number > highest) {
            throw FieldError(problem);
        }
        return static_cast<std::int32_t>(number);
    }
    throw FieldError(problem);
}

}  // namespace

nlohmann::json parseObject(std::string_view text) {
    if (nestsDeeperThan(text)) {
        throw FieldError("nested deeper than " + std::to_string(jsonDepthLimit) + " levels");
    }
    nlohmann::json parsed;
    try {
        parsed = nlohmann::json::parse(text.begin(), text.end());
    } catch (const nlohmann::json::exception& error) {
        throw FieldError(std::string("not valid JSON: ") + error.what());
    }
    if (!parsed.is_object()) {
        throw FieldError("top level is not a JSON object");
    }
    return parsed;
}

std::string requireString(const nlohmann::json& object, const char* key) {
    const nlohmann::json& value = required(object, key);
    if (!value.is_string()) {
        throw FieldError(quoted(key) + " is not a string");
    }
    return value.get<std::string>();
}

double requireNumber(const nlohmann::json& object, const char* key) {
    const nlohmann::json& value = required(object, key);
    if (!value.is_number()) {
        throw FieldError(quoted(key) + " is not a number");
    }
    return value.get<double>();
}

std::optional<std::string> optionalString(const nlohmann::json& object, const char* key) {
    const nlohmann::json* value = present(object, key);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->is_string()) {
        throw FieldError(quoted(key) + " is not a string");
    }
    return value->get<std::string>();
}

std::optional<bool> optionalBool(const nlohmann::json& object, const char* key) {
    const nlohmann::json* value = present(object, key);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->is_boolean()) {
        throw FieldError(quoted(key) + " is not a Boolean");
    }
    return value->get<bool>();
}

std::optional<std::int32_t> optionalInt32(const nlohmann::json& object, const char* key) {
    const nlohmann::json* value = present(object, key);
    if (value == nullptr) {
        return std::nullopt;
    }
    return toInt32(*value, key);
}

std::optional<std::vector<std::string>> optionalStringList(const nlohmann::json& object,
                                                           const char* key) {
    const nlohmann::json* value = present(object, key);
    if (value == nullptr) {
        return std::nullopt;
    }
    if (!value->is_array()) {
        throw FieldError(quoted(key) + " is not a list of strings");
    }
    std::vector<std::string> items;
    items.reserve(value->size());
    for (const nlohmann::json& item : *value) {
        if (!item.is_string()) {
            throw FieldError(quoted(key) + " is not a list of strings");
        }
        items.push_back(item.get<std::string>());
    }
    return items;
}

std::string dumpCompact(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace halvane::json_fields
