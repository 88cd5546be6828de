#include "Halvane/App/Shell/FirstRun.h"

#include "Halvane/Sessions/Preferences.h"

namespace halvane::FirstRun {

Action decide(Preferences& preferences, const std::function<bool()>& everythingAlreadySetUp) {
    if (preferences.hasOnboardingResumeAt()) {
        return Action::showOnboarding;
    }
    if (!preferences.onboardingCompleted() && everythingAlreadySetUp()) {
        preferences.setOnboardingCompleted(true);
    }
    return preferences.onboardingCompleted() ? Action::installHooks : Action::showOnboarding;
}

}  // namespace halvane::FirstRun
