// plot/abaque.h — the whole chart, drawn under a render profile (plot layer, toolkit-free)
#pragma once

#include "core/chartsettings.h"
#include "plot/renderprofile.h"
#include "plot/surface.h"

namespace velmora {

// The title written above the plot frame.
extern const char *const ChartTitle;

// Sample step of a contour sweep: |max - min| / divisions, as a double.
double SampleStep(double min, double max, int divisions);

// Draws the whole chart on a white surface sized as the profile says: plot frame, title, iso-gain
// contours, iso-phase contours, in that order. Reads the settings and changes nothing else. An
// error thrown part-way leaves the surface as drawn so far; the caller hands that over and then
// reports the error.
void RenderAbaque(
    const ChartSettings &settings, const RenderProfile &profile, DrawingSurface &surface);

} // namespace velmora
