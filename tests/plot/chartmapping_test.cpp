// Chart mapping: values to pixels and back.
#include "core/floatingpointerror.h"
#include "plot/chartmapping.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace velmora;

namespace {

TEST(Pow10, ExtendedPrecisionAndOverflow)
{
    EXPECT_EQ(Pow10(0), 1);
    EXPECT_EQ(Pow10(2), 100);
    EXPECT_DOUBLE_EQ(Pow10(-1.5), 0.031622776601683791);
    EXPECT_THROW(Pow10(400), FloatingPointError);
    EXPECT_EQ(Pow10(-400), 0);
    EXPECT_FALSE(FinitePow10(400));
}

TEST(ValueToPixel, LinearWithHalvesToEven)
{
    // 455 rows over 70 dB: 6.5 rows per dB.
    EXPECT_EQ(ValueToRow(10, 465, 40, -30, 40), 10);
    EXPECT_EQ(ValueToRow(10, 465, -30, -30, 40), 465);
    EXPECT_EQ(ValueToRow(10, 465, 0, -30, 40), 270);
    EXPECT_EQ(ValueToRow(10, 465, 39, -30, 40), 16); // 16.5 goes to 16
    EXPECT_EQ(ValueToRow(10, 465, 37, -30, 40), 30); // 29.5 goes to 30
    EXPECT_EQ(ValueToColumn(15, 285, 0, -260, 10), 275);
    EXPECT_EQ(ValueToColumn(15, 285, -260, -260, 10), 15);
    EXPECT_EQ(ValueToColumn(0, 5, 0.5, 0, 2), 1); // 1.25
    EXPECT_EQ(ValueToColumn(0, 1, 2.5, 0, 1), 2); // 2.5 goes to 2
    EXPECT_EQ(ValueToColumn(0, 1, -2.5, 0, 1), -2);
    // Nothing is clamped to the frame; only far beyond the image is the result bounded.
    EXPECT_EQ(ValueToRow(10, 465, 60, -30, 40), -120);
    EXPECT_EQ(ValueToRow(10, 465, 1e300, -30, 40), -CoordinateLimit);
    EXPECT_EQ(ValueToColumn(15, 285, 1e300, -260, 10), CoordinateLimit);
    EXPECT_THROW(ValueToRow(10, 465, 1, 5, 5), FloatingPointError);
}

TEST(ChartMapping, MapsBackFractionallyAndExactlyToTheForwardMapping)
{
    for (const auto &[width, height] : { std::pair { 300, 475 }, std::pair { 600, 950 } }) {
        const ChartMapping map = MappingOf(FrameOf(width, height), DefaultChartSettings());
        for (int column = map.frame.left; column <= map.frame.right; ++column) {
            EXPECT_EQ(map.column(map.phaseAt(column)), column);
            EXPECT_NEAR(map.columnOf(map.phaseAt(column + 0.25)), column + 0.25, 1e-9);
        }
        for (int row = map.frame.top; row <= map.frame.bottom; ++row) {
            EXPECT_EQ(map.row(map.gainAt(row)), row);
            EXPECT_NEAR(map.rowOf(map.gainAt(row - 0.4)), row - 0.4, 1e-9);
        }
        EXPECT_EQ(map.phaseAt(map.frame.left), -260);
        EXPECT_EQ(map.gainAt(map.frame.top), 40);
        EXPECT_EQ(map.gainAt(map.frame.bottom), -30);
    }
}

} // namespace
