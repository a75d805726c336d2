// Median and 99th percentile of a set of samples (nearest rank).
#pragma once

#include <algorithm>
#include <vector>

namespace kestrova::load {

struct Percentiles {
    double p50 = 0, p99 = 0;
};

inline Percentiles percentilesOf(std::vector<double> samples) {
    if (samples.empty()) return {};
    std::sort(samples.begin(), samples.end());
    auto at = [&](size_t percent) {
        return samples[std::min(samples.size() - 1, samples.size() * percent / 100)];
    };
    return {at(50), at(99)};
}

} // namespace kestrova::load
