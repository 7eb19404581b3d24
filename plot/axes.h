// plot/axes.h — axes, graduations, ticks or grid and their labels (plot layer, toolkit-free)
#pragma once

#include "core/chartsettings.h"
#include "plot/chartmapping.h"
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

// The graduation step of an axis of a part of the chart, from `low` to `high`: the settings'
// `step` when it puts at least 4 labelled graduations in the part; otherwise the first step that
// does among the round steps below it that divide it (5, 2.5, 2 and 1 times a power of ten, down
// to 1e-7 of it), then among its fractions 1 / 2, 1 / 5, 1 / 10, ... 1 / 1e7. Graduations stand
// at origin + j step (j a whole number) and those of odd j are labelled, as on the whole chart.
double ViewGraduationStep(double step, double origin, double low, double high);

// The axes of the part of the chart that `mapping` shows, its extents within the settings':
// phases graduated from settings.phaseMin every ViewGraduationStep, gains from settings.gainMax
// downwards likewise, ticks or grid as the style says. Each axis runs through 0 (degrees or dB)
// when the style puts the axes at the origin and the part shows it; otherwise the phase axis
// lies along the frame's bottom edge and the gain axis along its right edge (its left edge when
// the style does not put the axes at the origin), their ticks and labels inside the frame.
// Nothing is drawn outside the frame; a label that would leave it is left out. Leaves font face,
// size and colour from the style and a solid pen in its axis colour.
void DrawViewAxes(
    DrawingSurface &surface, const ChartMapping &mapping, const ChartSettings &settings);

} // namespace velmora
