#pragma once

#include <QObject>

namespace halvane {

// What the HUD shows. Battery kinds carry a percentage: the level at the
// event for plugged and unplugged, the threshold crossed for low.
struct HUDKind {
    Q_GADGET

public:
    enum class Case { batteryPlugged, batteryUnplugged, batteryLow, volume, brightness };
    Q_ENUM(Case)

    Case kind = Case::volume;
    int payload = 0;

    static HUDKind batteryPlugged(int percentage) { return {Case::batteryPlugged, percentage}; }
    static HUDKind batteryUnplugged(int percentage) { return {Case::batteryUnplugged, percentage}; }
    static HUDKind batteryLow(int threshold) { return {Case::batteryLow, threshold}; }
    static HUDKind volume() { return {Case::volume, 0}; }
    static HUDKind brightness() { return {Case::brightness, 0}; }

    bool isBattery() const {
        return kind == Case::batteryPlugged || kind == Case::batteryUnplugged ||
               kind == Case::batteryLow;
    }

    friend bool operator==(const HUDKind&, const HUDKind&) = default;
};

}  // namespace halvane
