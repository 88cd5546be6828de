#include "KeyShortcut.h"

#include <array>
#include <utility>

namespace halvane {

namespace {

constexpr auto kModifierOrder = std::to_array<KeyShortcut::Modifier>(
    {KeyShortcut::Modifier::option, KeyShortcut::Modifier::shift, KeyShortcut::Modifier::control,
     KeyShortcut::Modifier::command});

// The order Linux desktops write modifiers in: "Ctrl+Alt+Shift+Super+A".
constexpr auto kDisplayOrder = std::to_array<KeyShortcut::Modifier>(
    {KeyShortcut::Modifier::control, KeyShortcut::Modifier::option, KeyShortcut::Modifier::shift,
     KeyShortcut::Modifier::command});

QString keyName(KeyShortcut::Modifier modifier) {
    switch (modifier) {
        case KeyShortcut::Modifier::option:
            return QStringLiteral("Alt");
        case KeyShortcut::Modifier::shift:
            return QStringLiteral("Shift");
        case KeyShortcut::Modifier::control:
            return QStringLiteral("Ctrl");
        case KeyShortcut::Modifier::command:
            return QStringLiteral("Super");
    }
    return {};
}

Qt::KeyboardModifier qtModifier(KeyShortcut::Modifier modifier) {
    switch (modifier) {
        case KeyShortcut::Modifier::option:
            return Qt::AltModifier;
        case KeyShortcut::Modifier::shift:
            return Qt::ShiftModifier;
        case KeyShortcut::Modifier::control:
            return Qt::ControlModifier;
        case KeyShortcut::Modifier::command:
            return Qt::MetaModifier;
    }
    return Qt::NoModifier;
}

}  // namespace

KeyShortcut::KeyShortcut(QChar key, std::initializer_list<Modifier> modifierList) : key(key) {
    for (const Modifier modifier : modifierList) {
        modifiers |= static_cast<unsigned>(modifier);
    }
}

QString KeyShortcut::displayLabel() const {
    QString label;
    for (const Modifier modifier : kDisplayOrder) {
        if (has(modifier)) {
            label += keyName(modifier) + QLatin1Char('+');
        }
    }
    return label + key.toUpper();
}

QKeySequence KeyShortcut::keySequence() const {
    Qt::KeyboardModifiers qtModifiers;
    for (const Modifier modifier : kModifierOrder) {
        if (has(modifier)) {
            qtModifiers |= qtModifier(modifier);
        }
    }
    // Letter and digit keys are named by their upper-case character.
    const auto qtKey = static_cast<Qt::Key>(key.toUpper().unicode());
    return QKeySequence(QKeyCombination(qtModifiers, qtKey));
}

std::string_view rawValue(KeyShortcut::Modifier modifier) {
    switch (modifier) {
        case KeyShortcut::Modifier::option:
            return "option";
        case KeyShortcut::Modifier::shift:
            return "shift";
        case KeyShortcut::Modifier::control:
            return "control";
        case KeyShortcut::Modifier::command:
            return "command";
    }
    return "option";
}

std::optional<KeyShortcut::Modifier> keyModifierFromRaw(std::string_view raw) {
    for (const KeyShortcut::Modifier modifier : kModifierOrder) {
        if (rawValue(modifier) == raw) {
            return modifier;
        }
    }
    return std::nullopt;
}

}  // namespace halvane
