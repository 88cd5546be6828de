#pragma once

#include <QObject>

namespace halvane {

namespace icons {
Q_NAMESPACE

// The icons the views draw, named by what they show. The notch kit's labels
// name theirs by the same words ("bolt", "batteryLow").
enum class Icon {
    arrowUpRight,
    batteryFull,
    batteryLow,
    bellRinging,
    bolt,
    check,
    checkCircle,
    chevronUp,
    close,
    code,
    dashedFrame,
    download,
    exclamation,
    infinity,
    info,
    link,
    moreDots,
    pause,
    pointingHand,
    power,
    replay,
    shield,
    shieldCheck,
    sliders,
    sparkle,
    speaker,
    sun,
    terminal,
    undo,
    verifiedSeal,
    warning,
};
Q_ENUM_NS(Icon)

}  // namespace icons

using icons::Icon;

}  // namespace halvane
