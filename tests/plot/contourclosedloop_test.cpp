// The drawn contours are the closed loop's: every point of an iso-gain or iso-phase contour, mapped
// back to the open-loop plane, has the contour's closed-loop value within what one pixel allows.
#include "core/closedloop.h"
#include "plot/isogain.h"
#include "plot/isophase.h"
#include "plot/sweep.h"
#include "recordingsurface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace velmora;
using namespace velmora::test;

namespace {

// The closed-loop values over the square of +/- one pixel around a drawn point, on a 5 x 5 grid.
template <typename Value>
std::pair<double, double> rangeAround(const ChartMapping &map, const PathStep &p, Value value)
{
    double low = INFINITY;
    double high = -INFINITY;
    for (int i = -2; i <= 2; ++i) {
        for (int j = -2; j <= 2; ++j) {
            const GainPhase open { map.gainAt(p.y + j / 2.0), map.phaseAt(p.x + i / 2.0) };
            const double v = value(ClosedLoopOf(open));
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    return { low, high };
}

struct Case {
    RenderProfile profile;
    ImageSize size;
    ChartSettings settings;
};

std::vector<Case> cases()
{
    ChartSettings wide = DefaultChartSettings();
    wide.gainMin = -60;
    wide.gainMax = 60;
    wide.phaseMin = -360;
    return { { WindowProfile(), {}, DefaultChartSettings() },
        { ClipboardProfile(), { 600, 950 }, DefaultChartSettings() },
        { WindowProfile(), {}, wide } };
}

TEST(ContourClosedLoop, IsogainPointsHaveTheirClosedLoopGain)
{
    for (const Case &c : cases()) {
        const ChartMapping map = MappingOf(FrameOf(c.size.width, c.size.height), c.settings);
        for (const double v : DefaultChartSettings().isogainValues) {
            ChartSettings settings = c.settings;
            settings.isogainValues = { v };
            RecordingSurface surface(c.size.width, c.size.height);
            DrawIsogainContours(surface, map.frame,
                SampleStep(settings.gainMin, settings.gainMax, c.profile.gainDivisions), c.profile,
                settings);
            int checked = 0;
            for (const PathStep &p : pathOf(surface.operations())) {
                // Points beyond the image's edges are still mapped; they are checked as well.
                const auto [low, high] = rangeAround(map, p, [](GainPhase t) { return t.gainDb; });
                EXPECT_LE(low, v) << v << " dB at " << p.x << ", " << p.y;
                EXPECT_GE(high, v) << v << " dB at " << p.x << ", " << p.y;
                ++checked;
            }
            EXPECT_GT(checked, 0) << v;
        }
    }
}

TEST(ContourClosedLoop, IsophasePointsHaveTheirClosedLoopPhase)
{
    for (const Case &c : cases()) {
        const ChartMapping map = MappingOf(FrameOf(c.size.width, c.size.height), c.settings);
        for (const double v : DefaultChartSettings().isophaseValues) {
            if (v == -180)
                continue; // the bare segment on the -180 degree line, not a contour of its own
            ChartSettings settings = c.settings;
            settings.isophaseValues = { v };
            RecordingSurface surface(c.size.width, c.size.height);
            DrawIsophaseContours(surface, map.frame,
                SampleStep(settings.phaseMin, settings.phaseMax, c.profile.phaseDivisions),
                c.profile, settings);
            const std::vector<PathStep> path = pathOf(surface.operations());
            ASSERT_GE(path.size(), 3u) << v;
            // The first and last steps drop the curve to, or raise it from, the bottom row: they
            // are not on the contour.
            for (std::size_t i = 1; i + 1 < path.size(); ++i) {
                const PathStep &p = path[i];
                const auto [low, high] = rangeAround(map, p, [v](GainPhase t) {
                    return std::remainder(t.phaseDeg - v, 360.0); // how far from v, either way
                });
                EXPECT_LE(low, 0) << v << " degrees at " << p.x << ", " << p.y;
                EXPECT_GE(high, 0) << v << " degrees at " << p.x << ", " << p.y;
            }
        }
    }
}

} // namespace
