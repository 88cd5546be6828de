#pragma once

#include <cerrno>

#include "Halvane/Platform/ProcessExitHandles.h"

namespace halvane::test {

// Exit handles of a system that has none, as on kernels before pidfds.
class FakeProcessExitHandles final : public ProcessExitHandles {
public:
    bool supported() override { return false; }
    Handle open(std::int32_t) override { return {-1, ENOSYS}; }
};

}  // namespace halvane::test
