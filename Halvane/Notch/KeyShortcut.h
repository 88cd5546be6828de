#pragma once

#include <QChar>
#include <QKeySequence>
#include <QString>

#include <initializer_list>
#include <optional>
#include <string_view>

namespace halvane {

// A keyboard shortcut of one key and a set of modifiers. On Linux keyboards
// option is the Alt key, control is Ctrl and command is the Super key.
struct KeyShortcut {
    enum class Modifier : unsigned { option = 1, shift = 2, control = 4, command = 8 };

    // A lower-case key equivalent such as 'a'.
    QChar key;
    unsigned modifiers = 0;

    KeyShortcut() = default;
    explicit KeyShortcut(QChar key, std::initializer_list<Modifier> modifiers = {});

    bool has(Modifier modifier) const { return (modifiers & static_cast<unsigned>(modifier)) != 0; }

    // As Linux desktops write shortcuts: the modifiers' key names in a fixed
    // order (Ctrl, Alt, Shift, Super), each followed by "+", then the key
    // upper-cased: "A", "Alt+A".
    QString displayLabel() const;
    // The key sequence Qt matches key presses against.
    QKeySequence keySequence() const;

    bool operator==(const KeyShortcut&) const = default;
};

std::string_view rawValue(KeyShortcut::Modifier modifier);
std::optional<KeyShortcut::Modifier> keyModifierFromRaw(std::string_view raw);

}  // namespace halvane
