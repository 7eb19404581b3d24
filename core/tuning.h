// core/tuning.h — a loop tuned to a target: the gain at which Mr, a margin, the bandwidth or the
// crossover takes a value, and a phase lead that sets the phase margin at a crossover (core
// layer)
#pragma once

#include "core/compensator.h"
#include "core/responsemodel.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>

namespace velmora {

// What a tuning aims at, as the analysis reads it (LoopQuantities): the closed-loop peak Mr (dB),
// the reported phase margin (degrees) and gain margin (dB), those of smallest magnitude, the
// bandwidth ωb (rad/s) and the reported gain crossover ωc (rad/s).
enum class TargetKind { Mr, PhaseMargin, GainMargin, Bandwidth, Crossover };

struct TargetInfo {
    TargetKind kind;
    std::string_view key; // in sessions and on the command line: "mr", "pm", "gm", "wb", "wc"
    std::string_view symbol; // French: "Mr", "MP", "MG", "ωb", "ωc"
    std::string_view unit; // "dB", "°", "rad/s"
};

// Every target, in the order of TargetKind.
std::span<const TargetInfo> TargetTable();
const TargetInfo &InfoOf(TargetKind kind);
std::optional<TargetKind> TargetKindOfKey(std::string_view key);

// A target that cannot be reached, or a design that cannot be made: the reason in French, the
// target first ("Mr = 0.5 dB inaccessible : le minimum est 1.2 dB").
class TuningError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The gains considered, dB.
constexpr double MaxTunedGainDb = 200;

struct TuningResult {
    double gainDb = 0; // the loop's gain at which the target holds
    double achieved = 0; // the target's quantity the analysis reads at that gain
};

// The gain (dB, within ±MaxTunedGainDb) at which the loop `model` (any model: rational or
// measured, compensated or not) meets the target, the closed loop stable. The gains where the
// target is reached are found on the model's exact evaluation: Mr = X where the locus is tangent
// to the X dB contour of |T| (for each frequency, the gains at which |T| = X solve a quadratic;
// the tangencies are their extrema over the frequency, by Brent's method, the few nearest the
// present gain; for measured data, where the analysis reads the peak at the points, the points'
// own gains), a margin where the phase reaches its level (Brent's method), ωb and ωc at their
// frequency directly. Of these, the one nearest `currentGainDb` at which the analysis finds the
// closed loop stable and the target met (to 1e-6 dB, degree, or relative to the frequency) is
// taken. Throws TuningError when none is: the message gives, where the target lies beyond it, the
// least or greatest value the loop reaches with a stable closed loop. The value must be finite;
// frequencies positive.
TuningResult TuneGain(std::shared_ptr<const ResponseModel> model, double currentGainDb,
    TargetKind target, double value);

// The most phase one lead gives in a design, degrees: beyond, its ratio a (about 33) spreads the
// gain too much.
constexpr double MaxLeadPhaseDeg = 70;

struct LeadDesign {
    Compensator compensator; // the current one, its first lead set, or a lead appended
    std::size_t leadIndex = 0; // where the lead stands in it
    double leadPhaseDeg = 0; // φm, the lead's largest phase, at the crossover
    double gainDb = 0; // the loop's gain that puts the gain crossover at the frequency asked
};

// A lead at omega_m = `crossover` (rad/s) that brings the phase margin there to
// `phaseMarginDeg` (in ]0 ; 180[), and the gain that makes `crossover` a gain crossover, for the
// plant `plant` (without its compensator) with the compensator `current`: the first lead of
// `current` is replaced (its phase recomputed), or one is appended. Checked by the analysis of
// the compensated loop: a gain crossover at `crossover` with that margin (to 1e-6), the closed
// loop stable. Throws TuningError when the phase needed is more than MaxLeadPhaseDeg, when it is
// none (the margin there is already at least the one asked for without a lead), or when the
// closed loop would not be stable.
LeadDesign DesignLead(std::shared_ptr<const ResponseModel> plant, const Compensator &current,
    double phaseMarginDeg, double crossover);

} // namespace velmora
