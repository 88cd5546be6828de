#include "Halvane/Notch/Components/SettingRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include "Halvane/Theme/IconGlyphs.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

namespace {

constexpr qreal kRowRadius = 11;
constexpr qreal kTileRadius = 7;
constexpr qreal kIconPointSize = 13;

QColor mix(const QColor& from, const QColor& to, qreal t) {
    const auto lerp = [t](float a, float b) { return static_cast<float>(a + (b - a) * t); };
    return QColor::fromRgbF(lerp(from.redF(), to.redF()), lerp(from.greenF(), to.greenF()),
                            lerp(from.blueF(), to.blueF()), lerp(from.alphaF(), to.alphaF()));
}

QLabel* makeLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

}  // namespace

SettingRow::SettingRow(Icon icon, const QString& title, const QString& detail, bool statusOn,
                       QWidget* trailing, QWidget* parent,
                       std::chrono::milliseconds statusAnimation)
    : QWidget(parent),
      m_icon(icon),
      m_statusOn(statusOn),
      m_progress(statusOn ? 1 : 0),
      m_trailing(trailing),
      m_title(makeLabel(title, NotchFonts::system(13, QFont::DemiBold), Qt::white, this)),
      m_detail(makeLabel(detail, NotchFonts::system(11), NotchPalette::mutedText(), this)),
      m_iconSlot(new QWidget(this)),
      m_animation(new QVariantAnimation(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    m_detail->setWordWrap(true);
    // An empty, see-through placeholder keeps the tile's place in the layout
    // (with the row's spacing after it); the row paints the tile there.
    m_iconSlot->setFixedSize(kIconTile, kIconTile);
    m_iconSlot->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 10, 12, 10);
    row->setSpacing(12);
    row->addWidget(m_iconSlot, 0, Qt::AlignVCenter);
    auto* text = new QVBoxLayout;
    text->setSpacing(2);
    text->addWidget(m_title);
    text->addWidget(m_detail);
    row->addLayout(text, 1);
    if (m_trailing) {
        row->addWidget(m_trailing, 0, Qt::AlignVCenter);
    }

    m_animation->setDuration(static_cast<int>(statusAnimation.count()));
    m_animation->setEasingCurve(QEasingCurve::OutQuad);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_progress = value.toReal();
        update();
    });
}

QString SettingRow::title() const {
    return m_title->text();
}

QString SettingRow::detail() const {
    return m_detail->text();
}

void SettingRow::setIcon(Icon icon) {
    if (icon == m_icon) {
        return;
    }
    m_icon = icon;
    update();
}

void SettingRow::setTitle(const QString& title) {
    m_title->setText(title);
}

void SettingRow::setDetail(const QString& detail) {
    m_detail->setText(detail);
}

void SettingRow::setStatusOn(bool on) {
    if (on == m_statusOn) {
        return;
    }
    m_statusOn = on;
    m_animation->stop();
    m_animation->setStartValue(m_progress);
    m_animation->setEndValue(on ? 1.0 : 0.0);
    m_animation->start();
}

QRectF SettingRow::iconTileRect() const {
    return QRectF(m_iconSlot->geometry());
}

void SettingRow::paintEvent(QPaintEvent*) {
    const QColor& green = NotchPalette::systemGreen();
    const QColor& accent = NotchPalette::accent();
    const qreal t = m_progress;

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    NotchShapes::fillRoundedRect(
        painter, QRectF(rect()), kRowRadius, QColor::fromRgbF(1, 1, 1, 0.03f),
        mix(QColor::fromRgbF(1, 1, 1, 0.06f), NotchPalette::withOpacity(green, 0.3), t), 1);

    const QRectF tile = iconTileRect();
    NotchShapes::fillRoundedRect(
        painter, tile, kTileRadius,
        mix(NotchPalette::withOpacity(accent, 0.18), NotchPalette::withOpacity(green, 0.2), t));
    // The symbol swaps by cross-fading, so the check grows in as the icon fades.
    const QColor symbolColor = mix(accent, green, t);
    if (t < 1) {
        IconGlyphs::draw(painter, m_icon, tile, kIconPointSize, QFont::Bold,
                         NotchPalette::withOpacity(symbolColor, 1 - t));
    }
    if (t > 0) {
        IconGlyphs::draw(painter, Icon::check, tile, kIconPointSize, QFont::Bold,
                         NotchPalette::withOpacity(symbolColor, t));
    }
}

}  // namespace halvane
