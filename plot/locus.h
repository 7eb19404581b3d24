// plot/locus.h — loops drawn over the chart: loci, frequency marks, margins, resonance peak and
// bandwidth (plot layer, toolkit-free)
#pragma once

#include "core/chartsettings.h"
#include "core/loopanalysis.h"
#include "plot/chartmapping.h"
#include "plot/chartscene.h"

#include <string>
#include <vector>

namespace velmora {

// The loops over the chart, within the plot frame that `mapping` describes, in the surface's
// current font. Each locus is drawn in its colour, clipped to the plot frame, with
// its phase shifted by whole turns as its analysis says, with small arrowheads in the direction
// of increasing frequency and a dot and a label at each decade frequency (and each extra marker
// frequency) that falls on the chart. The critical point (-180 degrees, 0 dB) is marked; the
// phase and gain margins are drawn as segments from their crossovers to the critical point; the
// point of the closed-loop resonance peak is marked, with the iso-gain contour at that peak drawn
// through it, dashed; the point of the bandwidth is marked. Labels are placed so that they do not
// overlap one another.
void DrawLoci(DrawingSurface &surface, const ChartMapping &mapping, const RenderProfile &profile,
    const std::vector<SceneLoop> &loops, const std::vector<double> &markers, Color criticalColor);

// A margin, a peak or a frequency as the chart's labels write them: three significant digits at
// most, a point as the decimal separator ("45.2", "0.0125", "1.2E4" beyond 10000).
std::string ShortNumber(double value);

} // namespace velmora
