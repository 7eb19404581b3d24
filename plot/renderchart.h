// plot/renderchart.h — the whole chart, drawn under a render profile, with overlay layers (plot
// layer, toolkit-free)
#pragma once

#include "core/chartsettings.h"
#include "plot/chartmapping.h"
#include "plot/drawingsurface.h"
#include "plot/renderprofile.h"

#include <span>

namespace velmora {

// The title written above the plot frame.
extern const char *const ChartTitle;

// Something drawn over the chart, after the contours: the loops are one.
class ChartLayer {
public:
    virtual ~ChartLayer() = default;
    // Draws within the plot frame that `mapping` describes, in the surface's current font.
    virtual void draw(DrawingSurface &surface, const ChartMapping &mapping,
        const RenderProfile &profile) const = 0;
};

// Draws the whole chart on a white surface sized as the profile says: plot frame, title, iso-gain
// contours, iso-phase contours, then each overlay in order. Reads the settings and changes
// nothing else. An error thrown part-way leaves the surface as drawn so far; the caller hands
// that over and then reports the error.
void RenderChart(const ChartSettings &settings, const RenderProfile &profile,
    DrawingSurface &surface, std::span<const ChartLayer *const> overlays = {});

} // namespace velmora
