#pragma once

#include <sys/types.h>
#include <string>

namespace halvane::test {

// A private X server (Xvfb) for one test binary, optionally with a window
// manager (openbox), on a display number the server picks itself. DISPLAY is
// set for the process while the session lives. When Xvfb is missing or fails,
// ready() is false and why() says why, for GTEST_SKIP.
class XvfbSession final {
public:
    explicit XvfbSession(bool withWindowManager = true, const std::string& screen = "1280x800x24");
    ~XvfbSession();
    XvfbSession(const XvfbSession&) = delete;
    XvfbSession& operator=(const XvfbSession&) = delete;

    bool ready() const { return m_ready; }
    const std::string& why() const { return m_why; }
    const std::string& display() const { return m_display; }

private:
    pid_t m_server = -1;
    pid_t m_windowManager = -1;
    bool m_ready = false;
    std::string m_why;
    std::string m_display;
    std::string m_previousDisplay;
    bool m_hadDisplay = false;
};

}  // namespace halvane::test
