// plot/chartscene.h — what one chart shows, and the one function that draws it on any surface
// (plot layer, toolkit-free)
#pragma once

#include "core/chartsettings.h"
#include "core/loopanalysis.h"
#include "core/sessionmodel.h"
#include "plot/chartmapping.h"
#include "plot/drawingsurface.h"
#include "plot/drawnlocus.h"
#include "plot/inkmap.h"
#include "plot/renderprofile.h"
#include "plot/viewextents.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

// A loop as the chart draws it: its analysis at its gain, its colour and its name, the
// frequencies of its compensator's handles, and the iso-gain contour of its Mr target.
struct SceneLoop {
    std::shared_ptr<const LoopAnalysis> analysis;
    Color color = RgbColor(200, 0, 0);
    std::string name;
    std::vector<double> handles {}; // rad/s, drawn when the scene shows handles
    std::optional<double> targetDb {}; // |T| of the contour drawn for the target, dB
};

// The settings, the visible loops analysed, the frequencies marked on every locus, the legend,
// the sensitivity contours and the part of the chart shown. The chart window, the clipboard,
// export, print and velmora-render each build one and draw it.
struct ChartScene {
    ChartSettings settings = DefaultChartSettings();
    std::vector<SceneLoop> loops {}; // drawn in this order
    std::vector<double> markers {}; // rad/s
    LegendKind legend = LegendKind::Names; // shown when loops are drawn
    bool showSensitivity = false; // the contour |S| = Ms through each loop's worst point
    bool showHandles = false; // the loops' handles, which only the chart window draws
    std::optional<ViewExtents> view {}; // none: the whole chart
    FrequencyBounds bounds {}; // the frequencies the user bounded the analysis to
};

// A chart worked out for an image: its frame, the extents shown on it (the view's or the
// settings'), and each loop's locus as drawn (its whole turns settled on the whole chart).
struct PreparedChart {
    PixelFrame frame;
    ChartMapping mapping;
    std::optional<ViewExtents> view; // the part shown, if not the whole chart
    std::vector<DrawnLocus> loci; // one a scene loop
};

// For an image of that size (pixels) and scale (see DrawingSurface).
PreparedChart PrepareChart(const ChartScene &scene, int width, int height, double scale = 1);

// Draws the whole chart on a white surface of any size, under the profile: the plot frame, the
// title, the iso-gain and iso-phase contours (of the whole chart, or of the part shown), then
// the loops over them (see DrawLoci). Reads the scene and changes nothing else. An error thrown
// part-way leaves the surface as drawn so far; the caller hands that over and then reports the
// error. The chart without loops at the whole view is RenderChart's, operation for operation.
void DrawChartScene(const ChartScene &scene, const RenderProfile &profile, DrawingSurface &surface);

// The same with the chart worked out already for the surface's size and scale.
void DrawPreparedChart(const ChartScene &scene, const PreparedChart &prepared,
    const RenderProfile &profile, DrawingSurface &surface);

// DrawPreparedChart in two layers, for a view that keeps the first while only the loops change:
// the chart under the loops, its ink marked as the chart's own, which depends only on the
// settings, the view, the profile and the surface; then the loops over it, on a surface and an
// ink map that hold what the first layer left (its pixels, pen and font, and its ink).
void DrawChartLayer(const ChartScene &scene, const PreparedChart &prepared,
    const RenderProfile &profile, InkSurface &surface);
void DrawLoopLayer(const ChartScene &scene, const PreparedChart &prepared,
    const RenderProfile &profile, InkSurface &surface, InkMap &ink);

} // namespace velmora
