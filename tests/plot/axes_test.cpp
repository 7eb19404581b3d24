// Axes: graduations, ticks, grid and labels of the plot frame.
#include "plot/axes.h"
#include "plot/chartmapping.h"
#include "recordingsurface.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace velmora;
using namespace velmora::test;

namespace {

// The marks and labels of the default chart on the chart window's 300 x 475 image.
class DefaultAxes : public ::testing::Test {
protected:
    void SetUp() override { DrawAxes(surface, AxisStyle {}, 30, 2, -260, 10, -30, 40); }
    RecordingSurface surface { 300, 475 };
};

TEST_F(DefaultAxes, PhaseGraduationsTicksAndLabels)
{
    const std::vector<PathStep> path = pathOf(surface.operations());
    for (int i = 0; i < 10; ++i) {
        const int x = 15 + 30 * i;
        EXPECT_EQ(path[2 * i], (PathStep { 'M', x, 270 }));
        EXPECT_EQ(path[2 * i + 1], (PathStep { 'L', x, 273 }));
    }
    EXPECT_EQ(path[20], (PathStep { 'M', 15, 270 }));
    EXPECT_EQ(path[21], (PathStep { 'L', 285, 270 }));

    const std::vector<Operation> texts = surface.texts();
    const char *phaseLabels[] = { "-230", "-170", "-110", "-50", "10" };
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(texts[i].text, phaseLabels[i]);
        EXPECT_EQ(texts[i].x, 45 + 60 * i);
        EXPECT_EQ(texts[i].y, 276);
    }
}

TEST_F(DefaultAxes, GainGraduationsTicksAndLabels)
{
    const std::vector<PathStep> path = pathOf(surface.operations());
    // 36 gain ticks after the 10 phase ticks and the phase axis line.
    for (int i = 0; i < 36; ++i) {
        const int y = 10 + 13 * i;
        EXPECT_EQ(path[22 + 2 * i], (PathStep { 'M', 275, y }));
        EXPECT_EQ(path[23 + 2 * i], (PathStep { 'L', 278, y }));
    }
    EXPECT_EQ(path[94], (PathStep { 'M', 275, 10 }));
    EXPECT_EQ(path[95], (PathStep { 'L', 275, 465 }));
    EXPECT_EQ(path[96], (PathStep { 'M', 15, 270 }));
    EXPECT_EQ(path[97], (PathStep { 'L', 285, 270 }));
    EXPECT_EQ(path.size(), 98u);

    const std::vector<Operation> texts = surface.texts();
    ASSERT_EQ(texts.size(), 5u + 18u);
    for (int i = 0; i < 18; ++i) {
        const Operation &label = texts[5 + i];
        const int value = 38 - 4 * i;
        const int row = 23 + 26 * i;
        EXPECT_EQ(label.text, std::to_string(value));
        EXPECT_EQ(label.x, 281);
        EXPECT_EQ(label.y, row - 6);
    }
}

TEST_F(DefaultAxes, LeavesFontAndSolidPenInAxisColour)
{
    const std::vector<Operation> &ops = surface.operations();
    EXPECT_EQ(ops.front().op, Op::FontName);
    EXPECT_EQ(ops.front().text, "");
    EXPECT_EQ(surface.only(Op::FontSize).back().x, 8);
    EXPECT_EQ(surface.only(Op::PenStyle).back().x, static_cast<int>(PenStyle::Solid));
    EXPECT_EQ(surface.only(Op::PenColor).back().x, 0);
}

// Ticks of the gain axis: lines that end TickLength pixels right of the axis column.
int gainTickCount(const RecordingSurface &surface, int column)
{
    int count = 0;
    for (const Operation &o : surface.only(Op::LineTo))
        count += o.x == column + 3 ? 1 : 0;
    return count;
}

