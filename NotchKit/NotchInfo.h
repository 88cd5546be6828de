#pragma once

#include <QColor>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

#include "NotchControllable.h"
#include "NotchHoverBehavior.h"
#include "NotchInfoLabel.h"
#include "NotchStyle.h"
#include "NotchTimings.h"

namespace notchkit {

class NotchPresenter;

// Ready-made content for the common case: an icon, a title and an optional
// description in the card, and labels in the wings. Changing a field updates
// every place that shows it.
class NotchInfo final : public QObject, public NotchControllable {
    Q_OBJECT

public:
    using Label = NotchInfoLabel;

    struct Content {
        std::optional<Label> icon;
        QString title;
        std::optional<QString> description;
        // Without one the icon stands in the leading wing.
        std::optional<Label> compactLeading;
        std::optional<Label> compactTrailing;
    };

    explicit NotchInfo(Content content, NotchHoverBehavior hoverBehavior = NotchHoverOption::all,
                       NotchStyle style = NotchStyle::automatic(), NotchTimings timings = {},
                       QObject* parent = nullptr);
    ~NotchInfo() override;

    NotchCompletion expand(QScreen* screen) override;
    NotchCompletion compact(QScreen* screen) override;
    NotchCompletion hide() override;

    NotchPresenter* internalPresenter() const { return m_internalPresenter.get(); }

    const std::optional<Label>& icon() const { return m_icon; }
    const QString& title() const { return m_title; }
    const std::optional<QString>& description() const { return m_description; }
    const std::optional<QColor>& textColor() const { return m_textColor; }
    const std::optional<Label>& compactLeading() const { return m_compactLeading; }
    const std::optional<Label>& compactTrailing() const { return m_compactTrailing; }
    bool shouldSkipHideWhenConverting() const { return m_shouldSkipHideWhenConverting; }
    // What the leading wing shows: its own label, else the icon.
    std::optional<Label> leadingLabel() const;

    void setIcon(std::optional<Label> icon);
    void setTitle(const QString& title);
    void setDescription(std::optional<QString> description);
    void setTextColor(std::optional<QColor> color);
    void setCompactLeading(std::optional<Label> label);
    void setCompactTrailing(std::optional<Label> label);
    void setShouldSkipHideWhenConverting(bool skip);

signals:
    void changed();

private:
    std::optional<Label> m_icon;
    QString m_title;
    std::optional<QString> m_description;
    std::optional<QColor> m_textColor;
    std::optional<Label> m_compactLeading;
    std::optional<Label> m_compactTrailing;
    bool m_shouldSkipHideWhenConverting = false;
    std::unique_ptr<NotchPresenter> m_internalPresenter;
};

}  // namespace notchkit
