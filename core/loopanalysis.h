// core/loopanalysis.h — an open loop read on the chart: its frequency response, margins,
// closed-loop resonance, bandwidth and stability (core layer)
#pragma once

#include "core/chartsettings.h"
#include "core/frequencyresponse.h"
#include "core/measuredresponse.h"
#include "core/responsemodel.h"
#include "core/stability.h"
#include "core/transferfunction.h"

#include <memory>
#include <optional>
#include <vector>

namespace velmora {

// One point of the open-loop frequency response: rad/s, dB, degrees. The phase is unwrapped
// (continuous in frequency) and anchored at low frequency; it is never reduced by whole turns.
struct ResponsePoint {
    double omega;
    double gainDb;
    double phaseDeg;
};

// Sampling for a chart of these settings' extents, over the frequency range chosen from the loop.
AnalysisOptions AnalysisOptionsFor(const ChartSettings &settings);

// What an engineer reads of a loop. Frequencies in rad/s. Crossovers are listed in increasing
// frequency, with the margin found there, the first MaxListedCrossovers (100) of each; the
// reported margins are those of smallest magnitude among all of them.
struct LoopQuantities {
    bool stable = false; // every closed-loop pole strictly in the left half-plane
    int closedLoopRhpPoles = 0;
    CountKind closedLoopRhpPolesKind = CountKind::Exact; // exact, a lower bound, or infinite
    bool closedLoopPolesOnAxis = false; // on the limit of stability (see ClosedLoopStability)
    std::vector<double> gainCrossovers; // |G| = 0 dB
    std::vector<double> phaseMargins; // degrees, 180 + phase reduced to (-180, 180]
    std::vector<double> phaseCrossovers; // phase = -180 + k 360
    std::vector<double> gainMargins; // dB, -20 log |G|
    std::optional<double> gainMarginDb;
    std::optional<double> phaseCrossover;
    std::optional<double> phaseMarginDeg;
    std::optional<double> gainCrossover;
    // How many crossovers there are, listed or not: exact, or infinitely many phase crossovers
    // with a delay (the count then those found).
    int gainCrossoverCount = 0;
    CountKind gainCrossoverCountKind = CountKind::Exact;
    int phaseCrossoverCount = 0;
    CountKind phaseCrossoverCountKind = CountKind::Exact;
    // Closed loop T = G / (1 + G), for a stable closed loop only.
    std::optional<double> peakDb; // the largest |T| over omega >= 0
    std::optional<double> peakOmega; // 0 when that is the low-frequency limit
    std::optional<double> bandwidth; // the lowest frequency where |T| is 3 dB below |T(0)|
    std::optional<double> lowFrequencyClosedLoopDb; // |T(0)|
    // Sensitivity S = 1 / (1 + G), for a stable closed loop only: Ms, the largest |S| in dB, and
    // its frequency.
    std::optional<double> sensitivityPeakDb;
    std::optional<double> sensitivityPeakOmega;

    bool operator==(const LoopQuantities &) const = default;
};

struct LoopAnalysis {
    std::vector<ResponsePoint> locus; // increasing frequency
    LoopQuantities quantities;
    // The whole turns (degrees) that bring the phase at the reported gain crossover nearest to
    // -180 degrees, or without one the phase at the lowest frequency: the locus is drawn with it.
    double phaseShiftDeg = 0;
    // Closed-loop poles of a rational loop (roots of K N + D, expanded); empty with a delay, for
    // data, and where their count on the right is not the Nyquist count (the expanded polynomial
    // lost their digits).
    std::vector<std::complex<double>> closedLoopPoles;
    // The loop as analysed (measured data: all of them), and the gain (dB) it was
    // analysed with: the loop can be evaluated at any frequency. Empty in an analysis made of
    // points only.
    std::shared_ptr<const ResponseModel> model;
    double gainDb = 0;
};

// A point of a locus at a frequency, by interpolation in log frequency between its samples:
// nothing outside the sampled range.
std::optional<ResponsePoint> LocusPointAt(const std::vector<ResponsePoint> &locus, double omega);

// The point of the analysed loop at a frequency within its locus's range (nothing outside it):
// the model's own value at the analysis gain, its phase unwrapped consistently with the locus's
// samples around omega. Exact for a rational loop; for measured data, linear in log frequency
// between the data points. Without a model, the look-up in the locus above.
std::optional<ResponsePoint> LocusPointAt(const LoopAnalysis &analysis, double omega);

// Any loop model at K = 10^(gainDb / 20): sampled adaptively where the model is defined at every
// frequency (see AnalyseLoop), or taken at its points for measured data (see
// AnalyseMeasuredLoop); crossings and the peak refined on the model.
LoopAnalysis AnalyseResponse(
    std::shared_ptr<const ResponseModel> model, double gainDb, const AnalysisOptions &options);

// The loop K G(s) with K = 10^(gainDb / 20): sampled adaptively over a range chosen from its
// poles and zeros (about 1.5 decades beyond the lowest and highest break frequencies, wider for
// a delay, and wide enough for every gain crossover), with lightly damped open- and closed-loop
// pole and zero frequencies inserted; crossings and the peak refined to full double precision.
// Stability by the Nyquist criterion on the loop as typed: the open-loop right-half-plane poles
// from the roots of its factors, the turn of 1 + K G from its phase at the gain crossovers (the
// positive roots of |K N(j w)|^2 - |D(j w)|^2, refined on the loop as typed).
LoopAnalysis AnalyseLoop(
    const TransferFunction &loop, double gainDb, const AnalysisOptions &options);

// Measured data, shifted by gainDb: the points as given (those within the options' range drawn),
// the quantities by linear interpolation in log frequency between them, and stability by the
// Nyquist criterion on the data, for an open loop without right-half-plane poles whose
// integrators show in its low-frequency phase (-90 degrees each).
LoopAnalysis AnalyseMeasuredLoop(
    const MeasuredResponse &data, double gainDb, const AnalysisOptions &options);

} // namespace velmora
