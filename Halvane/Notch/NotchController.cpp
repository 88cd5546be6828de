#include "Halvane/Notch/NotchController.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include "Halvane/Monitors/SystemHUDSuppressor.h"
#include "Halvane/Notch/CompactLeading.h"
#include "Halvane/Notch/CompactTrailing.h"
#include "Halvane/Notch/ExpandedView.h"
#include "Halvane/Notch/HUD/HUDCompactLeading.h"
#include "Halvane/Notch/HUD/HUDCompactTrailing.h"
#include "Halvane/Sessions/SessionStore.h"

namespace halvane {

using notchkit::Animation;
using notchkit::NotchHoverOption;
using notchkit::NotchPresenter;
using notchkit::NotchStyle;
using notchkit::NotchTransitionConfiguration;

NotchController::Devices NotchController::Devices::system() {
    Devices devices;
    devices.volume = std::make_unique<VolumeMonitor>();
    devices.brightness = std::make_unique<BrightnessMonitor>();
    devices.battery = std::make_unique<BatteryMonitor>();
    devices.keys = &SystemHUDSuppressor::shared();
    return devices;
}

NotchController::NotchController(SessionStore& sessions, QObject* parent)
    : NotchController(sessions, &NotchController::standardViews, Devices::system(), Timings(),
                      parent) {}

NotchController::SessionViews NotchController::standardViews(SessionStore& sessions,
                                                             std::function<void()> onTap) {
    SessionStore* store = &sessions;
    return SessionViews{
        [store] { return new ExpandedView(*store); },
        [store, onTap] {
            auto* wing = new CompactLeading(*store);
            QObject::connect(wing, &CompactLeading::tapped, wing, onTap);
            return wing;
        },
        [store, onTap] {
            auto* wing = new CompactTrailing(*store);
            QObject::connect(wing, &CompactTrailing::tapped, wing, onTap);
            return wing;
        },
    };
}

NotchController::NotchController(SessionStore& sessions, SessionViewFactory views, Devices devices,
                                 Timings timings, QObject* parent)
    : QObject(parent),
      m_sessions(sessions),
      m_volume(std::move(devices.volume)),
      m_brightness(std::move(devices.brightness)),
      m_battery(std::move(devices.battery)),
      m_keys(devices.keys != nullptr ? devices.keys : &SystemHUDSuppressor::shared()),
      m_views(std::move(views)),
      m_timings(timings) {}

NotchController::~NotchController() = default;

void NotchController::start() {
    if (m_notch) {
        return;
    }
    const QPointer<NotchController> self(this);
    const auto onTap = [self] {
        if (self) {
            self->expandOnDemand();
        }
    };
    SessionViews views = m_views ? m_views(m_sessions, onTap) : SessionViews{};
    m_notch = std::make_unique<NotchPresenter>(NotchHoverOption::all, NotchStyle::automatic(),
                                               views.expanded, views.compactLeading,
                                               views.compactTrailing, m_timings.presenters);
    NotchTransitionConfiguration sessionTransitions;
    sessionTransitions.closingAnimation = Animation::easeIn(0.18);
    sessionTransitions.skipIntermediateHides = true;
    m_notch->setTransitionConfiguration(sessionTransitions);

    m_hudNotch = std::make_unique<NotchPresenter>(
        NotchHoverOption::none, NotchStyle::automatic(), [] { return new QWidget; },
        [this] { return new HUDCompactLeading(m_hud); },
        [this] { return new HUDCompactTrailing(m_hud, *m_volume, *m_brightness); },
        m_timings.presenters);
    NotchTransitionConfiguration hudTransitions;
    hudTransitions.openingAnimation = Animation::spring(0.22, 0.86, 0);
    hudTransitions.closingAnimation = Animation::easeIn(0.16);
    hudTransitions.conversionAnimation = Animation::spring(0.22, 0.86, 0);
    hudTransitions.skipIntermediateHides = true;
    m_hudNotch->setTransitionConfiguration(hudTransitions);

    m_hoverCancellable =
        connect(m_notch.get(), &NotchPresenter::isHoveringChanged, this, [this](bool hovering) {
            if (m_lastHover == hovering) {
                return;
            }
            m_lastHover = hovering;
            QMetaObject::invokeMethod(
                this, [this, hovering] { handleHoverChange(hovering); }, Qt::QueuedConnection);
        });

    m_volume->start(*m_keys);
    m_brightness->start(*m_keys);
    wireHUDSuppressor();
    startBattery();
    observeLoop();
}

void NotchController::expandOnDemand() {
    m_forceExpanded = true;
    sync();
    m_forceCollapseTask.start(m_timings.forcedExpansion, [this] {
        m_forceExpanded = false;
        sync();
    });
}

void NotchController::handleHoverChange(bool hovering) {
    m_hoverCollapseTask.cancel();
    if (hovering) {
        m_hoverActive = true;
        sync();
        return;
    }
    m_hoverCollapseTask.start(m_timings.hoverCollapse, [this] {
        m_hoverActive = false;
        sync();
    });
}

NotchController::Mode NotchController::chooseMode() const {
    const bool hasSessions = !m_sessions.sessions().empty();
    if (!m_sessions.pending().empty()) {
        return Mode::expanded;
    }
    if ((m_forceExpanded || m_hoverActive) && hasSessions) {
        return Mode::expanded;
    }
    return hasSessions ? Mode::compact : Mode::hidden;
}

void NotchController::sync() {
    // The HUD has the notch to itself; its end syncs again.
    if (m_hud.active()) {
        return;
    }
    const Mode mode = chooseMode();
    if (mode == m_currentMode || !m_notch) {
        return;
    }
    m_currentMode = mode;
    QMetaObject::invokeMethod(
        this, [this, mode] { request(mode); }, Qt::QueuedConnection);
}

void NotchController::request(Mode mode) {
    if (mode == Mode::hidden) {
        m_notch->hide();
        return;
    }
    QScreen* screen = primaryScreen();
    if (screen == nullptr) {
        return;
    }
    if (mode == Mode::compact) {
        m_notch->compact(screen);
    } else {
        m_notch->expand(screen);
    }
}

QScreen* NotchController::primaryScreen() {
    const auto screens = QGuiApplication::screens();
    return screens.isEmpty() ? nullptr : screens.first();
}

void NotchController::flashKind(const HUDKind& kind, std::chrono::milliseconds duration) {
    // Never over a waiting prompt or a list the user opened.
    if (!m_sessions.pending().empty() || m_forceExpanded) {
        return;
    }
    const bool wasActive = m_hud.active();
    m_hud.setKind(kind);
    m_hud.setBump(m_hud.bump() + 1);
    m_hud.setActive(true);
    if (!wasActive && m_currentMode == Mode::compact && m_notch) {
        // The wings make room for the HUD.
        m_currentMode = Mode::hidden;
        QMetaObject::invokeMethod(
            this, [this] { m_notch->hide(); }, Qt::QueuedConnection);
    }
    // An event that arrives while the HUD is fading out brings it back.
    if ((!wasActive || m_hudHiding) && m_hudNotch) {
        m_hudHiding = false;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (QScreen* screen = primaryScreen()) {
                    m_hudNotch->compact(screen);
                }
            },
            Qt::QueuedConnection);
    }
    const quint64 generation = ++m_hudGeneration;
    m_hudHideTask.start(duration, [this, generation] { hideHUD(generation); });
}

