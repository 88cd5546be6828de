#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include "Halvane/Platform/posix/UnixSocket.h"
#include "HalvaneProtocol/Framing.h"

namespace {

struct SocketPair {
    int a = -1, b = -1;
    SocketPair() {
        int fds[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
        a = fds[0];
        b = fds[1];
    }
    ~SocketPair() {
        closeA();
        if (b >= 0) {
            ::close(b);
        }
    }
    void closeA() {
        if (a >= 0) {
            ::close(a);
            a = -1;
        }
    }
};

}  // namespace

TEST(Framing, WriterAppendsOneLineFeedInOneSend) {
    SocketPair pair;
    EXPECT_EQ(halvane::writeMessage(pair.a, R"({"decision":"approve"})"), 23);
    char buffer[64] = {};
    EXPECT_EQ(::recv(pair.b, buffer, sizeof buffer, 0), 23);
    EXPECT_EQ(std::string(buffer), "{\"decision\":\"approve\"}\n");
}

TEST(Framing, ReaderStopsAtFirstLineFeedAndLeavesTheRest) {
    SocketPair pair;
    const std::string bytes = "{\"decision\":\"deny\"}\nmore bytes\n";
    ASSERT_EQ(::send(pair.a, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    EXPECT_EQ(halvane::readMessage(pair.b), "{\"decision\":\"deny\"}");
    EXPECT_EQ(halvane::readMessage(pair.b), "more bytes");
}

TEST(Framing, EndOfStreamEndsTheMessageWithWhatArrived) {
    SocketPair pair;
    ::send(pair.a, "{\"kind\"", 7, 0);
    pair.closeA();
    EXPECT_EQ(halvane::readMessage(pair.b), "{\"kind\"");
    EXPECT_EQ(halvane::readMessage(pair.b), "");
}

TEST(Framing, ReceiveTimeOutEndsTheMessage) {
    SocketPair pair;
    ASSERT_TRUE(halvane::unix_socket::setReceiveTimeout(pair.b, 0.05));
    ::send(pair.a, "partial", 7, 0);
    EXPECT_EQ(halvane::readMessage(pair.b), "partial");
}

TEST(Framing, WritingToAClosedPeerFailsWithoutKillingTheProcess) {
    SocketPair pair;
    ::close(pair.b);
    pair.b = -1;
    EXPECT_EQ(halvane::writeMessage(pair.a, "{}"), -1);
    EXPECT_EQ(errno, EPIPE);
}
