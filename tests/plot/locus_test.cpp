// Loops over the chart, read back from what is drawn: the margins read on the drawn locus are
// the computed ones, the dashed contour through the peak is the peak's closed-loop gain, the
// locus stays in the frame, labels do not overlap, and no loop draws nothing.
#include "core/closedloop.h"
#include "core/numbertext.h"
#include "plot/locus.h"
#include "recordingsurface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace velmora;
using namespace velmora::test;

namespace {

const Color Red = RgbColor(200, 0, 0);

struct Drawn {
    std::vector<std::vector<PathStep>> runs; // the locus, as drawn between moves
    std::vector<Operation> texts;
};

// Draws one loop on a recording surface and takes its locus apart from the rest.
Drawn drawLoop(const char *text, const RenderProfile &profile, RecordingSurface &surface,
    const ChartMapping &mapping)
{
    auto analysis
        = std::make_shared<const LoopAnalysis>(AnalyseLoop(TransferFunction::parse(text), 0, {}));
    DrawLoci(surface, mapping, profile, { SceneLoop { analysis, Red, text } }, {}, Black);
    Drawn drawn;
    const std::vector<Operation> &ops = surface.operations();
    // The locus is what is drawn with the first wide pen, up to its arrowheads.
    std::size_t i = 0;
    while (i < ops.size() && !(ops[i].op == Op::PenWidth && ops[i].x > 1))
        ++i;
    for (++i; i < ops.size() && ops[i].op != Op::PenWidth; ++i) {
        if (ops[i].op == Op::MoveTo)
            drawn.runs.push_back({ { 'M', ops[i].x, ops[i].y } });
        else if (ops[i].op == Op::LineTo && !drawn.runs.empty())
            drawn.runs.back().push_back({ 'L', ops[i].x, ops[i].y });
    }
    // Arrowheads are runs of two lines.
    std::erase_if(drawn.runs, [](const std::vector<PathStep> &run) { return run.size() <= 3; });
    drawn.texts = surface.texts();
    return drawn;
}

// Where the drawn path crosses a row (or a column): the other coordinate, interpolated.
std::optional<double> crossing(const std::vector<std::vector<PathStep>> &runs, double at, bool row)
{
    for (const std::vector<PathStep> &run : runs) {
        for (std::size_t i = 1; i < run.size(); ++i) {
            const double a = row ? run[i - 1].y : run[i - 1].x;
            const double b = row ? run[i].y : run[i].x;
            if ((a - at) * (b - at) <= 0 && a != b) {
                const double t = (at - a) / (b - a);
                const double other0 = row ? run[i - 1].x : run[i - 1].y;
                const double other1 = row ? run[i].x : run[i].y;
                return other0 + t * (other1 - other0);
            }
        }
    }
    return std::nullopt;
}

TEST(Loci, MarginsReadOnTheDrawnLocusAreTheComputedOnes)
{
    for (const auto &[profile, size] : { std::pair { WindowProfile(), ImageSize {} },
             std::pair { ClipboardProfile(), ImageSize { 600, 950 } } }) {
        const ChartMapping mapping
            = MappingOf(FrameOf(size.width, size.height), DefaultChartSettings());
        for (const char *text : { "4/(s*(s+1)*(s+2))", "10/((s+1)*(0.5*s+1)*(0.1*s+1))",
                 "0.5*exp(-0.2*s)/(s*(0.5*s+1))", "5*(s+0.5)^3/(s^3*(0.05*s+1)^2)" }) {
            SCOPED_TRACE(text);
            RecordingSurface surface(size.width, size.height);
            const Drawn drawn = drawLoop(text, profile, surface, mapping);
            ASSERT_FALSE(drawn.runs.empty());
            const LoopQuantities q = AnalyseLoop(TransferFunction::parse(text), 0, {}).quantities;
            const double degreesPerPixel = (mapping.phaseMax - mapping.phaseMin)
                / (mapping.frame.right - mapping.frame.left);
            const double dbPerPixel
                = (mapping.gainMax - mapping.gainMin) / (mapping.frame.bottom - mapping.frame.top);
            // The drawn locus crosses 0 dB at the phase margin from -180 degrees...
            const std::optional<double> column = crossing(drawn.runs, mapping.rowOf(0), true);
            ASSERT_TRUE(column);
            EXPECT_NEAR(180 + mapping.phaseAt(*column), *q.phaseMarginDeg, 1.5 * degreesPerPixel);
            // ... and -180 degrees at minus the gain margin, when that is on the chart.
            if (q.gainMarginDb && *q.gainMarginDb < 30) {
                const std::optional<double> row
                    = crossing(drawn.runs, mapping.columnOf(-180), false);
                ASSERT_TRUE(row);
                EXPECT_NEAR(-mapping.gainAt(*row), *q.gainMarginDb, 1.5 * dbPerPixel);
            }
            // Clipped to the plot frame.
            for (const std::vector<PathStep> &run : drawn.runs)
                for (const PathStep &p : run)
                    ASSERT_TRUE(mapping.frame.contains(p.x, p.y)) << p.x << ", " << p.y;
        }
    }
}

// Every point of the dashed contour drawn through the peak, mapped back to the open-loop plane,
// has the peak's closed-loop gain Mr within what one pixel allows: Mr lies between the least and
// the largest closed-loop gain over the square of +/- one pixel around the point.
TEST(Loci, DashedContourThroughThePeakHasThePeaksClosedLoopGain)
{
    for (const auto &[profile, size] : { std::pair { WindowProfile(), ImageSize {} },
             std::pair { ClipboardProfile(), ImageSize { 600, 950 } } }) {
        const ChartMapping mapping
            = MappingOf(FrameOf(size.width, size.height), DefaultChartSettings());
        for (const char *text : { "4/(s*(s+1)*(s+2))", "2*exp(-0.2*s)/(s*(0.5*s+1))",
                 "20*(s^2+0.4*s+4)/(s*(s+1)*(s^2+0.08*s+16))", "0.5/(s*(s^2+0.2*s+4))" }) {
            SCOPED_TRACE(text);
            auto analysis = std::make_shared<const LoopAnalysis>(
                AnalyseLoop(TransferFunction::parse(text), 0, {}));
            const LoopQuantities q = analysis->quantities;
            ASSERT_TRUE(q.peakDb && q.peakOmega && *q.peakOmega > 0);
            RecordingSurface surface(size.width, size.height);
            DrawLoci(surface, mapping, profile, { SceneLoop { analysis, Red, text } }, {}, Black);
            std::vector<Operation> dashed;
            bool inDashes = false;
            for (const Operation &o : surface.operations()) {
                if (o.op == Op::PenStyle)
                    inDashes = o.x == static_cast<int>(PenStyle::Dashed);
                else if (inDashes && (o.op == Op::MoveTo || o.op == Op::LineTo))
                    dashed.push_back(o);
            }
            ASSERT_GT(dashed.size(), 20u);
            for (const Operation &o : dashed) {
                double low = INFINITY;
                double high = -INFINITY;
                for (int i = -2; i <= 2; ++i) {
                    for (int j = -2; j <= 2; ++j) {
                        const GainPhase open { mapping.gainAt(o.y + j / 2.0),
                            mapping.phaseAt(o.x + i / 2.0) };
                        const double closed = ClosedLoopOf(open).gainDb;
                        low = std::min(low, closed);
                        high = std::max(high, closed);
                    }
                }
                EXPECT_LE(low, *q.peakDb) << o.x << ", " << o.y;
                EXPECT_GE(high, *q.peakDb) << o.x << ", " << o.y;
            }
        }
    }
}

TEST(Loci, LabelsOfSeveralLoopsDoNotOverlap)
{
    const ChartMapping mapping = MappingOf(FrameOf(300, 475), DefaultChartSettings());
    std::vector<SceneLoop> loops;
    for (const char *text :
        { "4/(s*(s+1)*(s+2))", "0.5*exp(-0.2*s)/(s*(0.5*s+1))", "2*(s+3)/(s*(s-1))" })
        loops.push_back({ std::make_shared<const LoopAnalysis>(
                              AnalyseLoop(TransferFunction::parse(text), 0, {})),
            DefaultLoopColor(loops.size()), text });
    RecordingSurface surface(300, 475);
    DrawLoci(surface, mapping, WindowProfile(), loops, { 0.3, 3 }, Black);
    const std::vector<Operation> texts = surface.texts();
    EXPECT_GT(texts.size(), 15u);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (std::size_t j = i + 1; j < texts.size(); ++j) {
            const Operation &a = texts[i];
            const Operation &b = texts[j];
            const int aw = surface.textWidth(a.text);
            const int bw = surface.textWidth(b.text);
            const bool apart
                = a.x + aw <= b.x || b.x + bw <= a.x || a.y + 13 <= b.y || b.y + 13 <= a.y;
            EXPECT_TRUE(apart) << a.text << " and " << b.text;
        }
    }
}

