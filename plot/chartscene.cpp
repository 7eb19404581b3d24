// plot/chartscene.cpp — one chart drawn on any surface (plot layer, toolkit-free)
#include "plot/chartscene.h"

#include "plot/locus.h"
#include "plot/renderchart.h"

namespace velmora {

void DrawChartScene(const ChartScene &scene, const RenderProfile &profile, DrawingSurface &surface)
{
    RenderChart(scene.settings, profile, surface);
    if (scene.loops.empty())
        return;
    const ChartMapping mapping
        = MappingOf(FrameOf(surface.width(), surface.height()), scene.settings);
    DrawLoci(
        surface, mapping, profile, scene.loops, scene.markers, scene.settings.axisStyle.axisColor);
}

} // namespace velmora
