// plot/abaque.cpp — the whole chart, drawn under a render profile (plot layer, toolkit-free)
#include "plot/abaque.h"

#include "plot/fongraph.h"
#include "plot/isogain.h"
#include "plot/isophase.h"

#include <cmath>

namespace velmora {

const char *const ChartTitle = "gain en dB et phase en °";

RenderProfile WindowProfile()
{
    return RenderProfile {};
}

RenderProfile ClipboardProfile(int width, int height)
{
    RenderProfile profile;
    profile.width = width;
    profile.height = height;
    profile.GainDivisions = 450;
    profile.PhaseDivisions = 300;
    profile.ClosingGap = 80;
    profile.GainLabelSuffix = "dB";
    profile.PhaseLabelSuffix = "°";
    return profile;
}

double SampleStep(double min, double max, int divisions)
{
    return static_cast<double>(
        std::fabs(static_cast<long double>(max) - static_cast<long double>(min)) / divisions);
}

void RenderAbaque(
    const ChartSettings &settings, const RenderProfile &profile, DrawingSurface &surface)
{
    const PixelFrame frame = FrameOf(surface);
    const double gainStep = SampleStep(settings.GainMin, settings.GainMax, profile.GainDivisions);
    const double phaseStep
        = SampleStep(settings.PhaseMin, settings.PhaseMax, profile.PhaseDivisions);

    surface.setPenColor(settings.style.AxisColor);
    surface.setFontColor(settings.style.AxisColor);
    DrawAxes(surface, settings.style, settings.PhaseStep, settings.GainStep, settings.PhaseMin,
        settings.PhaseMax, settings.GainMin, settings.GainMax);
    surface.drawText(20, 5, ChartTitle);
    DrawIsogainContours(surface, frame, gainStep, profile, settings);
    DrawIsophaseContours(surface, frame, phaseStep, profile, settings);
}

} // namespace velmora
