#include "Halvane/Notch/SessionList/StatusChip.h"

#include <QHBoxLayout>
#include <QPainter>

#include "Halvane/Notch/Components/PulseDot.h"
#include "Halvane/Notch/Components/TypingDots.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"
#include "Halvane/Theme/NotchText.h"

namespace halvane {

namespace {
constexpr int kSpacing = 5;
}

StatusChip::Look StatusChip::lookFor(SessionUIStatus status) {
    switch (status) {
        case SessionUIStatus::waiting:
            return {NotchPalette::accent(), QStringLiteral("Waiting for input")};
        case SessionUIStatus::working:
            return {NotchPalette::accent(), QStringLiteral("Working")};
        case SessionUIStatus::done:
            return {NotchPalette::systemGreen(), QStringLiteral("Done")};
        case SessionUIStatus::yourTurn:
            return {NotchPalette::systemOrange(), QStringLiteral("Your turn")};
        case SessionUIStatus::idle:
            break;
    }
    return {QColor::fromRgbF(1, 1, 1, 0.45f), QStringLiteral("Idle")};
}

StatusChip::StatusChip(SessionUIStatus status, QWidget* parent)
    : QWidget(parent), m_status(status), m_layout(new QHBoxLayout(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_layout->setContentsMargins(7, 2, 7, 2);
    m_layout->setSpacing(kSpacing);
    build();
}

void StatusChip::setStatus(SessionUIStatus status) {
    if (status == m_status) {
        return;
    }
    m_status = status;
    build();
    update();
}

void StatusChip::build() {
    while (QLayoutItem* item = m_layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const Look look = lookFor(m_status);
    auto* label = new NotchText(look.text, NotchFonts::rounded(10, QFont::DemiBold), look.color);
    label->setElideMode(Qt::ElideNone);
    if (m_status == SessionUIStatus::waiting) {
        m_layout->addWidget(new PulseDot(look.color), 0, Qt::AlignVCenter);
    }
    m_layout->addWidget(label, 0, Qt::AlignVCenter);
    if (m_status == SessionUIStatus::working) {
        m_layout->addWidget(new TypingDots(look.color), 0, Qt::AlignVCenter);
    }
}

void StatusChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    NotchShapes::fillRoundedRect(painter, QRectF(rect()), kCornerRadius,
                                 NotchPalette::withOpacity(lookFor(m_status).color, kFillOpacity));
}

}  // namespace halvane
