#include "MockMessagesApi.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

namespace halvane::test {

namespace {

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string httpResponse(const std::string& contentType, const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: " + contentType +
           "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: keep-alive\r\n\r\n" + body;
}

std::string event(const std::string& name, const nlohmann::json& data) {
    return "event: " + name + "\ndata: " + data.dump() + "\n\n";
}

// The main conversation offers tools; side requests (titles, summaries,
// warm-ups) send none or an empty list.
bool offersTools(const nlohmann::json& body) {
    return body.is_object() && body.contains("tools") && body["tools"].is_array() &&
           !body["tools"].empty();
}

// The text blocks of message, or its text.
std::string textOf(const nlohmann::json& message) {
    const nlohmann::json content =
        message.is_object() ? message.value("content", nlohmann::json()) : nlohmann::json();
    if (content.is_string()) {
        return content.get<std::string>();
    }
    std::string text;
    if (content.is_array()) {
        for (const auto& block : content) {
            if (block.is_object() && block.value("type", "") == "text") {
                text += block.value("text", "");
            }
        }
    }
    return text;
}

// /compact sends the whole conversation with its tools (for the prompt
// cache) and asks, in a last user message, for a summary in plain text.
bool asksForSummary(const nlohmann::json& body) {
    if (!body.is_object() || !body.contains("messages") || !body["messages"].is_array() ||
        body["messages"].empty()) {
        return false;
    }
    const nlohmann::json& last = body["messages"].back();
    if (!last.is_object() || last.value("role", "") != "user") {
        return false;
    }
    return textOf(last).find("create a detailed summary of the conversation") != std::string::npos;
}

bool isConversation(const nlohmann::json& body) {
    return offersTools(body) && !asksForSummary(body);
}

bool sendAll(int fd, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t count = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (count <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(count);
    }
    return true;
}

}  // namespace

MockMessagesApi::MockMessagesApi(std::vector<AssistantTurn> script) : m_script(std::move(script)) {
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;  // the system picks a free one
    socklen_t length = sizeof address;
    if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_fd, 16) != 0 ||
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

MockMessagesApi::~MockMessagesApi() {
    m_stopping = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

std::string MockMessagesApi::baseUrl() const {
    return "http://127.0.0.1:" + std::to_string(m_port);
}

void MockMessagesApi::append(AssistantTurn turn) {
    std::lock_guard lock(m_mutex);
    m_script.push_back(std::move(turn));
}

std::size_t MockMessagesApi::turnsServed() const {
    std::lock_guard lock(m_mutex);
    return m_next;
}

void MockMessagesApi::holdConversationsMentioning(std::string text) {
    std::lock_guard lock(m_mutex);
    m_held = std::move(text);
    m_released = false;
}

void MockMessagesApi::release() {
    std::lock_guard lock(m_mutex);
    m_released = true;
}

bool MockMessagesApi::isHeld(const Request& request) const {
    std::lock_guard lock(m_mutex);
    if (m_released || m_held.empty() || !isConversation(request.body)) {
        return false;
    }
    const nlohmann::json messages = request.body.value("messages", nlohmann::json());
    return messages.is_array() && !messages.empty() &&
           textOf(messages.front()).find(m_held) != std::string::npos;
}

std::vector<MockMessagesApi::Request> MockMessagesApi::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::vector<nlohmann::json> MockMessagesApi::conversationRequests() const {
    std::vector<nlohmann::json> bodies;
    for (const Request& request : requests()) {
        if (isConversation(request.body)) {
            bodies.push_back(request.body);
        }
    }
    return bodies;
}

nlohmann::json MockMessagesApi::toolResult(const std::string& toolUseId) const {
    const auto bodies = conversationRequests();
    for (auto body = bodies.rbegin(); body != bodies.rend(); ++body) {
        for (const auto& message : body->value("messages", nlohmann::json::array())) {
            const auto& content = message.value("content", nlohmann::json());
            if (!content.is_array()) {
                continue;
            }
            for (const auto& block : content) {
                if (block.value("type", "") == "tool_result" &&
                    block.value("tool_use_id", "") == toolUseId) {
                    return block;
                }
            }
        }
    }
    return nullptr;
}

void MockMessagesApi::serve() {
    struct Connection {
        int fd;
        std::string buffer;
    };
    std::vector<Connection> connections;
    while (!m_stopping) {
        std::vector<pollfd> fds{{m_fd, POLLIN, 0}};
        for (const Connection& connection : connections) {
            fds.push_back({connection.fd, POLLIN, 0});
        }
        // Held answers go out once released, each taking its turn then.
        std::erase_if(m_waiting, [this](const std::pair<int, Request>& waiting) {
            if (isHeld(waiting.second)) {
                return false;
            }
            sendAll(waiting.first, respond(waiting.second));
            return true;
        });
        if (::poll(fds.data(), fds.size(), 20) <= 0) {
            continue;
        }
        if (fds[0].revents & POLLIN) {
            const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                connections.push_back({fd, {}});
            }
        }
        for (std::size_t i = 1; i < fds.size(); ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            Connection& connection = connections[i - 1];
            char chunk[65536];
            const ssize_t count = ::recv(connection.fd, chunk, sizeof chunk, 0);
            if (count > 0) {
                connection.buffer.append(chunk, static_cast<std::size_t>(count));
            }
            if (count <= 0 || !answerBuffered(connection.fd, connection.buffer)) {
                std::erase_if(m_waiting,
                              [&](const auto& waiting) { return waiting.first == connection.fd; });
                ::close(connection.fd);
                connection.fd = -1;
            }
        }
        std::erase_if(connections, [](const Connection& c) { return c.fd < 0; });
    }
    for (const Connection& connection : connections) {
        ::close(connection.fd);
    }
}

bool MockMessagesApi::answerBuffered(int fd, std::string& buffer) {
    // Claude Code keeps connections alive, so one buffer may hold several
    // requests, or part of one.
    for (;;) {
        const auto headerEnd = buffer.find("\r\n\r\n");
        if (headerEnd == std::string::npos) {
            return true;
        }
        const std::string head = buffer.substr(0, headerEnd);
        std::size_t bodyLength = 0;
        const std::string lowered = lowercase(head);
        if (auto at = lowered.find("\r\ncontent-length:"); at != std::string::npos) {
            at = lowered.find_first_not_of(' ', at + std::strlen("\r\ncontent-length:"));
            if (at == std::string::npos ||
                std::from_chars(head.data() + at, head.data() + head.size(), bodyLength).ec !=
                    std::errc()) {
                return false;
            }
        }
        if (buffer.size() < headerEnd + 4 + bodyLength) {
            return true;
        }
        Request request;
        const auto firstSpace = head.find(' ');
        request.method = head.substr(0, firstSpace);
        request.target =
            head.substr(firstSpace + 1, head.find(' ', firstSpace + 1) - firstSpace - 1);
        request.body =
            nlohmann::json::parse(buffer.substr(headerEnd + 4, bodyLength), nullptr, false);
        if (request.body.is_discarded()) {
            request.body = nullptr;
        }
        buffer.erase(0, headerEnd + 4 + bodyLength);
        if (isHeld(request)) {
            m_waiting.emplace_back(fd, std::move(request));
            continue;
        }
        if (!sendAll(fd, respond(request))) {
            return false;
        }
    }
}

std::string MockMessagesApi::respond(const Request& request) {
    const std::string path = request.target.substr(0, request.target.find('?'));
    const nlohmann::json& body = request.body;
    AssistantTurn turn = AssistantTurn::say("Done.");
    std::size_t turnNumber = 0;
    bool isMessage = false;
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
        if (request.method == "POST" && path == "/v1/messages") {
            isMessage = true;
            if (isConversation(body)) {
                // Past the script's end the model just finishes its turn.
                if (m_next < m_script.size()) {
                    turn = m_script[m_next];
                }
                turnNumber = ++m_next;
            } else if (asksForSummary(body)) {
                turn = AssistantTurn::say(
                    "<analysis>One question, answered.</analysis>\n<summary>The user asked a "
                    "question and got the answer; nothing is left to do.</summary>");
            } else {
                turn = AssistantTurn::say("Halvane test");
            }
        }
    }
    if (path == "/v1/messages/count_tokens") {
        return httpResponse("application/json", R"({"input_tokens":12})");
    }
    if (!isMessage) {
        return httpResponse("application/json", "{}");
    }
    const bool stream = body.is_object() && body.value("stream", false);
    const std::string model = body.is_object() ? body.value("model", "claude-test") : "claude-test";
    return httpResponse(stream ? "text/event-stream" : "application/json",
                        messageFor(turn, turnNumber, model, stream));
}

