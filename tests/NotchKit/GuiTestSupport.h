#pragma once

#include <QApplication>
#include <QTest>

#include <chrono>
#include <cstdlib>
#include <functional>

#include "QtTestEnvironment.h"

namespace notchkit::test {

// The widget application these tests need, made once on first use. The
// platform comes from QT_QPA_PLATFORM (offscreen unless the test set another
// before the first call). Never destroyed: Qt's globals may already be gone
// when statics unwind.
inline QApplication& guiApplication() {
    static QApplication* application = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "notchkit-tests";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *application;
}

using halvane::test::waitUntil;

}  // namespace notchkit::test
