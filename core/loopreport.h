// core/loopreport.h — the quantities of the loops, as a French table or as JSON (core layer)
#pragma once

#include "core/loopanalysis.h"
#include "core/stepresponse.h"

#include <string>
#include <utility>
#include <vector>

namespace velmora {

// A loop as reported: its expression (or file), what the analysis found, and its closed-loop
// step response's figures (none for an unstable closed loop or measured data).
struct ReportedLoop {
    std::string expression;
    LoopQuantities quantities;
    std::optional<StepFigures> step = std::nullopt;
    bool measured = false; // data without a model: no step response
    double gainDb = 0; // the gain applied to the loop, dB (tuned, or as given)
    std::string compensator {}; // as CompensatorText writes it; empty for none
};

// The rows of a loop's table: what is read, and its value ("3.522 dB à 1.414 rad/s").
std::vector<std::pair<std::string, std::string>> ReportRows(const ReportedLoop &loop);

// A table per loop, in French, numbers with a decimal point; its heading names the loop, its
// compensator and the gain added, when there are.
std::string ReportText(const std::vector<ReportedLoop> &loops);

// {"loops": [{"expression": ..., "gain_db": ..., "stable": ..., "closed_loop_rhp_poles": ...,
// "closed_loop_rhp_poles_at_least": ..., "gain_margin_db":
// ..., "phase_crossover_rad_s": ..., "phase_margin_deg": ..., "gain_crossover_rad_s": ...,
// "peak_db": ..., "peak_rad_s": ..., "bandwidth_rad_s": ..., "gain_crossovers_rad_s": [...],
// "phase_crossovers_rad_s": [...], "gain_crossover_count": ..., "gain_crossover_count_at_least":
// ..., "phase_crossover_count": ..., "phase_crossover_count_at_least": ...,
// "sensitivity_peak_db": ..., "sensitivity_peak_rad_s": ...,
// "step_final_value": ..., "step_overshoot_percent": ..., "step_peak_time_s": ...,
// "step_rise_time_s": ..., "step_settling_time_s": ...}]}, numbers in their shortest exact form,
// null where a quantity does not exist (the step figures and Ms of an unstable closed loop).
// closed_loop_rhp_poles is the count of closed-loop poles in the right half-plane, exact when
// closed_loop_rhp_poles_at_least is false, a lower bound when it is true; both are null when
// there are infinitely many (a delay times a proper rational part whose gain tends to 1 or more).
// The crossover lists hold the first 100 crossovers of each kind; gain_crossover_count and
// phase_crossover_count say how many there are in all, with the same "_at_least" (a delay's phase
// crossovers are infinitely many: both null).
std::string ReportJson(const std::vector<ReportedLoop> &loops);

} // namespace velmora
