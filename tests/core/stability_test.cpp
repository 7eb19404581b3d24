// Stability of the closed loop: the poles counted, and the Nyquist criterion on the sampled
// open loop, rational (with a delay too short to matter) or as measured data, agreeing with them.
#include "core/loopanalysis.h"
#include "core/stability.h"
#include "loopcheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

using namespace velmora;
using namespace velmora::test;

namespace {

TEST(Stability, OfThePolesCountsThoseOnTheRightAndNeedsAllOnTheLeft)
{
    using Poles = std::vector<std::complex<double>>;
    const struct {
        Poles poles;
        bool stable;
        int rightHalfPlane;
    } cases[] = {
        { { -1, -2, { -0.1, 3 }, { -0.1, -3 } }, true, 0 },
        { { 1, -1 }, false, 1 },
        { { { 0.5, 2 }, { 0.5, -2 }, -4 }, false, 2 },
        { { { 0, 2 }, { 0, -2 } }, false, 0 }, // on the axis: neither stable nor counted
        { { { 1e-12, 1 }, { 1e-12, -1 } }, false, 0 }, // within the tolerance of the axis
        { { -1e-3 }, true, 0 },
        { {}, true, 0 },
    };
    for (const auto &c : cases) {
        const ClosedLoopStability s = StabilityOfPoles(c.poles);
        EXPECT_EQ(s.stable, c.stable) << c.poles.size();
        EXPECT_EQ(s.closedLoopRhpPoles, c.rightHalfPlane) << c.poles.size();
    }
}

TEST(Stability, NyquistCountAgreesWithTheClosedLoopRoots)
{
    // The same rational loops, with a delay too short to matter: the count then comes from the
    // Nyquist criterion instead of the roots.
    for (const char *text : { "4/(s*(s+1)*(s+2))", "8/(s*(s+1)*(s+2))",
             "2*(1-0.5*s)/(s*(s+1)*(0.2*s+1))", "2*(s+3)/(s*(s-1))", "0.5*(s+3)/(s*(s-1))",
             "-2/((s+1)*(0.2*s+1))", "100*(s+1)^2/(s^3*(0.1*s+1))",
             "20*(s^2+0.4*s+4)/(s*(s+1)*(s^2+0.08*s+16))", "40/((s+1)^3)", "1/(s-2)" }) {
        const LoopAnalysis rational = AnalyseLoop(TransferFunction::parse(text), 0, {});
        const std::string delayed = std::string("exp(-1e-6*s)*(") + text + ")";
        const LoopAnalysis nyquist = AnalyseLoop(TransferFunction::parse(delayed), 0, {});
        EXPECT_EQ(nyquist.quantities.closedLoopRhpPoles, rational.quantities.closedLoopRhpPoles)
            << text;
        EXPECT_EQ(nyquist.quantities.stable, rational.quantities.stable) << text;
        EXPECT_FALSE(rational.closedLoopPoles.empty()) << text;
        EXPECT_TRUE(nyquist.closedLoopPoles.empty()) << text;
    }
}

// K / (T s + 1)^n and K / (T s - 1)^n, typed as powers: the closed-loop poles solve
// (T s +- 1)^n = -K, T s = -+1 + K^(1/n) exp(j pi (2k + 1) / n), so their count on the right is
// known exactly; the expanded denominators span more than 1e30 (up to 1e180), where the roots of
// K N + D come out wrong. The count is the walk's, on the loop as typed, and the roots are kept
// only where they agree with it.
TEST(Stability, HighOrderPowersCountedExactly)
{
    const struct {
        double k;
        double t;
        int n;
        int sign; // +1: T s + 1, stable factors; -1: T s - 1, n poles on the right
    } cases[] = {
        { 0.5, 100, 28, 1 },
        { 1, 100, 30, 1 },
        { 1, 10, 40, 1 },
        { 5, 0.1, 40, 1 },
        { 1e3, 100, 28, 1 },
        { 3, 1e-3, 60, 1 },
        { 1.02, 1, 60, 1 },
        { 0.5, 100, 28, -1 },
        { 2e3, 0.01, 31, -1 },
        { 7, 1e3, 25, -1 },
    };
    for (const auto &c : cases) {
        const std::string text = std::to_string(c.k) + "/(" + std::to_string(c.t) + "*s"
            + (c.sign > 0 ? "+1" : "-1") + ")^" + std::to_string(c.n);
        SCOPED_TRACE(text);
        int expected = 0;
        bool onAxis = false;
        for (int i = 0; i < c.n; ++i) {
            const double re = -c.sign
                + std::pow(c.k, 1.0 / c.n) * std::cos(std::numbers::pi * (2 * i + 1) / c.n);
            expected += re > 1e-9 ? 1 : 0;
            onAxis = onAxis || std::fabs(re) <= 1e-9;
        }
        ASSERT_FALSE(onAxis);
        const LoopAnalysis a = AnalyseLoop(TransferFunction::parse(text), 0, {});
        EXPECT_EQ(a.quantities.closedLoopRhpPoles, expected);
        EXPECT_EQ(a.quantities.stable, expected == 0);
        if (!a.closedLoopPoles.empty()) {
            EXPECT_EQ(StabilityOfPoles(a.closedLoopPoles).closedLoopRhpPoles, expected);
        }
    }
}

// Measured data of loops without right-half-plane poles, integrators showing in the phase: the
// count on the data is the closed-loop roots' count.
TEST(Stability, NyquistCountOnMeasuredDataAgreesWithTheClosedLoopRoots)
{
    const struct {
        const char *text;
        int integrators;
    } loops[] = {
        { "4/(s*(s+1)*(s+2))", 1 },
        { "8/(s*(s+1)*(s+2))", 1 },
        { "40/((s+1)^3)", 0 },
        { "2*(1-0.5*s)/(s*(s+1)*(0.2*s+1))", 1 },
        { "100*(s+1)^2/(s^3*(0.1*s+1))", 3 },
        { "10/((s+1)*(0.5*s+1)*(0.1*s+1))", 0 },
        { "30/((s+1)*(0.5*s+1)*(0.1*s+1))", 0 },
    };
    for (const auto &[text, integrators] : loops) {
        const TransferFunction f = TransferFunction::parse(text);
        MeasuredResponse data;
        // The phase as measured: starting on the turn of the integrators, then continuous.
        double previous = -90.0 * integrators;
        for (int i = 0; i <= 2000; ++i) {
            const double omega = std::pow(10.0, -3 + 6.0 * i / 2000);
            const Direct d = direct(f, 0, omega);
            const double phase = previous + std::remainder(d.phaseDeg - previous, 360.0);
            data.omega.push_back(omega);
            data.gainDb.push_back(d.gainDb);
            data.phaseDeg.push_back(phase);
            previous = phase;
        }
        const LoopQuantities roots = AnalyseLoop(f, 0, {}).quantities;
        const LoopQuantities measured = AnalyseMeasuredLoop(data, 0, {}).quantities;
        EXPECT_EQ(measured.closedLoopRhpPoles, roots.closedLoopRhpPoles) << text;
        EXPECT_EQ(measured.stable, roots.stable) << text;
    }
}

} // namespace
