#include "Halvane/Sessions/HooksInstaller.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <string_view>

#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Platform/posix/ProcfsProcessTable.h"
#include "Halvane/Sessions/ClaudePaths.h"
#include "Halvane/Sessions/ClaudeSettingsFile.h"

namespace halvane::HooksInstaller {

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// Every operation serves these events, in this order.
constexpr std::array<std::string_view, 11> hookEvents = {
    "PreToolUse",  "PermissionRequest", "PostToolUse", "PostToolUseFailure", "Notification",
    "Stop",        "SessionStart",      "SessionEnd",  "UserPromptSubmit",   "SubagentStart",
    "SubagentStop"};
// Claude Code stops a hook after 600 s unless told otherwise, but its own
// dialog waits for the user as long as it takes; the card should too.
constexpr std::string_view waitingEvent = "PermissionRequest";
constexpr int waitingEventTimeoutSeconds = 24 * 60 * 60;
constexpr std::string_view managedKey = "halvane-managed";
constexpr std::string_view relayName = "halvane-hook";
using Outcome = HooksResult::Outcome;

std::optional<fs::path>& executableOverride() {
    static std::optional<fs::path> path;
    return path;
}

std::string expandTilde(const std::string& argument) {
    if (argument == "~" || argument.rfind("~/", 0) == 0) {
        if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
            return home + argument.substr(1);
        }
    }
    return argument;
}

std::optional<fs::path> runningExecutable() {
    if (executableOverride()) {
        return executableOverride();
    }
    if (const auto path = ProcfsProcessTable().executablePath(::getpid())) {
        return fs::path(*path);
    }
    // Without procfs, argv[0] is all that says where we were started from.
    const char* argument = program_invocation_name;
    if (argument == nullptr || *argument == '\0') {
        return std::nullopt;
    }
    std::error_code error;
    const fs::path absolute = fs::absolute(expandTilde(argument), error);
    if (error) {
        return std::nullopt;
    }
    return absolute.lexically_normal();
}

// Where the relay must be, whether or not it is there.
std::optional<fs::path> expectedRelay() {
    const auto executable = runningExecutable();
    if (!executable) {
        return std::nullopt;
    }
    return executable->parent_path() / relayName;
}

bool isExecutableFile(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

bool hasMarker(const json& group) {
    if (!group.is_object()) {
        return false;
    }
    const auto marker = group.find(managedKey);
    return marker != group.end() && marker->is_boolean() && marker->get<bool>();
}

std::string commandFor(const std::string& relay);

// Ours by its marker, or, once a tool that drops unknown keys has rewritten
// the file, by being nothing but a call of our relay.
bool isManaged(const json& group, const std::optional<std::string>& relay) {
    if (hasMarker(group)) {
        return true;
    }
    if (!relay || !group.is_object() || group.contains("matcher")) {
        return false;
    }
    const auto hooks = group.find("hooks");
    if (hooks == group.end() || !hooks->is_array() || hooks->size() != 1 ||
        !hooks->front().is_object()) {
        return false;
    }
    const auto command = hooks->front().find("command");
    return command != hooks->front().end() && command->is_string() &&
           command->get<std::string>() == commandFor(*relay);
}

// Claude Code runs a hook's command through /bin/sh -c, so a relay in a
// folder whose name holds a space or a shell character must be quoted, or the
// hook would fail and every request would go ahead unseen. Ordinary paths stay
// bare.
std::string commandFor(const std::string& relay) {
    const bool plain = !relay.empty() && std::all_of(relay.begin(), relay.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               std::string_view("/._-+,:@%=").find(c) != std::string_view::npos;
    });
    if (plain) {
        return relay;
    }
    std::string quoted = "'";
    for (const char c : relay) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

json managedHook(const std::string& relay, std::string_view event) {
    json hook{{"type", "command"}, {"command", commandFor(relay)}};
    if (event == waitingEvent) {
        hook["timeout"] = waitingEventTimeoutSeconds;
    }
    return hook;
}

// Only the first hook of a group is examined: that is the one we write.
bool isCurrentGroup(const json& group, const std::string& relay, std::string_view event) {
    if (!hasMarker(group)) {
        return false;
    }
    const auto hooks = group.find("hooks");
    if (hooks == group.end() || !hooks->is_array() || hooks->empty()) {
        return false;
    }
    if (!std::all_of(hooks->begin(), hooks->end(),
                     [](const json& hook) { return hook.is_object(); })) {
        return false;
    }
    const json& first = hooks->front();
    const json expected = managedHook(relay, event);
    const auto items = expected.items();
    return std::all_of(items.begin(), items.end(), [&first](const auto& entry) {
        const auto found = first.find(entry.key());
        return found != first.end() && *found == entry.value();
    });
}

bool holdsCurrentGroup(const json& groups, const std::string& relay, std::string_view event) {
    return groups.is_array() && std::any_of(groups.begin(), groups.end(), [&](const json& group) {
               return isCurrentGroup(group, relay, event);
           });
}

json managedGroup(const std::string& relay, std::string_view event) {
    return json{{managedKey, true}, {"hooks", json::array({managedHook(relay, event)})}};
}

// The user's own entries of one event, in their order, without ours.
json withoutManaged(const json& groups, const std::optional<std::string>& relay) {
    json kept = json::array();
    for (const json& group : groups) {
        if (!isManaged(group, relay)) {
            kept.push_back(group);
        }
    }
    return kept;
}

bool isStringArray(const json& value) {
    return value.is_array() && std::all_of(value.begin(), value.end(),
                                           [](const json& entry) { return entry.is_string(); });
}

ClaudeSettingsFile settingsFile() {
    return ClaudeSettingsFile(ClaudePaths::settingsFile());
}

using Change = ClaudeSettingsFile::Change;

// The read-modify-write paths that answer only true or false still leave a
// trace of a failed write, which would otherwise vanish without a word.
bool edited(const ClaudeSettingsFile& file, std::string_view operation,
            const std::function<Change(ClaudeSettingsFile::Contents&)>& change) {
    if (const auto failure = file.edit(change)) {
        log::system("HooksInstaller." + std::string(operation) + " failed: " + *failure);
        return false;
    }
    return true;
}

}  // namespace

