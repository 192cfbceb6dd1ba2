#include "tools/loadgen/LatencyStats.h"

#include <algorithm>
#include <cmath>

double LatencyStats::Percentile(double p) const
{
    if (samples_.empty())
        return 0.0;
    std::vector<double> sorted = samples_;
    std::sort(sorted.begin(), sorted.end());
    size_t rank = static_cast<size_t>(std::ceil(p / 100.0 * static_cast<double>(sorted.size())));
    if (rank < 1)
        rank = 1;
    return sorted[std::min(rank, sorted.size()) - 1];
}

double LatencyStats::Max() const
{
    return samples_.empty() ? 0.0 : *std::max_element(samples_.begin(), samples_.end());
}
