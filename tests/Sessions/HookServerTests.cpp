#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <fstream>
#include <map>

#include "HookServerFixture.h"

using namespace halvane;
using namespace halvane::test;
using namespace std::chrono_literals;

namespace {

HookDecision decodedReply(const ClientReply& reply) {
    EXPECT_FALSE(reply.bytes.empty());
    EXPECT_EQ(reply.bytes.find('\n'), reply.bytes.size() - 1) << "one line: " << reply.bytes;
    const auto decoded = HookDecision::decode(reply.bytes.substr(0, reply.bytes.size() - 1));
    EXPECT_TRUE(decoded.ok()) << reply.bytes;
    return decoded.ok() ? decoded.value() : HookDecision{};
}

}  // namespace

TEST_F(HookServerTest, ListensOnItsPathAndSaysSo) {
    HookServer server(m_sessions, socketPath());
    EXPECT_EQ(server.serverFD(), -1);
    ASSERT_FALSE(server.start());
    ASSERT_GE(server.serverFD(), 0);
    struct stat file {};
    ASSERT_EQ(::stat(socketPath().c_str(), &file), 0);
    EXPECT_TRUE(S_ISSOCK(file.st_mode));
    EXPECT_TRUE(m_log.contains("Halvane: hook server listening on " + socketPath()));
    EXPECT_TRUE(waitUntil([&] {
        return m_log.contains("Halvane: acceptLoop started, serverFD=" +
                              std::to_string(server.serverFD()));
    }));

    const auto again = server.start();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->code, EALREADY);
}

TEST_F(HookServerTest, ANotificationIsAnsweredAtOnceWithPassthrough) {
    const auto server = startServer();
    const std::string line = notificationLine("s-1");
    auto reply = exchange(socketPath(), line);
    const ClientReply answer = await(reply);
    EXPECT_EQ(answer.bytes, passthroughLine);
    EXPECT_EQ(answer.error, 0);

    ASSERT_EQ(m_sessions->events.size(), 1u);
    EXPECT_EQ(m_sessions->events[0], HookEvent::decode(line.substr(0, line.size() - 1)).value());
    EXPECT_TRUE(m_sessions->onMainThread[0]);
    EXPECT_TRUE(m_log.contains("Halvane: received " + std::to_string(line.size() - 1) + " bytes"));
    EXPECT_TRUE(m_log.contains("Halvane: event kind=notification session=s-1"));
    const auto lines = m_log.lines();
    const auto accepted = std::find_if(lines.begin(), lines.end(), [](const std::string& text) {
        return text.rfind("Halvane: accept returned fd=", 0) == 0;
    });
    ASSERT_NE(accepted, lines.end());
    EXPECT_TRUE(accepted->ends_with(" errno=0")) << *accepted;
}

TEST_F(HookServerTest, APermissionRequestWaitsForTheModelsAnswer) {
    const auto server = startServer();
    auto reply = exchange(socketPath(), permissionLine("s-2"));
    ASSERT_TRUE(waitUntil([&] { return m_sessions->held.size() == 1; }));
    EXPECT_EQ(m_sessions->events[0].toolInput, R"({"command":"rm -rf build\nmake"})");
    EXPECT_FALSE(isReady(reply)) << "answered before the model decided";

    const HookDecision denial{HookDecision::Decision::deny, "User denied", "option 2"};
    m_sessions->held[0](denial);
    const ClientReply answer = await(reply);
    EXPECT_EQ(decodedReply(answer), denial);
    EXPECT_EQ(answer.error, 0);
}

TEST_F(HookServerTest, ConcurrentRequestsEachGetTheirOwnAnswer) {
    const auto server = startServer();
    std::map<std::string, std::future<ClientReply>> replies;
    for (const std::string id : {"a", "b", "c"}) {
        replies[id] = exchange(socketPath(), permissionLine(id));
    }
    ASSERT_TRUE(waitUntil([&] { return m_sessions->held.size() == 3; }));
    EXPECT_EQ(server->activeConnections(), 3u);

    std::map<std::string, HookDecision> given;
    // Answer in the reverse order of arrival.
    for (std::size_t index = 3; index-- > 0;) {
        const std::string id = m_sessions->events[index].sessionId;
        given[id] = HookDecision{
            index == 1 ? HookDecision::Decision::deny : HookDecision::Decision::approve,
            "for " + id};
        m_sessions->held[index](given[id]);
    }
    for (auto& [id, reply] : replies) {
        EXPECT_EQ(decodedReply(await(reply)), given[id]) << id;
    }
    EXPECT_TRUE(waitUntil([&] { return server->activeConnections() == 0; }));
}

