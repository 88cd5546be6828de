#include "Halvane/Theme/NotchFonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

#include "Halvane/Platform/posix/Log.h"

namespace halvane::NotchFonts {

namespace {

constexpr qreal kPointsPerInch = 72;
constexpr qreal kStandardLogicalDpi = 96;

// QFont's points follow the typographic inch; the notch's points are
// device-independent pixels, so convert through the screen's logical DPI.
qreal typographicPoints(qreal pixels) {
    qreal dpi = kStandardLogicalDpi;
    if (const auto* screen = QGuiApplication::primaryScreen()) {
        dpi = screen->logicalDotsPerInchY();
    }
    return pixels * kPointsPerInch / dpi;
}

QFont make(const QString& family, QFont::StyleHint hint, qreal pointSize, QFont::Weight weight) {
    QFont font(family);
    font.setStyleHint(hint);
    font.setPointSizeF(typographicPoints(pointSize));
    font.setWeight(weight);
    font.setKerning(true);
    return font;
}

}  // namespace

QString chooseFamily(const QString& preferred, const QString& fallback) {
    if (QFontDatabase::hasFamily(preferred)) {
        return preferred;
    }
    log::error(("Halvane: the font \"" + preferred + "\" is not installed; using \"" + fallback +
                "\" instead")
                   .toStdString());
    return fallback;
}

QString systemFamily() {
    static const QString family =
        chooseFamily(QString::fromLatin1(kSystemFamily),
                     QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    return family;
}

QString monospacedFamily() {
    static const QString family =
        chooseFamily(QString::fromLatin1(kMonospacedFamily),
                     QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    return family;
}

QFont system(qreal pointSize, QFont::Weight weight) {
    return make(systemFamily(), QFont::SansSerif, pointSize, weight);
}

QFont rounded(qreal pointSize, QFont::Weight weight) {
    return system(pointSize, weight);
}

QFont monospaced(qreal pointSize, QFont::Weight weight) {
    QFont font = make(monospacedFamily(), QFont::Monospace, pointSize, weight);
    font.setFixedPitch(true);
    return font;
}

}  // namespace halvane::NotchFonts
