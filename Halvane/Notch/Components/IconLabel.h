#pragma once

#include <QColor>
#include <QFont>
#include <QMarginsF>
#include <QString>
#include <QWidget>

#include "Halvane/Theme/Icon.h"

namespace halvane {

// A symbol followed by a short text in one colour, optionally on a rounded
// tile: the terminal chip of a session row, the "Click to open" hint.
class IconLabel final : public QWidget {
    Q_OBJECT

public:
    struct Style {
        qreal symbolPointSize = 9;
        QFont::Weight symbolWeight = QFont::Normal;
        QFont font;
        qreal spacing = 4;
        QColor color;
        QColor fill = Qt::transparent;
        qreal cornerRadius = 0;
        QMarginsF padding;
    };

    IconLabel(Icon symbol, QString text, Style style, QWidget* parent = nullptr);

    Icon symbol() const { return m_symbol; }
    const QString& text() const { return m_text; }
    const Style& style() const { return m_style; }
    void setContent(Icon symbol, const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Icon m_symbol;
    QString m_text;
    Style m_style;
};

}  // namespace halvane
