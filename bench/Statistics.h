#pragma once

// The summaries every benchmark prints.
#include <algorithm>
#include <vector>

namespace halvane::bench {

// The middle value (the upper one of an even count); 0 for no values.
inline double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Other work on the machine only ever adds time: the fastest round is the
// truest figure for throughput. 0 for no values.
inline double fastest(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

}  // namespace halvane::bench
