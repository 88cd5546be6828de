#pragma once

#include "HookRelay.h"

namespace halvane {

// The product's options for this user: the hook socket ($HALVANE_SOCKET, else
// the one in the user's runtime folder) and that folder.
RelayOptions userRelayOptions();

// The whole program: picks the mode from the arguments, reads standard input,
// writes the answer to standard output and returns the exit status.
int relayMain(int argc, char** argv, const RelayOptions& options);

}  // namespace halvane
