#pragma once

#include <algorithm>
#include <vector>

// The middle figure of a run's samples: one slow outlier on a shared machine
// does not move it.
inline double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}
