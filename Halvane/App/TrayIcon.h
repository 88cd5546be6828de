#pragma once

#include <QIcon>
#include <QImage>

#include <optional>

namespace halvane {

// The tray's image: the logo as a template, rendered once and kept.
namespace TrayIcon {

// 22 points square, rendered at twice the resolution.
inline constexpr int pointSize = 22;
inline constexpr qreal logoSize = 15;
inline constexpr qreal renderScale = 2;

// The template image (black shape on clear), made on first use; none when
// rendering failed.
const std::optional<QImage>& cached();

// What the tray shows. Linux panels do not tint template images, so the
// shape is drawn in white with a soft dark edge, which reads on dark and
// light panels alike; without an image, the "sparkle" symbol.
QIcon trayIcon();

// The template image rendered anew (what `cached` keeps).
std::optional<QImage> render();

}  // namespace TrayIcon

}  // namespace halvane
