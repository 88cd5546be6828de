#include "InfoView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "NotchEnvironment.h"
#include "NotchInfo.h"
#include "NotchInfoLabelView.h"

namespace notchkit {

namespace {

QFont headline() {
    QFont font(QStringLiteral("Inter"));
    font.setPixelSize(13);
    font.setWeight(QFont::DemiBold);
    return font;
}

QFont caption2() {
    QFont font(QStringLiteral("Inter"));
    font.setPixelSize(11);
    return font;
}

void setColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

}  // namespace

InfoView::InfoView(NotchInfo* info, QWidget* parent)
    : QWidget(parent),
      m_info(info),
      m_row(new QHBoxLayout(this)),
      m_title(new QLabel(this)),
      m_description(new QLabel(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(10);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->setContentsMargins(0, 0, 0, 0);
    m_title->setFont(headline());
    m_description->setFont(caption2());
    texts->addWidget(m_title);
    texts->addWidget(m_description);
    m_row->addLayout(texts, 1);
    m_row->addStretch(0);
    connect(info, &NotchInfo::changed, this, &InfoView::refresh);
    refresh();
}

QString InfoView::titleText() const {
    return m_title->text();
}

QString InfoView::descriptionText() const {
    return m_description->isVisibleTo(this) ? m_description->text() : QString();
}

QColor InfoView::titleColor() const {
    return m_title->palette().color(QPalette::WindowText);
}

QColor InfoView::descriptionColor() const {
    return m_description->palette().color(QPalette::WindowText);
}

void InfoView::refresh() {
    const auto& icon = m_info->icon();
    const std::optional<quint64> iconId = icon ? std::optional(icon->id()) : std::nullopt;
    if (iconId != m_iconId) {
        delete m_icon;
        m_icon = nullptr;
        if (icon) {
            m_icon = new NotchInfoLabelView(*icon, this);
            m_row->insertWidget(0, m_icon, 0, Qt::AlignVCenter);
        }
        m_iconId = iconId;
    }
    m_title->setText(m_info->title());
    const auto& description = m_info->description();
    m_description->setText(description.value_or(QString()));
    m_description->setVisible(description.has_value() && !description->isEmpty());
    applyColours();
}

void InfoView::applyColours() {
    QColor title;
    if (m_info->textColor()) {
        title = *m_info->textColor();
    } else if (NotchEnvironment::notchStyle(this).isNotch()) {
        title = Qt::white;
    } else {
        title = palette().color(QPalette::WindowText);
    }
    QColor description = title;
    description.setAlphaF(title.alphaF() * 0.5);
    setColour(m_title, title);
    setColour(m_description, description);
}

bool InfoView::event(QEvent* event) {
    if (event->type() == NotchEnvironment::changeEventType() ||
        event->type() == QEvent::ParentChange || event->type() == QEvent::Show) {
        applyColours();
    }
    return QWidget::event(event);
}

}  // namespace notchkit
