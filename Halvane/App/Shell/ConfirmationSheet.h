#pragma once

#include <QWidget>

class QLabel;

namespace halvane {

class OnboardingButton;

// A question laid over a window: the window dims and a card asks it, with
// "Cancel" and a destructive action. Escape or a click on the dimmed part
// cancels. Opening another question replaces the one showing; confirmed()
// answers the one showing last.
class ConfirmationSheet final : public QWidget {
    Q_OBJECT

public:
    explicit ConfirmationSheet(QWidget* parent);

    void ask(const QString& title, const QString& message, const QString& action);
    void cancel();

    bool asking() const { return !isHidden(); }
    QString title() const;
    QString message() const;
    OnboardingButton* actionButton() const { return m_action; }
    OnboardingButton* cancelButton() const { return m_cancel; }

signals:
    // The destructive action was chosen; the sheet is closed by then.
    void confirmed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void confirm();
    QRect cardRect() const;

    QWidget* m_card;
    QLabel* m_title;
    QLabel* m_message;
    OnboardingButton* m_cancel;
    OnboardingButton* m_action;
};

}  // namespace halvane
