#include "XvfbSession.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "Polling.h"

namespace halvane::test {

namespace {

// Starts argv with its output in errorFd (else /dev/null) and keepFd left
// open. Everything the child touches is made before the fork.
pid_t start(const std::vector<std::string>& argv, int keepFd = -1, int errorFd = -1) {
    std::vector<char*> arguments;
    for (const auto& argument : argv) {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // However the test binary ends, its servers end with it.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(errorFd >= 0 ? errorFd : null, 2);
        if (keepFd >= 0) {
            ::fcntl(keepFd, F_SETFD, 0);
        }
        ::execvp(arguments[0], arguments.data());
        ::_exit(127);
    }
    return pid;
}

// What a program wrote to the file at fd, from its start.
std::string contents(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t count = 0;
    for (off_t at = 0; (count = ::pread(fd, buffer, sizeof buffer, at)) > 0; at += count) {
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return text;
}

// How the program at pid stands, for a message; reaps it, and forgets its
// pid, when it has ended.
std::string howItStands(pid_t& pid) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) != pid) {
        return "still runs";
    }
    pid = -1;
    return WIFEXITED(status) ? "exited with status " + std::to_string(WEXITSTATUS(status))
                             : "was killed by signal " + std::to_string(WTERMSIG(status));
}

// Whether the window manager maps a window that asks to be shown. Until it
// has entered its event loop it can drop such a request, and a window a test
// shows then never appears.
bool mapsNewWindows(const std::string& display) {
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return false;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t probe = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, probe, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(connection, probe);
    xcb_flush(connection);
    const bool mapped = pollUntil(
        [&] {
            std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
                xcb_get_window_attributes_reply(
                    connection, xcb_get_window_attributes(connection, probe), nullptr),
                &std::free);
            return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        },
        std::chrono::seconds(1));
    xcb_destroy_window(connection, probe);
    xcb_disconnect(connection);
    return mapped;
}

void stop(pid_t pid) {
    if (pid > 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
}

}  // namespace

XvfbSession::XvfbSession(bool withWindowManager, const std::string& screen) {
    if (::access("/usr/bin/Xvfb", X_OK) != 0) {
        m_why = "Xvfb is not installed (package xvfb)";
        return;
    }
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        m_why = "pipe failed";
        return;
    }
    // -displayfd: the server picks a free display and writes its number.
    m_server = start({"Xvfb", "-displayfd", std::to_string(report[1]), "-screen", "0", screen,
                      "-nolisten", "tcp", "+extension", "XTEST"},
                     report[1]);
    ::close(report[1]);
    std::string number;
    pollfd wait{report[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline && number.find('\n') == std::string::npos) {
        if (::poll(&wait, 1, 100) > 0) {
            char buffer[16];
            const ssize_t count = ::read(report[0], buffer, sizeof buffer);
            if (count <= 0) {
                break;
            }
            number.append(buffer, static_cast<std::size_t>(count));
        }
    }
    ::close(report[0]);
    if (number.find('\n') == std::string::npos) {
        m_why = "Xvfb did not start";
        stop(m_server);
        m_server = -1;
        return;
    }
    m_display = ":" + number.substr(0, number.find('\n'));
    if (const char* previous = std::getenv("DISPLAY")) {
        m_hadDisplay = true;
        m_previousDisplay = previous;
    }
    ::setenv("DISPLAY", m_display.c_str(), 1);

    if (withWindowManager) {
        if (::access("/usr/bin/openbox", X_OK) != 0) {
            m_why = "openbox is not installed (package openbox)";
            return;
        }
        // openbox's complaints are kept in memory, for why() if it fails.
        const int errors = ::memfd_create("openbox-errors", MFD_CLOEXEC);
        m_windowManager = start({"openbox", "--sm-disable"}, -1, errors);
        // The window manager is ready once it has claimed the screen.
        const auto managed = [] {
            return runChild({"/usr/bin/xprop", "-root", "_NET_SUPPORTING_WM_CHECK"})
                       .standardOutput.find("window id") != std::string::npos;
        };
        const bool claimed = pollUntil(managed, std::chrono::seconds(20));
        if (!claimed) {
            m_why = "openbox did not take the screen (is x11-utils' xprop installed?); openbox " +
                    howItStands(m_windowManager) + ": " + contents(errors);
        }
        ::close(errors);
        if (!claimed) {
            return;
        }
        if (!pollUntil([&] { return mapsNewWindows(m_display); }, std::chrono::seconds(20))) {
            m_why = "openbox took the screen but shows no window";
            return;
        }
    }
    m_ready = true;
}

XvfbSession::~XvfbSession() {
    stop(m_windowManager);
    stop(m_server);
    if (m_hadDisplay) {
        ::setenv("DISPLAY", m_previousDisplay.c_str(), 1);
    } else {
        ::unsetenv("DISPLAY");
    }
}

}  // namespace halvane::test
