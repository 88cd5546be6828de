#pragma once

#include <QObject>

namespace notchkit {

// The outline the notch is drawn with. `automatic` stands for the product's `auto`
// (a C++ keyword) and is resolved per screen by NotchScreen::effectiveStyle.
class NotchStyle final {
    Q_GADGET

public:
    enum class Kind { notch, floating, automatic };
    Q_ENUM(Kind)

    // Defaults are the presets: .notch = top 15, bottom 20; .floating = 20.
    static constexpr NotchStyle notch(double topCornerRadius = 15, double bottomCornerRadius = 20) {
        return NotchStyle(Kind::notch, topCornerRadius, bottomCornerRadius);
    }
    static constexpr NotchStyle floating(double cornerRadius = 20) {
        return NotchStyle(Kind::floating, cornerRadius, 0);
    }
    static constexpr NotchStyle automatic() { return NotchStyle(Kind::automatic, 0, 0); }

    constexpr Kind kind() const { return m_kind; }
    constexpr bool isNotch() const { return m_kind == Kind::notch; }
    constexpr bool isFloating() const { return m_kind == Kind::floating; }
    constexpr bool isAutomatic() const { return m_kind == Kind::automatic; }

    // Payloads; zero for the cases that do not carry them.
    constexpr double topCornerRadius() const { return isNotch() ? m_first : 0; }
    constexpr double bottomCornerRadius() const { return isNotch() ? m_second : 0; }
    constexpr double cornerRadius() const { return isFloating() ? m_first : 0; }

    constexpr bool operator==(const NotchStyle& other) const {
        return m_kind == other.m_kind && m_first == other.m_first && m_second == other.m_second;
    }

private:
    constexpr NotchStyle(Kind kind, double first, double second)
        : m_kind(kind), m_first(first), m_second(second) {}

    Kind m_kind;
    double m_first;
    double m_second;
};

}  // namespace notchkit
