#pragma once

#include <QUrl>
#include <QWidget>

#include "Halvane/App/Shell/UpdateCheckResult.h"

class QLabel;
class QProgressBar;

namespace halvane {

class OnboardingButton;

// The window of a check the user asked for: a busy bar while it runs, then
// what it found. Halvane does not install updates itself, so a new version
// comes with the way to get it (the package manager) and a button that opens
// its download page.
class UpdateCheckDialog final : public QWidget {
    Q_OBJECT

public:
    enum class State { checking, updateAvailable, upToDate, failed, unavailable };

    static constexpr QSize kSize{460, 210};

    explicit UpdateCheckDialog(QWidget* parent = nullptr);

    State state() const { return m_state; }
    QString title() const;
    QString message() const;
    OnboardingButton* primaryButton() const { return m_primary; }
    // Null while the state offers only one button.
    OnboardingButton* secondaryButton() const;
    bool busy() const;

    void showChecking();
    void showResult(const UpdateCheckResult& result);
    // The build has no update feed.
    void showUnavailable();

signals:
    void cancelRequested();
    void openDownloadRequested(const QUrl& link);
    void dismissRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void primaryPressed();
    void setTexts(const QString& title, const QString& message);

    State m_state = State::checking;
    QUrl m_downloadLink;
    QLabel* m_title;
    QLabel* m_message;
    QProgressBar* m_busy;
    OnboardingButton* m_secondary;
    OnboardingButton* m_primary;
};

}  // namespace halvane
