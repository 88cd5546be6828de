#pragma once

#include <QMargins>
#include <QPointer>
#include <QWidget>

#include "NotchSection.h"
#include "NotchTransition.h"

namespace notchkit {

class NotchTransitionEffect;

// Hosts one piece of caller content inside a form view: adds the slot's
// insets, tells the content which section it is in, and draws it through its
// insertion and removal transition. The content is lent, not owned: when the
// slot goes away it returns the content to `home`.
class NotchSlot final : public QWidget {
    Q_OBJECT

public:
    NotchSlot(QWidget* content, QWidget* home, NotchSection section, QMargins insets,
              NotchTransition transition, QWidget* parent);
    ~NotchSlot() override;

    QWidget* content() const { return m_content; }
    NotchTransitionEffect* transitionEffect() const { return m_effect; }
    // Content's ideal size plus the insets.
    QSize idealSize() const;

signals:
    // The content's ideal size may have changed.
    void idealSizeMayHaveChanged();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_content;
    QPointer<QWidget> m_home;
    NotchTransitionEffect* m_effect;
};

}  // namespace notchkit
