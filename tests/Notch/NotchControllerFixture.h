#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>

#include <algorithm>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "FakeAudioOutput.h"
#include "FakeBacklight.h"
#include "FakeMediaKeyGrabber.h"
#include "FakePowerSource.h"
#include "FakeSoundPlayer.h"
#include "GuiTestSupport.h"
#include "Halvane/Monitors/SystemHUDSuppressor.h"
#include "Halvane/Notch/NotchController.h"
#include "Halvane/Sessions/SessionStore.h"
#include "NotchKit/NotchScreen.h"
#include "TempDir.h"

namespace halvane::test {

// A controller over a real store and presenters, with fake devices behind the
// monitors and short waits. Everything the notch and the HUD do lands in
// `events`, in order, next to the probes a test starts, so a test checks the
// order of things and never how long they took.
class NotchControllerTest : public ::testing::Test {
protected:
    using Mode = NotchController::Mode;
    using State = notchkit::NotchState;

    static constexpr std::chrono::milliseconds forced{300};
    static constexpr std::chrono::milliseconds hoverCollapse{120};
    static constexpr std::chrono::milliseconds keyHUD{200};
    static constexpr std::chrono::milliseconds batteryHUD{260};

    NotchControllerTest() {
        guiApplication();
        ::setenv("CLAUDE_CONFIG_DIR", claudeFolder.path().c_str(), 1);
        // The primary screen has a notch, so compact wings can show.
        ::setenv(notchkit::NotchScreen::notchVariable, "200x32", 1);
        audio->defaultSink = "speakers";
        audio->devices["speakers"] = AudioLevels{0.5f, false};
        power->set(50, true);
    }
    ~NotchControllerTest() override {
        controller.reset();
        ::unsetenv("CLAUDE_CONFIG_DIR");
        ::unsetenv(notchkit::NotchScreen::notchVariable);
    }

    static NotchController::Timings quickTimings() {
        using std::chrono::milliseconds;
        NotchController::Timings timings;
        timings.forcedExpansion = forced;
        timings.hoverCollapse = hoverCollapse;
        timings.keyHUD = keyHUD;
        timings.batteryHUD = batteryHUD;
        timings.presenters.closeDelay = milliseconds(40);
        timings.presenters.fadeDuration = milliseconds(20);
        timings.presenters.hoverRecheck = milliseconds(20);
        timings.presenters.conversionPause = milliseconds(20);
        timings.presenters.settle = milliseconds(60);
        return timings;
    }

    // Plain labels stand in for the session views; taps come through `tap`.
    NotchController::SessionViewFactory views() {
        return [this](SessionStore&, std::function<void()> onTap) {
            tap = std::move(onTap);
            const auto block = [](int width, int height) {
                return [width, height]() -> QWidget* {
                    auto* label = new QLabel;
                    label->setFixedSize(width, height);
                    return label;
                };
            };
            return NotchController::SessionViews{block(320, 120), block(40, 20), block(40, 20)};
        };
    }

    void start() {
        NotchController::Devices devices;
        devices.volume = std::make_unique<VolumeMonitor>(std::move(audioOwner));
        devices.brightness = std::make_unique<BrightnessMonitor>(std::move(backlightOwner),
                                                                 std::chrono::milliseconds(10));
        devices.battery = std::make_unique<BatteryMonitor>(std::move(powerOwner));
        devices.keys = &keys;
        controller =
            std::make_unique<NotchController>(store, views(), std::move(devices), quickTimings());
        controller->start();
        QObject::connect(controller->notch(), &notchkit::NotchPresenter::stateChanged,
                         [this](State state) { events.push_back("notch " + name(state)); });
        QObject::connect(controller->hudNotch(), &notchkit::NotchPresenter::stateChanged,
                         [this](State state) { events.push_back("hud " + name(state)); });
    }

    static std::string name(State state) {
        switch (state) {
            case State::expanded:
                return "expanded";
            case State::compact:
                return "compact";
            case State::hidden:
                return "hidden";
        }
        return "?";
    }

    static HookEvent event(HookEvent::Kind kind, const std::string& sessionId) {
        HookEvent made;
        made.kind = kind;
        made.sessionId = sessionId;
        made.cwd = "/work/" + sessionId;
        made.timestamp = 800000000;
        return made;
    }
    void notify(const std::string& sessionId) {
        store.handle(event(HookEvent::Kind::notification, sessionId), [](const HookDecision&) {});
    }
    void ask(const std::string& sessionId) {
        HookEvent request = event(HookEvent::Kind::permissionRequest, sessionId);
        request.tool = "Bash";
        request.toolInput = R"({"command":"make test"})";
        store.handle(request,
                     [this](const HookDecision& decision) { answers.push_back(decision); });
    }
    void finish(const std::string& sessionId) {
        store.handle(event(HookEvent::Kind::stop, sessionId), [](const HookDecision&) {});
    }
    void approve(const std::string& sessionId) {
        store.resolve(sessionId, HookDecision{HookDecision::Decision::approve, std::nullopt});
    }

    bool notchBecomes(State state) {
        return waitUntil([&] { return controller->notch()->state() == state; });
    }
    bool hudBecomes(State state) {
        return waitUntil([&] { return controller->hudNotch()->state() == state; });
    }
    bool logged(const std::string& entry) {
        return waitUntil([&] { return position(entry) >= 0; });
    }
    // Where `entry` first appears in the log; -1 when it does not.
    int position(const std::string& entry) const {
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (events[i] == entry) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    // Whether both were logged, `first` before `second`.
    bool ordered(const std::string& first, const std::string& second) const {
        return position(first) >= 0 && position(second) >= 0 && position(first) < position(second);
    }
    // Starts with the notch showing its wings and an empty log.
    void startCompact() {
        notify("alpha");
        start();
        ASSERT_TRUE(notchBecomes(State::compact));
        events.clear();
    }
    int count(const std::string& entry) const {
        return static_cast<int>(std::count(events.begin(), events.end(), entry));
    }

    // Logs `name` once `wait` has passed. Precise timers started in order end
    // in order, so a probe started just before an action that the controller
    // answers with a wait of the same length fires first.
    void probe(const std::string& label, std::chrono::milliseconds wait) {
        auto* timer = new QTimer;
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, [this, label, timer] {
            events.push_back(label);
            timer->deleteLater();
        });
        timer->start(wait);
    }
    // Runs every step the controller has queued so far, and the steps those
    // queue in turn, without waiting for any timer that has a delay.
    static void settle() {
        for (int round = 0; round < 8; ++round) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }

    TempDir claudeFolder{"claude"};
    TempDir preferencesFolder{"preferences"};
    Preferences preferences{QString::fromStdString((preferencesFolder / "halvane.conf").string())};
    FakeSoundPlayer sounds;
    SessionStore store{sounds, preferences, Clock(), std::chrono::milliseconds(150)};

    std::unique_ptr<FakeAudioOutput> audioOwner = std::make_unique<FakeAudioOutput>();
    std::unique_ptr<FakeBacklight> backlightOwner = std::make_unique<FakeBacklight>();
    std::unique_ptr<FakePowerSource> powerOwner = std::make_unique<FakePowerSource>();
    FakeAudioOutput* audio = audioOwner.get();
    FakeBacklight* backlight = backlightOwner.get();
    FakePowerSource* power = powerOwner.get();
    FakeKeyboard keyboard;
    SystemHUDSuppressor keys{std::make_unique<FakeMediaKeyGrabber>(keyboard)};

    std::unique_ptr<NotchController> controller;
    std::function<void()> tap;
    std::vector<std::string> events;
    std::vector<HookDecision> answers;
};

}  // namespace halvane::test
