#include "NotchLog.h"

Q_LOGGING_CATEGORY(notchKitLog, "notchkit", QtInfoMsg)