void NotchController::hideHUD(quint64 generation) {
    const auto finish = [this, generation] {
        if (generation != m_hudGeneration) {
            return;
        }
        m_hudHiding = false;
        m_hud.setActive(false);
        sync();
    };
    if (!m_hudNotch) {
        finish();
        return;
    }
    m_hudHiding = true;
    m_hudNotch->hide().then(this, finish);
}

void NotchController::wireHUDSuppressor() {
    SystemHUDSuppressor& keys = *m_keys;
    const QPointer<NotchController> self(this);
    const auto chain = [self](SystemHUDSuppressor::Handler previous, HUDKind kind) {
        return [self, previous = std::move(previous), kind] {
            if (previous) {
                previous();
            }
            if (self) {
                self->flashKind(kind, self->m_timings.keyHUD);
            }
        };
    };
    keys.setOnVolumeUp(chain(keys.onVolumeUp(), HUDKind::volume()));
    keys.setOnVolumeDown(chain(keys.onVolumeDown(), HUDKind::volume()));
    keys.setOnVolumeMute(chain(keys.onVolumeMute(), HUDKind::volume()));
    keys.setOnBrightnessUp(chain(keys.onBrightnessUp(), HUDKind::brightness()));
    keys.setOnBrightnessDown(chain(keys.onBrightnessDown(), HUDKind::brightness()));
    keys.start();
    if (!keys.isRunning()) {
        followMonitorsInstead();
    }
}

void NotchController::followMonitorsInstead() {
    // The desktop keeps the keys and shows its own pop-up; Halvane's HUD
    // still follows every change the monitors see, wherever it came from.
    const auto volume = [this] { flashKind(HUDKind::volume(), m_timings.keyHUD); };
    connect(m_volume.get(), &VolumeMonitor::volumeChanged, this, volume);
    connect(m_volume.get(), &VolumeMonitor::isMutedChanged, this, volume);
    connect(m_brightness.get(), &BrightnessMonitor::brightnessChanged, this,
            [this] { flashKind(HUDKind::brightness(), m_timings.keyHUD); });
}

void NotchController::startBattery() {
    connect(m_battery.get(), &BatteryMonitor::announced, this, [this](BatteryMonitor::Event event) {
        const int percentage = m_battery->percentage();
        switch (event.kind) {
            case BatteryMonitor::Event::Kind::low:
                flashKind(HUDKind::batteryLow(event.threshold), m_timings.batteryHUD);
                return;
            case BatteryMonitor::Event::Kind::plugged:
                flashKind(HUDKind::batteryPlugged(percentage), m_timings.batteryHUD);
                return;
            case BatteryMonitor::Event::Kind::unplugged:
                flashKind(HUDKind::batteryUnplugged(percentage), m_timings.batteryHUD);
                return;
        }
    });
    m_battery->start();
}

void NotchController::observeLoop() {
    connect(&m_sessions, &SessionStore::changed, this, [this] {
        // Changes made in one turn are looked at together on the next.
        if (m_storeChangeQueued) {
            return;
        }
        m_storeChangeQueued = true;
        QMetaObject::invokeMethod(this, &NotchController::storeChanged, Qt::QueuedConnection);
    });
    sync();
}

void NotchController::storeChanged() {
    m_storeChangeQueued = false;
    const int finished = static_cast<int>(m_sessions.justFinished().size());
    if (m_lastJustFinishedCount < finished) {
        expandOnDemand();
    }
    m_lastJustFinishedCount = finished;
    sync();
}

}  // namespace halvane
