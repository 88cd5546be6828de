// The shipped relay and the server, both on the user's own socket path.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <future>
#include <vector>

#include "ChildProcess.h"
#include "Files.h"
#include "Halvane/Platform/posix/RuntimeDirectory.h"
#include "Halvane/Platform/posix/UnixSocket.h"
#include "HookServerFixture.h"
#include "MissingService.h"

using namespace halvane;
using namespace halvane::test;
using namespace std::chrono_literals;

TEST(HookServerOnFixedSocket, AnswersThePermissionRequestOfTheShippedRelay) {
    qtApplication();
    // Another account got to the old shared name first: that no longer matters.
    int squatter = -1;
    if (::geteuid() == 0 && ::access("/tmp/halvane.sock", F_OK) != 0) {
        squatter = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const auto address = unix_socket::address("/tmp/halvane.sock");
        ASSERT_EQ(::bind(squatter, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::chown("/tmp/halvane.sock", 65534, 65534), 0);
        ASSERT_EQ(::listen(squatter, 4), 0);
    }
    const std::string directory = runtime_directory::locate(::getuid());
    ASSERT_EQ(runtime_directory::prepare(directory, ::getuid()), std::nullopt);
    const auto sessions = std::make_shared<FakeSessions>();
    HookServer server(sessions, runtime_directory::hookSocketIn(directory));
    const auto error = server.start();
    ASSERT_FALSE(error) << error->description;

    ChildOptions options;
    options.standardInput =
        R"({"hook_event_name":"PreToolUse","session_id":"fixed-1","cwd":"/work/app",)"
        R"("tool_name":"Read","tool_input":{"file_path":"/work/app/README.md"}})";
    auto run = std::async(std::launch::async, [options] {
        return runChild({binaryDirectory() + "/halvane-hook"}, options);
    });
    ASSERT_TRUE(waitUntil([&] { return sessions->held.size() == 1; }, 20s));
    EXPECT_EQ(sessions->events[0].sessionId, "fixed-1");
    EXPECT_EQ(sessions->events[0].tool, "Read");
    sessions->held[0](HookDecision{HookDecision::Decision::approve});

    ASSERT_TRUE(waitUntil([&] { return run.wait_for(0s) == std::future_status::ready; }, 40s));
    const ChildResult result = run.get();
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(
        result.standardOutput,
        R"({"hookSpecificOutput":{"hookEventName":"PreToolUse","permissionDecision":"allow"}})"
        "\n");
    if (squatter >= 0) {
        ::close(squatter);
        ::unlink("/tmp/halvane.sock");
    }
}

namespace {

// A real sshd on a free local port with a throwaway host key and one
// authorized key, all in a folder of the test's own; ended with the test.
class LocalSshd final {
public:
    explicit LocalSshd(const std::filesystem::path& folder) : m_folder(folder) {
        for (const char* key : {"host_key", "client_key"}) {
            const auto made = runChild({"/usr/bin/ssh-keygen", "-q", "-t", "ed25519", "-N", "",
                                        "-f", (folder / key).string()});
            if (made.exitStatus != 0) {
                m_problem = "ssh-keygen failed: " + made.standardError;
                return;
            }
        }
        std::filesystem::copy_file(folder / "client_key.pub", folder / "authorized_keys");
        m_port = freePort();
        std::ofstream(folder / "sshd_config")
            << "Port " << m_port << "\nListenAddress 127.0.0.1\nHostKey "
            << (folder / "host_key").string() << "\nAuthorizedKeysFile "
            << (folder / "authorized_keys").string()
            << "\nPidFile none\nStrictModes no\nUsePAM no\nPermitRootLogin yes\n"
               "PasswordAuthentication no\nKbdInteractiveAuthentication no\n"
               "AllowStreamLocalForwarding yes\nStreamLocalBindUnlink yes\n";
        // sshd insists on its privilege separation folder.
        ::mkdir("/run/sshd", 0755);
        m_pid = ::fork();
        if (m_pid == 0) {
            const int log = ::open((folder / "sshd.log").c_str(), O_WRONLY | O_CREAT, 0600);
            ::dup2(log, STDERR_FILENO);
            ::execl("/usr/sbin/sshd", "/usr/sbin/sshd", "-D", "-e", "-f",
                    (folder / "sshd_config").c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (!waitUntil([this] { return listening(); }, 10s)) {
            m_problem = "sshd did not listen: " + log();
        }
    }
    ~LocalSshd() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    LocalSshd(const LocalSshd&) = delete;
    LocalSshd& operator=(const LocalSshd&) = delete;

    const std::string& problem() const { return m_problem; }
    std::string log() const { return readFile(m_folder / "sshd.log"); }
    // ssh to this machine through the daemon, with extra options before the command.
    std::vector<std::string> ssh(std::vector<std::string> options,
                                 const std::string& command) const {
        std::vector<std::string> argv{"/usr/bin/ssh",
                                      "-F",
                                      "/dev/null",
                                      "-o",
                                      "StrictHostKeyChecking=no",
                                      "-o",
                                      "UserKnownHostsFile=/dev/null",
                                      "-o",
                                      "BatchMode=yes",
                                      "-o",
                                      "LogLevel=ERROR",
                                      "-i",
                                      (m_folder / "client_key").string(),
                                      "-p",
                                      std::to_string(m_port)};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.push_back("root@127.0.0.1");
        argv.push_back(command);
        return argv;
    }

private:
    static int freePort() {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        ::close(fd);
        return ntohs(address.sin_port);
    }
    bool listening() const {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(m_port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool up = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return up;
    }

    std::filesystem::path m_folder;
    std::string m_problem;
    int m_port = 0;
    pid_t m_pid = -1;
};

}  // namespace

// Claude Code on another machine: its relay reaches this machine's server
// through an ssh -R forward of the hook socket, says where it runs, and gets
// the verdict back. "The remote" is this machine under another socket path.
TEST(HookServerOnFixedSocket, ARelayOverSshReachesTheServerThroughARemoteForward) {
    if (::geteuid() != 0) {
        HALVANE_SKIP_UNLESS_CI("needs root to run a private sshd");
    }
    if (::access("/usr/sbin/sshd", X_OK) != 0 || ::access("/usr/bin/ssh", X_OK) != 0) {
        HALVANE_SKIP_UNLESS_CI("needs sshd and ssh (openssh-server, openssh-client)");
    }
    qtApplication();
    const TempDir folder("ssh");
    const LocalSshd sshd(folder.path());
    ASSERT_EQ(sshd.problem(), "");

    const std::string local = (folder / "local.sock").string();
    const std::string remote = (folder / "remote.sock").string();
    const auto sessions = std::make_shared<FakeSessions>();
    HookServer server(sessions, local);
    ASSERT_FALSE(server.start());

    ChildOptions options;
    options.standardInput =
        R"({"hook_event_name":"PermissionRequest","session_id":"remote-1","cwd":"/srv/app",)"
        R"("tool_name":"Bash","tool_input":{"command":"make deploy"}})";
    options.limit = 40s;
    const auto argv =
        sshd.ssh({"-o", "ExitOnForwardFailure=yes", "-o", "StreamLocalBindUnlink=yes", "-R",
                  remote + ":" + local},
                 "HALVANE_SOCKET=" + remote + " exec " + binaryDirectory() + "/halvane-hook");
    auto run = std::async(std::launch::async, [argv, options] { return runChild(argv, options); });
    ASSERT_TRUE(waitUntil([&] { return sessions->held.size() == 1; }, 30s)) << sshd.log();
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    EXPECT_EQ(sessions->events[0].sessionId, "remote-1");
    EXPECT_EQ(sessions->events[0].hostName, std::string(host));
    sessions->held[0](HookDecision{HookDecision::Decision::approve});

    ASSERT_TRUE(waitUntil([&] { return run.wait_for(0s) == std::future_status::ready; }, 40s));
    const ChildResult result = run.get();
    EXPECT_EQ(result.exitStatus, 0) << result.standardError << sshd.log();
    EXPECT_EQ(result.standardOutput, R"({"hookSpecificOutput":{"decision":{"behavior":"allow"},)"
                                     R"("hookEventName":"PermissionRequest"}})"
                                     "\n")
        << result.standardError;
}
