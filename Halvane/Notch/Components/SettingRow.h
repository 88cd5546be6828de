#pragma once

#include <QString>
#include <QWidget>

#include <chrono>

#include "Halvane/Theme/Icon.h"

class QLabel;
class QVariantAnimation;

namespace halvane {

// One row of a settings list: an icon tile, a title with a line of detail, and
// a control supplied by the caller on the trailing side (a switch, a button, a
// pill). While its status is on the tile shows a green check and the row a
// green edge; switching eases between the two looks.
class SettingRow final : public QWidget {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kStatusAnimation{180};
    static constexpr int kIconTile = 30;

    // Takes ownership of `trailing`, which may be null.
    SettingRow(Icon icon, const QString& title, const QString& detail, bool statusOn,
               QWidget* trailing, QWidget* parent = nullptr,
               std::chrono::milliseconds statusAnimation = kStatusAnimation);

    Icon icon() const { return m_icon; }
    QString title() const;
    QString detail() const;
    bool statusOn() const { return m_statusOn; }
    QWidget* trailing() const { return m_trailing; }
    template <typename Control>
    Control* trailing() const {
        return qobject_cast<Control*>(m_trailing);
    }

    void setIcon(Icon icon);
    void setTitle(const QString& title);
    void setDetail(const QString& detail);
    // Animates to the new look; a change mid-way turns around from where it is.
    void setStatusOn(bool on);

    // How far the look has gone from off (0) to on (1).
    qreal statusProgress() const { return m_progress; }
    // The frame of the icon tile, in this widget's coordinates.
    QRectF iconTileRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Icon m_icon;
    bool m_statusOn;
    qreal m_progress;
    QWidget* m_trailing;
    QLabel* m_title;
    QLabel* m_detail;
    QWidget* m_iconSlot;
    QVariantAnimation* m_animation;
};

}  // namespace halvane
