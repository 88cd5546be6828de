#include "Halvane/App/Shell/SettingsTabBar.h"

#include <QAbstractButton>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>

#include <cmath>

#include "Halvane/Theme/IconGlyphs.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

namespace {

constexpr qreal kSymbolSize = 13;
constexpr qreal kGap = 7;

// A tab: symbol and title on a pill that lights up when selected.
class TabButton final : public QAbstractButton {
public:
    TabButton(SettingsTab tab, QWidget* parent) : QAbstractButton(parent), m_tab(tab) {
        setText(settingsTabTitle(tab));
        setCheckable(true);
        setFont(NotchFonts::system(12.5, QFont::DemiBold));
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        setAttribute(Qt::WA_Hover);
    }

    QSize sizeHint() const override {
        const qreal width =
            kSymbolSize + kGap + QFontMetricsF(font()).horizontalAdvance(text()) + 28;
        return QSize(static_cast<int>(std::ceil(width)), 32);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const QRectF face(rect());
        if (isChecked()) {
            NotchShapes::fillRoundedRect(painter, face, 9, QColor::fromRgbF(1, 1, 1, 0.1f),
                                         QColor::fromRgbF(1, 1, 1, 0.08f), 1);
        } else if (underMouse()) {
            NotchShapes::fillRoundedRect(painter, face, 9, QColor::fromRgbF(1, 1, 1, 0.04f));
        }
        const qreal textWidth = QFontMetricsF(font()).horizontalAdvance(text());
        const qreal left = (face.width() - (kSymbolSize + kGap + textWidth)) / 2;
        const QRectF symbol(left, (face.height() - kSymbolSize) / 2, kSymbolSize, kSymbolSize);
        IconGlyphs::draw(painter, settingsTabIcon(m_tab), symbol, kSymbolSize, QFont::DemiBold,
                         isChecked() ? NotchPalette::accent() : NotchPalette::mutedText());
        painter.setPen(isChecked() ? QColor(Qt::white) : NotchPalette::mutedText());
        painter.setFont(font());
        painter.drawText(QRectF(symbol.right() + kGap, 0, textWidth + 2, face.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, text());
    }

private:
    SettingsTab m_tab;
};

}  // namespace

SettingsTabBar::SettingsTabBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    for (const SettingsTab tab : kSettingsTabs) {
        auto* button = new TabButton(tab, this);
        button->setChecked(tab == m_selected);
        connect(button, &QAbstractButton::clicked, this, [this, tab] {
            select(tab);
            emit tabSelected(tab);
        });
        m_buttons[static_cast<std::size_t>(tab)] = button;
        row->addWidget(button);
    }
    row->addStretch(1);
}

QAbstractButton* SettingsTabBar::button(SettingsTab tab) const {
    return m_buttons[static_cast<std::size_t>(tab)];
}

void SettingsTabBar::select(SettingsTab tab) {
    m_selected = tab;
    for (const SettingsTab each : kSettingsTabs) {
        button(each)->setChecked(each == tab);
    }
}

}  // namespace halvane
