// plot/sweep.cpp — the sample positions of a contour sweep (plot layer, toolkit-free)
#include "plot/sweep.h"

#include <algorithm>
#include <cmath>

namespace velmora {

double SampleStep(double min, double max, int divisions)
{
    return static_cast<double>(
        std::fabs(static_cast<long double>(max) - static_cast<long double>(min)) / divisions);
}

bool SweepEndsAfter(double x, double step, double limit)
{
    const double next = x + step;
    return next == x || static_cast<long double>(next) + step >= limit;
}

std::vector<double> SweepPositions(double start, double step, double limit, int capacity)
{
    std::vector<double> positions;
    positions.reserve(static_cast<std::size_t>(std::max(capacity, 0)));
    double x = start;
    for (int evaluated = 0; evaluated < capacity; ++evaluated) {
        positions.push_back(x);
        if (SweepEndsAfter(x, step, limit))
            break;
        x += step;
    }
    return positions;
}

} // namespace velmora
