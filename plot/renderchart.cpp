// plot/renderchart.cpp — the whole chart, or a part of it, drawn under a render profile (plot
// layer, toolkit-free)
#include "plot/renderchart.h"

#include "plot/axes.h"
#include "plot/inkmap.h"
#include "plot/isogain.h"
#include "plot/isophase.h"
#include "plot/sweep.h"

#include <cmath>

namespace velmora {

const char *const ChartTitle = "gain en dB et phase en °";

namespace {

// The title's corner: (20, 5) designed pixels.
void drawTitle(DrawingSurface &surface)
{
    const double r = surface.scale();
    surface.drawText(static_cast<int>(std::nearbyint(20 * r)),
        static_cast<int>(std::nearbyint(5 * r)), ChartTitle);
}

} // namespace

RenderProfile ScaledProfile(const RenderProfile &profile, double scale)
{
    if (scale == 1)
        return profile;
    RenderProfile scaled = profile;
    const auto times = [scale](int n) { return static_cast<int>(std::nearbyint(n * scale)); };
    scaled.gainDivisions = times(profile.gainDivisions);
    scaled.phaseDivisions = times(profile.phaseDivisions);
    scaled.closingGap = times(profile.closingGap);
    return scaled;
}

void RenderChart(
    const ChartSettings &settings, const RenderProfile &designed, DrawingSurface &surface)
{
    const RenderProfile profile = ScaledProfile(designed, surface.scale());
    const PixelFrame frame = FrameOf(surface.width(), surface.height(), surface.scale());
    const double gainStep = SampleStep(settings.gainMin, settings.gainMax, profile.gainDivisions);
    const double phaseStep
        = SampleStep(settings.phaseMin, settings.phaseMax, profile.phaseDivisions);

    surface.setPenColor(settings.axisStyle.axisColor);
    surface.setFontColor(settings.axisStyle.axisColor);
    DrawAxes(surface, settings.axisStyle, settings.phaseStep, settings.gainStep, settings.phaseMin,
        settings.phaseMax, settings.gainMin, settings.gainMax);
    drawTitle(surface);
    DrawIsogainContours(surface, frame, gainStep, profile, settings);
    DrawIsophaseContours(surface, frame, phaseStep, profile, settings);
}

void RenderChartView(const ChartSettings &settings, const ViewExtents &view,
    const RenderProfile &designed, DrawingSurface &surface)
{
    RenderProfile profile = ScaledProfile(designed, surface.scale());
    const PixelFrame frame = FrameOf(surface.width(), surface.height(), surface.scale());
    const ChartMapping shown { frame, view.gainMin, view.gainMax, view.phaseMin, view.phaseMax };

    surface.setPenColor(settings.axisStyle.axisColor);
    surface.setFontColor(settings.axisStyle.axisColor);
    DrawViewAxes(surface, shown, settings);

    // The contours are swept a few pixels beyond the frame on every side, so that they reach its
    // edges, and cut there.
    const int pad = static_cast<int>(std::nearbyint(4 * surface.scale()));
    const double degreesPerPixel = (view.phaseMax - view.phaseMin) / (frame.right - frame.left);
    const double dbPerPixel = (view.gainMax - view.gainMin) / (frame.bottom - frame.top);
    const PixelFrame swept { frame.top - pad, frame.bottom + pad, frame.left - pad,
        frame.right + pad };
    ChartSettings part = settings;
    part.phaseMin = view.phaseMin - pad * degreesPerPixel;
    part.phaseMax = view.phaseMax + pad * degreesPerPixel;
    part.gainMin = view.gainMin - pad * dbPerPixel;
    part.gainMax = view.gainMax + pad * dbPerPixel;
    // A sweep that starts a step early still reaches the far edge.
    profile.phaseDivisions += 2;
    const double gainStep = SampleStep(part.gainMin, part.gainMax, profile.gainDivisions);
    const double phaseStep = SampleStep(part.phaseMin, part.phaseMax, profile.phaseDivisions);
    FrameClipSurface clipped(surface, frame);
    DrawIsogainContours(clipped, swept, gainStep, profile, part, &shown);
    DrawIsophaseContours(clipped, swept, phaseStep, profile, part, true);
    // Over the contours, which reach the frame's top edge and would cross it.
    surface.setFontColor(settings.axisStyle.axisColor);
    drawTitle(surface);
}

} // namespace velmora
