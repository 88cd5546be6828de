#pragma once

#include <QChar>
#include <QKeySequence>
#include <QObject>
#include <QString>

namespace halvane {

// A keyboard shortcut of one key and a set of modifiers. On Linux keyboards
// option is the Alt key, control is Ctrl and command is the Super key.
struct KeyShortcut {
    Q_GADGET

public:
    enum class Modifier { option = 0x1, shift = 0x2, control = 0x4, command = 0x8 };
    Q_DECLARE_FLAGS(Modifiers, Modifier)
    Q_FLAG(Modifiers)

    // A lower-case key equivalent such as 'a'.
    QChar key;
    Modifiers modifiers;

    KeyShortcut() = default;
    explicit KeyShortcut(QChar key, Modifiers modifiers = {}) : key(key), modifiers(modifiers) {}

    // As Linux desktops write shortcuts: the modifiers' key names in a fixed
    // order (Ctrl, Alt, Shift, Super), each followed by "+", then the key
    // upper-cased: "A", "Alt+A".
    QString displayLabel() const;
    // The key sequence Qt matches key presses against.
    QKeySequence keySequence() const;

    bool operator==(const KeyShortcut&) const = default;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(KeyShortcut::Modifiers)

}  // namespace halvane
