#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "NotchBinding.h"

class QWidget;

namespace notchkit {

// What an info label draws: an image, a named icon, a progress ring, or the
// caller's own view. A label is a description; each place that shows it makes
// its own NotchInfoLabelView.
class NotchInfoLabel final {
public:
    enum class Style { image, icon, progress, customView };
    using ViewBuilder = std::function<QWidget*()>;

    static NotchInfoLabel image(QImage image);
    static NotchInfoLabel icon(QString name, std::optional<QColor> color = std::nullopt);
    static NotchInfoLabel progress(std::shared_ptr<NotchBinding> progress,
                                   std::optional<QColor> color = std::nullopt,
                                   ViewBuilder overlay = nullptr);
    static NotchInfoLabel content(ViewBuilder content);

    // Distinct for every label made, shared by its copies.
    quint64 id() const { return m_id; }
    Style iconStyle() const { return m_style; }
    const QImage& image() const { return m_image; }
    const QString& iconName() const { return m_iconName; }
    const std::optional<QColor>& color() const { return m_color; }
    const std::shared_ptr<NotchBinding>& progressValue() const { return m_progress; }
    // The overlay of a progress label, or the view of a custom one.
    const ViewBuilder& view() const { return m_view; }

    bool operator==(const NotchInfoLabel& other) const { return m_id == other.m_id; }

private:
    explicit NotchInfoLabel(Style style);

    quint64 m_id;
    Style m_style;
    QImage m_image;
    QString m_iconName;
    std::optional<QColor> m_color;
    std::shared_ptr<NotchBinding> m_progress;
    ViewBuilder m_view;
};

}  // namespace notchkit
