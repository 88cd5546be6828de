#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

#include <chrono>

class QVariantAnimation;

namespace halvane {

// A run of text in the notch's type: one line cut to fit (at the tail or in
// the middle), or wrapped over up to a number of lines with the last one cut.
// A new text can cross-fade with the old one.
class NotchText final : public QWidget {
    Q_OBJECT

public:
    NotchText(QString text, const QFont& font, const QColor& color, QWidget* parent = nullptr);

    const QString& text() const { return m_text; }
    void setText(const QString& text);
    const QColor& color() const { return m_color; }
    void setColor(const QColor& color);
    // 1 (the default) keeps the text on one line; 0 lets it wrap without limit.
    void setMaxLines(int lines);
    // Where a text too long for its room is cut; Qt::ElideNone never shrinks it.
    void setElideMode(Qt::TextElideMode mode);
    void setAlignment(Qt::Alignment alignment);
    // Changes of the text cross-fade over `duration` while shown.
    void setCrossfade(std::chrono::milliseconds duration);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return m_maxLines != 1; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QStringList linesFor(const QString& text, qreal width) const;
    void paintText(QPainter& painter, const QString& text, qreal opacity) const;
    qreal lineHeight() const;

    QString m_text;
    QString m_previousText;
    QColor m_color;
    int m_maxLines = 1;
    Qt::TextElideMode m_elideMode = Qt::ElideRight;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    std::chrono::milliseconds m_crossfade{0};
    QVariantAnimation* m_fade = nullptr;
};

}  // namespace halvane
