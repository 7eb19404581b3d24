// plot/isophase.h — contours of constant closed-loop phase (plot layer, toolkit-free)
#pragma once

#include "core/chartsettings.h"
#include "plot/chartmapping.h"
#include "plot/drawingsurface.h"
#include "plot/renderprofile.h"

namespace velmora {

// Every iso-phase contour of settings.isophaseValues with its label, in list order. A value
// below -180 degrees is swept from phaseMin up to -180, one above from -180 up to the value (or
// 0); -180 itself is a vertical segment from the bottom row up to 0 dB. Phases are sampled every
// `phaseStep` degrees, at most profile.phaseDivisions samples per sweep; only gains above the
// bottom of the chart are kept. A value whose tangent is zero or not finite draws nothing. Sets
// pen and font colour to isophaseColor first and leaves them so. For a part of the chart
// (`part`, its extents in the settings), the sweeps above -180 degrees start a step before the
// part's left edge, and those below are left out when the part lies right of -180 degrees.
void DrawIsophaseContours(DrawingSurface &surface, const PixelFrame &frame, double phaseStep,
    const RenderProfile &profile, const ChartSettings &settings, bool part = false);

} // namespace velmora
