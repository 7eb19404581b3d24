// A part of the chart: zoomed about the pointer and panned within the settings' extents, its
// graduations fine enough to read, its contours those of the whole chart cut at the frame.
#include "plot/axes.h"
#include "plot/chartscene.h"
#include "plot/renderchart.h"
#include "plot/viewextents.h"
#include "recordingsurface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace velmora;
using namespace velmora::test;

namespace {

TEST(View, ZoomKeepsThePointUnderThePointerAndStaysWithinTheChart)
{
    const ChartSettings s = DefaultChartSettings();
    const struct {
        double phase, gain, factor;
    } steps[] = { { -180, 0, 1.25 }, { -150, 5, 4 }, { -140, 2, 10 }, { -139, 1.5, 1e6 },
        { -250, 35, 1e6 }, { -180, 0, 0.5 } };
    std::optional<ViewExtents> view;
    for (const auto &step : steps) {
        const std::optional<ViewExtents> before = ShownView(s, view);
        const ViewExtents was
            = before.value_or(ViewExtents { s.phaseMin, s.phaseMax, s.gainMin, s.gainMax });
        view = ZoomedView(s, view, step.phase, step.gain, step.factor);
        ASSERT_TRUE(view);
        const ViewExtents &v = *view;
        EXPECT_GE(v.phaseMin, s.phaseMin);
        EXPECT_LE(v.phaseMax, s.phaseMax);
        EXPECT_GE(v.gainMin, s.gainMin);
        EXPECT_LE(v.gainMax, s.gainMax);
        const double phaseSpan = v.phaseMax - v.phaseMin;
        const double gainSpan = v.gainMax - v.gainMin;
        EXPECT_GE(phaseSpan, (s.phaseMax - s.phaseMin) * LeastViewShare * (1 - 1e-12));
        EXPECT_GE(gainSpan, (s.gainMax - s.gainMin) * LeastViewShare * (1 - 1e-12));
        // The pointer's share of the frame is the same, unless the view had to move back in.
        const double shareBefore = (step.phase - was.phaseMin) / (was.phaseMax - was.phaseMin);
        const double shareAfter = (step.phase - v.phaseMin) / phaseSpan;
        if (shareBefore >= 0 && shareBefore <= 1 && v.phaseMin > s.phaseMin
            && v.phaseMax < s.phaseMax) {
            EXPECT_NEAR(shareAfter, shareBefore, 1e-9);
        }
    }
    // Zoomed out beyond the whole chart, the view is the whole chart: none.
    EXPECT_FALSE(ZoomedView(s, view, -180, 0, 1e-9));
    EXPECT_FALSE(ZoomedView(s, std::nullopt, -180, 0, 0.8));
}

TEST(View, PanStopsAtTheChartsEdgesAndTheWholeChartDoesNotMove)
{
    const ChartSettings s = DefaultChartSettings();
    EXPECT_FALSE(PannedView(s, std::nullopt, 10, 10));
    const ViewExtents view { -200, -160, -10, 10 };
    const std::optional<ViewExtents> moved = PannedView(s, view, 15, -5);
    ASSERT_TRUE(moved);
    EXPECT_EQ(*moved, (ViewExtents { -185, -145, -15, 5 }));
    const std::optional<ViewExtents> far = PannedView(s, view, 1000, -1000);
    ASSERT_TRUE(far);
    EXPECT_EQ(*far, (ViewExtents { -30, 10, -30, -10 }));
    // A view reaching past the settings is cut to them.
    EXPECT_EQ(
        *ShownView(s, ViewExtents { -300, -100, -50, 10 }), (ViewExtents { -260, -100, -30, 10 }));
    EXPECT_FALSE(ShownView(s, ViewExtents { -300, 50, -50, 60 }));
    EXPECT_FALSE(ShownView(s, ViewExtents { 20, 30, 0, 10 }));
}

TEST(View, GraduationsKeepAtLeastFourLabelsOnEachAxis)
{
    const struct {
        double step, origin, low, high, expected;
    } cases[] = {
        { 30, -260, -260, 10, 30 }, // the whole chart keeps its step
        { 30, -260, -200, -160, 5 }, // 40 degrees: -195, -185, -175, -165
        { 2, -40, -10, 10, 2 }, // 20 dB: 6 labels at the settings' step
        { 2, -40, -1, 1, 0.25 }, // -0.75, -0.25, 0.25, 0.75
        { 30, -260, -180.27, -180, 0.025 },
        { 7, -260, -200, -160, 1 }, // the one round step that divides 7
        { 2.7, -40, -1, 1, 0.1 },
        { std::numbers::pi, -40, -1, 1, std::numbers::pi / 20 }, // no round step divides it
    };
    for (const auto &c : cases) {
        const double step = ViewGraduationStep(c.step, c.origin, c.low, c.high);
        EXPECT_NEAR(step, c.expected, c.expected * 1e-12) << c.low << " " << c.high;
        int labelled = 0;
        for (double j = std::ceil((c.low - c.origin) / step);
             j <= std::floor((c.high - c.origin) / step); ++j)
            labelled += std::fmod(std::fabs(j), 2) == 1;
        EXPECT_GE(labelled, 4);
    }
}

// A view of the critical region: everything within the frame, four labels at least on each
// axis, which lie along the bottom and right edges when the view does not hold 0 degrees, and
// the 0 dB contour (|T| = 1, the line Re G = -1/2) through (-180 degrees, -6.02 dB).
TEST(View, APartOfTheChartIsDrawnWithinTheFrame)
{
    ChartSettings settings = DefaultChartSettings();
    settings.isogainValues = { 0 };
    settings.isogainColor = RgbColor(1, 2, 3);
    settings.isophaseValues = { -30, -180, -200 };
    const ViewExtents view { -200, -160, -10, 10 };
    for (const double scale : { 1.0, 2.0 }) {
        const int width = static_cast<int>(300 * scale);
        const int height = static_cast<int>(475 * scale);
        RecordingSurface surface(width, height, scale);
        RenderChartView(settings, view, WindowProfile(), surface);
        const PixelFrame f = FrameOf(width, height, scale);
        const ChartMapping m { f, view.gainMin, view.gainMax, view.phaseMin, view.phaseMax };
        int phaseLabels = 0;
        int gainLabels = 0;
        for (const Operation &o : surface.operations()) {
            if (o.op == Op::MoveTo || o.op == Op::LineTo) {
                EXPECT_TRUE(f.contains(o.x, o.y)) << o.x << ", " << o.y;
            }
            if (o.op != Op::Text || o.text == ChartTitle)
                continue;
            EXPECT_TRUE(f.contains(o.x, o.y)) << o.text;
            EXPECT_TRUE(f.contains(
                o.x + surface.textWidth(o.text) - 1, o.y + surface.textHeight(o.text) - 1))
                << o.text;
            const double value = std::stod(o.text);
            phaseLabels += value <= -160 && value >= -200 && o.y > m.row(0);
            gainLabels += value >= -10 && value <= 10 && o.x > m.column(-165);
        }
        EXPECT_GE(phaseLabels, 4);
        EXPECT_GE(gainLabels, 4);
        // The lowest point drawn at -180 degrees of the 0 dB contour: at -6.02 dB, a pixel or
        // two above at most (the contour is sampled by gain).
        std::optional<double> lowest;
        bool isogain = false;
        int x = 0;
        int y = 0;
        const int c = m.column(-180);
        for (const Operation &o : surface.operations()) {
            if (o.op == Op::PenColor)
                isogain = o.x == static_cast<int>(settings.isogainColor);
            if (isogain && o.op == Op::LineTo && std::min(x, o.x) <= c && std::max(x, o.x) >= c)
                lowest = std::max(lowest.value_or(0),
                    o.x == x ? std::max(y, o.y) : y + (o.y - y) * double(c - x) / (o.x - x));
            if (o.op == Op::MoveTo || o.op == Op::LineTo) {
                x = o.x;
                y = o.y;
            }
        }
        ASSERT_TRUE(lowest);
        const double gain = 20 * std::log10(0.5);
        EXPECT_LE(*lowest, m.rowOf(gain) + 1);
        EXPECT_GE(*lowest, m.rowOf(gain) - 2.5 * scale);
    }
}

} // namespace
