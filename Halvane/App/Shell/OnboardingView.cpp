#include "Halvane/App/Shell/OnboardingView.h"

#include <QKeyEvent>
#include <QPainter>
#include <QRadialGradient>
#include <QTimer>
#include <QVariantAnimation>

#include <cmath>
#include <numbers>

#include "Halvane/App/Shell/DemoStepView.h"
#include "Halvane/App/Shell/HooksStepView.h"
#include "Halvane/App/Shell/OnboardingButton.h"
#include "Halvane/App/Shell/OnboardingProgressBar.h"
#include "Halvane/App/Shell/PermissionsStepView.h"
#include "Halvane/App/Shell/ShellLook.h"
#include "Halvane/App/Shell/WelcomeStepView.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"
#include "NotchKit/Spring.h"

namespace halvane {

namespace {

constexpr int kProgressTop = 26;
constexpr int kStepsTop = 52;
constexpr int kBackgroundFrameMilliseconds = 33;
// One full turn of the background glow.
constexpr qreal kSecondsPerTurn = 24;

std::size_t indexOf(OnboardingFlow::Step step) {
    return static_cast<std::size_t>(step);
}

}  // namespace

OnboardingView::OnboardingView(OnboardingFlow& flow, ShellServices services,
                               OnboardingTimings timings, QWidget* parent)
    : QWidget(parent),
      m_flow(flow),
      m_services(std::move(services)),
      m_timings(timings),
      m_feedback(m_services.sounds, m_services.preferences),
      m_progress(new OnboardingProgressBar(static_cast<int>(flow.step()) + 1,
                                           OnboardingFlow::kStepCount, this)),
      m_current(flow.step()),
      m_previous(flow.step()),
      m_transition(new QVariantAnimation(this)),
      m_backgroundFrames(new QTimer(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::StrongFocus);

    m_steps[indexOf(OnboardingFlow::Step::welcome)] =
        new WelcomeStepView(flow, m_services, m_timings, this);
    m_steps[indexOf(OnboardingFlow::Step::hooks)] =
        new HooksStepView(flow, m_feedback, m_timings.advanceAfterInstall, this);
    m_steps[indexOf(OnboardingFlow::Step::permissions)] =
        new PermissionsStepView(flow, m_services, this);
    auto* demo = new DemoStepView(flow, m_feedback, m_timings, this);
    connect(demo, &DemoStepView::finished, this, &OnboardingView::finished);
    m_steps[indexOf(OnboardingFlow::Step::demo)] = demo;
    for (auto* step : m_steps) {
        step->hide();
    }

    const notchkit::Spring spring(kSpringResponse, kSpringDamping);
    m_transition->setStartValue(0.0);
    m_transition->setEndValue(spring.settlingDuration());
    m_transition->setDuration(static_cast<int>(std::ceil(spring.settlingDuration() * 1000)));
    connect(
        m_transition, &QVariantAnimation::valueChanged, this,
        [this, spring](const QVariant& seconds) { placeSteps(spring.progress(seconds.toReal())); });
    connect(m_transition, &QVariantAnimation::finished, this, [this] {
        if (m_previous != m_current) {
            stepView(m_previous)->hide();
        }
        placeSteps(1);
    });

    m_backgroundFrames->setInterval(kBackgroundFrameMilliseconds);
    connect(m_backgroundFrames, &QTimer::timeout, this, [this] {
        m_rotation = std::fmod(
            m_rotation + 360.0 * kBackgroundFrameMilliseconds / 1000.0 / kSecondsPerTurn, 360.0);
        update();
    });

    connect(&flow, &OnboardingFlow::stepChanged, this, &OnboardingView::stepChanged);
    currentStepView()->show();
    currentStepView()->stepShown();
}

OnboardingView::~OnboardingView() = default;

OnboardingStepView* OnboardingView::stepView(OnboardingFlow::Step step) const {
    return m_steps[indexOf(step)];
}

OnboardingStepView* OnboardingView::currentStepView() const {
    return stepView(m_current);
}

bool OnboardingView::transitioning() const {
    return m_transition->state() == QAbstractAnimation::Running;
}

QRect OnboardingView::stepArea() const {
    return QRect(0, kStepsTop, width(), height() - kStepsTop);
}

void OnboardingView::stepChanged() {
    const OnboardingFlow::Step next = m_flow.step();
    if (next == m_current) {
        return;
    }
    if (m_transition->state() == QAbstractAnimation::Running) {
        m_transition->stop();
        stepView(m_previous)->hide();
    }
    m_previous = m_current;
    m_current = next;
    stepView(m_previous)->stepHidden();
    m_progress->setCurrent(static_cast<int>(m_current) + 1);
    currentStepView()->show();
    currentStepView()->raise();
    currentStepView()->stepShown();
    placeSteps(0);
    m_transition->start();
}

void OnboardingView::placeSteps(qreal progress) {
    const QRect area = stepArea();
    // Forward slides in from the right, back from the left.
    const int direction = m_current >= m_previous ? 1 : -1;
    const int incoming = static_cast<int>(std::lround(direction * area.width() * (1 - progress)));
    currentStepView()->setGeometry(area.translated(incoming, 0));
    if (m_previous != m_current && stepView(m_previous)->isVisible()) {
        const int outgoing = static_cast<int>(std::lround(-direction * area.width() * progress));
        stepView(m_previous)->setGeometry(area.translated(outgoing, 0));
    }
}

void OnboardingView::resizeEvent(QResizeEvent* event) {
    const QSize bar = m_progress->sizeHint();
    m_progress->setGeometry((width() - bar.width()) / 2, kProgressTop, bar.width(), bar.height());
    placeSteps(transitioning() ? 0 : 1);
    QWidget::resizeEvent(event);
}

void OnboardingView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* primary = currentStepView()->primaryButton(); primary->isEnabled()) {
            primary->click();
        }
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void OnboardingView::showEvent(QShowEvent* event) {
    m_backgroundFrames->start();
    QWidget::showEvent(event);
}

void OnboardingView::hideEvent(QHideEvent* event) {
    m_backgroundFrames->stop();
    QWidget::hideEvent(event);
}

void OnboardingView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    ShellLook::paintWindowBackground(painter, frame);

    // Two soft glows circle the middle, half a turn apart.
    painter.setClipPath(NotchShapes::continuousRoundedRect(frame, ShellLook::kWindowCornerRadius));
    const QPointF centre = frame.center();
    const qreal orbit = frame.width() * 0.32;
    const qreal angle = m_rotation * std::numbers::pi / 180;
    const auto glow = [&](qreal at, const QColor& color, qreal radius) {
        const QPointF point(centre.x() + orbit * std::cos(at),
                            centre.y() + orbit * 0.55 * std::sin(at));
        QRadialGradient gradient(point, radius);
        gradient.setColorAt(0, color);
        gradient.setColorAt(1, Qt::transparent);
        painter.fillRect(frame, gradient);
    };
    glow(angle, NotchPalette::withOpacity(NotchPalette::accent(), 0.16), frame.width() * 0.45);
    glow(angle + std::numbers::pi, QColor(120, 90, 255, 30), frame.width() * 0.4);
}

}  // namespace halvane
