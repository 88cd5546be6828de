#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include "Halvane/Platform/posix/UnixSocket.h"

namespace socket_ = halvane::unix_socket;

TEST(UnixSocketAddress, CopiesShortPathsAndCutsLongOnes) {
    const auto address = socket_::address("/tmp/halvane.sock");
    EXPECT_EQ(address.sun_family, AF_UNIX);
    EXPECT_STREQ(address.sun_path, "/tmp/halvane.sock");
    EXPECT_TRUE(socket_::fitsAddress("/tmp/halvane.sock"));

    const std::string longPath(300, 'x');
    EXPECT_FALSE(socket_::fitsAddress(longPath));
    const auto cut = socket_::address(longPath);
    EXPECT_EQ(std::string(cut.sun_path).size(), sizeof(cut.sun_path) - 1);
}

TEST(UnixSocketPeer, ReportsTheOtherEndsUser) {
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    EXPECT_EQ(socket_::peerUid(fds[0]), ::getuid());
    ::close(fds[0]);
    ::close(fds[1]);
    EXPECT_FALSE(socket_::peerUid(-1));
}
