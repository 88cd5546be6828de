#pragma once

#include <QObject>

#include "Halvane/Monitors/HUDKind.h"

namespace halvane {

// What the HUD currently shows. Only the notch controller writes it; the HUD
// views read it whenever it changes.
class HUDState final : public QObject {
    Q_OBJECT

public:
    using Kind = HUDKind;

    explicit HUDState(QObject* parent = nullptr);
    ~HUDState() override;

    const Kind& kind() const { return m_kind; }
    // True while the HUD is on screen.
    bool active() const { return m_active; }
    // Moves on every new HUD event, so the icon animates again even when the
    // kind stays the same.
    int bump() const { return m_bump; }

    void setKind(const Kind& kind);
    void setActive(bool active);
    void setBump(int bump);

signals:
    void kindChanged();
    void activeChanged(bool active);
    void bumpChanged(int bump);

private:
    Kind m_kind = Kind::volume();
    bool m_active = false;
    int m_bump = 0;
};

}  // namespace halvane
