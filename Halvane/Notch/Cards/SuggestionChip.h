#pragma once

#include <QAbstractButton>

namespace halvane {

// A reply Claude Code suggests, as a capsule that types it when pressed.
class SuggestionChip final : public QAbstractButton {
    Q_OBJECT

public:
    explicit SuggestionChip(QString suggestion, QWidget* parent = nullptr);

    const QString& suggestion() const { return m_suggestion; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString m_suggestion;
};

}  // namespace halvane
