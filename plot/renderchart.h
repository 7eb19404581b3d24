// plot/renderchart.h — the chart without loops, drawn under a render profile (plot layer,
// toolkit-free)
#pragma once

#include "core/chartsettings.h"
#include "plot/chartmapping.h"
#include "plot/drawingsurface.h"
#include "plot/renderprofile.h"

namespace velmora {

// The title written above the plot frame.
extern const char *const ChartTitle;

// Draws the chart without loops on a white surface of any size: plot frame, title, iso-gain
// contours, iso-phase contours. Reads the settings and changes nothing else. An error thrown
// part-way leaves the surface as drawn so far; the caller hands that over and then reports the
// error.
void RenderChart(
    const ChartSettings &settings, const RenderProfile &profile, DrawingSurface &surface);

} // namespace velmora
