#pragma once

#include <QCoreApplication>
#include <QTest>
#include <chrono>
#include <functional>

namespace halvane::test {

// The application object that main-thread work needs, made once per test
// binary on first use, on the thread that runs the tests. It is never
// destroyed: Qt's own globals may already be gone when statics unwind.
inline QCoreApplication& qtApplication() {
    static int argc = 1;
    static char name[] = "halvane-tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* application = new QCoreApplication(argc, argv);
    return *application;
}

// Runs the main thread's event loop until condition holds or limit passes;
// true when it held. The limit only bounds a failing test. A widget test has
// made its QApplication before; anything else gets the core one.
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(15)) {
    if (QCoreApplication::instance() == nullptr) {
        qtApplication();
    }
    return QTest::qWaitFor(condition, static_cast<int>(limit.count()));
}

}  // namespace halvane::test
