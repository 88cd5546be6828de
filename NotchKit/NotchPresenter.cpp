#include "NotchPresenter.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include "NotchCloseTask.h"
#include "NotchContentView.h"
#include "NotchPanel.h"
#include "NotchScreen.h"
#include "NotchWindowController.h"
#include "NotchWindowSystem.h"

namespace notchkit {

namespace {

QWidget* build(const NotchPresenter::ContentBuilder& builder, QWidget* shelf) {
    QWidget* content = builder ? builder() : nullptr;
    if (content == nullptr) {
        content = new QWidget;
    }
    content->setParent(shelf);
    content->hide();
    return content;
}

}  // namespace

NotchPresenter::NotchPresenter(NotchHoverBehavior hoverBehavior, NotchStyle style,
                               const ContentBuilder& expanded, const ContentBuilder& compactLeading,
                               const ContentBuilder& compactTrailing, Timings timings,
                               QObject* parent)
    : QObject(parent),
      m_style(style),
      m_hoverBehavior(hoverBehavior),
      m_timings(timings),
      // Content waits here, never shown, while no window hosts it.
      m_shelf(std::make_unique<QWidget>()),
      m_windowSystem(NotchWindowSystem::forPlatform()) {
    m_expandedContent = build(expanded, m_shelf.get());
    m_compactLeadingContent = build(compactLeading, m_shelf.get());
    m_compactTrailingContent = build(compactTrailing, m_shelf.get());
    startScreenObserver();
}

NotchPresenter::NotchPresenter(NotchHoverBehavior hoverBehavior, NotchStyle style,
                               const ContentBuilder& expanded, Timings timings, QObject* parent)
    : NotchPresenter(hoverBehavior, style, expanded, nullptr, nullptr, timings, parent) {
    m_disableCompactLeading = true;
    m_disableCompactTrailing = true;
}

NotchPresenter::~NotchPresenter() {
    if (m_closePanelTask) {
        m_closePanelTask->cancel();
    }
    if (m_windowController) {
        // The panel goes now: the content it borrows is destroyed with the shelf.
        delete m_windowController->window();
        m_windowController.reset();
    }
}

NotchCompletion NotchPresenter::expand(QScreen* screen) {
    return _expand(screen, m_transitions.skipIntermediateHides);
}

NotchCompletion NotchPresenter::compact(QScreen* screen) {
    return _compact(screen, m_transitions.skipIntermediateHides);
}

NotchCompletion NotchPresenter::hide() {
    NotchCompletion done = NotchCompletion::pending();
    _hide([done] { done.resolve(); });
    return done;
}

NotchCompletion NotchPresenter::_expand(QScreen* screen, bool skipHide) {
    if (m_state == NotchState::expanded) {
        return NotchCompletion::finished();
    }
    return transition(screen, skipHide, NotchState::expanded);
}

NotchCompletion NotchPresenter::_compact(QScreen* screen, bool skipHide) {
    if (m_state == NotchState::compact) {
        return NotchCompletion::finished();
    }
    // A presenter without wings has no compact form. (A screen without a
    // notch has one: the floating pill.)
    if (m_disableCompactLeading && m_disableCompactTrailing) {
        return hide();
    }
    return transition(screen, skipHide, NotchState::compact);
}

NotchCompletion NotchPresenter::transition(QScreen* screen, bool skipHide, NotchState target) {
    cancelClosePanelTask();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const bool shown = m_state == NotchState::expanded || m_state == NotchState::compact;
    if (shown && m_windowController && m_windowScreen == screen) {
        // Convert in place; the caller does not wait for the conversion itself.
        QTimer::singleShot(0, this, [this, skipHide, target] {
            if (skipHide) {
                setState(target, effectiveConversionAnimation());
                return;
            }
            setState(NotchState::hidden, effectiveClosingAnimation());
            QTimer::singleShot(m_timings.conversionPause, this, [this, target] {
                setState(target, effectiveConversionAnimation());
            });
        });
    } else {
        initializeWindow(screen, false);
        setState(target, effectiveOpeningAnimation());
        showWindow();
    }
    // Return once the spring has settled.
    NotchCompletion done = NotchCompletion::pending();
    QTimer::singleShot(m_timings.settle, this, [done] { done.resolve(); });
    return done;
}

void NotchPresenter::_hide(std::function<void()> completion) {
    if (m_state == NotchState::hidden) {
        if (completion) {
            completion();
        }
        return;
    }
    if (m_hoverBehavior.testFlag(NotchHoverOption::keepVisible) && m_isHovering) {
        // Not a close task: later requests do not stop this wait for the pointer.
        QTimer::singleShot(m_timings.hoverRecheck, this,
                           [this, completion = std::move(completion)] { _hide(completion); });
        return;
    }
    m_transaction = effectiveClosingAnimation();
    m_state = NotchState::hidden;
    emit stateChanged(m_state);
    if (m_isHovering) {
        m_isHovering = false;
        emit isHoveringChanged(false);
    }
    m_transaction.reset();

    cancelClosePanelTask();
    auto task = std::make_shared<NotchCloseTask>(std::move(completion));
    m_closePanelTask = task;
    QTimer::singleShot(m_timings.closeDelay, this, [this, task] {
        if (task->isCancelled()) {
            return;
        }
        const NotchCompletion faded =
            m_windowController ? m_windowController->fadeOutWindow(m_timings.fadeDuration)
                               : NotchCompletion::finished();
        faded.then(this, [this, task] {
            if (task->isCancelled()) {
                return;
            }
            deinitializeWindow();
            if (m_closePanelTask == task) {
                m_closePanelTask.reset();
            }
            task->finish();
        });
    });
}

void NotchPresenter::cancelClosePanelTask() {
    if (auto task = std::exchange(m_closePanelTask, nullptr)) {
        task->cancel();
    }
}

void NotchPresenter::updateHoverState(bool hovering) {
    if (m_state == NotchState::hidden || hovering == m_isHovering) {
        return;
    }
    m_isHovering = hovering;
    emit isHoveringChanged(hovering);
}

void NotchPresenter::setState(NotchState state, const Animation& animation) {
    if (state == m_state) {
        return;
    }
    m_transaction = animation;
    m_state = state;
    emit stateChanged(state);
    m_transaction.reset();
}

NotchStyle NotchPresenter::effectiveStyle(const QScreen* screen) const {
    return NotchScreen::effectiveStyle(m_style, screen);
}

void NotchPresenter::setTransitionConfiguration(const NotchTransitionConfiguration& configuration) {
    m_transitions = configuration;
}

Animation NotchPresenter::effectiveOpeningAnimation() const {
    if (m_transitions.openingAnimation) {
        return *m_transitions.openingAnimation;
    }
    return Animation::spring(0.4, m_style.isNotch() ? 0.7 : 0.85);
}

Animation NotchPresenter::effectiveClosingAnimation() const {
    return m_transitions.closingAnimation.value_or(Animation::spring(0.4, 1.0));
}

Animation NotchPresenter::effectiveConversionAnimation() const {
    return m_transitions.conversionAnimation.value_or(Animation::spring(0.4, 0.85));
}

void NotchPresenter::setDisableCompactLeading(bool disabled) {
    if (disabled != m_disableCompactLeading) {
        m_disableCompactLeading = disabled;
        emit disableCompactLeadingChanged(disabled);
    }
}

void NotchPresenter::setDisableCompactTrailing(bool disabled) {
    if (disabled != m_disableCompactTrailing) {
        m_disableCompactTrailing = disabled;
        emit disableCompactTrailingChanged(disabled);
    }
}

void NotchPresenter::setAnimationNamespace(quint64 id) {
    if (m_namespace != id) {
        m_namespace = id;
        emit animationNamespaceChanged();
    }
}

NotchPanel* NotchPresenter::panel() const {
    return m_windowController ? m_windowController->window() : nullptr;
}

bool NotchPresenter::hasPendingClose() const {
    return m_closePanelTask != nullptr;
}

void NotchPresenter::initializeWindow(QScreen* screen, bool orderFront) {
    deinitializeWindow();
    const NotchScreenGeometry geometry = NotchScreen::geometry(screen);
    const QSizeF notchSize = NotchScreen::notchFrameWithTopBarAsBackup(geometry).size();
    if (notchSize != m_notchSize) {
        m_notchSize = notchSize;
        emit notchSizeChanged(notchSize);
    }
    const double menubarHeight = NotchScreen::menubarHeight(geometry);
    if (menubarHeight != m_menubarHeight) {
        m_menubarHeight = menubarHeight;
        emit menubarHeightChanged(menubarHeight);
    }
    const NotchStyle style = NotchScreen::effectiveStyle(m_style, geometry);
    auto* panel = new NotchPanel(m_windowSystem.get());
    QRect frame = NotchPanel::frameFor(screen->geometry());
    if (style.isFloating()) {
        // Centred over the work area, so a panel down one side does not push
        // the card off the middle of what the user sees.
        const QRect work = screen->availableGeometry();
        frame.moveLeft(work.x() + work.width() / 2 - frame.width() / 2);
    }
    panel->setGeometry(frame);
    panel->setContentView(new NotchContentView(this, style, m_shelf.get()));
    if (orderFront) {
        panel->orderFrontRegardless();
    }
    m_windowController = std::make_unique<NotchWindowController>(panel);
    m_windowScreen = screen;
    emit panelChanged(panel);
}

void NotchPresenter::deinitializeWindow() {
    if (m_windowController) {
        m_windowController.reset();
        m_windowScreen = nullptr;
        emit panelChanged(nullptr);
    }
}

void NotchPresenter::showWindow() {
    if (m_windowController) {
        m_windowController->showWindow(m_timings.fadeDuration);
    }
}

void NotchPresenter::startScreenObserver() {
    // Qt reports one change as several signals; rebuild once per burst.
    const auto schedule = [this] {
        if (m_screenChangePending) {
            return;
        }
        m_screenChangePending = true;
        QTimer::singleShot(0, this, [this] {
            m_screenChangePending = false;
            screenParametersChanged();
        });
    };
    const auto watch = [this, schedule](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, schedule);
        connect(screen, &QScreen::availableGeometryChanged, this, schedule);
    };
    for (QScreen* screen : QGuiApplication::screens()) {
        watch(screen);
    }
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [watch, schedule](QScreen* screen) {
        watch(screen);
        schedule();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, schedule);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, schedule);
}

void NotchPresenter::screenParametersChanged() {
    if (QGuiApplication::screens().isEmpty()) {
        return;
    }
    initializeWindow(QGuiApplication::primaryScreen(), true);
}

}  // namespace notchkit
