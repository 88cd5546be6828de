#pragma once

#include <QLoggingCategory>

// The kit's diagnostics go through Qt's message handler, which the host
// application routes into its own log.
Q_DECLARE_LOGGING_CATEGORY(notchKitLog)
