#pragma once

#include <cstddef>
#include <string_view>

namespace halvane {

class SymbolName;
constexpr SymbolName operator""_sym(const char* name, std::size_t length);

// The name of a symbol the views draw ("bell.badge.fill", "sparkle"). Names are
// written only as `_sym` literals, so a test can find every name the code uses
// by reading the sources and check that each one has a glyph.
class SymbolName final {
public:
    constexpr std::string_view view() const { return m_name; }
    constexpr bool operator==(const SymbolName& other) const = default;

private:
    constexpr explicit SymbolName(std::string_view name) : m_name(name) {}
    friend constexpr SymbolName operator""_sym(const char* name, std::size_t length);

    std::string_view m_name;
};

constexpr SymbolName operator""_sym(const char* name, std::size_t length) {
    return SymbolName(std::string_view(name, length));
}

}  // namespace halvane
