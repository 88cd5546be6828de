#include "HookRecorder.h"

#include <algorithm>
#include <fstream>

#include "Files.h"

namespace halvane::test {

namespace {

// Writes the payload under a name that sorts by start time; a .partial file
// is never read, so a reader sees whole payloads only. A delayed answer waits
// in a child, so that SIGTERM from Claude Code is noticed at once and noted.
constexpr const char* script = R"sh(#!/bin/sh
dir=$(dirname "$0")
event=$1
id=$(date +%s%N)-$$
cat > "$dir/calls/$id.$event.partial"
mv "$dir/calls/$id.$event.partial" "$dir/calls/$id.$event.json"
if [ -f "$dir/answers/$event.delay" ]; then
    sleep "$(cat "$dir/answers/$event.delay")" >/dev/null 2>&1 &
    sleeper=$!
    trap 'kill $sleeper 2>/dev/null; touch "$dir/calls/$id.$event.terminated"; exit 143' TERM
    wait $sleeper
fi
if [ -f "$dir/answers/$event.json" ]; then
    cat "$dir/answers/$event.json"
else
    echo '{}'
fi
touch "$dir/calls/$id.$event.finished"
)sh";

// Readers never see half a file.
void writeAtomically(const std::filesystem::path& path, const std::string& text) {
    const auto partial = path.string() + ".partial";
    std::ofstream(partial) << text;
    std::filesystem::rename(partial, path);
}

}  // namespace

const std::vector<std::string>& HookRecorder::allEvents() {
    static const std::vector<std::string> events = {
        "PreToolUse",         "PermissionRequest", "PostToolUse",
        "PostToolUseFailure", "Notification",      "Stop",
        "SubagentStart",      "SubagentStop",      "SessionStart",
        "SessionEnd",         "UserPromptSubmit"};
    return events;
}

HookRecorder::HookRecorder(std::filesystem::path folder) : m_folder(std::move(folder)) {
    std::filesystem::create_directories(m_folder / "calls");
    std::filesystem::create_directories(m_folder / "answers");
    writeAtomically(m_folder / "record-hook", script);
    std::filesystem::permissions(m_folder / "record-hook", std::filesystem::perms::owner_all);
}

std::string HookRecorder::command(const std::string& event) const {
    return "'" + (m_folder / "record-hook").string() + "' " + event;
}

nlohmann::json HookRecorder::hooksSettings() const {
    nlohmann::json hooks = nlohmann::json::object();
    for (const std::string& event : allEvents()) {
        nlohmann::json entry = {
            {"hooks", nlohmann::json::array({{{"type", "command"}, {"command", command(event)}}})}};
        if (event.find("ToolUse") != std::string::npos || event == "PermissionRequest") {
            entry["matcher"] = "*";
        }
        hooks[event] = nlohmann::json::array({entry});
    }
    return hooks;
}

void HookRecorder::answer(const std::string& event, const nlohmann::json& answer) {
    writeAtomically(m_folder / "answers" / (event + ".json"), answer.dump());
}

void HookRecorder::delay(const std::string& event, std::chrono::milliseconds delay) {
    writeAtomically(m_folder / "answers" / (event + ".delay"),
                    std::to_string(static_cast<double>(delay.count()) / 1000.0));
}

std::vector<HookRecorder::Call> HookRecorder::calls() const {
    std::vector<std::filesystem::path> payloads;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder / "calls")) {
        if (entry.path().extension() == ".json") {
            payloads.push_back(entry.path());
        }
    }
    // Names start with the start time in nanoseconds, all of the same width.
    std::sort(payloads.begin(), payloads.end());
    std::vector<Call> calls;
    for (const auto& path : payloads) {
        const std::string stem = path.stem().string();  // <ns>-<pid>.<event>
        Call call;
        call.payload = nlohmann::json::parse(readFile(path), nullptr, false);
        call.event = stem.substr(stem.find('.') + 1);
        call.started = std::chrono::nanoseconds(std::stoll(stem.substr(0, stem.find('-'))));
        auto marker = path;
        call.finished = std::filesystem::exists(marker.replace_extension(".finished"));
        call.terminated = std::filesystem::exists(marker.replace_extension(".terminated"));
        calls.push_back(std::move(call));
    }
    return calls;
}

std::vector<HookRecorder::Call> HookRecorder::calls(const std::string& event) const {
    auto all = calls();
    std::erase_if(all, [&](const Call& call) { return call.event != event; });
    return all;
}

std::vector<std::string> HookRecorder::events() const {
    std::vector<std::string> names;
    for (const Call& call : calls()) {
        names.push_back(call.event);
    }
    return names;
}

}  // namespace halvane::test
