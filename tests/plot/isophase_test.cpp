// Iso-phase contours: the two half sweeps, the -180 segment, drops, labels and the values that
// must draw nothing.
#include "plot/isophase.h"
#include "plot/renderchart.h"
#include "plot/sweep.h"
#include "recordingsurface.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

RecordingSurface contoursOf(std::vector<double> values, const RenderProfile &profile,
    ChartSettings settings = DefaultChartSettings(), ImageSize size = {})
{
    settings.isophaseValues = values;
    RecordingSurface surface(size.width, size.height);
    DrawIsophaseContours(surface, FrameOf(surface.width(), surface.height()),
        SampleStep(settings.phaseMin, settings.phaseMax, profile.phaseDivisions), profile,
        settings);
    return surface;
}

TEST(IsophaseContours, MinusNinetyRightHalfWithDropToTheBottomRow)
{
    const RecordingSurface surface = contoursOf({ -90 }, WindowProfile());
    const std::vector<PathStep> path = pathOf(surface.operations());
    ASSERT_EQ(path.size(), 1u + 48u + 1u);
    EXPECT_EQ(path[0], (PathStep { 'M', 95, 270 }));
    EXPECT_EQ(path[48], (PathStep { 'L', 181, 426 }));
    EXPECT_EQ(path[49], (PathStep { 'L', 181, 465 }));
    const auto texts = surface.texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "-90");
    EXPECT_EQ(texts[0].x, 176);
    EXPECT_EQ(texts[0].y, 426);
}

TEST(IsophaseContours, MinusTwoSeventyLeftHalfStartsAtItsFirstPoint)
{
    const RecordingSurface surface = contoursOf({ -270 }, WindowProfile());
    const std::vector<PathStep> path = pathOf(surface.operations());
    ASSERT_EQ(path.size(), 1u + 44u);
    EXPECT_EQ(path[0], (PathStep { 'M', 15, 369 }));
    EXPECT_EQ(path[1], (PathStep { 'L', 15, 369 }));
    EXPECT_EQ(path.back(), (PathStep { 'L', 92, 270 }));
    const auto texts = surface.texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].x, 10);
    EXPECT_EQ(texts[0].y, 369);
}

TEST(IsophaseContours, MinusOneEightyIsABareVerticalSegment)
{
    const RecordingSurface surface = contoursOf({ -180 }, WindowProfile());
    EXPECT_EQ(pathOf(surface.operations()),
        (std::vector<PathStep> { { 'M', 95, 465 }, { 'L', 95, 270 } }));
    EXPECT_TRUE(surface.texts().empty());
}

TEST(IsophaseContours, LeftHalfAbovePhaseMinRisesFromTheBottomRow)
{
    const RecordingSurface surface = contoursOf({ -200 }, WindowProfile());
    const std::vector<PathStep> path = pathOf(surface.operations());
    ASSERT_GE(path.size(), 3u);
    EXPECT_EQ(path[0].y, 465);
    EXPECT_EQ(path[1].x, path[0].x);
    EXPECT_LT(path[1].y, 465);
    // First stored sample near -199 degrees: column 76 is -199.
    EXPECT_NEAR(path[0].x, 76, 1);
    EXPECT_EQ(surface.texts()[0].y, path[1].y);

    const RecordingSurface below = contoursOf({ -358 }, WindowProfile());
    const std::vector<PathStep> belowPath = pathOf(below.operations());
    EXPECT_EQ(belowPath[0].x, 15);
    EXPECT_EQ(belowPath[1], (PathStep { 'L', belowPath[0].x, belowPath[0].y }));
}

TEST(IsophaseContours, MinusTwoEndsAtItsLastSampleBeforeTheValue)
{
    const RecordingSurface surface = contoursOf({ -2 }, WindowProfile());
    const std::vector<PathStep> path = pathOf(surface.operations());
    const int lastColumn = ValueToColumn(15, 285, -5.4, -260, 10);
    EXPECT_EQ(path[0], (PathStep { 'M', 95, 270 }));
    EXPECT_EQ(path.back(), (PathStep { 'L', lastColumn, 465 }));
    EXPECT_EQ(surface.texts()[0].x, ValueToColumn(15, 285, -10.4, -260, 10));
}

TEST(IsophaseContours, ValuesWithoutAUsableTangentDrawNothingAndOthersGoOn)
{
    // -360: tiny tangent, every gain below the floor. 0: zero tangent, which would divide by
    // zero. 90: infinite gain slope. 1e300: absurd, still finite. The -90 contour is drawn.
    const RecordingSurface surface = contoursOf({ -360, 0, 1e300, -90 }, WindowProfile());
    const auto texts = surface.texts();
    ASSERT_GE(texts.size(), 1u);
    EXPECT_EQ(texts.back().text, "-90");
    const RecordingSurface nothing = contoursOf({ -360, 0 }, WindowProfile());
    EXPECT_TRUE(pathOf(nothing.operations()).empty());
    EXPECT_TRUE(nothing.texts().empty());
}

TEST(IsophaseContours, ClipboardLabelsCarryTheDegreeSign)
{
    const RecordingSurface surface
        = contoursOf({ -90 }, ClipboardProfile(), DefaultChartSettings(), { 600, 950 });
    EXPECT_EQ(surface.texts()[0].text, "-90°");
    EXPECT_EQ(pathOf(surface.operations()).size(), 1u + 97u + 1u);
}

TEST(IsophaseContours, TinyStepsStayWithinCapacity)
{
    ChartSettings settings = DefaultChartSettings();
    settings.phaseMin = -180;
    settings.phaseMax = -180 + 1e-12;
    const RecordingSurface surface = contoursOf({ -90, -270 }, WindowProfile(), settings);
    EXPECT_LE(pathOf(surface.operations()).size(), 2u * (150u + 2u));
}

} // namespace
