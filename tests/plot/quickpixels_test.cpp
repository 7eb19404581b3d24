// The quick double-precision placement of contour points gives the exact computation's pixels:
// the filter never rounds where the exact mapping would round otherwise, and whole contours drawn
// on random charts match a plain extended-precision drawing of them, pixel for pixel.
#include "core/degrees.h"
#include "plot/isogain.h"
#include "plot/isophase.h"
#include "plot/sweep.h"
#include "recordingsurface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace velmora;
using namespace velmora::test;

namespace {

ChartMapping randomMapping(std::mt19937_64 &random)
{
    std::uniform_real_distribution<double> unit(0, 1);
    ChartSettings s = DefaultChartSettings();
    s.gainMax = 1 + 99 * unit(random);
    s.gainMin = -1 - 98 * unit(random);
    s.phaseMin = -360 + 180 * unit(random);
    const int width = 300 + static_cast<int>(9700 * unit(random));
    const int height = 475 + static_cast<int>(9500 * unit(random));
    return MappingOf(FrameOf(width, height), s);
}

TEST(QuickPixels, NeverRoundsOtherwiseThanTheExactMapping)
{
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> unit(0, 1);
    int decided = 0;
    for (int i = 0; i < 200; ++i) {
        const ChartMapping map = randomMapping(random);
        const QuickPixels pixels(map);
        for (int j = 0; j < 2000; ++j) {
            // Values right on half-pixel boundaries, near them, and anywhere.
            const double column
                = map.frame.left - 50 + (map.frame.right - map.frame.left + 100) * unit(random);
            const double boundary = std::floor(column) + 0.5;
            const double phase = map.phaseAt(j % 3 == 0 ? boundary
                    : j % 3 == 1                        ? boundary + 1e-9
                                                        : column);
            const double error = std::ldexp(unit(random), -static_cast<int>(40 * unit(random)));
            const double given = phase + error * (2 * unit(random) - 1);
            if (const std::optional<int> sure = pixels.sureColumn(given, error)) {
                ASSERT_EQ(*sure, map.column(phase)) << phase << " +/- " << error;
                ++decided;
            }
            const double gain = map.gainAt(
                column * (map.frame.bottom - map.frame.top) / (map.frame.right - map.frame.left));
            if (const std::optional<int> sure = pixels.sureRow(gain, 0)) {
                ASSERT_EQ(*sure, map.row(gain)) << gain;
            }
        }
    }
    EXPECT_GT(decided, 100000); // the quick way does decide most of the time
}

// The contour points as a plain extended-precision computation places them: the oracle.
std::vector<PathStep> exactIsogainBranch(
    double v, const ChartSettings &s, const RenderProfile &profile, const ChartMapping &map)
{
    std::vector<PathStep> branch;
    const double M = Pow10(v / 20);
    const double step = SampleStep(s.gainMin, s.gainMax, profile.gainDivisions);
    for (const double x : SweepPositions(s.gainMin, step, s.gainMax, profile.gainDivisions)) {
        const double u = IsogainCosine(Pow10(x / 20), M);
        if (!(std::fabs(u) <= 1)) {
            if (!branch.empty())
                break;
            continue;
        }
        const long double arc = std::atan2(
            std::sqrt(1 - static_cast<long double>(u) * u), static_cast<long double>(u));
        branch.push_back({ 'L', map.column(static_cast<double>(-arc * 180 / Pi)), map.row(x) });
    }
    return branch;
}

std::vector<PathStep> exactIsophaseSweep(
    double v, const ChartSettings &s, const RenderProfile &profile, const ChartMapping &map)
{
    std::vector<PathStep> points;
    const double t = static_cast<double>(std::tan(Radians(v)));
    const double floor = Pow10(s.gainMin / 20);
    const double step = SampleStep(s.phaseMin, s.phaseMax, profile.phaseDivisions);
    const double start = v < -180 ? s.phaseMin : -180;
    const double end = v < -180 ? -180 : std::min(v, 0.0);
    for (const double phi :
        SweepPositions(start, step, v < -180 ? -180 : 0, profile.phaseDivisions)) {
        const SinCos angle = SinCosDegrees(phi);
        const double G
            = static_cast<double>(angle.sine / static_cast<long double>(t) - angle.cosine);
        if (G > floor && std::isfinite(G))
            points.push_back({ 'L', map.column(phi),
                map.row(static_cast<double>(20 * std::log10(static_cast<long double>(G)))) });
        if (SweepEndsAfter(phi, step, end))
            break;
    }
    return points;
}

TEST(QuickPixels, RandomContoursMatchThePlainExtendedPrecisionDrawing)
{
    std::mt19937_64 random(23);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int i = 0; i < 150; ++i) {
        const ChartMapping map = randomMapping(random);
        ChartSettings s = DefaultChartSettings();
        s.gainMin = map.gainMin;
        s.gainMax = map.gainMax;
        s.phaseMin = map.phaseMin;
        const int width = map.frame.right + 15;
        const int height = map.frame.bottom + 10;
        const RenderProfile profile = i % 2 ? WindowProfile() : ClipboardProfile();
        const double gain = -60 + 90 * unit(random);
        const double phase = -359 + 357 * unit(random);
        s.isogainValues = { gain };
        s.isophaseValues = { phase };
        SCOPED_TRACE("case " + std::to_string(i) + ": " + std::to_string(gain) + " dB, "
            + std::to_string(phase) + " degrees");

        RecordingSurface isogain(width, height);
        DrawIsogainContours(isogain, map.frame,
            SampleStep(s.gainMin, s.gainMax, profile.gainDivisions), profile, s);
        const std::vector<PathStep> expected = exactIsogainBranch(gain, s, profile, map);
        const std::vector<PathStep> drawn = pathOf(isogain.operations());
        if (expected.empty()) {
            EXPECT_TRUE(drawn.empty());
        } else {
            // The right branch: a move to its first point, then a line to every point.
            ASSERT_GE(drawn.size(), expected.size() + 1);
            EXPECT_EQ(std::vector<PathStep>(drawn.begin() + 1,
                          drawn.begin() + 1 + static_cast<long>(expected.size())),
                expected);
        }

        RecordingSurface isophase(width, height);
        DrawIsophaseContours(isophase, map.frame,
            SampleStep(s.phaseMin, s.phaseMax, profile.phaseDivisions), profile, s);
        std::vector<PathStep> points = exactIsophaseSweep(phase, s, profile, map);
        std::vector<PathStep> lines;
        for (const PathStep &p : pathOf(isophase.operations()))
            if (p.kind == 'L')
                lines.push_back(p);
        if (points.empty()) {
            EXPECT_TRUE(lines.empty());
            continue;
        }
        // The left half lines through every point; the right half moves to the first, lines to
        // the others, then drops to the bottom row.
        if (phase < -180) {
            EXPECT_EQ(lines, points);
        } else {
            points.erase(points.begin());
            lines.pop_back();
            EXPECT_EQ(lines, points);
        }
    }
}

} // namespace
