#include "NotchInfoLabel.h"

#include <atomic>

namespace notchkit {

NotchInfoLabel::NotchInfoLabel(Style style) : m_style(style) {
    static std::atomic<quint64> next{1};
    m_id = next++;
}

NotchInfoLabel NotchInfoLabel::image(QImage image) {
    NotchInfoLabel label(Style::image);
    label.m_image = std::move(image);
    return label;
}

NotchInfoLabel NotchInfoLabel::icon(QString name, std::optional<QColor> color) {
    NotchInfoLabel label(Style::icon);
    label.m_iconName = std::move(name);
    label.m_color = color;
    return label;
}

NotchInfoLabel NotchInfoLabel::progress(std::shared_ptr<NotchBinding> progress,
                                        std::optional<QColor> color, ViewBuilder overlay) {
    NotchInfoLabel label(Style::progress);
    label.m_progress = progress ? std::move(progress) : std::make_shared<NotchBinding>();
    label.m_color = color;
    label.m_view = std::move(overlay);
    return label;
}

NotchInfoLabel NotchInfoLabel::content(ViewBuilder content) {
    NotchInfoLabel label(Style::customView);
    label.m_view = std::move(content);
    return label;
}

}  // namespace notchkit
