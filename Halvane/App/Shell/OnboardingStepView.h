#pragma once

#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace halvane {

class OnboardingButton;

// The frame every onboarding step shares: a hero area, a title, a subtitle,
// a hint that shows only while the primary button is disabled, the primary
// button and an optional secondary one to its left.
class OnboardingStepView : public QWidget {
    Q_OBJECT

public:
    explicit OnboardingStepView(QWidget* parent = nullptr);

    OnboardingButton* primaryButton() const { return m_primary; }
    // Null while the step has no secondary button.
    OnboardingButton* secondaryButton() const;
    QString title() const;
    QString subtitle() const;
    // The hint as shown: empty while the primary button is enabled.
    QString visibleHint() const;

    // Called as the step becomes the current one and as it stops being it.
    virtual void stepShown() {}
    virtual void stepHidden() {}

protected:
    // The secondary button whether it shows or not, for wiring it up.
    OnboardingButton* secondaryControl() const { return m_secondary; }
    void setHero(QWidget* hero);
    void setTitle(const QString& title);
    void setSubtitle(const QString& subtitle);
    void setHint(const QString& hint);
    void setPrimary(const QString& label, bool enabled = true);
    // An empty label removes the secondary button.
    void setSecondary(const QString& label);

private:
    void updateHint();

    QVBoxLayout* m_heroSlot;
    QLabel* m_title;
    QLabel* m_subtitle;
    QLabel* m_hint;
    QString m_hintText;
    OnboardingButton* m_secondary;
    OnboardingButton* m_primary;
};

}  // namespace halvane
