#pragma once

#include <QEvent>

#include "NotchSection.h"
#include "NotchStyle.h"

class QWidget;

namespace notchkit {

// Values the kit hands down to caller content: the resolved style and the slot
// the content sits in. A widget reads the value of its nearest ancestor (or
// itself) that carries one; when a value changes every widget below is
// repainted and receives an event of changeEventType().
class NotchEnvironment final {
public:
    static void setNotchStyle(QWidget* host, NotchStyle style);
    static void setNotchSection(QWidget* host, NotchSection section);

    // Default: automatic.
    static NotchStyle notchStyle(const QWidget* widget);
    // Default: expanded.
    static NotchSection notchSection(const QWidget* widget);

    static QEvent::Type changeEventType();
};

}  // namespace notchkit