std::string MockMessagesApi::toolUseId(std::size_t turnNumber) {
    return "toolu_halvane_" + std::to_string(turnNumber);
}

std::string MockMessagesApi::messageFor(const AssistantTurn& turn, std::size_t turnNumber,
                                        const std::string& model, bool stream) {
    std::size_t id = 0;
    {
        std::lock_guard lock(m_mutex);
        id = ++m_ids;
    }
    const bool usesTool = !turn.toolName.empty();
    const std::string stopReason = usesTool ? "tool_use" : "end_turn";
    const nlohmann::json usage = {{"input_tokens", 12}, {"output_tokens", 6}};
    nlohmann::json block = usesTool ? nlohmann::json{{"type", "tool_use"},
                                                     {"id", toolUseId(turnNumber)},
                                                     {"name", turn.toolName},
                                                     {"input", turn.toolInput}}
                                    : nlohmann::json{{"type", "text"}, {"text", turn.text}};
    nlohmann::json message = {{"id", "msg_halvane_" + std::to_string(id)},
                              {"type", "message"},
                              {"role", "assistant"},
                              {"model", model},
                              {"content", nlohmann::json::array({block})},
                              {"stop_reason", stopReason},
                              {"stop_sequence", nullptr},
                              {"usage", usage}};
    if (!stream) {
        return message.dump();
    }
    // Streamed, the block starts empty and its content comes as one delta.
    message["content"] = nlohmann::json::array();
    message["stop_reason"] = nullptr;
    nlohmann::json delta;
    if (usesTool) {
        delta = {{"type", "input_json_delta"}, {"partial_json", turn.toolInput.dump()}};
        block["input"] = nlohmann::json::object();
    } else {
        delta = {{"type", "text_delta"}, {"text", turn.text}};
        block["text"] = "";
    }
    return event("message_start", {{"type", "message_start"}, {"message", message}}) +
           event("content_block_start",
                 {{"type", "content_block_start"}, {"index", 0}, {"content_block", block}}) +
           event("content_block_delta",
                 {{"type", "content_block_delta"}, {"index", 0}, {"delta", delta}}) +
           event("content_block_stop", {{"type", "content_block_stop"}, {"index", 0}}) +
           event("message_delta",
                 {{"type", "message_delta"},
                  {"delta", {{"stop_reason", stopReason}, {"stop_sequence", nullptr}}},
                  {"usage", {{"output_tokens", 6}}}}) +
           event("message_stop", {{"type", "message_stop"}});
}

}  // namespace halvane::test
