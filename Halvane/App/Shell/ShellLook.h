#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QPainter;
class QRectF;
class QWidget;

namespace halvane {

struct ShellServices;

// The look shared by the onboarding and settings windows: dark rounded glass
// with the notch's palette and type.
namespace ShellLook {

inline constexpr qreal kWindowCornerRadius = 20;

// A plain-text label in `font` and `color`, see-through, optionally wrapped.
QLabel* label(const QString& text, const QFont& font, const QColor& color, QWidget* parent,
              Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter, bool wrap = false);
void setTextColor(QLabel& label, const QColor& color);

// The window's own backdrop: near-black glass with a faint edge, rounded 20.
void paintWindowBackground(QPainter& painter, const QRectF& rect);

// The application's logo from the services, or the mark's badge when the
// application gave none.
QWidget* logo(const ShellServices& services, qreal size, QWidget* parent);

// The version shown to people: the application's, else the build's.
QString version(const ShellServices& services);

}  // namespace ShellLook

}  // namespace halvane
