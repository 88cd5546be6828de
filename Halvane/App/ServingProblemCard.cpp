#include "Halvane/App/ServingProblemCard.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace halvane {

namespace {

constexpr int cardWidth = 460;
constexpr int topMargin = 8;

}  // namespace

ServingProblemCard::ServingProblemCard(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus) {
    setObjectName(QStringLiteral("servingProblemCard"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setStyleSheet(QStringLiteral(
        "#servingProblemCard { background: #1c1c1e; border: 1px solid #ff6b5a; border-radius: "
        "12px; } QLabel { color: #f2f2f7; } #servingProblemTitle { color: #ff6b5a; font-weight: "
        "600; } QPushButton { color: #f2f2f7; background: #3a3a3c; border: none; "
        "border-radius: 6px; padding: 4px 12px; }"));
    setAttribute(Qt::WA_StyledBackground);
    auto* title = new QLabel(tr("Halvane is not receiving Claude Code's hooks"), this);
    title->setObjectName(QStringLiteral("servingProblemTitle"));
    m_text = new QLabel(this);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* dismiss = new QPushButton(tr("Hide"), this);
    connect(dismiss, &QPushButton::clicked, this, [this] {
        m_dismissed = m_text->text();
        hide();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(dismiss);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(title);
    layout->addWidget(m_text);
    layout->addLayout(buttons);
    setFixedWidth(cardWidth);
}

void ServingProblemCard::setProblem(const QString& problem) {
    m_text->setText(problem);
    if (problem.isEmpty()) {
        m_dismissed.clear();
        hide();
        return;
    }
    if (problem == m_dismissed) {
        return;
    }
    adjustSize();
    placeAtTopCentre();
    show();
}

QString ServingProblemCard::problem() const {
    return m_text->text();
}

void ServingProblemCard::placeAtTopCentre() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    move(area.center().x() - width() / 2, area.top() + topMargin);
}

}  // namespace halvane
