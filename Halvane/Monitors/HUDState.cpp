#include "Halvane/Monitors/HUDState.h"

namespace halvane {

HUDState::HUDState(QObject* parent) : QObject(parent) {}

HUDState::~HUDState() = default;

void HUDState::setKind(const Kind& kind) {
    if (m_kind == kind) {
        return;
    }
    m_kind = kind;
    emit kindChanged();
}

void HUDState::setActive(bool active) {
    if (m_active == active) {
        return;
    }
    m_active = active;
    emit activeChanged(active);
}

void HUDState::setBump(int bump) {
    if (m_bump == bump) {
        return;
    }
    m_bump = bump;
    emit bumpChanged(bump);
}

}  // namespace halvane
