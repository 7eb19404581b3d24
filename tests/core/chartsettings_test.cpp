// Chart settings: defaults, value lists and the one table of entry limits.
#include "core/chartsettings.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

TEST(ChartSettings, DefaultsAndValueLists)
{
    const ChartSettings s = DefaultChartSettings();
    EXPECT_EQ(s.isogainValues.size(), 15u);
    EXPECT_EQ(s.isophaseValues.size(), 17u);
    EXPECT_EQ(s.isogainValues[0], 12);
    EXPECT_EQ(s.isogainValues[6], 0.5);
    EXPECT_EQ(s.isogainValues[14], -24);
    EXPECT_EQ(s.isophaseValues[0], -2);
    EXPECT_EQ(s.isophaseValues[8], -180);
    EXPECT_EQ(s.isophaseValues[16], -358);
    EXPECT_TRUE(s.axisStyle.axesAtOrigin);
    EXPECT_TRUE(s.axisStyle.fontName.empty());
    EXPECT_EQ(s.axisStyle.fontSize, 8);
    EXPECT_EQ(s.axisStyle.tickLength, 3);
    EXPECT_EQ(s.gainMin, -30);
    EXPECT_EQ(s.gainMax, 40);
    EXPECT_EQ(s.phaseMin, -260);
    EXPECT_EQ(s.phaseMax, 10);
    EXPECT_EQ(s.bitmapWidth, 600);
    EXPECT_EQ(s.bitmapHeight, 950);
}

TEST(ChartSettings, ValuesFromTextsReadsEmptyAsZero)
{
    EXPECT_EQ(ValuesFromTexts({ "", "+3", "1,5" }), (std::vector<double> { 0, 3, 1 }));
}

TEST(ChartSettings, EntryLimitsAtTheirExactEnds)
{
    struct Case {
        Entry entry;
        double v;
        bool accepted;
    };
    const ChartSettings s = DefaultChartSettings(); // gain max 40, phase min -260
    const Case cases[] = {
        { Entry::GainMax, 100, true },
        { Entry::GainMax, 100.5, false },
        { Entry::GainMax, 0, false },
        { Entry::GainMin, -99.9, true },
        { Entry::GainMin, -100, false },
        { Entry::GainMin, 0, false },
        { Entry::PhaseMin, -360, true },
        { Entry::PhaseMin, -180, true },
        { Entry::PhaseMin, -179.9, false },
        { Entry::PhaseMin, -360.1, false },
        { Entry::GainStep, 19.9, true },
        { Entry::GainStep, 20, false },
        { Entry::PhaseStep, 129.9, true },
        { Entry::PhaseStep, 130, false },
        { Entry::IsogainValue, 100, false },
        { Entry::IsogainValue, -100, false },
        { Entry::IsogainValue, 0, true },
        { Entry::IsophaseValue, -1, false },
        { Entry::IsophaseValue, -360, false },
        { Entry::IsophaseValue, 0, false },
        { Entry::BitmapWidth, 399.5, true },
        { Entry::BitmapWidth, 399, false },
        { Entry::BitmapWidth, 601, false },
        { Entry::BitmapHeight, 950, true },
        { Entry::BitmapHeight, 951, false },
        { Entry::BitmapHeight, 599, false },
        { Entry::ImageWidth, 399.5, false },
        { Entry::ImageWidth, 400, true },
        { Entry::ImageWidth, 10000.9, true },
        { Entry::ImageWidth, 10001, false },
        { Entry::ImageHeight, 599.5, false },
        { Entry::ImageHeight, 600, true },
        { Entry::FontSize, 8.5, false },
        { Entry::FontSize, 500, true },
        { Entry::FontSize, 0, false },
    };
    for (const Case &c : cases)
        EXPECT_EQ(Accepted(c.entry, c.v, s), c.accepted) << static_cast<int>(c.entry) << " " << c.v;
}

TEST(ChartSettings, StepLimitsFollowTheExtentsAndReadInPlainDecimals)
{
    ChartSettings s = DefaultChartSettings();
    s.gainMax = 10;
    EXPECT_FALSE(Accepted(Entry::GainStep, 6, s));
    EXPECT_EQ(RangeOf(Entry::GainStep, s).describe("pas"), "0 < pas < 5");
    s.phaseMin = -359;
    EXPECT_EQ(RangeOf(Entry::PhaseStep, s).describe("pas"), "0 < pas < 179.5");
    EXPECT_EQ(RangeOf(Entry::BitmapHeight, s).describe("h"), "599 < h < 951");
    EXPECT_EQ(RangeOf(Entry::PhaseMin, s).describe("p"), "-360 <= p <= -180");
}

TEST(ChartSettings, ColoursAreStoredRedInTheLowByte)
{
    EXPECT_EQ(RgbColor(0xC0, 0xC0, 0xC0), Silver);
    EXPECT_EQ(RgbColor(255, 0, 0), 0x0000FFu);
    EXPECT_EQ(RgbColor(0, 0, 255), 0xFF0000u);
    EXPECT_EQ(RedOf(RgbColor(1, 2, 3)), 1);
    EXPECT_EQ(GreenOf(RgbColor(1, 2, 3)), 2);
    EXPECT_EQ(BlueOf(RgbColor(1, 2, 3)), 3);
}

TEST(ChartSettings, ColorTextIsExactlyHashAndSixHexDigits)
{
    EXPECT_EQ(ColorFromText("#C80000"), RgbColor(200, 0, 0));
    EXPECT_EQ(ColorFromText("#00aa0f"), RgbColor(0, 170, 15));
    for (const char *refused :
        { "", "red", "C80000", "#C8000", "#C800000", "#+C8000", "#C8 000", "#GG0000", "#-10000" })
        EXPECT_FALSE(ColorFromText(refused)) << refused;
}

} // namespace
