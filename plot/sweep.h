// plot/sweep.h — the sample positions of a contour sweep (plot layer, toolkit-free)
#pragma once

#include <vector>

namespace velmora {

// Sample step of a contour sweep: |max - min| / divisions, as a double.
double SampleStep(double min, double max, int divisions);

// Whether a sweep that has just evaluated `x` ends there: the next position x + step (rounded
// to double) would not move, or lies within one step of `limit`, the sum compared unrounded.
bool SweepEndsAfter(double x, double step, double limit);

// The positions start, start + step, ... (each sum rounded to double) of a contour sweep up to
// where SweepEndsAfter stops it, at most `capacity` of them: the first is always `start`.
std::vector<double> SweepPositions(double start, double step, double limit, int capacity);

} // namespace velmora
