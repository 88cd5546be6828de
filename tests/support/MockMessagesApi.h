#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace halvane::test {

// One answer of the model in the main conversation: plain text, or a call of
// a tool with its input.
struct AssistantTurn {
    std::string text;
    std::string toolName;
    nlohmann::json toolInput;

    static AssistantTurn say(std::string text) { return {std::move(text), {}, {}}; }
    static AssistantTurn useTool(std::string name, nlohmann::json input) {
        return {{}, std::move(name), std::move(input)};
    }
};

// A stand-in for the Anthropic Messages API on 127.0.0.1 (a free port), so a
// real Claude Code can run without the network: each request of the main
// conversation (one that offers tools) gets the next scripted turn, streamed
// when asked; side requests (titles, summaries, /compact's summary, which
// offers tools too) get a short text and leave the script alone. Every request is recorded for the
// test to read.
class MockMessagesApi final {
public:
    struct Request {
        std::string method;
        std::string target;   // path and query, as sent
        nlohmann::json body;  // null when the body was not JSON
    };

    explicit MockMessagesApi(std::vector<AssistantTurn> script = {});
    ~MockMessagesApi();
    MockMessagesApi(const MockMessagesApi&) = delete;
    MockMessagesApi& operator=(const MockMessagesApi&) = delete;

    bool listening() const { return m_port != 0; }
    // For ANTHROPIC_BASE_URL.
    std::string baseUrl() const;

    // Adds turns after the start, e.g. for the next prompt typed in the TUI.
    void append(AssistantTurn turn);
    std::size_t turnsServed() const;

    // The id of the tool call in the turnNumber-th scripted turn (from 1).
    static std::string toolUseId(std::size_t turnNumber);

    // Holds back the answers to conversations whose first user message
    // mentions text (a subagent's, say) until release(), so a test decides
    // what finishes first where Claude Code runs them side by side.
    void holdConversationsMentioning(std::string text);
    void release();

    std::vector<Request> requests() const;
    // The main conversation's requests (those that offer tools, less /compact's
    // summary requests), in order.
    std::vector<nlohmann::json> conversationRequests() const;
    // The tool_result blocks the model was sent for toolUseId, across all
    // requests (the last one carries the whole history).
    nlohmann::json toolResult(const std::string& toolUseId) const;

private:
    void serve();
    // Answers every complete request in buffer; false when the peer is gone.
    bool answerBuffered(int fd, std::string& buffer);
    bool isHeld(const Request& request) const;
    std::string respond(const Request& request);
    std::string messageFor(const AssistantTurn& turn, std::size_t turnNumber,
                           const std::string& model, bool stream);

    int m_fd = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::vector<AssistantTurn> m_script;
    std::size_t m_next = 0;
    std::size_t m_ids = 0;
    std::vector<Request> m_requests;
    std::string m_held;
    bool m_released = false;
    // Held requests by connection; only the serving thread touches these.
    std::vector<std::pair<int, Request>> m_waiting;
    std::thread m_thread;
};

}  // namespace halvane::test
