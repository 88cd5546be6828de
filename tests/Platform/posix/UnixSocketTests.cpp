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

TEST(UnixSocketListener, OnlyALiveListenerOfOursCounts) {
    char folder[] = "/tmp/hv-listener-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/s.sock";
    EXPECT_FALSE(socket_::ownListenerAt(path)) << "no file";

    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const auto address = socket_::address(path);
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EXPECT_FALSE(socket_::ownListenerAt(path)) << "bound but not listening";
    ASSERT_EQ(::listen(listener, 1), 0);
    EXPECT_TRUE(socket_::ownListenerAt(path));
    ::close(listener);
    EXPECT_FALSE(socket_::ownListenerAt(path)) << "the file a closed listener leaves";
    EXPECT_FALSE(socket_::ownListenerAt(std::string(folder) + "/" + std::string(200, 'x')))
        << "a path too long for the address is never cut to another one";
    ::unlink(path.c_str());
    ::rmdir(folder);
}
