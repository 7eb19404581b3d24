// The closed-loop point of an open-loop point, against complex arithmetic and at its edges.
#include "core/closedloop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>

using namespace velmora;

namespace {

TEST(ClosedLoopOf, AgreesWithComplexArithmeticAndStaysWithinOneTurnBelowZero)
{
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> gains(-80, 80);
    std::uniform_real_distribution<double> phases(-1080, 720);
    for (int i = 0; i < 20000; ++i) {
        const GainPhase open { gains(random), phases(random) };
        const std::complex<long double> G = std::polar(std::pow(10.0L, open.gainDb / 20.0L),
            static_cast<long double>(open.phaseDeg) * 3.14159265358979323846264338327950288L / 180);
        const std::complex<long double> T = G / (1.0L + G);
        const GainPhase closed = ClosedLoopOf(open);
        SCOPED_TRACE(std::to_string(open.gainDb) + " dB, " + std::to_string(open.phaseDeg));
        EXPECT_NEAR(closed.gainDb, 20 * std::log10(std::abs(T)), 1e-9);
        EXPECT_GT(closed.phaseDeg, -360);
        EXPECT_LE(closed.phaseDeg, 0);
        const double expected = static_cast<double>(std::arg(T) * 180 / 3.14159265358979323846L);
        EXPECT_NEAR(std::remainder(closed.phaseDeg - expected, 360.0), 0, 1e-9);
    }
}

TEST(ClosedLoopOf, KnownPointsAndTheCriticalPoint)
{
    // G = 1: T = 1/2. G = j: T = (1 + j)/2, 45 degrees, that is -315.
    EXPECT_NEAR(ClosedLoopOf({ 0, 0 }).gainDb, -20 * std::log10(2.0), 1e-14);
    EXPECT_EQ(ClosedLoopOf({ 0, 0 }).phaseDeg, 0);
    EXPECT_NEAR(ClosedLoopOf({ 0, 90 }).gainDb, -10 * std::log10(2.0), 1e-14);
    EXPECT_NEAR(ClosedLoopOf({ 0, 90 }).phaseDeg, -315, 1e-12);
    for (const double phase : { -180.0, -540.0, 180.0, -900.0 }) {
        const GainPhase critical = ClosedLoopOf({ 0, phase });
        EXPECT_EQ(critical.gainDb, INFINITY) << phase;
        EXPECT_TRUE(std::isnan(critical.phaseDeg)) << phase;
    }
    // Near it, the closed loop is large but finite.
    EXPECT_GT(ClosedLoopOf({ 1e-9, -180 }).gainDb, 150);
}

TEST(ClosedLoopOf, ExtremeGainsNeitherOverflowNorThrow)
{
    const GainPhase high = ClosedLoopOf({ 1e300, -123 });
    EXPECT_EQ(high.gainDb, 0);
    EXPECT_EQ(high.phaseDeg, 0);
    const GainPhase low = ClosedLoopOf({ -1e300, -123 });
    EXPECT_EQ(low.gainDb, -1e300);
    EXPECT_EQ(low.phaseDeg, -123);
    EXPECT_TRUE(std::isnan(ClosedLoopOf({ NAN, -90 }).gainDb));
    EXPECT_TRUE(std::isnan(ClosedLoopOf({ 0, INFINITY }).phaseDeg));
    EXPECT_EQ(PhaseInOneTurnBelowZero(360), 0);
    EXPECT_FALSE(std::signbit(PhaseInOneTurnBelowZero(-360)));
    EXPECT_EQ(PhaseInOneTurnBelowZero(10), -350);
    EXPECT_EQ(PhaseInOneTurnBelowZero(-370), -10);
}

} // namespace
