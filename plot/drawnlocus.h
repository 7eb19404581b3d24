// plot/drawnlocus.h — a loop's locus as a chart draws it: shifted by whole turns settled once,
// sampled finely enough for the image, and carried on to the edge of the frame (plot layer,
// toolkit-free)
#pragma once

#include "core/chartsettings.h"
#include "core/loopanalysis.h"
#include "plot/chartmapping.h"

#include <optional>
#include <vector>

namespace velmora {

struct DrawnLocus {
    std::vector<ResponsePoint> points; // increasing frequency; phases as analysed, unshifted
    double shiftDeg = 0; // whole turns added to every phase drawn
};

// Frequencies (rad/s) the user bounded the analysis to: the locus is not carried beyond them.
struct FrequencyBounds {
    std::optional<double> low;
    std::optional<double> high;
};

// The whole turns (degrees) the locus of the analysis is drawn with on a chart of the settings'
// extents: those that bring the phase at the reported gain crossover nearest -180 degrees.
// Without a gain crossover, or when two turns bring it equally near (its phase a half turn from
// -180 degrees within 1e-9 turn), those that put the greatest length of the locus inside the
// plot frame; among those within half a pixel of it, those that bring the lowest-frequency point
// nearest -180 degrees. Lengths are measured on a 600 x 950 chart, so that the turns do not
// depend on the image's size.
double SettledShift(const LoopAnalysis &analysis, const ChartSettings &settings);

// The locus of the analysis shifted by `shiftDeg`, for drawing through `mapping` (the extents
// shown on the frame of an image of that scale, see DrawingSurface). Between consecutive points
// of a loop defined at every frequency whose segment may be drawn, points are added at the
// model's values until they lie at most one designed pixel apart (at most 200,000 added;
// beyond, segments stay straight). The locus is then carried on past each end of the analysed
// frequencies while that end lies in the frame, until it leaves the frame or moves less than
// half a designed pixel over a decade; it is not carried past the user's bounds, past 1e-12 or
// 1e12 rad/s, past a root on the imaginary axis, more than 8 decades, or for more than 4,000
// points at each end. Measured data are drawn as given.
DrawnLocus TraceLocus(const LoopAnalysis &analysis, double shiftDeg, const ChartMapping &mapping,
    const FrequencyBounds &bounds = {}, double scale = 1);

// The point of the drawn locus at omega (rad/s): the analysis's own within its range
// (LocusPointAt), the model's beyond it up to the ends drawn; nothing outside them. Phases
// unshifted.
std::optional<ResponsePoint> DrawnPointAt(
    const LoopAnalysis &analysis, const DrawnLocus &drawn, double omega);

} // namespace velmora
