#pragma once

#include <QString>
#include <QWidget>

#include <chrono>
#include <vector>

class QTimer;
class QVariantAnimation;

namespace halvane {

// A scripted preview of what Halvane does: a permission prompt in a fake
// notch whose diff lines appear one by one, then its buttons, then a pause,
// and again, for as long as it is on screen. Nothing in it can be pressed.
class MockNotchDemo final : public QWidget {
    Q_OBJECT

public:
    struct Line {
        QString marker;  // "+" for an added line, " " for an unchanged one
        QString text;
    };

    struct Timings {
        std::chrono::milliseconds start{400};
        std::chrono::milliseconds step{450};
        std::chrono::milliseconds hold{2000};
    };

    static constexpr int kWidth = 420;

    // The three lines the welcome step shows.
    static std::vector<Line> welcomeLines();

    explicit MockNotchDemo(std::vector<Line> lines, QWidget* parent = nullptr);
    MockNotchDemo(std::vector<Line> lines, Timings timings, QWidget* parent = nullptr);

    const std::vector<Line>& lines() const { return m_lines; }
    // How many lines show; one more than the lines means the buttons show too.
    int phase() const { return m_phase; }
    bool running() const;

    QSize sizeHint() const override;

signals:
    void phaseChanged(int phase);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void restart();
    void step();
    void setPhase(int phase);
    int codeHeight() const;

    std::vector<Line> m_lines;
    Timings m_timings;
    int m_phase = 0;
    // How far the newest line or the buttons have faded in.
    qreal m_reveal = 1;
    QTimer* m_timer;
    QVariantAnimation* m_revealAnimation;
};

}  // namespace halvane
