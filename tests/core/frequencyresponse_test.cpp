// The frequency response sampled for the chart: the phase starts on its low-frequency turn and
// is unwrapped, the coarse samples keep the steps that bracket crossings, the locus is dense
// where it is drawn, and the range options bound it.
#include "core/frequencyresponse.h"
#include "core/loopanalysis.h"
#include "loopcheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <string>

using namespace velmora;
using namespace velmora::test;

namespace {

TEST(Wrap180, IntoTheHalfOpenTurnAndTheQuickOneWithinAnUlp)
{
    const struct {
        double degrees;
        double wrapped;
    } cases[] = {
        { 0, 0 },
        { 180, 180 },
        { -180, 180 },
        { 540, 180 },
        { -540, 180 },
        { 190, -170 },
        { -190, 170 },
        { 359.5, -0.5 },
        { -720.25, -0.25 },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Wrap180(c.degrees), c.wrapped) << c.degrees;
        EXPECT_EQ(Wrap180(static_cast<long double>(c.degrees)), c.wrapped) << c.degrees;
    }
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> degrees(-1e5, 1e5);
    for (int i = 0; i < 10000; ++i) {
        const double x = degrees(random);
        const double quick = Wrap180(x);
        EXPECT_GT(quick, -180);
        EXPECT_LE(quick, 180);
        EXPECT_NEAR(quick, static_cast<double>(Wrap180(static_cast<long double>(x))),
            4 * std::numeric_limits<double>::epsilon() * std::fabs(x))
            << x;
    }
}

// What the margins and the Nyquist count rely on: between coarse samples, at most 90 degrees of
// phase without the delay, and without a delay 20 degrees of the angle of 1 + G; with a delay,
// the fill between two coarse samples keeps 90 degrees of phase with the delay and 20 degrees of
// the angle of 1 + G; except across a root on the axis, open-loop (where the phase jumps) or
// closed-loop (where the angle of 1 + G does).
TEST(ResponseSampler, CoarseSamplesAndFillsKeepTheirSteps)
{
    for (const char *text : Loops) {
        SCOPED_TRACE(text);
        const auto function
            = std::make_shared<const TransferFunction>(TransferFunction::parse(text));
        const auto model = MakeRationalModel(function);
        const LoopGain gain = LoopGain::fromDb(0);
        const LoopStructure structure = *model->structure(gain);
        const AnalysisOptions options;
        const ResponseSampler sampler(*model, gain, structure, options);
        const std::vector<std::complex<double>> poles
            = model->closedLoopPoles(gain).value_or(std::vector<std::complex<double>> {});
        const std::vector<ResponseSample> coarse = sampler.coarse(poles);
        ASSERT_GT(coarse.size(), 20u);
        const bool delayed = function->delay() > 0;
        std::vector<ResponseSample> samples;
        for (std::size_t i = 0; i + 1 < coarse.size(); ++i) {
            const std::vector<ResponseSample> filled = delayed
                ? sampler.fill(coarse[i], coarse[i + 1], 100000)
                : std::vector<ResponseSample> { coarse[i], coarse[i + 1] };
            EXPECT_EQ(filled.front().omega, coarse[i].omega);
            EXPECT_EQ(filled.back().omega, coarse[i + 1].omega);
            samples.insert(samples.end(), filled.begin() + (i == 0 ? 0 : 1), filled.end());
        }
        for (std::size_t i = 1; i < samples.size(); ++i) {
            const ResponseSample &a = samples[i - 1];
            const ResponseSample &b = samples[i];
            ASSERT_LT(a.omega, b.omega);
            const auto between = [&](double omega) { return omega > a.omega && omega < b.omega; };
            if (std::any_of(structure.axisRoots.begin(), structure.axisRoots.end(),
                    [&](const AxisRoot &r) { return between(r.omega); })
                || std::any_of(poles.begin(), poles.end(), [&](std::complex<double> p) {
                       return std::fabs(p.real()) < 1e-9 * std::abs(p) && between(std::abs(p));
                   }))
                continue;
            EXPECT_LE(std::fabs(b.phase - a.phase), 90 + 1e-9) << a.omega;
            EXPECT_LE(std::fabs(b.rationalPhase - a.rationalPhase), 90 + 1e-9) << a.omega;
            EXPECT_LE(std::fabs(Wrap180(b.point.onePlusArg - a.point.onePlusArg)), 20 + 1e-9)
                << a.omega;
            // Each sample's phase is its value's, on the turn the unwrapping gave it.
            EXPECT_LT(turnsApart(b.phase, direct(*function, 0, b.omega).phaseDeg), 1e-9);
        }
    }
}

TEST(FrequencyResponse, PhaseStartsOnItsLowFrequencyTurn)
{
    const struct {
        const char *text;
        double phase; // degrees, as omega -> 0
    } cases[] = {
        { "1/s", -90 },
        { "1/s^2", -180 },
        { "5*(s+0.5)^3/(s^3*(0.05*s+1)^2)", -270 },
        { "(s+1)^4/s^4", -360 },
        { "-2/((s+1)*(0.2*s+1))", -180 },
        { "2*(s+3)/(s*(s-1))", -270 },
        { "s/(s+1)", 90 },
    };
    for (const auto &c : cases) {
        const LoopAnalysis a = AnalyseLoop(TransferFunction::parse(c.text), 0, {});
        // Near the anchor: on its turn, not a whole turn away.
        EXPECT_NEAR(a.locus.front().phaseDeg, c.phase, 30) << c.text;
    }
}

