#pragma once

#include "Halvane/Platform/WindowSystem.h"

struct xdo;

namespace halvane {

// Windows of an X11 desktop (also XWayland) through libxdo and EWMH. The
// display is opened on first use; without one every operation reports false.
class XdoWindowSystem final : public WindowSystem {
public:
    XdoWindowSystem();
    ~XdoWindowSystem() override;
    XdoWindowSystem(const XdoWindowSystem&) = delete;
    XdoWindowSystem& operator=(const XdoWindowSystem&) = delete;

    bool trusted() override;
    bool activateWindowOfPid(std::int32_t pid) override;
    bool typeKeys(const std::string& keys) override;
    void beep() override;

private:
    xdo* connection();

    xdo* m_xdo = nullptr;
    bool m_tried = false;
};

}  // namespace halvane
