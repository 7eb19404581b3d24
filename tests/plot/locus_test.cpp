// Loops over the chart, read back from what is drawn: the margins read on the drawn locus are
// the computed ones, the dashed contours through the peak and the worst point are those of Mr and
// Ms, every piece of loop ink stays in the frame, labels cover no locus and no other label, the
// legend names every loop, and without loops the chart is the chart alone.
#include "core/closedloop.h"
#include "core/numbertext.h"
#include "plot/clippedpen.h"
#include "plot/locus.h"
#include "plot/renderchart.h"
#include "recordingsurface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace velmora;
using namespace velmora::test;

namespace {

const Color Red = RgbColor(200, 0, 0);

SceneLoop sceneLoop(const char *text, Color color = Red)
{
    return { std::make_shared<const LoopAnalysis>(
                 AnalyseLoop(TransferFunction::parse(text), 0, {})),
        color, text };
}

// The operations of the loops layer: those after the chart's own.
std::vector<Operation> loopOperations(
    const ChartScene &scene, const RenderProfile &profile, RecordingSurface &surface)
{
    RecordingSurface chartOnly(surface.width(), surface.height(), surface.scale());
    RenderChart(scene.settings, profile, chartOnly);
    DrawChartScene(scene, profile, surface);
    const std::vector<Operation> &all = surface.operations();
    return { all.begin() + static_cast<std::ptrdiff_t>(chartOnly.operations().size()), all.end() };
}

struct Drawn {
    std::vector<std::vector<PathStep>> runs; // the first locus, as drawn between moves
    std::vector<Operation> texts;
};

// Draws one loop and takes its locus apart from the rest.
Drawn drawLoop(const char *text, const RenderProfile &profile, RecordingSurface &surface)
{
    const std::vector<Operation> ops
        = loopOperations({ .loops = { sceneLoop(text) } }, profile, surface);
    Drawn drawn;
    // The locus is what is drawn with the first wide pen, up to its arrowheads.
    std::size_t i = 0;
    while (i < ops.size() && !(ops[i].op == Op::PenWidth && ops[i].x > 1))
        ++i;
    for (++i; i < ops.size() && ops[i].op != Op::PenWidth && ops[i].op != Op::PenColor; ++i) {
        if (ops[i].op == Op::MoveTo)
            drawn.runs.push_back({ { 'M', ops[i].x, ops[i].y } });
        else if (ops[i].op == Op::LineTo && !drawn.runs.empty())
            drawn.runs.back().push_back({ 'L', ops[i].x, ops[i].y });
    }
    // Arrowheads are runs of two lines.
    std::erase_if(drawn.runs, [](const std::vector<PathStep> &run) { return run.size() <= 3; });
    for (const Operation &o : ops)
        if (o.op == Op::Text || o.op == Op::TransparentText)
            drawn.texts.push_back(o);
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

const std::pair<RenderProfile, ImageSize> Sizes[]
    = { { WindowProfile(), {} }, { ClipboardProfile(), { 600, 950 } } };

TEST(Loci, MarginsReadOnTheDrawnLocusAreTheComputedOnes)
{
    for (const auto &[profile, size] : Sizes) {
        const ChartMapping mapping
            = MappingOf(FrameOf(size.width, size.height), DefaultChartSettings());
        for (const char *text : { "4/(s*(s+1)*(s+2))", "10/((s+1)*(0.5*s+1)*(0.1*s+1))",
                 "0.5*exp(-0.2*s)/(s*(0.5*s+1))", "5*(s+0.5)^3/(s^3*(0.05*s+1)^2)" }) {
            SCOPED_TRACE(text);
            RecordingSurface surface(size.width, size.height);
            const Drawn drawn = drawLoop(text, profile, surface);
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
        }
    }
}

// Every point of the dashed contours drawn through the peak and the worst point, mapped back to
// the open-loop plane, has Mr (|T|) or Ms (|S|) within what one pixel allows: the value lies
// between the least and the largest over the square of +/- one pixel around the point.
TEST(Loci, DashedContoursAreThoseOfThePeakAndOfTheWorstSensitivity)
{
    for (const auto &[profile, size] : Sizes) {
        const ChartMapping mapping
            = MappingOf(FrameOf(size.width, size.height), DefaultChartSettings());
        for (const bool sensitivity : { false, true }) {
            for (const char *text : { "4/(s*(s+1)*(s+2))", "2*exp(-0.2*s)/(s*(0.5*s+1))",
                     "20*(s^2+0.4*s+4)/(s*(s+1)*(s^2+0.08*s+16))", "0.5/(s*(s^2+0.2*s+4))" }) {
                SCOPED_TRACE(text);
                ChartScene scene { .loops = { sceneLoop(text) } };
                scene.showSensitivity = sensitivity;
                const LoopQuantities &q = scene.loops[0].analysis->quantities;
                ASSERT_TRUE(q.peakDb && q.sensitivityPeakDb);
                // |T| = M and |S| = M of an open-loop point, dB.
                const auto value = [&](GainPhase open) {
                    if (!sensitivity)
                        return ClosedLoopOf(open).gainDb;
                    const std::complex<double> g = std::polar(
                        std::pow(10.0, open.gainDb / 20), open.phaseDeg * std::numbers::pi / 180);
                    return -20 * std::log10(std::abs(1.0 + g));
                };
                const double wanted = sensitivity ? *q.sensitivityPeakDb : *q.peakDb;
                RecordingSurface surface(size.width, size.height);
                std::vector<Operation> dashed;
                bool inDashes = false;
                int contours = 0;
                for (const Operation &o : loopOperations(scene, profile, surface)) {
                    if (o.op == Op::PenStyle) {
                        inDashes = o.x == static_cast<int>(PenStyle::Dashed);
                        contours += inDashes;
                    } else if (inDashes && (o.op == Op::MoveTo || o.op == Op::LineTo)
                        && contours == (sensitivity ? 2 : 1)) {
                        dashed.push_back(o);
                    }
                }
                ASSERT_EQ(contours, sensitivity ? 2 : 1);
                ASSERT_GT(dashed.size(), 20u);
                for (const Operation &o : dashed) {
                    double low = INFINITY;
                    double high = -INFINITY;
                    for (int i = -2; i <= 2; ++i) {
                        for (int j = -2; j <= 2; ++j) {
                            const double v = value(
                                { mapping.gainAt(o.y + j / 2.0), mapping.phaseAt(o.x + i / 2.0) });
                            low = std::min(low, v);
                            high = std::max(high, v);
                        }
                    }
                    EXPECT_LE(low, wanted) << o.x << ", " << o.y;
                    EXPECT_GE(high, wanted) << o.x << ", " << o.y;
                }
            }
        }
    }
}

// What a wide pen, a disc or a text of the loops layer covers, as rectangles of pixels.
struct Covered {
    std::vector<PixelRect> labels;
    std::optional<PixelRect> legend; // the legend's box, which hides what lies beneath
    std::vector<std::pair<Point, Point>> strokes; // loci and margin segments (wide pens)
    std::vector<PixelRect> inks; // every pixel any of it may paint
};

Covered covered(const std::vector<Operation> &ops, RecordingSurface &surface)
{
    Covered c;
    int width = 1;
    int x = 0;
    int y = 0;
    for (const Operation &o : ops) {
        switch (o.op) {
        case Op::PenWidth:
            width = o.x;
            break;
        case Op::MoveTo:
            x = o.x;
            y = o.y;
            break;
        case Op::LineTo: {
            const int low = -(width - 1) / 2;
            const int high = width / 2;
            c.inks.push_back({ std::min(x, o.x) + low, std::min(y, o.y) + low,
                std::max(x, o.x) + high + 1, std::max(y, o.y) + high + 1 });
            if (width > 1)
                c.strokes.push_back({ { double(x), double(y) }, { double(o.x), double(o.y) } });
            x = o.x;
            y = o.y;
            break;
        }
        case Op::Disc: {
            const int r = std::stoi(o.text);
            c.inks.push_back({ o.x - r, o.y - r, o.x + r + 1, o.y + r + 1 });
            break;
        }
        case Op::Fill: {
            const std::size_t blank = o.text.find(' ');
            c.legend = { o.x, o.y, o.x + std::stoi(o.text.substr(0, blank)),
                o.y + std::stoi(o.text.substr(blank + 1)) };
            c.inks.push_back(*c.legend);
            break;
        }
        case Op::Text:
        case Op::TransparentText: {
            const PixelRect cell { o.x, o.y, o.x + surface.textWidth(o.text),
                o.y + surface.textHeight(o.text) };
            c.labels.push_back(cell);
            c.inks.push_back(cell);
            break;
        }
        default:
            break;
        }
    }
    return c;
}

TEST(Loci, LoopInkStaysInTheFrameAndLabelsCoverNoLocusAndNoOtherLabel)
{
    const char *const texts[] = { "4/(s*(s+1)*(s+2))", "0.5*exp(-0.2*s)/(s*(0.5*s+1))",
        "2*(s+3)/(s*(s-1))", "0.5*exp(-0.3*s)*(s+1)/(s*(0.1*s+1))" };
    for (const auto &[profile, size] : Sizes) {
        for (const LegendKind legend : { LegendKind::Names, LegendKind::Margins }) {
            ChartScene scene;
            for (const char *text : texts)
                scene.loops.push_back(sceneLoop(text, DefaultLoopColor(scene.loops.size())));
            scene.markers = { 0.3, 3 };
            scene.legend = legend;
            RecordingSurface surface(size.width, size.height);
            const Covered c = covered(loopOperations(scene, profile, surface), surface);
            const PixelFrame f = FrameOf(size.width, size.height);
            const PixelRect frame { f.left, f.top, f.right + 1, f.bottom + 1 };
            EXPECT_GT(c.labels.size(), 15u);
            for (const PixelRect &ink : c.inks)
                EXPECT_TRUE(ink.within(frame))
                    << ink.left << " " << ink.top << " " << ink.right << " " << ink.bottom;
            ASSERT_TRUE(c.legend);
            for (std::size_t i = 0; i < c.labels.size(); ++i) {
                const PixelRect &a = c.labels[i];
                for (std::size_t j = i + 1; j < c.labels.size(); ++j)
                    EXPECT_FALSE(a.overlaps(c.labels[j])) << i << " and " << j;
                if (a.within(*c.legend))
                    continue;
                EXPECT_FALSE(a.overlaps(*c.legend)) << i;
                // A stroke's pixels reach a pixel and a half from its line at most.
                const PixelFrame inner { a.top - 1, a.bottom, a.left - 1, a.right };
                for (const auto &[p, q] : c.strokes)
                    EXPECT_FALSE(Clipped(p, q, inner))
                        << "label " << i << " over a locus at " << p.x << ", " << p.y;
            }
        }
    }
}

TEST(Loci, TheLegendNamesEachLoopShortenedToItsWidthAndGivesItsMargins)
{
    ChartScene scene;
    scene.loops = { sceneLoop("4/(s*(s+1)*(s+2))"),
        sceneLoop("0.5*exp(-0.3*s)*(s+1)/(s*(0.1*s+1))", DefaultLoopColor(1)) };
    scene.loops[0].name = "procédé";
    const auto textsOf = [&](LegendKind kind, const RenderProfile &profile, ImageSize size) {
        scene.legend = kind;
        RecordingSurface surface(size.width, size.height);
        std::vector<std::string> texts;
        for (const Operation &o : loopOperations(scene, profile, surface))
            if (o.op == Op::Text || o.op == Op::TransparentText)
                texts.push_back(o.text);
        return texts;
    };
    const auto has = [](const std::vector<std::string> &texts, const std::string &text) {
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    };
    // 7 pixels a character: the name's room at 300 x 475 is 135 - 2 x 4 - 20 - 5 = 102 pixels,
    // 14 characters with the ellipsis.
    const std::vector<std::string> names = textsOf(LegendKind::Names, WindowProfile(), {});
    EXPECT_TRUE(has(names, "procédé"));
    EXPECT_TRUE(has(names, "0.5*exp(-0.3*…"));
    const std::vector<std::string> none = textsOf(LegendKind::None, WindowProfile(), {});
    EXPECT_FALSE(has(none, "procédé"));
    const LoopQuantities &q = scene.loops[0].analysis->quantities;
    const std::vector<std::string> margins
        = textsOf(LegendKind::Margins, ClipboardProfile(), { 600, 950 });
    EXPECT_TRUE(has(margins,
        "MG " + ShortNumber(*q.gainMarginDb) + " dB  MP " + ShortNumber(*q.phaseMarginDeg) + "°"));
    EXPECT_TRUE(has(margins,
        "Mr " + ShortNumber(*q.peakDb) + " dB  ωb " + ShortNumber(*q.bandwidth) + " rad/s"));
    const std::vector<std::string> plain = textsOf(LegendKind::Margins, WindowProfile(), {});
    EXPECT_TRUE(has(
        plain, "MG " + ShortNumber(*q.gainMarginDb) + "  MP " + ShortNumber(*q.phaseMarginDeg)));
}

// An Mr target's contour is |T| = target, a wide band of the loop's colour lightened, closed at
// its top on the critical point; the handles are hollow squares of the loop's colour on the
// locus at their frequencies, drawn only where the scene shows them.
TEST(Loci, TheTargetContourAndTheHandles)
{
    for (const auto &[profile, size] : Sizes) {
        const ChartMapping mapping
            = MappingOf(FrameOf(size.width, size.height), DefaultChartSettings());
        ChartScene scene { .loops = { sceneLoop("4/(s*(s+1)*(s+2))") } };
        scene.loops[0].targetDb = 2.3;
        scene.loops[0].handles = { 0.5, 2 };
        for (const bool handles : { false, true }) {
            scene.showHandles = handles;
            RecordingSurface surface(size.width, size.height);
            const Color band = RgbColor(200 + 55 * 3 / 5, 153, 153);
            Color pen = 0;
            int width = 1;
            std::vector<Operation> banded;
            std::vector<Operation> squares;
            for (const Operation &o : loopOperations(scene, profile, surface)) {
                if (o.op == Op::PenColor)
                    pen = static_cast<Color>(o.x);
                if (o.op == Op::PenWidth)
                    width = o.x;
                if ((o.op == Op::MoveTo || o.op == Op::LineTo) && pen == band && width > 2)
                    banded.push_back(o);
                if (o.op == Op::Fill && o.text.ends_with(" " + std::to_string(Red)))
                    squares.push_back(o);
            }
            ASSERT_GT(banded.size(), 40u);
            for (const Operation &o : banded)
                EXPECT_NEAR(
                    ClosedLoopOf({ mapping.gainAt(o.y), mapping.phaseAt(o.x) }).gainDb, 2.3, 0.25)
                    << o.x << ", " << o.y;
            // Its top, |G| = M / (M - 1) at -180 degrees, where its two sides meet, is drawn.
            const double m = std::pow(10.0, 2.3 / 20);
            const double topX = mapping.columnOf(-180);
            const double topY = mapping.rowOf(20 * std::log10(m / (m - 1)));
            EXPECT_TRUE(std::any_of(banded.begin(), banded.end(),
                [&](const Operation &o) { return std::hypot(o.x - topX, o.y - topY) <= 1; }));
            ASSERT_EQ(squares.size(), handles ? 2u : 0u);
            const PreparedChart chart = PrepareChart(scene, size.width, size.height);
            for (std::size_t k = 0; k < squares.size(); ++k) {
                const std::optional<ResponsePoint> p = DrawnPointAt(
                    *scene.loops[0].analysis, chart.loci[0], scene.loops[0].handles[k]);
                const int side = std::stoi(squares[k].text);
                EXPECT_NEAR(squares[k].x + side / 2.0,
                    mapping.columnOf(p->phaseDeg + chart.loci[0].shiftDeg), 1.0);
                EXPECT_NEAR(squares[k].y + side / 2.0, mapping.rowOf(p->gainDb), 1.0);
            }
        }
    }
}

TEST(Loci, WithoutLoopsTheChartIsTheChartAlone)
{
    for (const auto &[profile, size] : Sizes) {
        RecordingSurface alone(size.width, size.height);
        RenderChart(DefaultChartSettings(), profile, alone);
        RecordingSurface scene(size.width, size.height);
        DrawChartScene({ .markers = { 1 } }, profile, scene);
        ASSERT_EQ(scene.operations().size(), alone.operations().size());
        for (std::size_t i = 0; i < alone.operations().size(); ++i) {
            const Operation &a = alone.operations()[i];
            const Operation &b = scene.operations()[i];
            EXPECT_TRUE(a.op == b.op && a.x == b.x && a.y == b.y && a.text == b.text) << i;
        }
    }
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
