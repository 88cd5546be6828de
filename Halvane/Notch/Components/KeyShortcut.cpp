#include "Halvane/Notch/Components/KeyShortcut.h"

#include <array>

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

QString KeyShortcut::displayLabel() const {
    QString label;
    for (const Modifier modifier : kDisplayOrder) {
        if (modifiers.testFlag(modifier)) {
            label += keyName(modifier) + QLatin1Char('+');
        }
    }
    return label + key.toUpper();
}

QKeySequence KeyShortcut::keySequence() const {
    Qt::KeyboardModifiers qtModifiers;
    for (const Modifier modifier : kModifierOrder) {
        if (modifiers.testFlag(modifier)) {
            qtModifiers |= qtModifier(modifier);
        }
    }
    // Letter and digit keys are named by their upper-case character.
    const auto qtKey = static_cast<Qt::Key>(key.toUpper().unicode());
    return QKeySequence(QKeyCombination(qtModifiers, qtKey));
}

}  // namespace halvane