void setExecutablePathForTesting(std::optional<std::filesystem::path> path) {
    executableOverride() = std::move(path);
}

std::optional<std::string> hookBinaryPath() {
    const auto relay = expectedRelay();
    if (!relay || !isExecutableFile(*relay)) {
        return std::nullopt;
    }
    return relay->string();
}

std::filesystem::path backupPath() {
    fs::path backup = ClaudePaths::settingsFile();
    backup += ".halvane-backup";
    return backup;
}

bool isInstalled() {
    const auto relay = hookBinaryPath();
    if (!relay) {
        return false;
    }
    const auto contents = settingsFile().read();
    if (contents.state != ClaudeSettingsFile::State::object) {
        return false;
    }
    const auto hooks = contents.object.find("hooks");
    if (hooks == contents.object.end() || !hooks->is_object()) {
        return false;
    }
    return std::all_of(hookEvents.begin(), hookEvents.end(), [&](std::string_view event) {
        const auto groups = hooks->find(event);
        return groups != hooks->end() && holdsCurrentGroup(*groups, *relay, event);
    });
}

HooksResult installIfNeeded() {
    const auto relay = hookBinaryPath();
    if (!relay) {
        const auto expected = expectedRelay();
        return {Outcome::relayMissing, expected ? expected->string() : std::string()};
    }
    const ClaudeSettingsFile file = settingsFile();
    HooksResult result;
    const auto failure = file.edit([&](ClaudeSettingsFile::Contents& contents) {
        json& settings = contents.object;
        // Whatever we cannot read as hooks is the user's data too: refuse
        // rather than replace it.
        json hooks = json::object();
        if (const auto found = settings.find("hooks"); found != settings.end()) {
            if (!found->is_object()) {
                result = {Outcome::writeFailed,
                          "\"hooks\" in " + file.path().string() + " is not an object"};
                return Change::leave;
            }
            hooks = *found;
        }
        bool needsWrite = false;
        for (const std::string_view event : hookEvents) {
            json groups = json::array();
            if (const auto found = hooks.find(event); found != hooks.end()) {
                if (!found->is_array()) {
                    result = {Outcome::writeFailed, "\"hooks\" → \"" + std::string(event) +
                                                        "\" in " + file.path().string() +
                                                        " is not a list"};
                    return Change::leave;
                }
                groups = *found;
            }
            if (!holdsCurrentGroup(groups, *relay, event)) {
                needsWrite = true;
            }
            json updated = withoutManaged(groups, relay);
            updated.push_back(managedGroup(*relay, event));
            hooks[event] = std::move(updated);
        }
        if (!needsWrite) {
            result = {Outcome::alreadyInstalled, *relay};
            return Change::leave;
        }
        // The backup keeps the file as it was before our first edit, so it
        // is made once and never replaced; a file the write will refuse is
        // no edit yet.
        if (contents.state == ClaudeSettingsFile::State::object && contents.unkeepable.empty()) {
            const fs::path backup = backupPath();
            struct stat present {};
            if (::lstat(backup.c_str(), &present) != 0 && errno == ENOENT) {
                if (const auto failure = file.copyTo(backup)) {
                    log::system("HooksInstaller.installIfNeeded made no backup: " + *failure);
                }
            }
        }
        settings["hooks"] = std::move(hooks);
        result = {Outcome::installed, *relay};
        return Change::write;
    });
    if (failure) {
        return {Outcome::writeFailed, *failure};
    }
    return result;
}

