#pragma once

#include <QObject>

namespace halvane {

// A namespace of its own: Qt keeps one meta-object per namespace.
namespace logostyle {
Q_NAMESPACE

// How the logo is drawn: in colour, or as a template whose shape alone
// counts (solid black, to be tinted by whoever shows it).
enum class HalvaneLogoStyle { color, templateImage };
Q_ENUM_NS(HalvaneLogoStyle)

}  // namespace logostyle

using logostyle::HalvaneLogoStyle;

}  // namespace halvane
