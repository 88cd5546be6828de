#pragma once

#include <QColor>
#include <QString>

#include <optional>

namespace halvane {

// One line of a prompt card's code block: a shell command line, a removed or
// added line of an edit, or a file path.
struct DiffLine {
    std::optional<int> lineNumber = std::nullopt;
    // One symbol ("$", "−", "+") or empty.
    QString marker;
    QColor markerColor;
    QString text;
    std::optional<QColor> backgroundTint = std::nullopt;

    bool operator==(const DiffLine&) const = default;
};

}  // namespace halvane
