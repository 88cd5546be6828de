#pragma once

#include "HookRelay.h"

namespace halvane {

// The whole program: picks the mode from the arguments, reads standard input,
// writes the answer to standard output and returns the exit status.
int relayMain(int argc, char** argv, const RelayOptions& options);

}  // namespace halvane
