#pragma once

#include <QImage>
#include <QPointer>
#include <QSize>
#include <QUuid>
#include <QWidget>

#include <optional>
#include <string>

#include "Halvane/Sessions/Clock.h"
#include "NotchKit/AnimatedValue.h"
#include "NotchKit/AnimationDriver.h"

namespace halvane {

class PromptCard;
class SessionListCard;
class SessionStore;

// The expanded notch over the sessions: the prompt card while a session
// waits for an answer, else the list of sessions, else nothing. Switching
// between the two cards scales and fades them and springs the size.
class ExpandedView final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPromptCardWidth = 520;
    static constexpr int kListCardWidth = 460;
    static constexpr int kCardPadding = 6;
    static constexpr int kRowSpacing = 6;
    static constexpr int kVisibleRowLimit = 5;

    explicit ExpandedView(SessionStore& sessions, QWidget* parent = nullptr);
    ExpandedView(SessionStore& sessions, Clock clock, QWidget* parent = nullptr);

    // Whether the store has a waiting prompt to show.
    bool isPromptCard() const;
    // The card on show (not one on its way out); null when another kind shows.
    PromptCard* promptCard() const { return m_promptCard; }
    SessionListCard* listCard() const { return m_listCard; }
    bool isTransitioning() const { return m_driver.isRunning(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // What a prompt card shows; a change rebuilds it.
    struct PromptKey {
        QUuid promptId;
        int pendingCount = 0;
        std::optional<std::string> lastModel;
        std::string cwd;
        bool operator==(const PromptKey&) const = default;
    };

    void sync();
    void present(QWidget* card, bool animate);
    QSize outerSize(QWidget* card) const;
    QRect cardFrame(QSize outer) const;
    void placeCards();
    void onTick(double now);
    void finishTransition();
    static QImage snapshot(QWidget* card);

    SessionStore& m_sessions;
    Clock m_clock;
    QPointer<QWidget> m_card;
    PromptCard* m_promptCard = nullptr;
    SessionListCard* m_listCard = nullptr;
    std::optional<PromptKey> m_promptKey;
    QSize m_fromSize;
    // Pictures of the cards coming and going, drawn while the switch runs;
    // the incoming card itself shows once it is over.
    QImage m_entering;
    QImage m_leaving;
    QSize m_leavingOuter;
    notchkit::AnimationDriver m_driver;
    notchkit::AnimatedValue m_progress{1, 0.001};
};

}  // namespace halvane
