#pragma once

#include <QString>
#include <QWidget>

class QVariantAnimation;

namespace halvane {

// A small fake notch with one line of status: a breathing accent dot while it
// waits for something, a green check once it has happened.
class MockNotchBanner final : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize kSize{300, 46};

    explicit MockNotchBanner(const QString& text, QWidget* parent = nullptr);

    const QString& text() const { return m_text; }
    bool done() const { return m_done; }
    void setStatus(const QString& text, bool done);

    QSize sizeHint() const override { return kSize; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QString m_text;
    bool m_done = false;
    qreal m_breath = 0;
    QVariantAnimation* m_animation;
};

}  // namespace halvane
