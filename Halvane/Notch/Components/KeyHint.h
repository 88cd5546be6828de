#pragma once

#include <QMarginsF>
#include <QString>
#include <QWidget>

namespace halvane {

// The key-cap that shows a keyboard shortcut next to a button's label.
class KeyHint final : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal kCornerRadius = 4;
    static constexpr QMarginsF kPadding{5, 1, 5, 1};

    explicit KeyHint(QString label, QWidget* parent = nullptr);

    const QString& label() const { return m_label; }
    void setLabel(const QString& label);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_label;
};

}  // namespace halvane
