// core/responsemodel.h — what the loop analysis asks of an open loop: its response at any
// frequency, quickly or exactly, and its structure where known; a rational function or measured
// data (core layer)
#pragma once

#include "core/measuredresponse.h"
#include "core/transferfunction.h"

#include <complex>
#include <memory>
#include <optional>
#include <vector>

namespace velmora {

// The gain factor the loop is analysed with: as given in dB, and as the factor K = 10^(dB / 20)
// in extended precision.
struct LoopGain {
    double db = 0;
    long double factor = 1;

    static LoopGain fromDb(double db);
};

// The open loop K G at one frequency in double precision: enough to place a point of the locus
// and to bracket every crossing, which the exact evaluations then refine.
struct QuickPoint {
    double gainDb = 0; // 20 log |K G|
    double rationalArg = 0; // degrees, the angle of K G without its delay, wrapped
    double onePlusArg = 0; // degrees, the angle of 1 + K G, wrapped
    double closedDb = 0; // 20 log |K G / (1 + K G)|
};

// A sample of the response: its quick point and its phases unwrapped along the samples.
struct ResponseSample {
    double omega = 0; // rad/s
    QuickPoint point;
    double rationalPhase = 0; // degrees, unwrapped, the delay aside
    double phase = 0; // degrees, unwrapped, the delay included
};

// A root of the loop on the imaginary axis at +j omega, and its net order: zeros count +1, poles
// -1.
struct AxisRoot {
    double omega;
    int order;
};

// A root lies on the imaginary axis, or in the right half-plane, beyond this share of its
// modulus (at least 1).
constexpr double AxisTolerance = 1e-9;

// The structure of a rational loop K N(s) / D(s) exp(-T s), for the gain it is analysed with.
struct LoopStructure {
    int integrators = 0; // poles at s = 0 less zeros at s = 0, as typed
    long double lowGain = 0; // K lim s^n G(s) as s -> 0, n the integrators, the delay aside
    // K times the ratio of the leading coefficients of N and D (0 when N = 0), and the degree of
    // D less that of N: the high-frequency asymptote K G ~ highGain / s^excess.
    long double highGain = 0;
    int excess = 0;
    long double delay = 0; // seconds
    std::vector<std::complex<double>> zeros; // roots of N, those at 0 aside
    std::vector<std::complex<double>> poles; // roots of D, those at 0 aside
    std::vector<AxisRoot> axisRoots; // omega > 0, of nonzero net order
    int openLoopRhpPoles = 0;
    // N and D share a root on the imaginary axis (at s = 0 too): a closed-loop pole there.
    bool sharedAxisRoot = false;
};

// The polynomials in x = omega^2 (coefficients lowest power first) whose positive roots are
// where a rational loop K N(s) / D(s) exp(-T s), at the gain it is analysed with, crosses 0 dB,
// |K N(j w)|^2 - |D(j w)|^2, and the real axis, Im(N(j w) conj D(j w)) / w, its delay aside.
struct CrossingPolynomials {
    std::vector<long double> gain;
    std::vector<long double> phase;
    // The derivative of |N(j w)|^2 / |D(j w)|^2 in x times |D(j w)|^4: its tops and bottoms.
    std::vector<long double> gainExtrema;
    // The parts they are made of: |K N(j w)|^2, |D(j w)|^2 and Re(N(j w) conj D(j w)).
    std::vector<long double> numeratorSquared;
    std::vector<long double> denominatorSquared;
    std::vector<long double> real;
};

// The crossing polynomials of a loop times the rational factor k n(s) / d(s): those of the
// product, whose numerator and denominator are the loop's times n and d.
CrossingPolynomials TimesRational(const CrossingPolynomials &loop, long double k,
    const Polynomial &numerator, const Polynomial &denominator);

// An open loop as the analysis sees it. The quick functions (double precision) place samples
// and come near a crossing; the exact ones (extended precision) refine it to the last bit of a
// double. Gains in dB, phases in degrees, frequencies in rad/s; K G is the loop at the gain
// given.
class ResponseModel : public std::enable_shared_from_this<ResponseModel> {
public:
    virtual ~ResponseModel() = default;

    // The model over [low, high] only: measured data keep their points in that range, between
    // which they are interpolated; a model defined at every frequency is itself.
    virtual std::shared_ptr<const ResponseModel> within(double low, double high) const = 0;

    // The samples the model is made of, in increasing frequency, their phases unwrapped as
    // given: measured data. Nothing for a model defined at every frequency, which is sampled.
    virtual std::optional<std::vector<ResponseSample>> givenSamples(const LoopGain &gain) const = 0;

    // The structure, where it is known (a rational loop); nothing for measured data. A model
    // without given samples has one: sampling it needs its structure.
    virtual std::optional<LoopStructure> structure(const LoopGain &gain) const = 0;

    // The closed-loop poles, roots of K N + D, for a rational loop without delay; nothing
    // otherwise.
    virtual std::optional<std::vector<std::complex<double>>> closedLoopPoles(
        const LoopGain &gain) const = 0;

    // The crossing polynomials of a rational loop; nothing for measured data.
    virtual std::optional<CrossingPolynomials> crossingPolynomials(const LoopGain &gain) const = 0;

    // The quick point at omega; `closedLoop` false leaves the angle of 1 + K G and the
    // closed-loop gain out (zero), for points that only draw the locus.
    virtual QuickPoint quickPoint(double omega, const LoopGain &gain, bool closedLoop) const = 0;

    // The phase lag of the delay at omega, degrees; 0 for measured data, whose phase holds it.
    virtual long double delayDegrees(double omega) const = 0;

    // |K G| in dB at omega, exactly and quickly.
    virtual long double gainDb(double omega, const LoopGain &gain) const = 0;
    virtual long double quickGainDb(double omega, const LoopGain &gain) const = 0;

    // The phase at omega, delay included, unwrapped consistently with the sample `near`: no
    // root lies on the axis between them, and the phase, delay aside, turns by less than half a
    // turn from one to the other. Exactly and quickly.
    virtual long double phase(
        double omega, const LoopGain &gain, const ResponseSample &near) const = 0;
    virtual long double quickPhase(
        double omega, const LoopGain &gain, const ResponseSample &near) const = 0;

    // |T| in dB at omega, T = K G / (1 + K G), exactly and quickly.
    virtual long double closedDb(double omega, const LoopGain &gain) const = 0;
    virtual long double quickClosedDb(double omega, const LoopGain &gain) const = 0;

    // |S| in dB at omega, S = 1 / (1 + K G), exactly.
    virtual long double sensitivityDb(double omega, const LoopGain &gain) const
    {
        return closedDb(omega, gain) - gainDb(omega, gain);
    }

    // d|T|^2 / d omega at omega, where the model has a derivative (a rational loop); nothing for
    // measured data.
    virtual std::optional<long double> closedSlope(double omega, const LoopGain &gain) const = 0;
};

// The loop typed as an expression: evaluated as typed, on the axis quickly by its expanded
// polynomials, exactly by its postfix program in extended precision.
std::shared_ptr<const ResponseModel> MakeRationalModel(
    std::shared_ptr<const TransferFunction> loop);

// Measured data: the points as given, shifted by the gain in dB, and linear interpolation in
// log frequency of the gain (dB) and the phase (degrees) between them.
std::shared_ptr<const ResponseModel> MakeMeasuredModel(
    std::shared_ptr<const MeasuredResponse> data);

} // namespace velmora
