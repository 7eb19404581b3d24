// plot/viewextents.h — the part of the chart shown: kept within the settings' extents, zoomed
// about a point and panned (plot layer, toolkit-free)
#pragma once

#include "core/chartsettings.h"
#include "core/sessionmodel.h"

#include <optional>

namespace velmora {

// The least share of the settings' extents a view spans, on each axis.
constexpr double LeastViewShare = 1e-3;

// The view as drawn: its extents cut to the settings' extents. Nothing when there is no view,
// when what is left is the whole chart, or when it is empty or not finite.
std::optional<ViewExtents> ShownView(
    const ChartSettings &settings, const std::optional<ViewExtents> &view);

// The view (none: the whole chart) zoomed by `factor` (above 1 shows less, below 1 more) about
// the point (phaseDeg, gainDb), which stays where it is in the frame. Spans are kept between
// LeastViewShare of the settings' and the settings' own, and the view is moved, not shrunk,
// back within the settings' extents. Nothing when the result is the whole chart.
std::optional<ViewExtents> ZoomedView(const ChartSettings &settings,
    const std::optional<ViewExtents> &view, double phaseDeg, double gainDb, double factor);

// The view moved by (phaseDeg, gainDb), stopped at the settings' extents; the whole chart
// (none) does not move.
std::optional<ViewExtents> PannedView(const ChartSettings &settings,
    const std::optional<ViewExtents> &view, double phaseDeg, double gainDb);

} // namespace velmora
