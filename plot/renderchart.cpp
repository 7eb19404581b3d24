// plot/renderchart.cpp — the whole chart, drawn under a render profile (plot layer, toolkit-free)
#include "plot/renderchart.h"

#include "plot/axes.h"
#include "plot/isogain.h"
#include "plot/isophase.h"
#include "plot/sweep.h"

namespace velmora {

const char *const ChartTitle = "gain en dB et phase en °";

void RenderChart(
    const ChartSettings &settings, const RenderProfile &profile, DrawingSurface &surface)
{
    const PixelFrame frame = FrameOf(surface.width(), surface.height());
    const double gainStep = SampleStep(settings.gainMin, settings.gainMax, profile.gainDivisions);
    const double phaseStep
        = SampleStep(settings.phaseMin, settings.phaseMax, profile.phaseDivisions);

    surface.setPenColor(settings.axisStyle.axisColor);
    surface.setFontColor(settings.axisStyle.axisColor);
    DrawAxes(surface, settings.axisStyle, settings.phaseStep, settings.gainStep, settings.phaseMin,
        settings.phaseMax, settings.gainMin, settings.gainMax);
    surface.drawText(20, 5, ChartTitle);
    DrawIsogainContours(surface, frame, gainStep, profile, settings);
    DrawIsophaseContours(surface, frame, phaseStep, profile, settings);
}

} // namespace velmora
