#pragma once

#include <functional>

namespace halvane {

class Preferences;

// What the launch does about first-run setup.
namespace FirstRun {

enum class Action { showOnboarding, installHooks };

// An onboarding interrupted by a restart is always resumed. Otherwise a
// machine where everything is already set up counts as onboarded (and is
// recorded so); onboarded machines get their hooks refreshed, others see
// onboarding.
Action decide(Preferences& preferences, const std::function<bool()>& everythingAlreadySetUp);

}  // namespace FirstRun

}  // namespace halvane
