// The relay with the socket path and time-out taken from the environment, so
// tests can run it as a real process without waiting 30 seconds or touching
// the fixed socket. Everything else is the product's code path.
#include <cstdlib>

#include "RelayMain.h"

int main(int argc, char** argv) {
    halvane::RelayOptions options = halvane::userRelayOptions();
    if (const char* path = std::getenv("HALVANE_TEST_SOCKET")) {
        options.socketPath = path;
    }
    if (const char* seconds = std::getenv("HALVANE_TEST_TIMEOUT")) {
        options.timeoutSeconds = std::atof(seconds);
    }
    return halvane::relayMain(argc, argv, options);
}