TEST(DrawAxes, AccumulatedStepNeverHitsTheFarEnd)
{
    RecordingSurface surface(300, 475);
    DrawAxes(surface, AxisStyle {}, 30, 0.1, -260, 10, -30, 40);
    // 40 - 0.1 k never reaches -30 exactly: 700 graduations, not 701.
    EXPECT_EQ(gainTickCount(surface, 275), 700);
    for (const Operation &t : surface.texts())
        EXPECT_EQ(t.text.find('E'), std::string::npos) << t.text;
}

TEST(DrawAxes, NoGraduationAtZeroWhenTheStepSkipsIt)
{
    RecordingSurface surface(300, 475);
    DrawAxes(surface, AxisStyle {}, 30, 2, -260, 10, -30, 35);
    const int axisRow = ValueToRow(10, 465, 0, -30, 35);
    for (const Operation &o : surface.only(Op::MoveTo)) {
        if (o.x == ValueToColumn(15, 285, 0, -260, 10) && o.y != 10) {
            EXPECT_NE(o.y, axisRow);
        }
    }
    EXPECT_EQ(surface.texts()[5].text, "33");
}

TEST(DrawAxes, DottedGridHasNoTicksAndAxesDrawnLastInAxisColour)
{
    AxisStyle style;
    style.grid = true;
    style.dottedGrid = true;
    style.axisColor = RgbColor(0, 0, 255);
    RecordingSurface surface(300, 475);
    DrawAxes(surface, style, 30, 2, -260, 10, -30, 40);
    const std::vector<PathStep> path = pathOf(surface.operations());
    EXPECT_EQ(path[0], (PathStep { 'M', 15, 10 }));
    EXPECT_EQ(path[1], (PathStep { 'L', 15, 465 }));
    EXPECT_EQ(path[22], (PathStep { 'M', 15, 10 }));
    EXPECT_EQ(path[23], (PathStep { 'L', 285, 10 }));
    EXPECT_EQ(path.back(), (PathStep { 'L', 285, 270 }));

    // Each grid line is drawn dotted in silver; the pen then goes back to solid axis colour.
    const std::vector<Operation> &ops = surface.operations();
    std::size_t firstMove = 0;
    while (ops[firstMove].op != Op::MoveTo)
        ++firstMove;
    EXPECT_EQ(ops[firstMove - 2].op, Op::PenColor);
    EXPECT_EQ(ops[firstMove - 2].x, static_cast<int>(Silver));
    EXPECT_EQ(ops[firstMove - 1].x, static_cast<int>(PenStyle::Dotted));
    const Operation finalColour = surface.only(Op::PenColor).back();
    EXPECT_EQ(finalColour.x, static_cast<int>(style.axisColor));
}

TEST(DrawAxes, LabelNearZeroReadsZero)
{
    RecordingSurface surface(300, 475);
    // 40.1 - 0.1 k lands near zero at k = 401, a labelled graduation (odd k); the accumulated
    // sum is off by rounding noise, and the label must still read "0".
    DrawAxes(surface, AxisStyle {}, 30, 0.1, -260, 10, -30, 40.1);
    int zeros = 0;
    for (const Operation &t : surface.texts()) {
        EXPECT_EQ(t.text.find("E-"), std::string::npos) << t.text;
        zeros += t.text == "0" ? 1 : 0;
    }
    EXPECT_EQ(zeros, 1);
}

TEST(DrawAxes, TinyStepsAndDenormalExtentsFinish)
{
    RecordingSurface surface(300, 475);
    DrawAxes(surface, AxisStyle {}, 1e-20, 1e-20, -260, 10, -30, 40);
    EXPECT_LE(gainTickCount(surface, 275), MaxGraduations);
    EXPECT_GE(gainTickCount(surface, 275), 1);

    RecordingSurface denormal(300, 475);
    DrawAxes(denormal, AxisStyle {}, 30, 2, -260, 10, -5e-324, 5e-324);
    EXPECT_EQ(gainTickCount(denormal, 275), 1);
}

} // namespace