TEST(Loci, NoLoopDrawsNothing)
{
    RecordingSurface surface(300, 475);
    DrawLoci(surface, MappingOf(FrameOf(300, 475), DefaultChartSettings()), WindowProfile(), {},
        { 1 }, Black);
    EXPECT_TRUE(surface.operations().empty());
}

TEST(Loci, NumbersOnTheChartAndInReportsWriteAPoint)
{
    const struct {
        double value;
        const char *chart;
        const char *figure; // reports, read-out and windows: one more digit, still a point
    } cases[] = {
        { 45.2333, "45.2", "45.23" },
        { -13.908, "-13.9", "-13.91" },
        { 1.7612743, "1.76", "1.761" },
        { 0.0125, "0.0125", "0.0125" },
        { 0.5, "0.5", "0.5" },
        { 100, "100", "100" },
        { 12346, "1.23E4", "1.235E4" },
        { 3.3e-5, "3.3E-5", "3.3E-5" },
        { 0, "0", "0" },
        { -0.0, "0", "0" },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ShortNumber(c.value), c.chart) << c.value;
        EXPECT_EQ(FigureText(c.value), c.figure) << c.value;
    }
    EXPECT_EQ(FixedDecimalText(-135.24, 1), "-135.2");
    EXPECT_EQ(FixedDecimalText(-0.04, 1), "0.0");
    EXPECT_EQ(FixedDecimalText(3.1, 1), "3.1");
}

} // namespace
