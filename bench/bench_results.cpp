#include "bench/bench_results.h"

#include <algorithm>

namespace arrange5::bench {

double medianOf(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

const Measurement* BenchResults::find(const MeasureKey& key) const {
    auto it = data_.find(key);
    return it == data_.end() ? nullptr : &it->second;
}

std::optional<double> BenchResults::median(const MeasureKey& key) const {
    const Measurement* m = find(key);
    if (!m || m->failed || m->seconds.empty()) return std::nullopt;
    return medianOf(m->seconds);
}

}  // namespace arrange5::bench
