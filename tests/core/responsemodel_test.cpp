// The loop models: the rational one is its function, quick and exact, with the structure of its
// poles and zeros; the measured one is its points, linear in log frequency between them.
#include "core/frequencyresponse.h"
#include "core/responsemodel.h"
#include "loopcheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

using namespace velmora;
using namespace velmora::test;

namespace {

std::shared_ptr<const ResponseModel> rationalModel(const std::string &text)
{
    return MakeRationalModel(
        std::make_shared<const TransferFunction>(TransferFunction::parse(text)));
}

TEST(RationalModel, ExactAndQuickValuesAreTheFunctions)
{
    const FactoredLoop loops[] = {
        { 4, 0, { { 0, 1, 0, -1 }, { 0, 1, 1, -1 }, { 0, 1, 2, -1 } } },
        { 0.5, 0.2, { { 0, 1, 0, -1 }, { 0, 0.5, 1, -1 } } },
        { 20, 0, { { 1, 0.4, 4, 1 }, { 0, 1, 0, -1 }, { 0, 1, 1, -1 }, { 1, 0.08, 16, -1 } } },
        { -2, 1.5, { { 0, -0.5, 1, 1 }, { 0, 1, 1, -2 } } },
    };
    for (const FactoredLoop &loop : loops) {
        SCOPED_TRACE(loop.text());
        const auto model = rationalModel(loop.text());
        for (const double gainDb : { 0.0, -7.5 }) {
            const LoopGain gain = LoopGain::fromDb(gainDb);
            for (const double omega : { 0.03, 0.7, 1.9, 4.2, 55.0 }) {
                const double k = std::pow(10.0, gainDb / 20);
                const double expectedDb = loop.gainDb(omega) + gainDb;
                FactoredLoop scaled = loop;
                scaled.k *= k;
                EXPECT_NEAR(model->gainDb(omega, gain), expectedDb, 1e-10) << omega;
                EXPECT_NEAR(model->quickGainDb(omega, gain), expectedDb, 1e-9) << omega;
                EXPECT_NEAR(model->closedDb(omega, gain), scaled.closedDb(omega), 1e-9) << omega;
                EXPECT_NEAR(model->quickClosedDb(omega, gain), scaled.closedDb(omega), 1e-9)
                    << omega;
                // The phase, unwrapped from a sample a little below, is the function's.
                const double below = omega * 0.999;
                ResponseSample near { below, model->quickPoint(below, gain, true) };
                near.rationalPhase = near.point.rationalArg + 720;
                near.phase = near.rationalPhase - static_cast<double>(model->delayDegrees(below));
                const double phase = static_cast<double>(model->phase(omega, gain, near));
                EXPECT_LT(turnsApart(phase, loop.phaseDeg(omega)), 1e-9) << omega;
                EXPECT_LT(std::fabs(phase - near.phase), 180) << omega;
                EXPECT_NEAR(model->quickPhase(omega, gain, near), phase, 1e-9) << omega;
                // d|T|^2 / d omega, against a central difference of the factors' |T|^2.
                const double h = omega * 1e-6;
                const auto t2 = [&](double w) {
                    const std::complex<double> g = scaled.at(w);
                    return std::norm(g / (1.0 + g));
                };
                const double difference = (t2(omega + h) - t2(omega - h)) / (2 * h);
                EXPECT_NEAR(static_cast<double>(*model->closedSlope(omega, gain)), difference,
                    1e-6 * std::fabs(difference) + 1e-7)
                    << omega;
            }
        }
    }
}

TEST(RationalModel, StructureOfPolesAndZeros)
{
    const LoopGain gain = LoopGain::fromDb(20 * std::log10(3.0));
    const struct {
        const char *text;
        int integrators;
        long double lowGain;
        int rightHalfPlane;
        std::vector<AxisRoot> axis;
        bool hasPoles;
    } cases[] = {
        { "4/(s*(s+1)*(s+2))", 1, 6, 0, {}, true },
        { "2*(s+3)/(s*(s-1))", 1, -18, 1, {}, true },
        { "8/(s^2+4)", 0, 6, 0, { { 2, -1 } }, true },
        { "(s^2+1)/(s^2*(s^2+9))", 2, 1.0L / 3, 0, { { 1, 1 }, { 3, -1 } }, true },
        { "0.5*exp(-0.2*s)/(s*(0.5*s+1))", 1, 1.5, 0, {}, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const auto model = rationalModel(c.text);
        const std::optional<LoopStructure> s = model->structure(gain);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->integrators, c.integrators);
        EXPECT_NEAR(static_cast<double>(s->lowGain), static_cast<double>(c.lowGain), 1e-12);
        EXPECT_EQ(s->openLoopRhpPoles, c.rightHalfPlane);
        ASSERT_EQ(s->axisRoots.size(), c.axis.size());
        for (std::size_t i = 0; i < c.axis.size(); ++i) {
            EXPECT_NEAR(s->axisRoots[i].omega, c.axis[i].omega, 1e-9);
            EXPECT_EQ(s->axisRoots[i].order, c.axis[i].order);
        }
        EXPECT_EQ(model->closedLoopPoles(gain).has_value(), c.hasPoles);
        EXPECT_FALSE(model->givenSamples(gain));
        EXPECT_EQ(model->within(1, 2), model);
    }
}

TEST(MeasuredModel, ItsPointsWithinTheRangeAndLinearInLogFrequencyBetween)
{
    const auto data = std::make_shared<const MeasuredResponse>(
        MeasuredResponse { { 0.1, 1, 10, 100 }, { 20, 0, -30, -70 }, { -100, -135, -200, -260 } });
    const auto model = MakeMeasuredModel(data);
    const LoopGain gain = LoopGain::fromDb(-2);
    const std::vector<ResponseSample> all = *model->givenSamples(gain);
    ASSERT_EQ(all.size(), 4u);
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].omega, data->omega[i]);
        EXPECT_EQ(all[i].point.gainDb, data->gainDb[i] - 2);
        EXPECT_EQ(all[i].phase, data->phaseDeg[i]);
        const std::complex<double> g = std::polar(
            std::pow(10.0, all[i].point.gainDb / 20), data->phaseDeg[i] * std::numbers::pi / 180);
        EXPECT_NEAR(all[i].point.closedDb, 20 * std::log10(std::abs(g / (1.0 + g))), 1e-12);
    }
    // Halfway in log frequency between 1 and 10 rad/s: halfway in gain and phase.
    const double omega = std::sqrt(10.0);
    EXPECT_NEAR(model->gainDb(omega, gain), -15 - 2, 1e-12);
    EXPECT_NEAR(model->phase(omega, gain, all[0]), -167.5, 1e-12);
    const std::complex<double> g
        = std::polar(std::pow(10.0, -17.0 / 20), -167.5 * std::numbers::pi / 180);
    EXPECT_NEAR(model->closedDb(omega, gain), 20 * std::log10(std::abs(g / (1.0 + g))), 1e-12);
    EXPECT_FALSE(model->structure(gain));
    EXPECT_FALSE(model->closedLoopPoles(gain));
    EXPECT_FALSE(model->closedSlope(omega, gain));
    EXPECT_EQ(model->delayDegrees(omega), 0);

    const auto inner = model->within(0.5, 50);
    const std::vector<ResponseSample> kept = *inner->givenSamples(gain);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept.front().omega, 1);
    EXPECT_EQ(kept.back().omega, 10);
    EXPECT_TRUE(model->within(200, 300)->givenSamples(gain)->empty());
}

} // namespace
