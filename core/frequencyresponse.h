// core/frequencyresponse.h — the frequency response of a loop at j omega, sampled for the chart:
// range, adaptive sampling, unwrapped phases (core layer)
#pragma once

#include "core/responsemodel.h"

#include <complex>
#include <optional>
#include <vector>

namespace velmora {

// How finely the locus is sampled: the chart's extents, on which consecutive points lie at most
// one pixel apart at 600 x 950 (and at most 2 degrees of phase apart while the locus is within
// reach of the chart), and an optional frequency range that replaces the one chosen from the
// loop for the locus only: the quantities of a loop are those of the whole loop, whatever is
// drawn of it.
struct AnalysisOptions {
    double gainMin = -30; // dB
    double gainMax = 40;
    double phaseMin = -260; // degrees
    double phaseMax = 10;
    std::optional<double> omegaMin; // rad/s
    std::optional<double> omegaMax;
};

// An angle in degrees reduced to (-180, 180], exactly.
long double Wrap180(long double degrees);
// The same for sampling, fast: within an ulp of the exact remainder.
double Wrap180(double degrees);

// The change of an angle (degrees) between two points, given the change expected from roots on
// the axis between them: the representative nearest to it.
double UnwrappedStep(double from, double to, double expected);

// The net order of the roots on the axis strictly between two frequencies.
int AxisOrderBetween(const std::vector<AxisRoot> &axis, double a, double b);

// The point of K R(j omega) exp(-j omega T) from r = K R(j omega) in double precision;
// `closedLoop` false leaves the angle of 1 + G and the closed-loop gain at zero.
QuickPoint QuickPointOf(std::complex<double> r, double omega, long double delay, bool closedLoop);
// The same from r in extended precision, for values beyond the doubles.
QuickPoint QuickPointOf(
    std::complex<long double> r, double omega, long double delay, bool closedLoop);

// exp(-j omega T), exactly 1 without a delay.
std::complex<long double> DelayFactor(double omega, long double delay);

// Where the locus is drawn: the chart's extents, the phase shifted by whole turns.
struct LocusWindow {
    double gainMin, gainMax; // dB
    double phaseMin, phaseMax; // degrees, in the unshifted phase of the samples
};

// Samples the response of a loop of known structure. Coarse: steps of at most 90 degrees of the
// phase without the delay, which unwraps it; without a delay, also 20 degrees of the angle of
// 1 + G, which brackets every crossing and peak; with one, the delay's turns are left to the
// fills, so that the work is bounded however long the delay. Fill: between two samples, also at
// most 90 degrees of the phase with the delay and 20 degrees of the angle of 1 + G. Dense, where
// the locus is drawn: at most one pixel of a 600 x 950 chart and 2 degrees of phase between
// neighbours while the locus is within reach of the chart. An interval is cut into as many
// pieces, equal in log frequency, as its worst step asks for, and the pieces are checked again;
// an interval with a root on the axis is never cut. The model is referred to, and must outlive
// the sampler.
class ResponseSampler {
public:
    ResponseSampler(const ResponseModel &model, const LoopGain &gain, LoopStructure structure,
        const AnalysisOptions &options);

    // The coarse samples over the wanted range (the options' or, without them, one chosen from
    // the poles and zeros: about 1.5 decades beyond the extreme break frequencies and the
    // delay's corner 1 / T, wide enough for every gain crossover), starting from a grid of 20
    // points a decade with lightly damped open- and closed-loop poles and zeros inserted. The
    // phases are anchored at low frequency, below the wanted range if need be. The frequencies
    // of `crossings` (crossovers already found) are inserted too, the range widened to hold
    // them.
    std::vector<ResponseSample> coarse(const std::vector<std::complex<double>> &closedLoopPoles,
        const std::vector<double> &crossings = {}) const;

    // The samples from a to b (two samples of the same unwrapping, a below b) with the fill's
    // steps, or only its 90 degrees of phase when `closedLoop` is false: a, the points between,
    // b. At most `limit` points: when that cuts the fill short, it ends before b, at the last
    // point filled.
    std::vector<ResponseSample> fill(const ResponseSample &a, const ResponseSample &b,
        std::size_t limit, bool closedLoop = true) const;

    // The sample at omega, the closed loop included, its phases unwrapped from `near`: no root
    // on the axis lies between them, and the phase without the delay turns by less than half a
    // turn from one to the other.
    ResponseSample at(double omega, const ResponseSample &near) const;

    // The samples with the points the chart's window asks for inserted.
    std::vector<ResponseSample> dense(
        const std::vector<ResponseSample> &samples, const LocusWindow &window) const;

    const LoopStructure &structure() const { return m_structure; }

private:
    enum class Steps { Coarse, Turns, Closed, Drawn };

    ResponseSample evaluate(double omega, bool closedLoop) const;
    void unwrap(std::vector<ResponseSample> &samples) const;
    std::vector<ResponseSample> refined(
        const std::vector<ResponseSample> &samples, Steps steps, const LocusWindow *window) const;
    bool refine(std::vector<ResponseSample> &out, const ResponseSample &a, const ResponseSample &b,
        Steps steps, const LocusWindow *window, int depth, std::size_t limit, bool cuts) const;
    int pieces(const ResponseSample &a, const ResponseSample &b, Steps steps,
        const LocusWindow *window) const;
    bool drawn(const ResponseSample &a, const ResponseSample &b, const LocusWindow &w) const;

    const ResponseModel &m_model;
    LoopGain m_gain;
    LoopStructure m_structure;
    AnalysisOptions m_options;
    double m_pixelsPerDegree;
    double m_pixelsPerDb;
};

} // namespace velmora