TEST_F(HookServerTest, AnUnansweredRequestGetsPassthroughAtTheTimeLimit) {
    auto server = startServer(limits(150ms));
    auto reply = exchange(socketPath(), permissionLine("s-late", HookEvent::Kind::preToolUse));
    EXPECT_EQ(await(reply).bytes, passthroughLine);
    ASSERT_EQ(m_sessions->held.size(), 1u);

    // The user answers after the server gave up: nothing happens on the wire
    // and the server goes on serving.
    m_sessions->held[0](HookDecision{HookDecision::Decision::approve});
    auto next = exchange(socketPath(), notificationLine());
    EXPECT_EQ(await(next).bytes, passthroughLine);

    // Even once the server is gone.
    auto held = exchange(socketPath(), permissionLine("s-later", HookEvent::Kind::preToolUse));
    ASSERT_TRUE(waitUntil([&] { return m_sessions->held.size() == 2; }));
    EXPECT_EQ(await(held).bytes, passthroughLine);
    server.reset();
    m_sessions->held[1](HookDecision{HookDecision::Decision::deny});
}

TEST_F(HookServerTest, ClaudeCodesOwnRequestWaitsUntilAnsweredOrHungUp) {
    const auto server = startServer(limits(150ms));
    // A client that shut only its writing side still waits for the answer.
    auto reply = exchange(socketPath(), permissionLine("s-long"), true);
    ASSERT_TRUE(waitUntil([&] { return m_sessions->held.size() == 1; }));
    EXPECT_FALSE(waitUntil([&] { return isReady(reply); }, 800ms))
        << "given up at the time limit of other events";
    const HookDecision approval{HookDecision::Decision::approve};
    m_sessions->held[0](approval);
    EXPECT_EQ(decodedReply(await(reply)), approval);
    EXPECT_TRUE(m_sessions->withdrawn.empty());

    // Claude Code ends the relay when its user answers in the terminal.
    const int relay = connectTo(socketPath());
    ASSERT_GE(relay, 0);
    const std::string line = permissionLine("s-gone");
    ::send(relay, line.data(), line.size(), MSG_NOSIGNAL);
    ASSERT_TRUE(waitUntil([&] { return m_sessions->held.size() == 2; }));
    ::close(relay);
    ASSERT_TRUE(waitUntil([&] { return m_sessions->withdrawn.size() == 1; }));
    EXPECT_EQ(m_sessions->withdrawn[0], m_sessions->events[1]);
    EXPECT_TRUE(waitUntil([&] { return server->activeConnections() == 0; }));
    // A late answer goes nowhere.
    m_sessions->held[1](approval);
}

TEST_F(HookServerTest, RequestsThatDoNotDecodeAreClosedWithoutAReply) {
    const auto server = startServer();
    // The last one connects and closes without sending anything.
    const std::vector<std::string> requests = {
        "{}\n", "\n", "garbage\n",
        R"({"kind":"Stop","sessionId":"s","cwd":"/","timestamp":1})"
        "\n",
        ""};
    for (const std::string& request : requests) {
        auto reply = exchange(socketPath(), request, request.empty());
        const ClientReply answer = await(reply);
        EXPECT_EQ(answer.bytes, "") << request;
        EXPECT_EQ(answer.error, 0) << request;
        const std::size_t kept = request.empty() ? 0 : request.size() - 1;
        EXPECT_TRUE(m_log.contains("Halvane: received " + std::to_string(kept) + " bytes"))
            << request;
    }
    EXPECT_EQ(logLinesStartingWith("Halvane: decode error: "), requests.size());
    EXPECT_TRUE(m_sessions->events.empty());
}

