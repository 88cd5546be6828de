#pragma once

#include <optional>

#include "Halvane/Platform/ProcessExitHandles.h"

namespace halvane {

// Process exit handles on pidfd_open(2) (Linux 5.3 and later): a pidfd polls
// readable once its process has exited, reaped or not.
class PidfdExitHandles final : public ProcessExitHandles {
public:
    bool supported() override;
    Handle open(std::int32_t pid) override;

private:
    std::optional<bool> m_supported;
};

}  // namespace halvane
