#pragma once

#include <chrono>
#include <functional>
#include <utility>

namespace halvane {

using Timestamp = std::chrono::system_clock::time_point;

// Where "now" comes from. The system clock unless a test hands in its own.
class Clock final {
public:
    using Source = std::function<Timestamp()>;

    Clock() : m_source(&std::chrono::system_clock::now) {}
    explicit Clock(Source source) : m_source(std::move(source)) {}

    Timestamp now() const { return m_source(); }

private:
    Source m_source;
};

}  // namespace halvane
