#include "Halvane/App/Shell/SettingsCard.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "Halvane/App/Shell/IconView.h"
#include "Halvane/App/Shell/ShellLook.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

SettingsCard::SettingsCard(Icon symbol, const QString& title, QWidget* parent)
    : QWidget(parent),
      m_title(ShellLook::label(title, NotchFonts::system(13.5, QFont::DemiBold), Qt::white, this)),
      m_detail(ShellLook::label({}, NotchFonts::system(11.5), NotchPalette::mutedText(), this,
                                Qt::AlignLeft | Qt::AlignTop, true)),
      m_accessories(new QHBoxLayout),
      m_body(new QVBoxLayout) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 14, 16, 14);
    column->setSpacing(6);
    auto* header = new QHBoxLayout;
    header->setSpacing(9);
    header->addWidget(new IconView(symbol, 15, NotchPalette::accent(), this));
    header->addWidget(m_title);
    header->addStretch(1);
    m_accessories->setSpacing(8);
    header->addLayout(m_accessories);
    column->addLayout(header);
    column->addWidget(m_detail);
    m_body->setContentsMargins(0, 4, 0, 0);
    m_body->setSpacing(8);
    column->addLayout(m_body);
    m_detail->hide();
}

QString SettingsCard::title() const {
    return m_title->text();
}

QString SettingsCard::detail() const {
    return m_detail->text();
}

void SettingsCard::setTitle(const QString& title) {
    m_title->setText(title);
}

void SettingsCard::setDetail(const QString& detail) {
    m_detail->setText(detail);
    m_detail->setVisible(!detail.isEmpty());
}

void SettingsCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    NotchShapes::fillRoundedRect(painter, QRectF(rect()), 14, QColor::fromRgbF(1, 1, 1, 0.035f),
                                 NotchPalette::cardStroke(), 1);
}

}  // namespace halvane
