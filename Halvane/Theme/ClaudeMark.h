#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class QPainter;

namespace halvane {

// The application mark. Its artwork is the image resource "claude-logo",
// drawn as a template (only its shape counts) in `color`; a build without the
// resource draws the "sparkle" symbol instead, so a mark always shows.
class ClaudeMark final : public QWidget {
    Q_OBJECT

public:
    // The mark's resource; views pass another name only to draw the fallback.
    static QString defaultResource();

    explicit ClaudeMark(const QColor& color, QWidget* parent = nullptr,
                        QString resource = defaultResource());

    const QColor& color() const { return m_color; }
    void setColor(const QColor& color);

    // True when the resource loads; false means the "sparkle" fallback shows.
    bool usesArtwork() const;

    QSize sizeHint() const override;

    // Draws the mark stretched over `rect`, for views that paint it themselves.
    static void paint(QPainter& painter, const QRectF& rect, const QColor& color,
                      const QString& resource = defaultResource());
    // Whether `resource` names artwork that can be drawn.
    static bool hasArtwork(const QString& resource);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
    QString m_resource;
};

}  // namespace halvane
