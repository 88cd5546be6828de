#include "Halvane/Notch/Components/CardHeader.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "Halvane/Notch/Components/IconBadge.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchText.h"

namespace halvane {

namespace {

constexpr qreal kBadgeSize = 30;
constexpr qreal kBadgeCorner = 8;

}  // namespace

CardHeader::CardHeader(const QString& title, const QString& subtitle, const QString& trailing,
                       const Options& options, QWidget* parent)
    : QWidget(parent),
      m_badge(new IconBadge(kBadgeSize, kBadgeCorner)),
      m_title(new NotchText(title, NotchFonts::rounded(14, QFont::DemiBold), Qt::white)),
      m_subtitle(new NotchText(subtitle, NotchFonts::rounded(11, QFont::Medium),
                               NotchPalette::mutedText())),
      m_trailing(new NotchText(trailing, options.trailingFont, NotchPalette::dimText())) {
    setAttribute(Qt::WA_TranslucentBackground);
    // The card paints the badge's glow: a graphics effect here would sit
    // inside the notch's own effects, which Qt cannot nest.
    m_badge->setGraphicsEffect(nullptr);
    m_trailing->setElideMode(Qt::ElideNone);
    m_trailing->setAlignment(Qt::AlignRight);

    auto* texts = new QVBoxLayout;
    texts->setContentsMargins(0, options.textTopPadding, 0, 0);
    texts->setSpacing(2);
    texts->addWidget(m_title);
    texts->addWidget(m_subtitle);
    texts->addStretch(1);

    auto* trailingColumn = new QVBoxLayout;
    trailingColumn->setContentsMargins(0, options.trailingTopPadding, 0, 0);
    trailingColumn->addWidget(m_trailing);
    trailingColumn->addStretch(1);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    row->addWidget(m_badge, 0, Qt::AlignTop);
    // The texts take the room the note leaves, so they are cut before it is.
    row->addLayout(texts, 1);
    row->addLayout(trailingColumn, 0);
}

SoftShadow CardHeader::badgeGlow() const {
    const IconBadge::Geometry geometry = m_badge->badgeGeometry();
    return SoftShadow(NotchPalette::withOpacity(NotchPalette::accent(), geometry.shadowOpacity),
                      geometry.shadowRadius, geometry.shadowOffset);
}

}  // namespace halvane
