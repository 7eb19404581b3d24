// plot/viewextents.cpp — the part of the chart shown (plot layer, toolkit-free)
#include "plot/viewextents.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

ViewExtents wholeOf(const ChartSettings &settings)
{
    return { settings.phaseMin, settings.phaseMax, settings.gainMin, settings.gainMax };
}

// [low, high] moved, not resized, to lie within [min, max] (resized only when wider).
void keepWithin(double &low, double &high, double min, double max)
{
    const double span = std::min(high - low, max - min);
    if (low < min) {
        low = min;
        high = min + span;
    } else if (high > max) {
        high = max;
        low = max - span;
    }
    low = std::max(low, min);
    high = std::min(high, max);
}

// The interval [low, high] scaled by 1 / factor about `at`, its span kept between `least` and
// `most`.
void zoomed(double &low, double &high, double at, double factor, double least, double most)
{
    const double span = high - low;
    const double next = std::clamp(span / factor, least, most);
    const double share = span > 0 ? std::clamp((at - low) / span, 0.0, 1.0) : 0.5;
    low = at - share * next;
    high = low + next;
}

} // namespace

std::optional<ViewExtents> ShownView(
    const ChartSettings &settings, const std::optional<ViewExtents> &view)
{
    if (!view)
        return std::nullopt;
    ViewExtents shown;
    shown.phaseMin = std::max(view->phaseMin, settings.phaseMin);
    shown.phaseMax = std::min(view->phaseMax, settings.phaseMax);
    shown.gainMin = std::max(view->gainMin, settings.gainMin);
    shown.gainMax = std::min(view->gainMax, settings.gainMax);
    const bool usable = std::isfinite(shown.phaseMin) && std::isfinite(shown.phaseMax)
        && std::isfinite(shown.gainMin) && std::isfinite(shown.gainMax)
        && shown.phaseMin < shown.phaseMax && shown.gainMin < shown.gainMax;
    if (!usable || shown == wholeOf(settings))
        return std::nullopt;
    return shown;
}

std::optional<ViewExtents> ZoomedView(const ChartSettings &settings,
    const std::optional<ViewExtents> &view, double phaseDeg, double gainDb, double factor)
{
    if (!(factor > 0) || !std::isfinite(factor) || !std::isfinite(phaseDeg)
        || !std::isfinite(gainDb))
        return ShownView(settings, view);
    const ViewExtents whole = wholeOf(settings);
    ViewExtents next = ShownView(settings, view).value_or(whole);
    const double phaseSpan = whole.phaseMax - whole.phaseMin;
    const double gainSpan = whole.gainMax - whole.gainMin;
    zoomed(next.phaseMin, next.phaseMax, phaseDeg, factor, phaseSpan * LeastViewShare, phaseSpan);
    zoomed(next.gainMin, next.gainMax, gainDb, factor, gainSpan * LeastViewShare, gainSpan);
    keepWithin(next.phaseMin, next.phaseMax, whole.phaseMin, whole.phaseMax);
    keepWithin(next.gainMin, next.gainMax, whole.gainMin, whole.gainMax);
    return ShownView(settings, next);
}

std::optional<ViewExtents> PannedView(const ChartSettings &settings,
    const std::optional<ViewExtents> &view, double phaseDeg, double gainDb)
{
    std::optional<ViewExtents> shown = ShownView(settings, view);
    if (!shown || !std::isfinite(phaseDeg) || !std::isfinite(gainDb))
        return shown;
    ViewExtents next = *shown;
    next.phaseMin += phaseDeg;
    next.phaseMax += phaseDeg;
    next.gainMin += gainDb;
    next.gainMax += gainDb;
    keepWithin(next.phaseMin, next.phaseMax, settings.phaseMin, settings.phaseMax);
    keepWithin(next.gainMin, next.gainMax, settings.gainMin, settings.gainMax);
    return ShownView(settings, next);
}

} // namespace velmora
