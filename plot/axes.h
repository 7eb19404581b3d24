// plot/axes.h — axes, graduations, ticks or grid and their labels (plot layer, toolkit-free)
#pragma once

#include "core/chartsettings.h"
#include "plot/drawingsurface.h"

namespace velmora {

// Graduations drawn per axis at the most, whatever the step.
constexpr int MaxGraduations = 10'000;

// Phase axis along `row`, graduations from `min` rightwards every `step` degrees.
void DrawPhaseAxis(
    int row, DrawingSurface &surface, AxisStyle style, double step, double min, double max);

// Gain axis along `column`, graduations from `max` downwards every `step` dB.
void DrawGainAxis(
    int column, DrawingSurface &surface, AxisStyle style, double step, double min, double max);

// Both axes with their graduations, ticks or grid and labels, then the phase axis line again.
// Leaves font face, size and colour from `style` and a solid pen in its axis colour.
void DrawAxes(DrawingSurface &surface, AxisStyle style, double phaseStep, double gainStep,
    double phaseMin, double phaseMax, double gainMin, double gainMax);

} // namespace velmora
