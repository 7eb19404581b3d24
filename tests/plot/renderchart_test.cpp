// The whole chart: order of the passes, title, profiles, and renders that must always finish.
#include "plot/axes.h"
#include "plot/chartmapping.h"
#include "plot/renderchart.h"
#include "plot/sweep.h"
#include "recordingsurface.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace velmora;
using namespace velmora::test;

namespace {

TEST(RenderChart, DrawsFrameTitleIsogainThenIsophase)
{
    ChartSettings settings = DefaultChartSettings();
    settings.axisStyle.axisColor = RgbColor(1, 2, 3);
    settings.isogainColor = RgbColor(10, 20, 30);
    settings.isophaseColor = RgbColor(40, 50, 60);
    RecordingSurface surface(300, 475);
    RenderChart(settings, WindowProfile(), surface);

    const std::vector<Operation> &ops = surface.operations();
    EXPECT_EQ(ops[0].op, Op::PenColor);
    EXPECT_EQ(ops[0].x, static_cast<int>(settings.axisStyle.axisColor));
    EXPECT_EQ(ops[1].op, Op::FontColor);

    const auto texts = surface.texts();
    ASSERT_EQ(texts[23].text, ChartTitle);
    EXPECT_EQ(texts[23].x, 20);
    EXPECT_EQ(texts[23].y, 5);
    // 15 iso-gain labels then the iso-phase labels (no label for -180).
    EXPECT_EQ(texts[24].text, "12");
    EXPECT_EQ(texts[24 + 14].text, "-24");
    EXPECT_EQ(texts[24 + 15].text, "-2");
    EXPECT_EQ(texts.back().text, "-358");
    EXPECT_EQ(texts.size(), 24u + 15u + 16u);

    std::size_t firstIsophaseColour = 0;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        if (ops[i].op == Op::PenColor && ops[i].x == static_cast<int>(settings.isophaseColor)) {
            firstIsophaseColour = i;
            break;
        }
    }
    ASSERT_GT(firstIsophaseColour, 0u);
    for (std::size_t i = firstIsophaseColour; i < ops.size(); ++i) {
        if (ops[i].op == Op::PenColor) {
            EXPECT_EQ(ops[i].x, static_cast<int>(settings.isophaseColor));
        }
    }
}

TEST(RenderChart, IsophaseZeroLeftByAnEmptyListDrawsEverythingElse)
{
    ChartSettings settings = DefaultChartSettings();
    settings.isophaseValues = { 0.0 };
    RecordingSurface surface(300, 475);
    EXPECT_NO_THROW(RenderChart(settings, WindowProfile(), surface));
    EXPECT_EQ(surface.texts().size(), 24u + 15u);
}

TEST(RenderChart, SampleSteps)
{
    EXPECT_EQ(SampleStep(-30, 40, 225), 70.0 / 225);
    EXPECT_EQ(SampleStep(-260, 10, 150), 1.8);
    EXPECT_EQ(SampleStep(-5e-324, 5e-324, 225), 0);
}

// Every coordinate handed to the surface is within the saturation bound.
void expectBoundedCoordinates(const RecordingSurface &surface)
{
    for (const Operation &o : surface.operations()) {
        if (o.op == Op::MoveTo || o.op == Op::LineTo || o.op == Op::Text) {
            EXPECT_LE(std::abs(o.x), CoordinateLimit + 1000);
            EXPECT_LE(std::abs(o.y), CoordinateLimit + 1000);
        }
    }
}

struct ExtremeCase {
    const char *name;
    void (*adjust)(ChartSettings &);
};

TEST(RenderChart, ExtremeSettingsFinishWithBoundedWork)
{
    const ExtremeCase cases[] = {
        { "GainStep 1e-20", [](ChartSettings &s) { s.gainStep = 1e-20; } },
        { "PhaseStep 1e-20", [](ChartSettings &s) { s.phaseStep = 1e-20; } },
        { "denormal gain extents",
            [](ChartSettings &s) {
                s.gainMax = 5e-324;
                s.gainMin = -5e-324;
            } },
        { "GainMax 1e-300",
            [](ChartSettings &s) {
                s.gainMax = 1e-300;
                s.gainStep = 4e-301;
            } },
        { "unchecked values",
            [](ChartSettings &s) {
                s.isogainValues = { 1e300, -1e300, 0, 1e6, 99.99 };
                s.isophaseValues = { 0, -360, 1e6, 1e300, -1e300, 359, -1.0000001 };
            } },
    };
    for (const ExtremeCase &c : cases) {
        SCOPED_TRACE(c.name);
        ChartSettings settings = DefaultChartSettings();
        c.adjust(settings);
        for (const auto &[profile, size] : { std::pair { WindowProfile(), ImageSize {} },
                 std::pair { ClipboardProfile(), ImageSize { 400, 600 } } }) {
            RecordingSurface surface(size.width, size.height);
            EXPECT_NO_THROW(RenderChart(settings, profile, surface));
            // Two axes of at most MaxGraduations marks, and contours within their capacities.
            EXPECT_LT(surface.operations().size(), 400'000u);
            expectBoundedCoordinates(surface);
        }
    }
}

} // namespace
