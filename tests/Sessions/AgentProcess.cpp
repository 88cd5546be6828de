#include "AgentProcess.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace halvane::test {

AgentProcess::AgentProcess(const std::filesystem::path& executable,
                           const std::filesystem::path& cwd) {
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    std::string name = executable.filename().string();
    std::string duration = "3600";
    std::vector<char*> argv{name.data(), duration.data(), nullptr};
    const int failed =
        ::posix_spawn(&m_pid, executable.c_str(), &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        m_pid = -1;
        throw std::runtime_error("cannot start " + executable.string());
    }
}

AgentProcess::~AgentProcess() {
    stop();
}

void AgentProcess::stop() {
    if (m_pid <= 0) {
        return;
    }
    ::kill(m_pid, SIGKILL);
    while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
}

std::filesystem::path AgentProcess::install(const std::filesystem::path& folder,
                                            const std::string& name) {
    std::filesystem::create_directories(folder);
    const std::filesystem::path copy = folder / name;
    std::filesystem::copy_file("/bin/sleep", copy,
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
    return copy;
}

}  // namespace halvane::test
