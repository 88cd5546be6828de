#include "Halvane/App/Shell/UpdateCheckDialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QVBoxLayout>

#include "Halvane/App/Shell/IconView.h"
#include "Halvane/App/Shell/OnboardingButton.h"
#include "Halvane/App/Shell/ShellLook.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"

namespace halvane {

UpdateCheckDialog::UpdateCheckDialog(QWidget* parent)
    : QWidget(parent),
      m_title(ShellLook::label({}, NotchFonts::system(16, QFont::Bold), Qt::white, this)),
      m_message(ShellLook::label({}, NotchFonts::system(12.5), NotchPalette::mutedText(), this,
                                 Qt::AlignLeft | Qt::AlignTop, true)),
      m_busy(new QProgressBar(this)),
      m_secondary(new OnboardingButton({}, OnboardingButton::Style::secondary, this)),
      m_primary(new OnboardingButton({}, OnboardingButton::Style::primary, this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::StrongFocus);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // No range: the bar runs back and forth until the answer is in.
    m_busy->setRange(0, 0);
    m_busy->setTextVisible(false);
    m_busy->setFixedHeight(4);
    m_busy->setStyleSheet(QStringLiteral(
        "QProgressBar { background: rgba(255,255,255,20); border: none; border-radius: 2px; }"
        "QProgressBar::chunk { background: rgb(250,140,77); border-radius: 2px; }"));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(26, 24, 26, 22);
    column->setSpacing(10);
    auto* header = new QHBoxLayout;
    header->setSpacing(10);
    header->addWidget(new IconView(Icon::download, 20, NotchPalette::accent(), this));
    header->addWidget(m_title, 1);
    column->addLayout(header);
    column->addWidget(m_message, 1);
    column->addWidget(m_busy);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    buttons->addStretch(1);
    buttons->addWidget(m_secondary);
    buttons->addWidget(m_primary);
    column->addLayout(buttons);

    connect(m_primary, &OnboardingButton::clicked, this, &UpdateCheckDialog::primaryPressed);
    connect(m_secondary, &OnboardingButton::clicked, this, &UpdateCheckDialog::dismissRequested);
    showChecking();
}

QString UpdateCheckDialog::title() const {
    return m_title->text();
}

QString UpdateCheckDialog::message() const {
    return m_message->text();
}

OnboardingButton* UpdateCheckDialog::secondaryButton() const {
    return m_secondary->isHidden() ? nullptr : m_secondary;
}

bool UpdateCheckDialog::busy() const {
    return !m_busy->isHidden();
}

void UpdateCheckDialog::setTexts(const QString& title, const QString& message) {
    m_title->setText(title);
    m_message->setText(message);
}

void UpdateCheckDialog::showChecking() {
    m_state = State::checking;
    m_downloadLink.clear();
    setTexts(QStringLiteral("Checking for updates\u2026"),
             QStringLiteral("Asking the update server whether a newer Halvane is out."));
    m_busy->show();
    m_secondary->hide();
    m_primary->setLabel(QStringLiteral("Cancel"));
    m_primary->setStyle(OnboardingButton::Style::secondary);
}

void UpdateCheckDialog::showResult(const UpdateCheckResult& result) {
    m_busy->hide();
    m_primary->setStyle(OnboardingButton::Style::primary);
    m_secondary->hide();
    switch (result.outcome) {
        case UpdateCheckResult::Outcome::updateAvailable:
            m_state = State::updateAvailable;
            m_downloadLink = result.latest->downloadLink;
            setTexts(QStringLiteral("Halvane %1 is available").arg(result.latest->version),
                     QStringLiteral("You have %1. Halvane doesn't replace itself: install the new "
                                    "version with your package manager, or get the package from "
                                    "its download page.")
                         .arg(result.currentVersion));
            m_primary->setLabel(QStringLiteral("Open download page"));
            m_secondary->setLabel(QStringLiteral("Later"));
            m_secondary->show();
            break;
        case UpdateCheckResult::Outcome::upToDate:
            m_state = State::upToDate;
            setTexts(QStringLiteral("You're up to date"),
                     QStringLiteral("Halvane %1 is the newest version available.")
                         .arg(result.currentVersion));
            m_primary->setLabel(QStringLiteral("OK"));
            break;
        case UpdateCheckResult::Outcome::failed:
            m_state = State::failed;
            setTexts(
                QStringLiteral("Couldn't check for updates"),
                result.problem.left(1).toUpper() + result.problem.mid(1) + QStringLiteral("."));
            m_primary->setLabel(QStringLiteral("OK"));
            break;
    }
}

void UpdateCheckDialog::showUnavailable() {
    m_state = State::unavailable;
    m_busy->hide();
    m_secondary->hide();
    setTexts(QStringLiteral("Update checks are off"),
             QStringLiteral("This build of Halvane has no update feed. New versions come through "
                            "your package manager."));
    m_primary->setStyle(OnboardingButton::Style::primary);
    m_primary->setLabel(QStringLiteral("OK"));
}

void UpdateCheckDialog::primaryPressed() {
    switch (m_state) {
        case State::checking:
            emit cancelRequested();
            break;
        case State::updateAvailable:
            emit openDownloadRequested(m_downloadLink);
            break;
        case State::upToDate:
        case State::failed:
        case State::unavailable:
            emit dismissRequested();
            break;
    }
}

void UpdateCheckDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (m_state == State::checking) {
            emit cancelRequested();
        } else {
            emit dismissRequested();
        }
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        primaryPressed();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void UpdateCheckDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    ShellLook::paintWindowBackground(painter, QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

}  // namespace halvane
