#pragma once

#include <QColor>
#include <QMarginsF>
#include <QString>
#include <QWidget>

#include "Halvane/Theme/Icon.h"

namespace halvane {

// A small coloured capsule with a symbol and a word, such as "Installed" or
// "Granted" with a check.
class StatusPill final : public QWidget {
    Q_OBJECT

public:
    static constexpr QMarginsF kPadding{9, 4, 9, 4};
    static constexpr qreal kSpacing = 4;
    static constexpr qreal kSymbolPointSize = 9;
    static constexpr qreal kFillOpacity = 0.18;

    StatusPill(QString text, const QColor& color, Icon icon, QWidget* parent = nullptr);

    const QString& text() const { return m_text; }
    const QColor& color() const { return m_color; }
    Icon icon() const { return m_icon; }

    void setText(const QString& text);
    void setColor(const QColor& color);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QColor m_color;
    Icon m_icon;
};

}  // namespace halvane
