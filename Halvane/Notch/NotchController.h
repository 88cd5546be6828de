#pragma once

#include <QMetaObject>
#include <QObject>
// NotchPresenter.h hands out QPointer<QWidget>s, which need the whole class.
#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "Halvane/Monitors/BatteryMonitor.h"
#include "Halvane/Monitors/BrightnessMonitor.h"
#include "Halvane/Monitors/HUDState.h"
#include "Halvane/Monitors/VolumeMonitor.h"
#include "Halvane/Sessions/DelayedTask.h"
#include "NotchKit/NotchPresenter.h"

class QScreen;

namespace halvane {

class SessionStore;
class SystemHUDSuppressor;

// Decides what the notch shows: the session wings while sessions exist, the
// expanded list while a prompt waits, the pointer rests on it or the user
// asked for it, and the short HUD for volume, brightness and battery events
// on a second presenter. Main thread only; created once and never torn down.
class NotchController final : public QObject {
    Q_OBJECT

public:
    enum class Mode { hidden, compact, expanded };
    Q_ENUM(Mode)

    // The product's waits; tests pass short ones.
    struct Timings {
        // How long a tap on a wing, or a finished session, keeps the list open.
        std::chrono::milliseconds forcedExpansion{6000};
        // The list stays open this long after the pointer left.
        std::chrono::milliseconds hoverCollapse{250};
        // How long the HUD stays after the last media key, and after the last
        // battery event.
        std::chrono::milliseconds keyHUD{1800};
        std::chrono::milliseconds batteryHUD{2600};
        notchkit::NotchTimings presenters{};
    };

    // The session notch's three views, built once by `start`.
    struct SessionViews {
        notchkit::NotchPresenter::ContentBuilder expanded;
        notchkit::NotchPresenter::ContentBuilder compactLeading;
        notchkit::NotchPresenter::ContentBuilder compactTrailing;
    };
    // Makes the views over the store; `onTap` is the wings' tap action.
    using SessionViewFactory =
        std::function<SessionViews(SessionStore& sessions, std::function<void()> onTap)>;
    // The session list and the two wings.
    static SessionViews standardViews(SessionStore& sessions, std::function<void()> onTap);

    // The system's monitors and media keys, or a test's stand-ins.
    struct Devices {
        std::unique_ptr<VolumeMonitor> volume;
        std::unique_ptr<BrightnessMonitor> brightness;
        std::unique_ptr<BatteryMonitor> battery;
        // The process-wide suppressor when none is given.
        SystemHUDSuppressor* keys = nullptr;

        static Devices system();
    };

    // The session views, the system's monitors and keys, the product's timings.
    explicit NotchController(SessionStore& sessions, QObject* parent = nullptr);
    NotchController(SessionStore& sessions, SessionViewFactory views, Devices devices,
                    Timings timings, QObject* parent = nullptr);
    ~NotchController() override;

    // Creates both presenters, starts the monitors and the media keys, and
    // begins following the store. Called once.
    void start();

    // A tap on a wing, or a session that just finished: open the list for a while.
    void expandOnDemand();

    // Shows the HUD for `kind` until `duration` after the latest call.
    void flashKind(const HUDKind& kind, std::chrono::milliseconds duration);

    // What the session notch was last asked to be.
    Mode currentMode() const { return m_currentMode; }
    notchkit::NotchPresenter* notch() const { return m_notch.get(); }
    notchkit::NotchPresenter* hudNotch() const { return m_hudNotch.get(); }
    HUDState& hud() { return m_hud; }
    VolumeMonitor& volume() const { return *m_volume; }
    BrightnessMonitor& brightness() const { return *m_brightness; }
    BatteryMonitor& battery() const { return *m_battery; }

private:
    static QScreen* primaryScreen();

    void handleHoverChange(bool hovering);
    Mode chooseMode() const;
    void sync();
    void request(Mode mode);
    void wireHUDSuppressor();
    void followMonitorsInstead();
    void startBattery();
    void observeLoop();
    void storeChanged();
    void hideHUD(quint64 generation);

    SessionStore& m_sessions;
    std::unique_ptr<VolumeMonitor> m_volume;
    std::unique_ptr<BrightnessMonitor> m_brightness;
    std::unique_ptr<BatteryMonitor> m_battery;
    SystemHUDSuppressor* m_keys;
    HUDState m_hud;
    SessionViewFactory m_views;
    Timings m_timings;
    std::unique_ptr<notchkit::NotchPresenter> m_notch;
    std::unique_ptr<notchkit::NotchPresenter> m_hudNotch;
    Mode m_currentMode = Mode::hidden;
    bool m_forceExpanded = false;
    bool m_hoverActive = false;
    DelayedTask m_forceCollapseTask{this};
    DelayedTask m_hoverCollapseTask{this};
    DelayedTask m_hudHideTask{this};
    QMetaObject::Connection m_hoverCancellable;
    std::optional<bool> m_lastHover;
    int m_lastJustFinishedCount = 0;
    // A store change is being handled on the next turn already.
    bool m_storeChangeQueued = false;
    // Counts HUD events, so a hide overtaken by a newer event leaves the HUD up.
    quint64 m_hudGeneration = 0;
    bool m_hudHiding = false;
};

}  // namespace halvane
