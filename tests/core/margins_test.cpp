// Margins against their closed forms, and on measured points where every crossing is known
// exactly.
#include "core/frequencyresponse.h"
#include "core/loopanalysis.h"
#include "core/margins.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

using namespace velmora;

namespace {

constexpr double Degrees = 180 / std::numbers::pi;

Margins marginsOf(const std::string &text, double gainDb)
{
    const auto model = MakeRationalModel(
        std::make_shared<const TransferFunction>(TransferFunction::parse(text)));
    const LoopGain gain = LoopGain::fromDb(gainDb);
    const LoopStructure structure = *model->structure(gain);
    const ResponseSampler sampler(*model, gain, structure, {});
    const std::vector<ResponseSample> samples = sampler.coarse(
        model->closedLoopPoles(gain).value_or(std::vector<std::complex<double>> {}));
    return ReadMargins(samples, *model, gain,
        GainCrossovers(samples, *model, gain, GainCrossoverEstimates(*model, gain)),
        PhaseCrossoverEstimates(*model, gain));
}

// K / (s (s + 1) (s + 2)) reaches -180 degrees at sqrt(2) rad/s, where its gain is K / 6; K / (s
// (s + 1)) crosses 0 dB at w^2 = (sqrt(1 + 4 K^2) - 1) / 2 with 90 - atan(w) degrees of margin.
TEST(Margins, ClosedFormsOfTwoLoops)
{
    for (const double k : { 0.5, 4.0, 5.9 }) {
        const Margins m = marginsOf(std::to_string(k) + "/(s*(s+1)*(s+2))", 0);
        ASSERT_EQ(m.phaseCrossovers.size(), 1u) << k;
        EXPECT_NEAR(m.phaseCrossovers[0], std::sqrt(2.0), 1e-15) << k;
        EXPECT_NEAR(*m.gainMarginDb, 20 * std::log10(6 / k), 1e-12) << k;
        EXPECT_EQ(*m.phaseCrossover, m.phaseCrossovers[0]);
    }
    for (const double k : { 0.3, 1.0, 20.0 }) {
        const Margins m = marginsOf("1/(s*(s+1))", 20 * std::log10(k));
        const double w = std::sqrt((std::sqrt(1 + 4 * k * k) - 1) / 2);
        ASSERT_EQ(m.gainCrossovers.size(), 1u) << k;
        EXPECT_NEAR(*m.gainCrossover, w, 1e-14 * w) << k;
        EXPECT_NEAR(*m.phaseMarginDeg, 90 - std::atan(w) * Degrees, 1e-11) << k;
        EXPECT_TRUE(m.phaseCrossovers.empty()) << k;
    }
}

// Several crossovers: the reported ones are those of smallest margin.
TEST(Margins, TheSmallestAreReported)
{
    const Margins m = marginsOf("20*(s^2+0.4*s+4)/(s*(s+1)*(s^2+0.08*s+16))", 0);
    ASSERT_GE(m.gainCrossovers.size(), 2u);
    ASSERT_EQ(m.phaseMargins.size(), m.gainCrossovers.size());
    for (std::size_t i = 0; i < m.phaseMargins.size(); ++i) {
        EXPECT_LE(std::fabs(*m.phaseMarginDeg), std::fabs(m.phaseMargins[i]));
        if (i > 0) {
            EXPECT_LT(m.gainCrossovers[i - 1], m.gainCrossovers[i]);
        }
    }
    for (std::size_t i = 0; i < m.gainMargins.size(); ++i)
        EXPECT_LE(std::fabs(*m.gainMarginDb), std::fabs(m.gainMargins[i]));
}

// K exp(-T s) / (s + 1) reaches -180 degrees where atan(w) + w T = (2k + 1) pi, with the gain
// K / sqrt(1 + w^2): infinitely many phase crossovers, the first 100 listed, counted as
// infinitely many; the reported gain margin is the smallest of all of them, found however long
// the delay (beyond the hundredth crossover when the gain crosses 0 dB there).
TEST(Margins, DelayPhaseCrossoversListedAndTheSmallestMarginFound)
{
    const struct {
        double k;
        double t;
    } cases[] = { { 1, 0.1 }, { 0.5, 1e3 }, { 2, 1e3 }, { 2, 1e7 }, { 1, 1e300 }, { 30, 0.01 } };
    for (const auto &c : cases) {
        const std::string text = std::to_string(c.k) + "*exp(-" + std::to_string(c.t) + "*s)/(s+1)";
        SCOPED_TRACE(text);
        const auto crossing = [&](int k) { // Newton on atan(w) + w T - (2k + 1) pi, from below
            const double target = (2 * k + 1) * std::numbers::pi;
            double w = target / (c.t + 1);
            for (int i = 0; i < 200; ++i)
                w -= (std::atan(w) + w * c.t - target) / (1 / (1 + w * w) + c.t);
            return w;
        };
        const auto margin = [&](double w) { return -20 * std::log10(c.k / std::hypot(1.0, w)); };
        const LoopQuantities q = AnalyseLoop(TransferFunction::parse(text), 0, {}).quantities;
        EXPECT_EQ(q.phaseCrossoverCountKind, CountKind::Infinite);
        ASSERT_LE(q.phaseCrossovers.size(), MaxListedCrossovers);
        EXPECT_GE(q.phaseCrossoverCount, static_cast<int>(q.phaseCrossovers.size()));
        ASSERT_GE(q.phaseCrossovers.size(), 1u);
        for (std::size_t i = 0; i < q.phaseCrossovers.size(); ++i) {
            const double w = crossing(static_cast<int>(i));
            EXPECT_NEAR(q.phaseCrossovers[i], w, 1e-9 * w) << i;
            EXPECT_NEAR(q.gainMargins[i], margin(w), 1e-9 * std::max(1.0, std::fabs(margin(w))));
        }
        // The margin grows with w, through 0 at the gain crossover sqrt(K^2 - 1): the smallest
        // is at one of the two crossings around it, or at the first.
        double smallest = margin(crossing(0));
        if (c.k > 1) {
            const double wc = std::sqrt(c.k * c.k - 1);
            const int k = static_cast<int>(
                std::floor((std::atan(wc) + wc * c.t) / (2 * std::numbers::pi) - 0.5));
            for (const int i : { k, k + 1 })
                if (i >= 0 && std::fabs(margin(crossing(i))) < std::fabs(smallest))
                    smallest = margin(crossing(i));
        }
        ASSERT_TRUE(q.gainMarginDb);
        EXPECT_NEAR(*q.gainMarginDb, smallest, 1e-9 * std::max(1.0, std::fabs(smallest)));
    }
}

// Measured points 6, 0 and -6 dB at 1, 2 and 4 rad/s, phases -150, -170 and -190 degrees: the
// point at 0 dB is the crossover (found once), with 10 degrees of margin; -180 degrees is
// halfway in log frequency between 2 and 4 rad/s, at -3 dB.
TEST(Margins, OnMeasuredPointsExactly)
{
    const auto data = std::make_shared<const MeasuredResponse>(
        MeasuredResponse { { 1, 2, 4 }, { 6, 0, -6 }, { -150, -170, -190 } });
    const auto model = MakeMeasuredModel(data);
    const LoopGain gain = LoopGain::fromDb(0);
    const std::vector<ResponseSample> samples = *model->givenSamples(gain);
    const Margins m = ReadMargins(samples, *model, gain, GainCrossovers(samples, *model, gain, {}));
    ASSERT_EQ(m.gainCrossovers.size(), 1u);
    EXPECT_EQ(m.gainCrossovers[0], 2);
    EXPECT_NEAR(m.phaseMargins[0], 10, 1e-12);
    ASSERT_EQ(m.phaseCrossovers.size(), 1u);
    EXPECT_NEAR(m.phaseCrossovers[0], 2 * std::sqrt(2.0), 1e-14);
    EXPECT_NEAR(m.gainMargins[0], 3, 1e-12);
}

} // namespace
