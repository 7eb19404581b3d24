// plot/isogain.h — contours of constant closed-loop gain (plot layer, toolkit-free)
#pragma once

#include "core/chartsettings.h"
#include "plot/chartmapping.h"
#include "plot/drawingsurface.h"
#include "plot/renderprofile.h"

namespace velmora {

// Cosine of the open-loop phase at which |G / (1 + G)| = M when |G| = g; g and M are linear
// gains, positive. The result may lie outside [-1, 1]: then no phase exists. Zero g or M throws
// FloatingPointError (division by zero).
double IsogainCosine(double g, double M);

// Every iso-gain contour of settings.isogainValues with its label, in list order. Gains are
// sampled from gainMin upwards every `gainStep` dB, at most profile.gainDivisions samples per
// contour. A value whose linear gain overflows or vanishes draws nothing; so does a value with no
// valid sample. Leaves pen and font colour at isogainColor when there is at least one value.
void DrawIsogainContours(DrawingSurface &surface, const PixelFrame &frame, double gainStep,
    const RenderProfile &profile, const ChartSettings &settings);

} // namespace velmora
