#pragma once

#include "NotchCompletion.h"

class QScreen;

namespace notchkit {

// Anything that can be shown at a screen's notch and hidden again.
class NotchControllable {
public:
    virtual ~NotchControllable() = default;

    virtual NotchCompletion expand(QScreen* screen) = 0;
    virtual NotchCompletion compact(QScreen* screen) = 0;
    virtual NotchCompletion hide() = 0;
};

}  // namespace notchkit