HooksResult uninstall() {
    const ClaudeSettingsFile file = settingsFile();
    const auto relay = hookBinaryPath();
    bool changed = false;
    const auto failure = file.edit([&](ClaudeSettingsFile::Contents& contents) {
        changed = false;
        json& settings = contents.object;
        const auto found = settings.find("hooks");
        if (found == settings.end() || !found->is_object()) {
            return Change::leave;
        }
        json& hooks = *found;
        for (const std::string_view event : hookEvents) {
            const auto groups = hooks.find(event);
            if (groups == hooks.end() || !groups->is_array()) {
                continue;
            }
            json kept = withoutManaged(*groups, relay);
            if (kept.size() == groups->size()) {
                continue;
            }
            changed = true;
            if (kept.empty()) {
                hooks.erase(groups);
            } else {
                *groups = std::move(kept);
            }
        }
        if (!changed) {
            return Change::leave;
        }
        if (hooks.empty()) {
            settings.erase(found);
        }
        return Change::write;
    });
    if (failure) {
        log::system("HooksInstaller.uninstall failed: " + *failure);
        return {Outcome::writeFailed, *failure};
    }
    return {changed ? Outcome::removed : Outcome::nothingToRemove, {}};
}

HooksResult restoreBackup() {
    const fs::path backup = backupPath();
    struct stat present {};
    if (::lstat(backup.c_str(), &present) != 0) {
        return {Outcome::noBackup, backup.string()};
    }
    // One rename replaces the settings: at every moment one of the two files
    // exists. A symbolic link keeps pointing where it did; its target is what
    // gets restored.
    if (const auto failure = settingsFile().replaceWith(backup)) {
        log::system("HooksInstaller.restoreBackup failed: " + *failure);
        return {Outcome::writeFailed, *failure};
    }
    return {Outcome::restored, {}};
}

bool addAllowRule(const std::string& pattern) {
    bool added = false;
    const bool wrote =
        edited(settingsFile(), "addAllowRule", [&](ClaudeSettingsFile::Contents& contents) {
            added = false;
            json& settings = contents.object;
            json permissions = json::object();
            if (const auto found = settings.find("permissions"); found != settings.end()) {
                if (!found->is_object()) {
                    return Change::leave;
                }
                permissions = *found;
            }
            // Entries we do not understand stay where they are; only a list we
            // could not append to without dropping them is refused.
            json allow = json::array();
            if (const auto found = permissions.find("allow"); found != permissions.end()) {
                if (!found->is_array()) {
                    return Change::leave;
                }
                allow = *found;
            }
            if (std::find(allow.begin(), allow.end(), json(pattern)) != allow.end()) {
                return Change::leave;
            }
            allow.push_back(pattern);
            permissions["allow"] = std::move(allow);
            settings["permissions"] = std::move(permissions);
            added = true;
            return Change::write;
        });
    return wrote && added;
}

std::vector<std::string> currentAllowPatterns() {
    const auto contents = settingsFile().read();
    if (contents.state != ClaudeSettingsFile::State::object) {
        return {};
    }
    const auto permissions = contents.object.find("permissions");
    if (permissions == contents.object.end() || !permissions->is_object()) {
        return {};
    }
    const auto allow = permissions->find("allow");
    if (allow == permissions->end() || !isStringArray(*allow)) {
        return {};
    }
    return allow->get<std::vector<std::string>>();
}

bool removeAllowRule(const std::string& pattern) {
    bool removed = false;
    const bool wrote =
        edited(settingsFile(), "removeAllowRule", [&](ClaudeSettingsFile::Contents& contents) {
            removed = false;
            const auto permissions = contents.object.find("permissions");
            if (permissions == contents.object.end() || !permissions->is_object()) {
                return Change::leave;
            }
            const auto allow = permissions->find("allow");
            if (allow == permissions->end() || !isStringArray(*allow)) {
                return Change::leave;
            }
            json kept = json::array();
            for (const json& entry : *allow) {
                if (entry.get_ref<const std::string&>() != pattern) {
                    kept.push_back(entry);
                }
            }
            if (kept.size() == allow->size()) {
                return Change::leave;
            }
            *allow = std::move(kept);
            removed = true;
            return Change::write;
        });
    return wrote && removed;
}

}  // namespace halvane::HooksInstaller
