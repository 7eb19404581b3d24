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
// The two branches are joined at the lowest and highest samples. When the contours are drawn
// for a part of the chart (`shown`: its frame and extents, within those of `frame` and
// `settings`), the branches are joined only where the contour closes, not where the sweep ends,
// and a label whose top gain lies above the part is written at the part's top.
void DrawIsogainContours(DrawingSurface &surface, const PixelFrame &frame, double gainStep,
    const RenderProfile &profile, const ChartSettings &settings,
    const ChartMapping *shown = nullptr);

} // namespace velmora
