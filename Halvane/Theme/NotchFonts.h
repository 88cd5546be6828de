#pragma once

#include <QFont>
#include <QString>

// The notch's type: Inter for the system font (also where a rounded design is
// asked for) and JetBrains Mono for the monospaced design. Sizes are in points,
// one point being one device-independent pixel. When a family is not
// installed the desktop's own general or fixed font stands in for it.
namespace halvane::NotchFonts {

QFont system(qreal pointSize, QFont::Weight weight = QFont::Normal);
QFont rounded(qreal pointSize, QFont::Weight weight = QFont::Normal);
QFont monospaced(qreal pointSize, QFont::Weight weight = QFont::Normal);

// The families actually used, after any stand-in.
QString systemFamily();
QString monospacedFamily();

// The families asked for first.
inline constexpr auto kSystemFamily = "Inter";
inline constexpr auto kMonospacedFamily = "JetBrains Mono";

// How a family is chosen: `preferred` when installed, else `fallback`. Exposed
// for tests of the stand-in.
QString chooseFamily(const QString& preferred, const QString& fallback);

}  // namespace halvane::NotchFonts
