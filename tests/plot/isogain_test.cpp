// Iso-gain contours: the closed-form cosine, sampling, branches, joins and labels.
#include "core/floatingpointerror.h"
#include "plot/isogain.h"
#include "plot/renderchart.h"
#include "plot/sweep.h"
#include "recordingsurface.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace velmora;
using namespace velmora::test;

namespace {

// Draws the contours of `values` alone on a fresh surface of the profile's size.
RecordingSurface contoursOf(std::vector<double> values, const RenderProfile &profile,
    ChartSettings settings = DefaultChartSettings(), ImageSize size = {})
{
    settings.isogainValues = values;
    RecordingSurface surface(size.width, size.height);
    DrawIsogainContours(surface, FrameOf(surface.width(), surface.height()),
        SampleStep(settings.gainMin, settings.gainMax, profile.gainDivisions), profile, settings);
    return surface;
}

// The path split at each move: the right branch, then joins, the left branch, the bottom join.
std::vector<std::vector<PathStep>> strokes(const RecordingSurface &surface)
{
    std::vector<std::vector<PathStep>> out;
    for (const PathStep &step : pathOf(surface.operations())) {
        if (step.kind == 'M')
            out.emplace_back();
        out.back().push_back(step);
    }
    return out;
}

TEST(IsogainCosine, ClosedForm)
{
    EXPECT_EQ(IsogainCosine(1, 1), -0.5);
    for (double g : { 0.5, 2.0, 10.0 })
        EXPECT_DOUBLE_EQ(IsogainCosine(g, 1), -1 / (2 * g));
    EXPECT_THROW(IsogainCosine(1, 0), FloatingPointError);
}

TEST(IsogainContours, ZeroDecibelContourOfTheDefaultChart)
{
    const RecordingSurface surface = contoursOf({ 0 }, WindowProfile());
    const auto s = strokes(surface);
    ASSERT_EQ(s.size(), 3u) << "right branch, left branch, bottom join: no top join";

    const std::vector<PathStep> &right = s[0];
    ASSERT_EQ(right.size(), 1u + 147u);
    EXPECT_EQ(right[0], (PathStep { 'M', 110, 307 }));
    EXPECT_EQ(right[1], (PathStep { 'L', 110, 307 }));
    EXPECT_EQ(right.back(), (PathStep { 'L', 185, 12 }));

    const std::vector<PathStep> &left = s[1];
    ASSERT_EQ(left.size(), 1u + 147u);
    EXPECT_EQ(left[0], (PathStep { 'M', 80, 307 }));
    EXPECT_EQ(left.back(), (PathStep { 'L', 5, 12 }));

    EXPECT_EQ(s[2], (std::vector<PathStep> { { 'M', 110, 307 }, { 'L', 80, 307 } }));

    const auto texts = surface.texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "0");
    EXPECT_EQ(texts[0].x, 180);
    EXPECT_EQ(texts[0].y, 14);
}

TEST(IsogainContours, TwelveDecibelLoopIsJoinedAtTheTop)
{
    const RecordingSurface surface = contoursOf({ 12 }, WindowProfile());
    const auto s = strokes(surface);
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[0].size(), 1u + 14u);
    const int topRow = s[0].back().y;
    EXPECT_EQ(s[0].back().x, 100);
    EXPECT_EQ(s[1], (std::vector<PathStep> { { 'M', 90, topRow }, { 'L', 100, topRow } }));
    EXPECT_EQ(s[2].back().x, 90);
    // First and last samples: -1.6889 dB and 2.3556 dB.
    EXPECT_EQ(s[0][0].y, ValueToRow(10, 465, -30 + 91 * (70.0 / 225), -30, 40));
    EXPECT_EQ(topRow, ValueToRow(10, 465, 2.3556, -30, 40));
    const auto texts = surface.texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "12");
    EXPECT_EQ(texts[0].x, 95);
    EXPECT_EQ(texts[0].y, 257);
}

TEST(IsogainContours, NegativeContourIsOpenAtTheTop)
{
    const RecordingSurface surface = contoursOf({ -6 }, WindowProfile());
    const auto s = strokes(surface);
    ASSERT_EQ(s.size(), 3u);
    // Right branch ends within 20 degrees of 0: column of -20 is 255.
    EXPECT_GE(s[0].back().x, 255);
    EXPECT_NEAR(s[0].back().y, 270, 7); // about 0 dB
}

TEST(IsogainContours, ValidRunFromTheFirstSampleIsClosedOnTheBottomRow)
{
    ChartSettings settings = DefaultChartSettings();
    settings.gainMin = -3;
    const RecordingSurface surface = contoursOf({ 0 }, WindowProfile(), settings);
    const auto s = strokes(surface);
    EXPECT_EQ(s.back()[0].y, 465);
    EXPECT_EQ(s.back()[1].y, 465);
}

TEST(IsogainContours, ValueWithoutValidSampleDrawsNothing)
{
    ChartSettings settings = DefaultChartSettings();
    settings.gainMin = -20;
    const RecordingSurface surface = contoursOf({ -24 }, WindowProfile(), settings);
    EXPECT_TRUE(pathOf(surface.operations()).empty());
    EXPECT_TRUE(surface.texts().empty());
    // The colour is still set for the value.
    EXPECT_EQ(surface.only(Op::PenColor).size(), 1u);
}

TEST(IsogainContours, ClipboardProfileSamplesTwiceAndWritesUnits)
{
    const RecordingSurface surface
        = contoursOf({ 12 }, ClipboardProfile(), DefaultChartSettings(), { 600, 950 });
    const auto texts = surface.texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "12dB");
    // The window's 14 samples of this loop, at half the step.
    const std::size_t points = strokes(surface)[0].size() - 1;
    EXPECT_GE(points, 27u);
    EXPECT_LE(points, 29u);
}

TEST(IsogainContours, ValuesBeyondTheDoubleRangeDrawNothingAndOthersGoOn)
{
    // 1e6 dB overflows the linear gain, -1e6 dB makes it vanish, 5000 dB makes M*M overflow.
    const RecordingSurface surface = contoursOf({ 1e6, -1e6, 5000, -7000, 12 }, WindowProfile());
    const auto texts = surface.texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "12");
}

TEST(IsogainContours, DenormalExtentsFinishWithinCapacity)
{
    ChartSettings settings = DefaultChartSettings();
    settings.gainMax = 5e-324;
    settings.gainMin = -5e-324;
    const RecordingSurface surface = contoursOf({ 0, 12, -24 }, WindowProfile(), settings);
    for (const auto &stroke : strokes(surface))
        EXPECT_LE(stroke.size(), 1u + 225u);
}

} // namespace
