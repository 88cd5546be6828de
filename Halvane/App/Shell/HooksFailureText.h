#pragma once

#include <QString>

#include "Halvane/Sessions/HooksResult.h"

namespace halvane::HooksFailureText {

// What the onboarding and settings windows say when the hooks could not be
// changed as asked, with the reason; empty for an outcome that is no failure.
QString of(const HooksResult& result);

}  // namespace halvane::HooksFailureText
