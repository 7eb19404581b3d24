// plot/renderchart.h — the chart without loops, drawn under a render profile, whole or a part of
// it (plot layer, toolkit-free)
#pragma once

#include "core/chartsettings.h"
#include "core/sessionmodel.h"
#include "plot/chartmapping.h"
#include "plot/drawingsurface.h"
#include "plot/renderprofile.h"

namespace velmora {

// The title written above the plot frame.
extern const char *const ChartTitle;

// Draws the chart without loops on a white surface of any size: plot frame, title, iso-gain
// contours, iso-phase contours. Reads the settings and changes nothing else. An error thrown
// part-way leaves the surface as drawn so far; the caller hands that over and then reports the
// error. On a surface of scale r, the frame's margins, the title's place and the tick length
// are r times the designed ones and each contour has r times the samples.
void RenderChart(
    const ChartSettings &settings, const RenderProfile &profile, DrawingSurface &surface);

// The same chart showing only `view`, a part of the settings' extents (see ShownView), on the
// whole frame: its axes as DrawViewAxes draws them, its contours sampled as finely as the whole
// chart's on the same frame and cut at the frame's edges, then the title over them.
void RenderChartView(const ChartSettings &settings, const ViewExtents &view,
    const RenderProfile &profile, DrawingSurface &surface);

// The profile for a surface of this scale: r times the samples, and the closing gap r times.
RenderProfile ScaledProfile(const RenderProfile &profile, double scale);

} // namespace velmora
