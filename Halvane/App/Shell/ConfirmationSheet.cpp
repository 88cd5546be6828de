#include "Halvane/App/Shell/ConfirmationSheet.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "Halvane/App/Shell/OnboardingButton.h"
#include "Halvane/App/Shell/ShellLook.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

namespace {

constexpr int kCardWidth = 400;

// The card itself paints its glass; the sheet around it only dims.
class Card final : public QWidget {
public:
    explicit Card(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TranslucentBackground); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        NotchShapes::fillRoundedRect(painter, QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 16,
                                     QColor(30, 30, 33, 252), QColor::fromRgbF(1, 1, 1, 0.12f), 1);
    }
};

}  // namespace

ConfirmationSheet::ConfirmationSheet(QWidget* parent)
    : QWidget(parent),
      m_card(new Card(this)),
      m_title(ShellLook::label({}, NotchFonts::system(15, QFont::Bold), Qt::white, m_card,
                               Qt::AlignLeft | Qt::AlignVCenter, true)),
      m_message(ShellLook::label({}, NotchFonts::system(12.5), NotchPalette::mutedText(), m_card,
                                 Qt::AlignLeft | Qt::AlignTop, true)),
      m_cancel(new OnboardingButton(QStringLiteral("Cancel"), OnboardingButton::Style::secondary,
                                    m_card)),
      m_action(new OnboardingButton({}, OnboardingButton::Style::primary, m_card)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::StrongFocus);
    auto* column = new QVBoxLayout(m_card);
    column->setContentsMargins(22, 20, 22, 18);
    column->setSpacing(10);
    column->addWidget(m_title);
    column->addWidget(m_message);
    column->addSpacing(6);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_action);
    column->addLayout(buttons);
    m_card->setFixedWidth(kCardWidth);

    connect(m_cancel, &OnboardingButton::clicked, this, &ConfirmationSheet::cancel);
    connect(m_action, &OnboardingButton::clicked, this, &ConfirmationSheet::confirm);
    parent->installEventFilter(this);
    hide();
}

QString ConfirmationSheet::title() const {
    return m_title->text();
}

QString ConfirmationSheet::message() const {
    return m_message->text();
}

void ConfirmationSheet::ask(const QString& title, const QString& message, const QString& action) {
    m_title->setText(title);
    m_message->setText(message);
    m_action->setLabel(action);
    setGeometry(parentWidget()->rect());
    m_card->adjustSize();
    m_card->setGeometry(cardRect());
    show();
    raise();
    setFocus(Qt::OtherFocusReason);
}

void ConfirmationSheet::cancel() {
    hide();
}

void ConfirmationSheet::confirm() {
    // Closed first: a receiver may ask the next question.
    hide();
    emit confirmed();
}

QRect ConfirmationSheet::cardRect() const {
    const QSize size(kCardWidth, m_card->heightForWidth(kCardWidth) > 0
                                     ? m_card->heightForWidth(kCardWidth)
                                     : m_card->sizeHint().height());
    return QRect((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(),
                 size.height());
}

bool ConfirmationSheet::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
        m_card->setGeometry(cardRect());
    }
    return QWidget::eventFilter(watched, event);
}

void ConfirmationSheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        cancel();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ConfirmationSheet::mousePressEvent(QMouseEvent* event) {
    if (!m_card->geometry().contains(event->position().toPoint())) {
        cancel();
    }
    event->accept();
}

void ConfirmationSheet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(
        NotchShapes::continuousRoundedRect(QRectF(rect()), ShellLook::kWindowCornerRadius),
        QColor(0, 0, 0, 150));
}

}  // namespace halvane
