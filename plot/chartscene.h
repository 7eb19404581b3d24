// plot/chartscene.h — what one chart shows, and the one function that draws it on any surface
// (plot layer, toolkit-free)
#pragma once

#include "core/chartsettings.h"
#include "core/loopanalysis.h"
#include "plot/drawingsurface.h"
#include "plot/renderprofile.h"

#include <memory>
#include <string>
#include <vector>

namespace velmora {

// A loop as the chart draws it: its analysis at its gain, its colour and its name.
struct SceneLoop {
    std::shared_ptr<const LoopAnalysis> analysis;
    Color color = RgbColor(200, 0, 0);
    std::string name;
};

// The settings, the visible loops analysed, and the frequencies marked on every locus. The chart
// window, the clipboard, export, print and velmora-render each build one and draw it.
struct ChartScene {
    ChartSettings settings = DefaultChartSettings();
    std::vector<SceneLoop> loops {}; // drawn in this order
    std::vector<double> markers {}; // rad/s
};

// Draws the whole chart on a white surface of any size, under the profile: the plot frame, the
// title, the iso-gain and iso-phase contours, then the loops over them. Reads the scene and changes
// nothing else. An error thrown part-way leaves the surface as drawn so far; the caller hands that
// over and then reports the error.
void DrawChartScene(const ChartScene &scene, const RenderProfile &profile, DrawingSurface &surface);

} // namespace velmora