TEST_F(HookServerTest, ARequestEndedByClosingTheWriteSideIsAnswered) {
    const auto server = startServer();
    std::string line = notificationLine("s-eof");
    line.pop_back();
    auto reply = exchange(socketPath(), line, true);
    EXPECT_EQ(await(reply).bytes, passthroughLine);
    ASSERT_EQ(m_sessions->events.size(), 1u);
    EXPECT_EQ(m_sessions->events[0].sessionId, "s-eof");
}

TEST_F(HookServerTest, OnlyTheFirstLineIsTheRequest) {
    const auto server = startServer();
    auto reply = exchange(socketPath(), notificationLine("s-first") + notificationLine("s-second"));
    EXPECT_EQ(await(reply).bytes, passthroughLine);
    ASSERT_EQ(m_sessions->events.size(), 1u);
    EXPECT_EQ(m_sessions->events[0].sessionId, "s-first");
}

TEST_F(HookServerTest, AStaleFileAtThePathIsReplaced) {
    // A regular file, then a socket left behind by a process that died.
    std::ofstream(socketPath()) << "left over";
    for (int round = 0; round < 2; ++round) {
        auto server = startServer();
        auto reply = exchange(socketPath(), notificationLine());
        EXPECT_EQ(await(reply).bytes, passthroughLine) << "round " << round;
        if (round == 0) {
            const int dead = ::socket(AF_UNIX, SOCK_STREAM, 0);
            server.reset();
            const sockaddr_un address = unix_socket::address(socketPath());
            ASSERT_EQ(::bind(dead, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
            ::close(dead);
        }
    }
}

TEST_F(HookServerTest, ASecondServerTakesThePathOver) {
    auto first = startServer();
    auto secondSessions = std::make_shared<FakeSessions>();
    auto second = std::make_unique<HookServer>(secondSessions, socketPath());
    ASSERT_FALSE(second->start());
    auto reply = exchange(socketPath(), notificationLine("s-taken"));
    EXPECT_EQ(await(reply).bytes, passthroughLine);
    EXPECT_EQ(secondSessions->events.size(), 1u);
    EXPECT_TRUE(m_sessions->events.empty());

    // The first one going away leaves the second one's socket alone.
    first.reset();
    auto again = exchange(socketPath(), notificationLine("s-still"));
    EXPECT_EQ(await(again).bytes, passthroughLine);
    EXPECT_EQ(secondSessions->events.size(), 2u);
}

TEST_F(HookServerTest, ABindFailureIsReportedAsAddressInUse) {
    HookServer server(m_sessions, (m_dir / "missing" / "h.sock").string());
    const auto error = server.start();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, EADDRINUSE);
    EXPECT_NE(error->description.find("No such file or directory"), std::string::npos)
        << error->description;
    EXPECT_EQ(server.serverFD(), -1);
}

TEST_F(HookServerTest, DestroyingTheServerAnswersWaitersAndDropsUnrunCalls) {
    auto server = startServer(limits(60s, 60s));
    auto waiting = exchange(socketPath(), permissionLine("s-wait"));
    ASSERT_TRUE(waitUntil([&] { return m_sessions->held.size() == 1; }));
    const int silent = connectTo(socketPath());
    ASSERT_GE(silent, 0);
    ASSERT_TRUE(waitUntil([&] { return server->activeConnections() == 2; }));

    // This one's call to the model is queued but the main thread does not run
    // it before the server is gone.
    auto queued = exchange(socketPath(), notificationLine("s-queued"));
    ASSERT_TRUE(pollUntil(
        [&] { return m_log.contains("Halvane: event kind=notification session=s-queued"); }));
    server.reset();

    EXPECT_EQ(await(waiting).bytes, passthroughLine);
    EXPECT_EQ(await(queued).bytes, passthroughLine);
    EXPECT_TRUE(closedByServer(silent));
    ::close(silent);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_sessions->events.size(), 1u) << "the model was called after the server went";
    EXPECT_NE(::access(socketPath().c_str(), F_OK), 0) << "own socket file left behind";
}
