#include "HookDecision.h"

#include "JsonFields.h"

namespace halvane {

using namespace json_fields;

std::string_view wireName(HookDecision::Decision decision) {
    switch (decision) {
        case HookDecision::Decision::approve:
            return "approve";
        case HookDecision::Decision::deny:
            return "deny";
        case HookDecision::Decision::passthrough:
            return "passthrough";
    }
    return "passthrough";
}

std::optional<HookDecision::Decision> hookDecisionFromWire(std::string_view raw) {
    for (auto decision : {HookDecision::Decision::approve, HookDecision::Decision::deny,
                          HookDecision::Decision::passthrough}) {
        if (wireName(decision) == raw) {
            return decision;
        }
    }
    return std::nullopt;
}

std::string HookDecision::encode() const {
    nlohmann::json object = nlohmann::json::object();
    object["decision"] = wireName(decision);
    if (reason) {
        object["reason"] = *reason;
    }
    if (picked) {
        object["picked"] = *picked;
    }
    if (updatedInput) {
        object["updatedInput"] = *updatedInput;
    }
    if (updatedPermissions) {
        object["updatedPermissions"] = *updatedPermissions;
    }
    return dumpCompact(object);
}

DecodeResult<HookDecision> HookDecision::decode(std::string_view json) {
    try {
        const nlohmann::json object = parseObject(json);
        HookDecision result;
        const std::string raw = requireString(object, "decision");
        const auto decoded = hookDecisionFromWire(raw);
        if (!decoded) {
            throw FieldError("\"decision\" has no case named \"" + raw + "\"");
        }
        result.decision = *decoded;
        result.reason = optionalString(object, "reason");
        result.picked = optionalString(object, "picked");
        result.updatedInput = optionalString(object, "updatedInput");
        result.updatedPermissions = optionalString(object, "updatedPermissions");
        return result;
    } catch (const FieldError& error) {
        return DecodeResult<HookDecision>::failure(error.what());
    }
}

}  // namespace halvane
