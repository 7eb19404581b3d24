// Chart settings: defaults, value arrays and the tests that entries must pass.
#include "core/chartsettings.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

TEST(ChartSettings, DefaultsAndValueArrays)
{
    const ChartSettings s = DefaultChartSettings();
    EXPECT_EQ(s.IsogainValues.size(), 16u);
    EXPECT_EQ(s.IsophaseValues.size(), 18u);
    EXPECT_EQ(s.IsogainValues[1], 12);
    EXPECT_EQ(s.IsogainValues[7], 0.5);
    EXPECT_EQ(s.IsogainValues[15], -24);
    EXPECT_EQ(s.IsophaseValues[1], -2);
    EXPECT_EQ(s.IsophaseValues[9], -180);
    EXPECT_EQ(s.IsophaseValues[17], -358);
    EXPECT_TRUE(s.style.AxesAtOrigin);
    EXPECT_TRUE(s.style.FontName.empty());
    EXPECT_EQ(s.style.FontSize, 8);
    EXPECT_EQ(s.style.TickLength, 3);
    EXPECT_EQ(s.GainMin, -30);
    EXPECT_EQ(s.GainMax, 40);
    EXPECT_EQ(s.PhaseMin, -260);
    EXPECT_EQ(s.PhaseMax, 10);
    EXPECT_EQ(s.BitmapWidth, 600);
    EXPECT_EQ(s.BitmapHeight, 950);
}

TEST(ChartSettings, ValuesFromTextsKeepsElementZeroAndReadsEmptyAsZero)
{
    const std::vector<double> values = ValuesFromTexts({ "", "+3", "1,5" });
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0], 0);
    EXPECT_EQ(values[1], 0);
    EXPECT_EQ(values[2], 3);
    EXPECT_EQ(values[3], 1);
}

TEST(ChartSettings, EntryBoundsAtTheirExactEnds)
{
    EXPECT_TRUE(GainMaxAccepted(100));
    EXPECT_FALSE(GainMaxAccepted(100.5));
    EXPECT_FALSE(GainMaxAccepted(0));
    EXPECT_TRUE(GainMinAccepted(-99.9));
    EXPECT_FALSE(GainMinAccepted(-100));
    EXPECT_FALSE(GainMinAccepted(0));
    EXPECT_TRUE(PhaseMinAccepted(-360));
    EXPECT_TRUE(PhaseMinAccepted(-180));
    EXPECT_FALSE(PhaseMinAccepted(-179.9));
    EXPECT_FALSE(PhaseMinAccepted(-360.1));
    EXPECT_TRUE(GainStepAccepted(19.9, 40));
    EXPECT_FALSE(GainStepAccepted(20, 40));
    EXPECT_TRUE(PhaseStepAccepted(129.9, -260));
    EXPECT_FALSE(PhaseStepAccepted(130, -260));
    EXPECT_FALSE(IsogainValueAccepted(100));
    EXPECT_FALSE(IsogainValueAccepted(-100));
    EXPECT_TRUE(IsogainValueAccepted(0));
    EXPECT_FALSE(IsophaseValueAccepted(-1));
    EXPECT_FALSE(IsophaseValueAccepted(-360));
    EXPECT_FALSE(IsophaseValueAccepted(0));
    EXPECT_TRUE(BitmapWidthAccepted(399.5));
    EXPECT_FALSE(BitmapWidthAccepted(399));
    EXPECT_FALSE(BitmapWidthAccepted(601));
    EXPECT_TRUE(BitmapHeightAccepted(950));
    EXPECT_FALSE(BitmapHeightAccepted(951));
    EXPECT_FALSE(BitmapHeightAccepted(599));
}

TEST(ChartSettings, ColoursAreStoredRedInTheLowByte)
{
    EXPECT_EQ(RgbColor(0xC0, 0xC0, 0xC0), Silver);
    EXPECT_EQ(RgbColor(255, 0, 0), 0x0000FFu);
    EXPECT_EQ(RgbColor(0, 0, 255), 0xFF0000u);
}

} // namespace
