#include "Halvane/App/Shell/AllowedRulesCard.h"

#include <QAbstractButton>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

#include "Halvane/App/Shell/IconView.h"
#include "Halvane/App/Shell/SettingsCard.h"
#include "Halvane/App/Shell/ShellLook.h"
#include "Halvane/Theme/IconGlyphs.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

namespace {

constexpr const char* kPatternProperty = "halvanePattern";

// "✕ Revoke": small, quiet until hovered.
class RevokeButton final : public QAbstractButton {
public:
    explicit RevokeButton(QWidget* parent) : QAbstractButton(parent) {
        setText(QStringLiteral("Revoke"));
        setFont(NotchFonts::system(11.5, QFont::DemiBold));
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        setAttribute(Qt::WA_Hover);
    }

    QSize sizeHint() const override {
        const qreal width = 10 + 10 + 5 + QFontMetricsF(font()).horizontalAdvance(text()) + 10;
        return QSize(static_cast<int>(std::ceil(width)), 24);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor red = NotchPalette::systemRed();
        NotchShapes::fillRoundedRect(painter, QRectF(rect()), 7,
                                     NotchPalette::withOpacity(red, underMouse() ? 0.22 : 0.12));
        IconGlyphs::draw(painter, Icon::close, QRectF(10, (height() - 10) / 2.0, 10, 10), 10,
                         QFont::Bold, red);
        painter.setPen(red);
        painter.setFont(font());
        painter.drawText(QRectF(25, 0, width() - 25, height()), Qt::AlignLeft | Qt::AlignVCenter,
                         text());
    }
};

// One rule: the pattern in the code face, its revoke button on the right.
class RuleRow final : public QWidget {
public:
    RuleRow(const QString& pattern, QAbstractButton* revoke, QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TranslucentBackground);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(12, 6, 8, 6);
        row->setSpacing(10);
        auto* text = ShellLook::label(pattern, NotchFonts::monospaced(11.5),
                                      QColor::fromRgbF(1, 1, 1, 0.9f), this);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        text->setWordWrap(true);
        row->addWidget(text, 1);
        revoke->setParent(this);
        row->addWidget(revoke, 0, Qt::AlignVCenter);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        NotchShapes::fillRoundedRect(painter, QRectF(rect()), 9, NotchPalette::codeFill(),
                                     NotchPalette::codeStroke(), 1);
    }
};

}  // namespace

AllowedRulesCard::AllowedRulesCard(QWidget* parent)
    : QWidget(parent),
      m_card(new SettingsCard(Icon::shieldCheck, QStringLiteral("Allowed rules"), this)),
      m_count(ShellLook::label({}, NotchFonts::system(11.5, QFont::DemiBold),
                               NotchPalette::mutedText(), m_card)),
      m_rows(new QWidget(m_card)),
      m_rowsLayout(new QVBoxLayout(m_rows)) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_card);
    m_card->setDetail(
        QStringLiteral("Patterns you've auto-approved with the \u201cAlways\u201d button. Halvane "
                       "will skip the prompt for these tools."));
    m_card->accessories()->addWidget(m_count);
    m_rows->setAttribute(Qt::WA_TranslucentBackground);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(6);
    m_card->body()->addWidget(m_rows);

    m_empty = new QWidget(m_card);
    m_empty->setAttribute(Qt::WA_TranslucentBackground);
    auto* empty = new QHBoxLayout(m_empty);
    empty->setContentsMargins(0, 4, 0, 2);
    empty->setSpacing(8);
    empty->addWidget(new IconView(Icon::infinity, 14, NotchPalette::dimText(), m_empty));
    empty->addWidget(
        ShellLook::label(
            QStringLiteral("No allowed rules \u2014 they'll show up here once you click "
                           "Always on a permission prompt."),
            NotchFonts::system(11.5), NotchPalette::dimText(), m_empty,
            Qt::AlignLeft | Qt::AlignVCenter, true),
        1);
    m_card->body()->addWidget(m_empty);
    rebuild();
}

QString AllowedRulesCard::countText() const {
    return m_count->text();
}

bool AllowedRulesCard::showsEmptyState() const {
    return !m_empty->isHidden();
}

QWidget* AllowedRulesCard::revokeButton(const std::string& pattern) const {
    for (auto* button : m_rows->findChildren<QAbstractButton*>()) {
        if (button->property(kPatternProperty).toString().toStdString() == pattern) {
            return button;
        }
    }
    return nullptr;
}

void AllowedRulesCard::setPatterns(const std::vector<std::string>& patterns) {
    if (m_built && patterns == m_patterns) {
        return;
    }
    m_patterns = patterns;
    rebuild();
}

void AllowedRulesCard::rebuild() {
    m_built = true;
    // Later, not now: the press that revoked a rule is still being handled
    // by a button in one of these rows.
    while (QLayoutItem* item = m_rowsLayout->takeAt(0)) {
        if (QWidget* row = item->widget()) {
            row->hide();
            row->setParent(nullptr);
            row->deleteLater();
        }
        delete item;
    }
    for (const std::string& pattern : m_patterns) {
        auto* revoke = new RevokeButton(nullptr);
        revoke->setProperty(kPatternProperty, QString::fromStdString(pattern));
        connect(revoke, &QAbstractButton::clicked, this,
                [this, pattern] { emit revokeRequested(pattern); });
        m_rowsLayout->addWidget(new RuleRow(QString::fromStdString(pattern), revoke, m_rows));
    }
    m_count->setText(QString::number(m_patterns.size()));
    m_rows->setVisible(!m_patterns.empty());
    m_empty->setVisible(m_patterns.empty());
}

}  // namespace halvane
