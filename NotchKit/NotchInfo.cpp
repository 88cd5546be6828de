#include "NotchInfo.h"

#include "CompactLeadingView.h"
#include "CompactTrailingView.h"
#include "InfoView.h"
#include "NotchPresenter.h"

namespace notchkit {

NotchInfo::NotchInfo(Content content, NotchHoverBehavior hoverBehavior, NotchStyle style,
                     NotchTimings timings, QObject* parent)
    : QObject(parent),
      m_icon(std::move(content.icon)),
      m_title(std::move(content.title)),
      m_description(std::move(content.description)),
      m_compactLeading(std::move(content.compactLeading)),
      m_compactTrailing(std::move(content.compactTrailing)) {
    if (!m_compactLeading) {
        // The icon moves between the wing and the card, so go straight across.
        m_shouldSkipHideWhenConverting = true;
    }
    m_internalPresenter = std::make_unique<NotchPresenter>(
        hoverBehavior, style, [this] { return new InfoView(this); },
        [this] { return new CompactLeadingView(this); },
        [this] { return new CompactTrailingView(this); }, timings);
}

NotchInfo::~NotchInfo() = default;

NotchCompletion NotchInfo::expand(QScreen* screen) {
    return m_internalPresenter->_expand(screen, m_shouldSkipHideWhenConverting);
}

NotchCompletion NotchInfo::compact(QScreen* screen) {
    return m_internalPresenter->_compact(screen, m_shouldSkipHideWhenConverting);
}

NotchCompletion NotchInfo::hide() {
    return m_internalPresenter->hide();
}

std::optional<NotchInfo::Label> NotchInfo::leadingLabel() const {
    return m_compactLeading ? m_compactLeading : m_icon;
}

void NotchInfo::setIcon(std::optional<Label> icon) {
    m_icon = std::move(icon);
    emit changed();
}

void NotchInfo::setTitle(const QString& title) {
    if (title != m_title) {
        m_title = title;
        emit changed();
    }
}

void NotchInfo::setDescription(std::optional<QString> description) {
    if (description != m_description) {
        m_description = std::move(description);
        emit changed();
    }
}

void NotchInfo::setTextColor(std::optional<QColor> color) {
    if (color != m_textColor) {
        m_textColor = color;
        emit changed();
    }
}

void NotchInfo::setCompactLeading(std::optional<Label> label) {
    m_compactLeading = std::move(label);
    emit changed();
}

void NotchInfo::setCompactTrailing(std::optional<Label> label) {
    m_compactTrailing = std::move(label);
    emit changed();
}

void NotchInfo::setShouldSkipHideWhenConverting(bool skip) {
    m_shouldSkipHideWhenConverting = skip;
}

}  // namespace notchkit
