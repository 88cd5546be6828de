#pragma once

#include <string>
#include <utility>
#include <variant>

namespace halvane {

// A decoded record or the reason it could not be decoded. Decoding is an
// ordinary outcome at the wire's edge, so it is a value, never an exception.
template <typename T>
class DecodeResult final {
public:
    DecodeResult(T value) : m_state(std::move(value)) {}
    static DecodeResult failure(std::string reason) {
        return DecodeResult(Failure{std::move(reason)});
    }

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return std::get<T>(m_state); }
    T& value() { return std::get<T>(m_state); }
    const T& operator*() const { return value(); }
    const T* operator->() const { return &value(); }
    const std::string& error() const { return std::get<Failure>(m_state).reason; }

private:
    struct Failure {
        std::string reason;
    };
    explicit DecodeResult(Failure failure) : m_state(std::move(failure)) {}

    std::variant<T, Failure> m_state;
};

}  // namespace halvane
