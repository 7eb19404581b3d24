// plot/chartscene.cpp — one chart drawn on any surface (plot layer, toolkit-free)
#include "plot/chartscene.h"

#include "plot/inkmap.h"
#include "plot/locus.h"
#include "plot/renderchart.h"

#include <algorithm>
#include <cmath>

namespace velmora {

PreparedChart PrepareChart(const ChartScene &scene, int width, int height, double scale)
{
    PreparedChart prepared;
    prepared.frame = FrameOf(width, height, scale);
    prepared.view = ShownView(scene.settings, scene.view);
    prepared.mapping = MappingOf(prepared.frame, scene.settings);
    if (prepared.view) {
        prepared.mapping.phaseMin = prepared.view->phaseMin;
        prepared.mapping.phaseMax = prepared.view->phaseMax;
        prepared.mapping.gainMin = prepared.view->gainMin;
        prepared.mapping.gainMax = prepared.view->gainMax;
    }
    for (const SceneLoop &loop : scene.loops) {
        const double shift = SettledShift(*loop.analysis, scene.settings);
        prepared.loci.push_back(
            TraceLocus(*loop.analysis, shift, prepared.mapping, scene.bounds, scale));
    }
    return prepared;
}

void DrawPreparedChart(const ChartScene &scene, const PreparedChart &prepared,
    const RenderProfile &profile, DrawingSurface &surface)
{
    if (scene.loops.empty()) {
        if (prepared.view)
            RenderChartView(scene.settings, *prepared.view, profile, surface);
        else
            RenderChart(scene.settings, profile, surface);
        return;
    }
    // With loops, where the chart has ink is kept, for the labels and the legend.
    InkMap ink(surface.width(), surface.height());
    InkSurface inked(surface, ink);
    DrawChartLayer(scene, prepared, profile, inked);
    DrawLoopLayer(scene, prepared, profile, inked, ink);
}

void DrawChartLayer(const ChartScene &scene, const PreparedChart &prepared,
    const RenderProfile &profile, InkSurface &surface)
{
    surface.setKinds(Ink::ChartLine, Ink::ChartText);
    if (prepared.view)
        RenderChartView(scene.settings, *prepared.view, profile, surface);
    else
        RenderChart(scene.settings, profile, surface);
}

void DrawLoopLayer(const ChartScene &scene, const PreparedChart &prepared,
    const RenderProfile &profile, InkSurface &surface, InkMap &ink)
{
    surface.setKinds(Ink::ChartLine, Ink::ChartText);
    DrawLoci(surface, ink, prepared.mapping, profile, scene, prepared.loci);
}

void DrawChartScene(const ChartScene &scene, const RenderProfile &profile, DrawingSurface &surface)
{
    DrawPreparedChart(scene,
        PrepareChart(scene, surface.width(), surface.height(), surface.scale()), profile, surface);
}

} // namespace velmora
