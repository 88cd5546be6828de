#include "TranscriptGenerator.h"

#include <array>
#include <cstdio>

namespace halvane::bench {

namespace {

constexpr std::array words = {
    "the",    "scheduler", "test",    "fails",   "because",  "worker",  "thread", "reads",
    "state",  "without",   "waiting", "for",     "timer",    "—",       "queue",  "ring",
    "buffer", "lock",      "config",  "déjà",    "vu",       "→",       "build",  "ninja",
    "cmake",  "JSON",      "parser",  "returns", "optional", "session", "notch",  "socket",
};

constexpr std::array codeLines = {
    "#include <algorithm>",
    "namespace engine {",
    "    if (queue.empty()) {",
    "        return std::nullopt;",
    "    }",
    "    const auto& job = m_jobs.front();\t// \"oldest\" first",
    "    log::error(\"Scheduler: queue full, dropping \" + job.name);",
    "    for (std::size_t i = 0; i < count; ++i) {",
    "        total += weights[i] * values[i];",
    "    std::string path = \"C:\\\\Users\\\\ada\\\\build\";",
    "}  // namespace engine",
    "// Wait for the timer thread — it owns the condition variable.",
};

}  // namespace

TranscriptGenerator::TranscriptGenerator(std::uint64_t seed, std::string sessionId, std::string cwd)
    : m_random(seed), m_sessionId(std::move(sessionId)), m_cwd(std::move(cwd)) {}

std::string TranscriptGenerator::escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string TranscriptGenerator::id(std::string_view prefix) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(m_random()));
    return std::string(prefix) + digits;
}

std::string TranscriptGenerator::header(std::string_view type, bool withCwd) {
    ++m_lines;
    std::string line = R"({"parentUuid":")" + id("7f3a9c1e-") + R"(","isSidechain":false,)";
    line += R"("userType":"external",)";
    if (withCwd) {
        line += R"("cwd":")" + escaped(m_cwd) + R"(",)";
    }
    line += R"("sessionId":")" + m_sessionId + R"(","version":"2.1.42","gitBranch":"main",)";
    line += R"("type":")" + std::string(type) + R"(",)";
    return line;
}

std::string TranscriptGenerator::footer() {
    char stamp[160];
    std::snprintf(stamp, sizeof stamp,
                  R"("uuid":"%s","timestamp":"2026-03-02T10:%02llu:%02llu.%03lluZ"})",
                  id("0b5c3b8e-").c_str(), static_cast<unsigned long long>(m_lines / 60 % 60),
                  static_cast<unsigned long long>(m_lines % 60),
                  static_cast<unsigned long long>(m_lines % 1000));
    return std::string(stamp) + "\n";
}

std::string TranscriptGenerator::sentence(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += words[m_random() % words.size()];
    }
    return text + ".";
}

std::string TranscriptGenerator::code(int lines) {
    std::string text;
    for (int i = 1; i <= lines; ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%6d\t", i);
        text += number;
        text += codeLines[m_random() % codeLines.size()];
        text += '\n';
    }
    return text;
}

std::string TranscriptGenerator::prompt() {
    return header("user") + R"("message":{"role":"user","content":")" +
           escaped(sentence(8 + static_cast<int>(m_random() % 40))) + R"("},)" + footer();
}

std::string TranscriptGenerator::assistant(std::string_view messageId, std::string_view blocks,
                                           std::string_view stopReason) {
    return header("assistant") + R"("message":{"model":"claude-opus-4-6","id":")" +
           std::string(messageId) + R"(","type":"message","role":"assistant","content":[)" +
           std::string(blocks) + R"(],"stop_reason":)" + std::string(stopReason) +
           R"(,"stop_sequence":null,"usage":{"input_tokens":4,"cache_creation_input_tokens":2013,)" +
           R"("cache_read_input_tokens":48211,"output_tokens":311,"service_tier":"standard"}},)" +
           R"("requestId":")" + id("req_011C") + R"(",)" + footer();
}

std::string TranscriptGenerator::toolRound() {
    const std::string message = id("msg_01");
    const std::string tool = id("toolu_01");
    const std::string path = m_cwd + "/src/module_" + std::to_string(m_random() % 100) + ".cpp";
    std::string lines;
    if (m_random() % 2 == 0) {
        lines += assistant(message, R"({"type":"text","text":")" + escaped(sentence(20)) + R"("})",
                           "null");
    }
    lines += assistant(message,
                       R"({"type":"tool_use","id":")" + tool +
                           R"(","name":"Read","input":{"file_path":")" + escaped(path) + R"("}})",
                       R"("tool_use")");
    lines += header("progress") + R"("data":{"type":"hook_progress","hookEvent":"PostToolUse"},)" +
             R"("toolUseID":")" + tool + R"(",)" + footer();
    // Read results of up to a few hundred lines, as the tool returns them.
    const std::string contents = escaped(code(40 + static_cast<int>(m_random() % 400)));
    lines += header("user") + R"("message":{"role":"user","content":[{"tool_use_id":")" + tool +
             R"(","type":"tool_result","content":")" + contents + R"("}]},)" +
             R"("toolUseResult":{"type":"text","file":{"filePath":")" + escaped(path) +
             R"(","content":")" + contents +
             R"(","numLines":120,"startLine":1,"totalLines":120}},)" + footer();
    return lines;
}

std::string TranscriptGenerator::answerLine() {
    return assistant(id("msg_01"), R"({"type":"text","text":")" + escaped(sentence(30)) + R"("})",
                     "null");
}

std::string TranscriptGenerator::turn() {
    std::string lines = header("file-history-snapshot", false) + R"("messageId":")" + id("msg_01") +
                        R"(","snapshot":{"trackedFileBackups":{}},)" + footer();
    lines += prompt();
    const std::string thinking = id("msg_01");
    lines += assistant(thinking, R"({"type":"text","text":"\n\n"})", "null");
    lines += assistant(thinking,
                       R"({"type":"thinking","thinking":")" + escaped(sentence(60)) +
                           R"(","signature":"EqQBCkYIBxgCKkDx)" + id("") + R"("})",
                       "null");
    for (int rounds = 1 + static_cast<int>(m_random() % 6); rounds > 0; --rounds) {
        lines += toolRound();
    }
    const std::string final = id("msg_01");
    lines += assistant(final, R"({"type":"text","text":"\n\n"})", "null");
    lines +=
        assistant(final, R"({"type":"text","text":")" + escaped(sentence(80)) + R"("})", "null");
    lines += header("system") + R"("subtype":"stop_hook_summary","hookCount":1,"hookErrors":[],)" +
             R"("preventedContinuation":false,"level":"suggestion",)" + footer();
    lines += header("system") + R"("subtype":"turn_duration","durationMs":48211,)" + footer();
    return lines;
}

}  // namespace halvane::bench
