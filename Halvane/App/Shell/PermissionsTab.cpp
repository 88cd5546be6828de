#include "Halvane/App/Shell/PermissionsTab.h"

#include <QTimer>
#include <QVBoxLayout>

#include "Halvane/App/Shell/AccessibilityRow.h"
#include "Halvane/App/Shell/OnboardingFeedback.h"
#include "Halvane/App/Shell/ShellServices.h"
#include "Halvane/Platform/AccessibilitySettings.h"

namespace halvane {

PermissionsTab::PermissionsTab(const ShellServices& services, OnboardingFeedback& feedback,
                               std::chrono::milliseconds pollInterval, QWidget* parent)
    : QWidget(parent),
      m_services(services),
      m_feedback(feedback),
      m_granted(services.accessibilityTrusted()),
      m_row(new AccessibilityRow(this)),
      m_poll(new QTimer(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_row);
    column->addStretch(1);
    m_row->setState(m_granted, m_services.accessibilityTrustedAtLaunch());

    connect(m_row, &AccessibilityRow::openSettingsRequested, this,
            [this] { m_services.accessibilitySettings.open(); });
    connect(m_row, &AccessibilityRow::restartRequested, this, [this] { m_services.relaunch(); });
    m_poll->setInterval(pollInterval);
    connect(m_poll, &QTimer::timeout, this, &PermissionsTab::refresh);
}

bool PermissionsTab::polling() const {
    return m_poll->isActive();
}

void PermissionsTab::refresh() {
    const bool granted = m_services.accessibilityTrusted();
    const bool atLaunch = m_services.accessibilityTrustedAtLaunch();
    if (granted != m_granted) {
        if (granted && atLaunch) {
            m_feedback.success();
        }
        m_granted = granted;
    }
    m_row->setState(m_granted, atLaunch);
}

void PermissionsTab::showEvent(QShowEvent* event) {
    refresh();
    m_poll->start();
    QWidget::showEvent(event);
}

void PermissionsTab::hideEvent(QHideEvent* event) {
    m_poll->stop();
    QWidget::hideEvent(event);
}

}  // namespace halvane
