#pragma once

#include <QObject>

namespace notchkit {

// A number shared between its owner and the views that show it, such as the
// fraction a progress ring displays.
class NotchBinding final : public QObject {
    Q_OBJECT

public:
    explicit NotchBinding(double value = 0, QObject* parent = nullptr)
        : QObject(parent), m_value(value) {}

    double value() const { return m_value; }
    void setValue(double value) {
        if (value != m_value) {
            m_value = value;
            emit valueChanged(value);
        }
    }

signals:
    void valueChanged(double value);

private:
    double m_value;
};

}  // namespace notchkit
