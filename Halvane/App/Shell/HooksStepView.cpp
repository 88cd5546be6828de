#include "Halvane/App/Shell/HooksStepView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "Halvane/App/Shell/HooksFailureText.h"
#include "Halvane/App/Shell/HooksPreviewCard.h"
#include "Halvane/App/Shell/OnboardingButton.h"
#include "Halvane/App/Shell/OnboardingFeedback.h"
#include "Halvane/App/Shell/OnboardingFlow.h"
#include "Halvane/App/Shell/ShellLook.h"
#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Sessions/HooksInstaller.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"

namespace halvane {

HooksStepView::HooksStepView(OnboardingFlow& flow, OnboardingFeedback& feedback,
                             std::chrono::milliseconds advanceAfterInstall, QWidget* parent)
    : OnboardingStepView(parent),
      m_flow(flow),
      m_feedback(feedback),
      m_advanceAfterInstall(advanceAfterInstall),
      m_preview(new HooksPreviewCard),
      m_failure(ShellLook::label({}, NotchFonts::system(11.5, QFont::Medium),
                                 NotchPalette::systemRed(), nullptr,
                                 Qt::AlignLeft | Qt::AlignVCenter, true)),
      m_continue(new OnboardingButton(QStringLiteral("Continue anyway"),
                                      OnboardingButton::Style::secondary)) {
    // The preview with, under it, what went wrong and the way on without hooks.
    auto* hero = new QWidget;
    hero->setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(hero);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    column->addWidget(m_preview);
    auto* failureRow = new QHBoxLayout;
    failureRow->setSpacing(12);
    m_failure->setParent(hero);
    m_failure->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_failure->setMaximumWidth(m_preview->width() - m_continue->sizeHint().width() - 12);
    m_continue->setParent(hero);
    failureRow->addWidget(m_failure, 1);
    failureRow->addWidget(m_continue, 0, Qt::AlignVCenter);
    column->addLayout(failureRow);
    m_failure->hide();
    m_continue->hide();
    setHero(hero);

    setTitle(QStringLiteral("Connect to Claude Code"));
    setSubtitle(
        QStringLiteral("Halvane needs to register a tiny hook so Claude can ping the notch when "
                       "it wants your attention."));
    setSecondary(QStringLiteral("Back"));
    updateButton();
    connect(primaryButton(), &OnboardingButton::clicked, this, [this] {
        // Between "Installed ✓" and the move on, a second press would skip a step.
        if (m_advance.isActive()) {
            return;
        }
        if (m_flow.hooksInstalled()) {
            m_flow.advance();
        } else {
            install();
        }
    });
    connect(m_continue, &OnboardingButton::clicked, &flow, &OnboardingFlow::advance);
    connect(secondaryControl(), &OnboardingButton::clicked, &flow, &OnboardingFlow::goBack);
    connect(&flow, &OnboardingFlow::statusChanged, this, &HooksStepView::updateButton);
}

QString HooksStepView::failureText() const {
    return m_failure->isHidden() ? QString() : m_failure->text();
}

void HooksStepView::stepShown() {
    // Each visit starts fresh, as a step seen anew.
    m_justInstalled = false;
    showFailure({});
    m_preview->refresh();
    updateButton();
}

void HooksStepView::stepHidden() {
    m_advance.cancel();
}

void HooksStepView::install() {
    const HooksResult result = HooksInstaller::installIfNeeded();
    log::system("Onboarding install: " + result.text());
    m_flow.refreshStatus();
    m_preview->refresh();
    const QString failure = HooksFailureText::of(result);
    showFailure(failure);
    if (!failure.isEmpty()) {
        return;
    }
    m_feedback.success();
    m_justInstalled = true;
    updateButton();
    m_advance.start(m_advanceAfterInstall, [this] { m_flow.advance(); });
}

void HooksStepView::showFailure(const QString& failure) {
    m_failure->setText(failure);
    m_failure->setVisible(!failure.isEmpty());
    updateButton();
}

void HooksStepView::updateButton() {
    // Installed after all, from elsewhere: the failure is old news.
    if (m_flow.hooksInstalled()) {
        m_failure->hide();
    }
    const bool failed = !m_failure->isHidden();
    if (m_justInstalled) {
        setPrimary(QStringLiteral("Installed \u2713"));
    } else if (m_flow.hooksInstalled()) {
        setPrimary(QStringLiteral("Already installed \u2014 Continue"));
    } else if (failed) {
        setPrimary(QStringLiteral("Try again"));
    } else {
        setPrimary(QStringLiteral("Install hooks"));
    }
    m_continue->setVisible(failed);
}

}  // namespace halvane
