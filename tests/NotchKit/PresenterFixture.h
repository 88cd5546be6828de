#pragma once

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

#include "GuiTestSupport.h"
#include "NotchKit/NotchPresenter.h"
#include "NotchKit/NotchScreen.h"

namespace notchkit::test {

// Short waits so the state machine runs in milliseconds; the order of events
// is what the tests check, never how long they took.
inline NotchTimings quickTimings() {
    using std::chrono::milliseconds;
    NotchTimings timings;
    timings.closeDelay = milliseconds(60);
    timings.fadeDuration = milliseconds(30);
    timings.hoverRecheck = milliseconds(20);
    timings.conversionPause = milliseconds(30);
    timings.settle = milliseconds(120);
    return timings;
}

// A content widget of a fixed ideal size.
inline QWidget* block(int width, int height, const QString& text = {}) {
    auto* label = new QLabel(text);
    label->setFixedSize(width, height);
    return label;
}

class PresenterFixture : public ::testing::Test {
protected:
    void SetUp() override {
        guiApplication();
        ::unsetenv(NotchScreen::notchVariable);
    }
    void TearDown() override { ::unsetenv(NotchScreen::notchVariable); }

    // Gives the primary screen a notch (as HALVANE_NOTCH does).
    static void useNotch(const char* size = "200x32") {
        ::setenv(NotchScreen::notchVariable, size, 1);
    }
    static QScreen* screen() { return QGuiApplication::primaryScreen(); }

    std::unique_ptr<NotchPresenter> makePresenter(NotchHoverBehavior hover = NotchHoverOption::none,
                                                  NotchStyle style = NotchStyle::automatic(),
                                                  NotchTimings timings = quickTimings()) {
        auto presenter = std::make_unique<NotchPresenter>(
            hover, style, [] { return block(300, 80, "expanded"); },
            [] { return block(30, 16, "L"); }, [] { return block(50, 16, "T"); }, timings);
        QObject::connect(presenter.get(), &NotchPresenter::stateChanged,
                         [this](NotchState state) { states.push_back(state); });
        return presenter;
    }

    static bool finished(const NotchCompletion& completion) {
        return waitUntil([&] { return completion.isFinished(); });
    }

    std::vector<NotchState> states;
};

}  // namespace notchkit::test