TEST(FrequencyResponse, DenseWhereDrawnAndTheGainFactorOnlyShiftsTheLocus)
{
    const AnalysisOptions options; // the default chart
    const double pixelsPerDegree = 570 / (options.phaseMax - options.phaseMin);
    const double pixelsPerDb = 930 / (options.gainMax - options.gainMin);
    for (const char *text : Loops) {
        const LoopAnalysis a = AnalyseLoop(TransferFunction::parse(text), 0, options);
        int drawnSteps = 0;
        for (std::size_t i = 1; i < a.locus.size(); ++i) {
            const ResponsePoint &p = a.locus[i - 1];
            const ResponsePoint &q = a.locus[i];
            const auto onChart = [&](const ResponsePoint &r) {
                const double phase = r.phaseDeg + a.phaseShiftDeg;
                return r.gainDb > options.gainMin && r.gainDb < options.gainMax
                    && phase > options.phaseMin && phase < options.phaseMax;
            };
            if (!onChart(p) || !onChart(q))
                continue;
            ++drawnSteps;
            const double dx = (q.phaseDeg - p.phaseDeg) * pixelsPerDegree;
            const double dy = (q.gainDb - p.gainDb) * pixelsPerDb;
            ASSERT_LE(std::hypot(dx, dy), 1.0 + 1e-9) << text << " at " << p.omega;
            ASSERT_LE(std::fabs(q.phaseDeg - p.phaseDeg), 2.0 + 1e-9) << text;
        }
        EXPECT_GT(drawnSteps, 50) << text;
    }
    // 6 dB more: the same phases at each frequency, 6 dB higher.
    const TransferFunction f = TransferFunction::parse("4/(s*(s+1)*(s+2))");
    const LoopAnalysis base = AnalyseLoop(f, 0, {});
    const LoopAnalysis raised = AnalyseLoop(f, 6, {});
    const ResponsePoint &p = raised.locus[raised.locus.size() / 2];
    EXPECT_NEAR(p.gainDb - direct(f, 0, p.omega).gainDb, 6, 1e-9);
    EXPECT_NEAR(p.phaseDeg, LocusPointAt(base.locus, p.omega)->phaseDeg, 0.1);
    EXPECT_LT(*raised.quantities.gainMarginDb, *base.quantities.gainMarginDb - 5.99);
}

// What is drawn does not change what is read: the quantities with a range are those without,
// for functions and for measured data; only the locus keeps to the range.
TEST(FrequencyResponse, RangeOptionsBoundOnlyTheLocus)
{
    const struct {
        std::optional<double> low, high;
    } ranges[] = { { std::nullopt, 1 }, { 20, std::nullopt }, { 1e-200, 1e200 }, { 2, 20 },
        { 1e-3, 1e-2 } };
    std::vector<std::string> texts(std::begin(Loops), std::end(Loops));
    texts.push_back("10*exp(-0.5*s)/(s+1)");
    for (const std::string &text : texts) {
        const TransferFunction f = TransferFunction::parse(text);
        const LoopAnalysis whole = AnalyseLoop(f, 0, {});
        MeasuredResponse data;
        for (const ResponsePoint &p : whole.locus) {
            data.omega.push_back(p.omega);
            data.gainDb.push_back(p.gainDb);
            data.phaseDeg.push_back(p.phaseDeg);
        }
        const LoopAnalysis measured = AnalyseMeasuredLoop(data, 0, {});
        for (const auto &r : ranges) {
            SCOPED_TRACE(text + " " + std::to_string(r.low.value_or(0)) + " "
                + std::to_string(r.high.value_or(0)));
            AnalysisOptions options;
            options.omegaMin = r.low;
            options.omegaMax = r.high;
            const LoopAnalysis a = AnalyseLoop(f, 0, options);
            EXPECT_TRUE(a.quantities == whole.quantities);
            ASSERT_FALSE(a.locus.empty());
            EXPECT_GE(a.locus.front().omega, r.low.value_or(0));
            EXPECT_LE(a.locus.back().omega, r.high.value_or(INFINITY));
            const LoopAnalysis m = AnalyseMeasuredLoop(data, 0, options);
            EXPECT_TRUE(m.quantities == measured.quantities);
            for (const ResponsePoint &p : m.locus)
                EXPECT_TRUE(p.omega >= r.low.value_or(0) && p.omega <= r.high.value_or(INFINITY));
        }
    }
}

TEST(FrequencyResponse, RangeOptionsLimitTheLocusAndKeepThePhaseTurn)
{
    AnalysisOptions options;
    options.omegaMin = 2;
    options.omegaMax = 20;
    const LoopAnalysis a
        = AnalyseLoop(TransferFunction::parse("5*(s+0.5)^3/(s^3*(0.05*s+1)^2)"), 0, options);
    EXPECT_GE(a.locus.front().omega, 2);
    EXPECT_LE(a.locus.back().omega, 20);
    // Started above every break, the phase still counts its three integrators.
    EXPECT_LT(turnsApart(a.locus.front().phaseDeg,
                  direct(TransferFunction::parse("5*(s+0.5)^3/(s^3*(0.05*s+1)^2)"), 0,
                      a.locus.front().omega)
                      .phaseDeg),
        1e-9);
    const LoopAnalysis full
        = AnalyseLoop(TransferFunction::parse("5*(s+0.5)^3/(s^3*(0.05*s+1)^2)"), 0, {});
    const std::optional<ResponsePoint> same = LocusPointAt(full.locus, a.locus.front().omega);
    ASSERT_TRUE(same);
    EXPECT_NEAR(a.locus.front().phaseDeg, same->phaseDeg, 0.1);
}

} // namespace
