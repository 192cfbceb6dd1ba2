#pragma once
// Latency samples of one load run and their percentiles.
#include <cstddef>
#include <vector>

class LatencyStats {
public:
    void Add(double milliseconds) { samples_.push_back(milliseconds); }
    size_t Count() const { return samples_.size(); }
    // Nearest-rank percentile (0 < p <= 100) of the samples; 0 when there are none.
    double Percentile(double p) const;
    double Max() const;

private:
    std::vector<double> samples_;
};
