#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Halvane/Platform/posix/ProcessTable.h"
#include "HalvaneProtocol/HookDecision.h"
#include "HalvaneProtocol/HookEvent.h"

namespace halvane {

// Where the relay talks to and how long it listens. userRelayOptions() gives
// the product's; tests pass their own.
struct RelayOptions {
    // The application's hook socket; empty when there is none to contact.
    std::string socketPath;
    double timeoutSeconds = 30;
    // Start a keystroke injector for the session before contacting the app.
    bool spawnInjector = true;
    // The user's runtime folder, for the injector sockets and their log;
    // empty leaves sessions without an injector.
    std::string runtimeDirectory;
};

// What the relay reads from its surroundings, gathered by main().
struct RelayContext {
    const ProcessTable& processes;
    std::int32_t parentPid = 0;
    const char* termProgram = nullptr;
};

struct RelayError {
    int code = 0;
    std::string description;
};

// The reply of one exchange: a decision, none (the application closed or
// stayed silent), or the error that ended the exchange.
struct ExchangeResult {
    std::optional<HookDecision> decision;
    std::optional<RelayError> error;
};

struct RelayOutput {
    std::string standardOutput;
    int exitStatus = 0;
};

// Connects, sends event as one line and reads one decision line back.
ExchangeResult sendAndReceive(const HookEvent& event, const RelayOptions& options);

// One run of relay mode on the hook JSON read from standard input.
RelayOutput runRelay(std::string_view input, const RelayContext& context,
                     const RelayOptions& options);

// The argument rule for the injector daemon: "--inject-daemon" followed by a
// session id; anything else is relay mode.
std::optional<std::string> injectDaemonSessionId(int argc, const char* const* argv);

}  // namespace halvane
