#pragma once

#include <QAbstractButton>

namespace halvane {

// One answer to a question Claude asks: its number in an accent circle and
// its label, on a faint tile.
class QuestionOptionButton final : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr qreal kCircle = 20;
    static constexpr qreal kCornerRadius = 8;

    // `index` counts from 0; the button shows index + 1.
    QuestionOptionButton(int index, QString label, QWidget* parent = nullptr);

    int index() const { return m_index; }
    const QString& label() const { return m_label; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int m_index;
    QString m_label;
};

}  // namespace halvane
