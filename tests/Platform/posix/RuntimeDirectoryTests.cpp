// The per-user folder for sockets and the daemons' log: where it is, and
// which folders are refused.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "Halvane/Platform/posix/RuntimeDirectory.h"
#include "Halvane/Platform/posix/UnixSocket.h"
#include "MissingService.h"
#include "TempDir.h"

namespace runtime_directory = halvane::runtime_directory;
using halvane::test::TempDir;

namespace {

constexpr uid_t otherUser = 65534;

mode_t modeOf(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

bool contains(const std::optional<std::string>& text, const std::string& part) {
    return text && text->find(part) != std::string::npos;
}

// Whether a process running as uid can connect to the socket at path.
bool connectsAs(uid_t uid, const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(uid) != 0 || ::setuid(uid) != 0) {
            ::_exit(2);
        }
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const auto address = halvane::unix_socket::address(path);
        ::_exit(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0
                    ? 0
                    : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

TEST(RuntimeDirectory, SystemdsFolderWhenPrivateElseTheHomeFromThePasswordDatabase) {
    const TempDir root("run-user");
    const std::string own = root.path().string() + "/" + std::to_string(::getuid());
    ASSERT_EQ(::mkdir(own.c_str(), 0700), 0);
    EXPECT_EQ(runtime_directory::locate(::getuid(), root.path().string()), own + "/halvane");

    // A runtime folder others can reach into is not systemd's: the home is
    // taken from the password database, never from $HOME (a hook may run
    // with another one, or none).
    ASSERT_EQ(::chmod(own.c_str(), 0755), 0);
    const char* home = std::getenv("HOME");
    const std::string savedHome = home != nullptr ? home : "";
    ::setenv("HOME", "/nonexistent-home", 1);
    const std::string fallback = runtime_directory::locate(::getuid(), root.path().string());
    ::setenv("HOME", savedHome.c_str(), 1);
    const passwd* entry = ::getpwuid(::getuid());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(fallback, std::string(entry->pw_dir == std::string("/") ? "" : entry->pw_dir) +
                            "/.local/state/halvane/run");

    // The hook socket sits in the folder unless HALVANE_SOCKET moves it.
    ::unsetenv("HALVANE_SOCKET");
    EXPECT_EQ(runtime_directory::hookSocket(own), own + "/halvane.sock");
    ::setenv("HALVANE_SOCKET", "/tmp/elsewhere.sock", 1);
    EXPECT_EQ(runtime_directory::hookSocket(own), "/tmp/elsewhere.sock");
    ::unsetenv("HALVANE_SOCKET");
}

TEST(RuntimeDirectory, MissingFoldersArePrivateAndUnsafeOnesAreRefusedWithTheReason) {
    const TempDir root("state");
    const std::string made = root.path().string() + "/a/b/run";
    EXPECT_EQ(runtime_directory::prepare(made, ::getuid()), std::nullopt);
    EXPECT_EQ(modeOf(made), 0700u);
    EXPECT_EQ(modeOf(root.path().string() + "/a"), 0700u);

    const std::string open = root.path().string() + "/open";
    ASSERT_EQ(::mkdir(open.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0750), 0);
    const auto opened = runtime_directory::prepare(open, ::getuid());
    EXPECT_TRUE(contains(opened, "refusing " + open + ": ")) << opened.value_or("");
    EXPECT_TRUE(contains(opened, "mode 0750")) << opened.value_or("");

    const std::string link = root.path().string() + "/link";
    ASSERT_EQ(::symlink(made.c_str(), link.c_str()), 0);
    EXPECT_TRUE(contains(runtime_directory::prepare(link, ::getuid()), "symbolic link"));

    const std::string file = root.path().string() + "/file";
    ASSERT_EQ(::close(::creat(file.c_str(), 0600)), 0);
    EXPECT_TRUE(contains(runtime_directory::prepare(file, ::getuid()), "not a directory"));
    EXPECT_TRUE(contains(runtime_directory::prepare("", ::getuid()), "no home directory"));
}

TEST(RuntimeDirectory, AnotherUsersFolderIsRefusedAndOursKeepsThemOut) {
    if (::geteuid() != 0) {
        HALVANE_SKIP_UNLESS_CI("needs root to hand a folder to another user (uid 65534)");
    }
    const TempDir root("squat");
    ASSERT_EQ(::chmod(root.path().c_str(), 0755), 0);
    // Planted first by someone else, private and all: still not ours.
    const std::string squatted = root.path().string() + "/squatted";
    ASSERT_EQ(::mkdir(squatted.c_str(), 0700), 0);
    ASSERT_EQ(::chown(squatted.c_str(), otherUser, otherUser), 0);
    const auto refused = runtime_directory::prepare(squatted, ::getuid());
    EXPECT_TRUE(contains(refused, "refusing " + squatted + ": it belongs to user 65534"))
        << refused.value_or("");

    // Our own folder still works, and the other user cannot reach a socket in it.
    const std::string own = root.path().string() + "/own";
    ASSERT_EQ(runtime_directory::prepare(own, ::getuid()), std::nullopt);
    const std::string path = runtime_directory::hookSocketIn(own);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const auto address = halvane::unix_socket::address(path);
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    EXPECT_TRUE(connectsAs(::getuid(), path));
    EXPECT_FALSE(connectsAs(otherUser, path));
    ::close(listener);
}
