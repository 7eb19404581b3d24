// plot/responseplots.h — the closed loop beside the chart: the step response with its figures,
// and the closed-loop Bode plot of |T| and |S| (plot layer, toolkit-free)
#pragma once

#include "core/chartsettings.h"
#include "core/stepresponse.h"
#include "plot/drawingsurface.h"
#include "plot/plotframe.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

// A loop's step response as the plot draws it; none for a loop whose closed loop is unstable or
// has no model (measured data), which the plot names without a curve.
struct StepPlotLoop {
    Color color = Black;
    std::string name;
    std::optional<StepResponse> response; // none for measured data or an unstable closed loop
    bool measured = false; // the loop is measured data, which has no step response here
};

// |T| and |S| in dB against ω (rad/s), and the marks: Mr and ωb of T, Ms of S.
struct BodePlotLoop {
    Color color = Black;
    std::string name;
    std::vector<double> omega;
    std::vector<double> closedDb; // 20 log |T(jω)|
    std::vector<double> sensitivityDb; // 20 log |S(jω)|, S = 1 / (1 + G)
    std::optional<double> peakDb; // Mr, with ωr (none at ω = 0 or ω -> infinity)
    std::optional<double> peakOmega;
    std::optional<double> bandwidth; // ωb, where |T| is 3 dB below |T(0)|
    std::optional<double> lowFrequencyDb; // |T(0)|
    std::optional<double> sensitivityPeakDb; // Ms
    std::optional<double> sensitivityPeakOmega;
};

// The frames the plots are drawn in on a surface: what a read-out under the pointer maps back
// through.
PlotFrame StepPlotFrame(DrawingSurface &surface, const std::vector<StepPlotLoop> &loops);
PlotFrame BodePlotFrame(DrawingSurface &surface, const std::vector<BodePlotLoop> &loops);

// The step responses in their colours, y against t (s), with for each loop its final value
// (dotted), the ±5 % band, and its figures marked: the peak and its overshoot, the rise from 10
// to 90 %, the settling time.
void DrawStepPlot(DrawingSurface &surface, const std::vector<StepPlotLoop> &loops);

// |T| solid and |S| dashed in each loop's colour, in dB against log ω, with Mr, ωb and Ms marked.
void DrawBodePlot(DrawingSurface &surface, const std::vector<BodePlotLoop> &loops);

} // namespace velmora
