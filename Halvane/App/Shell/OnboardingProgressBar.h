#pragma once

#include <QWidget>

namespace halvane {

// Where the user is among the onboarding steps: one short bar per step, lit
// up to the current one.
class OnboardingProgressBar final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSegmentWidth = 28;
    static constexpr int kSegmentHeight = 4;
    static constexpr int kSpacing = 6;

    OnboardingProgressBar(int current, int total, QWidget* parent = nullptr);

    int current() const { return m_current; }
    int total() const { return m_total; }
    // `current` counts from 1.
    void setCurrent(int current);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_current;
    int m_total;
};

}  // namespace halvane
