#pragma once

#include <QFont>
#include <QString>
#include <QWidget>

#include "Halvane/Notch/Components/SoftShadow.h"

namespace halvane {

class IconBadge;
class NotchText;

// The top line of a notch card: the orange badge, a title over a muted
// subtitle, and a small dim note on the far side (a hint, or how long ago).
class CardHeader final : public QWidget {
    Q_OBJECT

public:
    struct Options {
        QFont trailingFont;
        // Nudges that line the texts up with the badge.
        int textTopPadding = 0;
        int trailingTopPadding = 0;
    };

    CardHeader(const QString& title, const QString& subtitle, const QString& trailing,
               const Options& options, QWidget* parent = nullptr);

    NotchText* title() const { return m_title; }
    NotchText* subtitle() const { return m_subtitle; }
    NotchText* trailing() const { return m_trailing; }
    IconBadge* badge() const { return m_badge; }
    // The badge's glow, for the card to paint under it.
    SoftShadow badgeGlow() const;

private:
    IconBadge* m_badge;
    NotchText* m_title;
    NotchText* m_subtitle;
    NotchText* m_trailing;
};

}  // namespace halvane
