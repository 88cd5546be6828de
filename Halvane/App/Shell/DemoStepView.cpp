#include "Halvane/App/Shell/DemoStepView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "Halvane/App/Shell/ConfettiView.h"
#include "Halvane/App/Shell/IconView.h"
#include "Halvane/App/Shell/MockNotchBanner.h"
#include "Halvane/App/Shell/OnboardingButton.h"
#include "Halvane/App/Shell/OnboardingFeedback.h"
#include "Halvane/App/Shell/OnboardingFlow.h"
#include "Halvane/App/Shell/ShellLook.h"
#include "Halvane/Sessions/Preferences.h"
#include "Halvane/Sessions/SessionStore.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

namespace {

constexpr int kConfettiPieces = 90;

// A rounded tag: a terminal's name, or the prompt to type.
class Chip final : public QLabel {
public:
    Chip(const QString& text, const QFont& font, QWidget* parent) : QLabel(text, parent) {
        setFont(font);
        setTextFormat(Qt::PlainText);
        setContentsMargins(10, 4, 10, 4);
        setAttribute(Qt::WA_TranslucentBackground);
        ShellLook::setTextColor(*this, QColor::fromRgbF(1, 1, 1, 0.85f));
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        NotchShapes::fillRoundedRect(painter, QRectF(rect()), 8, NotchPalette::chipFill(),
                                     NotchPalette::cardStroke(), 1);
        painter.end();
        QLabel::paintEvent(event);
    }
};

QWidget* waitingHelp(QWidget* parent) {
    auto* help = new QWidget(parent);
    help->setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(help);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    column->addWidget(
        ShellLook::label(QStringLiteral("Run any of these:"), NotchFonts::system(12, QFont::Medium),
                         NotchPalette::mutedText(), help, Qt::AlignCenter),
        0, Qt::AlignHCenter);
    auto* chips = new QHBoxLayout;
    chips->setSpacing(8);
    chips->addStretch(1);
    for (const char* terminal : {"Terminal", "Konsole", "Ghostty", "Cursor"}) {
        chips->addWidget(new Chip(QString::fromLatin1(terminal),
                                  NotchFonts::system(11.5, QFont::DemiBold), help));
    }
    chips->addStretch(1);
    column->addLayout(chips);
    auto* command = new QHBoxLayout;
    command->setSpacing(10);
    command->addStretch(1);
    command->addWidget(
        new Chip(QStringLiteral("$ claude"), NotchFonts::monospaced(12, QFont::DemiBold), help));
    command->addWidget(ShellLook::label(QStringLiteral("then type"), NotchFonts::system(12),
                                        NotchPalette::dimText(), help));
    command->addWidget(new Chip(QStringLiteral("\u201cadd a test for the login form\u201d"),
                                NotchFonts::monospaced(12), help));
    command->addStretch(1);
    column->addLayout(command);
    return help;
}

}  // namespace

DemoStepView::DemoStepView(OnboardingFlow& flow, OnboardingFeedback& feedback,
                           const OnboardingTimings& timings, QWidget* parent)
    : OnboardingStepView(parent),
      m_flow(flow),
      m_feedback(feedback),
      m_timings(timings),
      m_banner(new MockNotchBanner(QStringLiteral("Waiting for Claude\u2026"))) {
    auto* hero = new QWidget;
    hero->setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(hero);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(22);
    column->addStretch(1);
    m_banner->setParent(hero);
    column->addWidget(m_banner, 0, Qt::AlignHCenter);
    m_waitingHelp = waitingHelp(hero);
    column->addWidget(m_waitingHelp, 0, Qt::AlignHCenter);

    m_summaryRow = new QWidget(hero);
    m_summaryRow->setAttribute(Qt::WA_TranslucentBackground);
    auto* summary = new QHBoxLayout(m_summaryRow);
    summary->setContentsMargins(0, 0, 0, 0);
    summary->setSpacing(8);
    summary->addWidget(
        new IconView(Icon::verifiedSeal, 16, NotchPalette::systemGreen(), m_summaryRow));
    m_summary =
        ShellLook::label({}, NotchFonts::system(14, QFont::DemiBold), Qt::white, m_summaryRow);
    summary->addWidget(m_summary);
    column->addWidget(m_summaryRow, 0, Qt::AlignHCenter);
    column->addStretch(1);
    setHero(hero);

    m_confetti = new ConfettiView(kConfettiPieces, timings.confetti,
                                  ConfettiView::celebrationPalette(), this);

    connect(primaryButton(), &OnboardingButton::clicked, this, [this] {
        m_flow.preferences().setOnboardingCompleted(true);
        emit finished();
    });
    connect(secondaryControl(), &OnboardingButton::clicked, &flow, &OnboardingFlow::goBack);
    connect(&flow.sessions(), &SessionStore::changed, this, &DemoStepView::sessionsChanged);
    m_sessionCount = flow.sessions().sessions().size();
    apply();
}

QString DemoStepView::summaryText(std::size_t sessions) {
    return QString::number(sessions) + QStringLiteral(" session") +
           (sessions == 1 ? QString() : QStringLiteral("s")) + QStringLiteral(" detected");
}

QString DemoStepView::summary() const {
    return m_summaryRow->isHidden() ? QString() : m_summary->text();
}

void DemoStepView::resizeEvent(QResizeEvent* event) {
    m_confetti->setGeometry(rect());
    OnboardingStepView::resizeEvent(event);
}

void DemoStepView::stepShown() {
    m_shown = true;
    m_detected = false;
    m_pulse = true;
    m_sessionCount = m_flow.sessions().sessions().size();
    apply();
    if (m_sessionCount >= 1) {
        m_detectExisting.start(m_timings.detectExisting, [this] { triggerDetection(); });
    }
}

void DemoStepView::stepHidden() {
    m_shown = false;
    m_pulse = false;
    m_detectExisting.cancel();
    m_secondBurst.cancel();
}

void DemoStepView::sessionsChanged() {
    const std::size_t count = m_flow.sessions().sessions().size();
    const bool changed = count != m_sessionCount;
    m_sessionCount = count;
    if (m_detected) {
        apply();
    }
    if (m_shown && changed && count >= 1) {
        triggerDetection();
    }
}

void DemoStepView::triggerDetection() {
    if (m_detected) {
        return;
    }
    m_detected = true;
    apply();
    m_feedback.celebrate();
    m_confetti->setTrigger(++m_confettiTrigger);
    m_secondBurst.start(m_timings.secondBurst,
                        [this] { m_confetti->setTrigger(++m_confettiTrigger); });
}

void DemoStepView::apply() {
    if (m_detected) {
        setTitle(QStringLiteral("You're all set!"));
        setSubtitle(
            QStringLiteral("Your Claude Code session is live in the notch. Anytime Claude needs "
                           "you, it'll show up."));
        m_banner->setStatus(QStringLiteral("Session detected"), true);
        m_summary->setText(summaryText(m_flow.sessions().sessions().size()));
        setPrimary(QStringLiteral("Open Halvane"));
        setSecondary({});
    } else {
        setTitle(QStringLiteral("Try it out"));
        setSubtitle(
            QStringLiteral("Open Claude Code in any terminal \u2014 your session will appear here "
                           "as soon as it starts."));
        m_banner->setStatus(QStringLiteral("Waiting for Claude\u2026"), false);
        setPrimary(QStringLiteral("I'll do this later"));
        setSecondary(QStringLiteral("Back"));
    }
    m_waitingHelp->setVisible(!m_detected);
    m_summaryRow->setVisible(m_detected);
}

}  // namespace halvane
