// plot/locus.h — loops drawn over the chart: loci, frequency marks, margins, resonance peak,
// bandwidth, sensitivity, critical points, legend and labels (plot layer, toolkit-free)
#pragma once

#include "core/chartsettings.h"
#include "core/loopanalysis.h"
#include "plot/chartmapping.h"
#include "plot/chartscene.h"
#include "plot/drawnlocus.h"
#include "plot/inkmap.h"

#include <string>
#include <vector>

namespace velmora {

// The scene's loops over the chart, within the plot frame that `mapping` describes (the extents
// shown), in the surface's current font; `loci` holds one drawn locus a scene loop. No ink
// leaves the frame, pen widths included. Each locus is drawn in its colour, shifted by its
// whole turns, with small arrowheads in the direction of increasing frequency and a dot at each
// decade frequency (and each marker frequency) that falls on the chart. Every critical point
// (-180 degrees + whole turns, 0 dB) in the frame is marked with a cross. The phase and gain
// margins are segments from the crossovers to the critical point in the loop's colour, those of
// the n-th loop set (n + 1) / 2 segment widths and gaps to one side or the other; the point of
// the closed-loop resonance peak is marked, with the iso-gain contour at that peak through it,
// dashed; so is the point of the bandwidth, and with the scene's option the worst point of the
// sensitivity with its contour |S| = Ms. Then the legend (see DrawLegend), then the labels (see
// LabelPlacer): margins, peaks and bandwidths of every loop first, then the frequencies. Units
// follow the contour labels' rule: none in the window profile, "dB", "°" and "rad/s" otherwise.
// All ink is marked on `ink` (the chart's own is there already).
void DrawLoci(InkSurface &surface, InkMap &ink, const ChartMapping &mapping,
    const RenderProfile &profile, const ChartScene &scene, const std::vector<DrawnLocus> &loci);

// A margin, a peak or a frequency as the chart's labels write them: three significant digits at
// most, a point as the decimal separator ("45.2", "0.0125", "1.2E4" beyond 10000).
std::string ShortNumber(double value);

} // namespace velmora
