#pragma once

#include <QObject>
#include <QPointer>
#include <QSizeF>

#include <functional>
#include <memory>
#include <optional>

#include "Animation.h"
#include "NotchCompletion.h"
#include "NotchControllable.h"
#include "NotchHoverBehavior.h"
#include "NotchState.h"
#include "NotchStyle.h"
#include "NotchTimings.h"
#include "NotchTransitionConfiguration.h"

class QScreen;
class QWidget;

namespace notchkit {

class NotchCloseTask;
class NotchPanel;
class NotchWindowController;
class NotchWindowSystem;

// Presents three pieces of caller content at the top centre of a screen:
// hidden, compact (wings beside the notch) or expanded (a card below it); on
// screens without a notch, a floating pill or card at the top of the work
// area. Main thread only.
class NotchPresenter final : public QObject, public NotchControllable {
    Q_OBJECT

public:
    using ContentBuilder = std::function<QWidget*()>;

    using Timings = NotchTimings;

    NotchPresenter(NotchHoverBehavior hoverBehavior, NotchStyle style,
                   const ContentBuilder& expanded, const ContentBuilder& compactLeading,
                   const ContentBuilder& compactTrailing, Timings timings = {},
                   QObject* parent = nullptr);
    // An expanded-only presenter: compact() hides it.
    NotchPresenter(NotchHoverBehavior hoverBehavior, NotchStyle style,
                   const ContentBuilder& expanded, Timings timings = {}, QObject* parent = nullptr);
    ~NotchPresenter() override;

    NotchCompletion expand(QScreen* screen) override;
    NotchCompletion compact(QScreen* screen) override;
    NotchCompletion hide() override;

    NotchCompletion _expand(QScreen* screen, bool skipHide);
    NotchCompletion _compact(QScreen* screen, bool skipHide);
    // `completion` runs once the window has closed, or once that close has
    // been superseded by a later request.
    void _hide(std::function<void()> completion);

    void updateHoverState(bool hovering);

    NotchStyle style() const { return m_style; }
    NotchStyle effectiveStyle(const QScreen* screen) const;
    NotchHoverBehavior hoverBehavior() const { return m_hoverBehavior; }
    const NotchTransitionConfiguration& transitionConfiguration() const { return m_transitions; }
    void setTransitionConfiguration(const NotchTransitionConfiguration& configuration);
    Animation effectiveOpeningAnimation() const;
    Animation effectiveClosingAnimation() const;
    Animation effectiveConversionAnimation() const;

    QWidget* expandedContent() const { return m_expandedContent; }
    QWidget* compactLeadingContent() const { return m_compactLeadingContent; }
    QWidget* compactTrailingContent() const { return m_compactTrailingContent; }

    bool disableCompactLeading() const { return m_disableCompactLeading; }
    bool disableCompactTrailing() const { return m_disableCompactTrailing; }
    void setDisableCompactLeading(bool disabled);
    void setDisableCompactTrailing(bool disabled);

    NotchState state() const { return m_state; }
    QSizeF notchSize() const { return m_notchSize; }
    double menubarHeight() const { return m_menubarHeight; }
    bool isHovering() const { return m_isHovering; }
    // Set by the first content view shown, so slots can share geometry ids.
    std::optional<quint64> animationNamespace() const { return m_namespace; }
    void setAnimationNamespace(quint64 id);

    // The current panel, if a window exists.
    NotchPanel* panel() const;
    bool hasPendingClose() const;
    // The animation of the change being made right now; views animate with it.
    const std::optional<Animation>& transaction() const { return m_transaction; }

    // The reaction to a change of screens: rebuild on the primary screen.
    void screenParametersChanged();

signals:
    void stateChanged(notchkit::NotchState state);
    void notchSizeChanged(QSizeF size);
    void menubarHeightChanged(double height);
    void isHoveringChanged(bool hovering);
    void disableCompactLeadingChanged(bool disabled);
    void disableCompactTrailingChanged(bool disabled);
    void animationNamespaceChanged();
    void panelChanged(notchkit::NotchPanel* panel);

private:
    void startScreenObserver();
    void initializeWindow(QScreen* screen, bool orderFront);
    void deinitializeWindow();
    void showWindow();
    NotchCompletion transition(QScreen* screen, bool skipHide, NotchState target);
    void setState(NotchState state, const Animation& animation);
    void cancelClosePanelTask();

    NotchStyle m_style;
    NotchHoverBehavior m_hoverBehavior;
    Timings m_timings;
    NotchTransitionConfiguration m_transitions;
    std::unique_ptr<QWidget> m_shelf;
    QPointer<QWidget> m_expandedContent;
    QPointer<QWidget> m_compactLeadingContent;
    QPointer<QWidget> m_compactTrailingContent;
    bool m_disableCompactLeading = false;
    bool m_disableCompactTrailing = false;
    NotchState m_state = NotchState::hidden;
    QSizeF m_notchSize{0, 0};
    double m_menubarHeight = 0;
    bool m_isHovering = false;
    std::optional<quint64> m_namespace;
    std::optional<Animation> m_transaction;
    std::unique_ptr<NotchWindowSystem> m_windowSystem;
    std::unique_ptr<NotchWindowController> m_windowController;
    QPointer<QScreen> m_windowScreen;
    std::shared_ptr<NotchCloseTask> m_closePanelTask;
    bool m_screenChangePending = false;
};

}  // namespace notchkit
