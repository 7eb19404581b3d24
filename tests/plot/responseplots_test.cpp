// The closed-loop plots read back from what is drawn: the curves lie on the responses computed,
// inside the frame; the figures are written where they are, legible, none over another.
#include "core/loopresponse.h"
#include "core/stepresponse.h"
#include "plot/responseplots.h"
#include "recordingsurface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace velmora;
using namespace velmora::test;

namespace {

const char *const ThirdOrder = "4/(s*(s+1)*(s+2))";

// The points drawn with the wide pen: the curves, up to the legend (drawn last, on white).
std::vector<PathStep> curvePoints(const RecordingSurface &surface)
{
    std::vector<PathStep> points;
    bool wide = false;
    for (const Operation &o : surface.operations()) {
        if (o.op == Op::PenColor && static_cast<Color>(o.x) == White)
            break;
        if (o.op == Op::PenWidth)
            wide = o.x > 1;
        else if (wide && (o.op == Op::MoveTo || o.op == Op::LineTo))
            points.push_back({ o.op == Op::MoveTo ? 'M' : 'L', o.x, o.y });
    }
    return points;
}

// No two texts overlap, and every text lies within the surface.
void expectLegibleTexts(RecordingSurface &surface)
{
    const std::vector<Operation> texts = surface.texts();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const Operation &a = texts[i];
        const int aw = surface.textWidth(a.text);
        EXPECT_GE(a.x, 0) << a.text;
        EXPECT_LE(a.x + aw, surface.width()) << a.text;
        for (std::size_t j = i + 1; j < texts.size(); ++j) {
            const Operation &b = texts[j];
            const int bw = surface.textWidth(b.text);
            const bool apart
                = a.x + aw <= b.x || b.x + bw <= a.x || a.y + 13 <= b.y || b.y + 13 <= a.y;
            EXPECT_TRUE(apart) << a.text << " and " << b.text;
        }
    }
}

bool hasText(const RecordingSurface &surface, const std::string &start)
{
    const std::vector<Operation> texts = surface.texts();
    return std::any_of(texts.begin(), texts.end(),
        [&](const Operation &o) { return o.text.rfind(start, 0) == 0; });
}

TEST(ResponsePlots, StepCurveLiesOnTheResponseAndItsFiguresAreWritten)
{
    const std::optional<StepResponse> step = ClosedLoopStep(TransferFunction::parse(ThirdOrder), 0);
    ASSERT_TRUE(step);
    const std::vector<StepPlotLoop> loops { { RgbColor(200, 0, 0), ThirdOrder, *step } };
    RecordingSurface surface(640, 420);
    DrawStepPlot(surface, loops);
    const PlotFrame frame = StepPlotFrame(surface, loops);
    const std::vector<PathStep> points = curvePoints(surface);
    ASSERT_GT(points.size(), 100u);
    const double secondsPerPixel = (frame.x().max - frame.x().min) / (frame.right() - frame.left());
    const double unitsPerPixel = (frame.y().max - frame.y().min) / (frame.bottom() - frame.top());
    for (const PathStep &p : points) {
        ASSERT_TRUE(frame.contains(p.x, p.y)) << p.x << ", " << p.y;
        // Some sample of the response lies within a pixel or two of each drawn point.
        const double t = frame.xAt(p.x);
        const auto near
            = std::lower_bound(step->time.begin(), step->time.end(), t - 2 * secondsPerPixel);
        bool found = false;
        for (auto k = near; k != step->time.end() && *k <= t + 2 * secondsPerPixel && !found; ++k)
            found = std::fabs(step->value[static_cast<std::size_t>(k - step->time.begin())]
                        - frame.yAt(p.y))
                <= 2 * unitsPerPixel;
        EXPECT_TRUE(found) << "t " << t << " y " << frame.yAt(p.y);
    }
    EXPECT_TRUE(hasText(surface, "D 70 % à 2.99 s"));
    EXPECT_TRUE(hasText(surface, "tr5% 27.3 s"));
    expectLegibleTexts(surface);
}

TEST(ResponsePlots, BodeCurvesAreTheClosedLoopAndTheMarksAreWritten)
{
    const LoopAnalysis analysis = AnalyseLoop(TransferFunction::parse(ThirdOrder), 0, {});
    const LoopQuantities &q = analysis.quantities;
    const ClosedLoopBode bode = ClosedLoopBodeOf(analysis);
    ASSERT_GT(bode.omega.size(), 100u);
    // |T| = |G| / |1 + G| and |S| = 1 / |1 + G| at every point.
    for (std::size_t i = 0; i < bode.omega.size(); i += 37) {
        const std::complex<double> s(0, bode.omega[i]);
        const std::complex<double> g = 4.0 / (s * (s + 1.0) * (s + 2.0));
        EXPECT_NEAR(bode.closedDb[i], 20 * std::log10(std::abs(g / (1.0 + g))), 1e-9);
        EXPECT_NEAR(bode.sensitivityDb[i], -20 * std::log10(std::abs(1.0 + g)), 1e-9);
    }
    const std::vector<BodePlotLoop> loops { { RgbColor(200, 0, 0), ThirdOrder, bode.omega,
        bode.closedDb, bode.sensitivityDb, q.peakDb, q.peakOmega, q.bandwidth,
        q.lowFrequencyClosedLoopDb, q.sensitivityPeakDb, q.sensitivityPeakOmega } };
    RecordingSurface surface(640, 420);
    DrawBodePlot(surface, loops);
    const PlotFrame frame = BodePlotFrame(surface, loops);
    for (const PathStep &p : curvePoints(surface))
        ASSERT_TRUE(frame.contains(p.x, p.y)) << p.x << ", " << p.y;
    EXPECT_TRUE(hasText(surface, "Mr 14.7 dB"));
    EXPECT_TRUE(hasText(surface, "Ms 15.4 dB"));
    EXPECT_TRUE(hasText(surface, "ωb 1.76"));
    expectLegibleTexts(surface);
}

TEST(ResponsePlots, ALoopWithoutAStepResponseIsNamedWithItsReason)
{
    const std::vector<StepPlotLoop> loops { { RgbColor(0, 0, 200), "20/(s*(s+1)*(s+2))", {} },
        { RgbColor(0, 0, 200), "plant.csv", {}, true } };
    RecordingSurface surface(400, 300);
    DrawStepPlot(surface, loops);
    EXPECT_TRUE(curvePoints(surface).empty());
    EXPECT_TRUE(hasText(surface, "20/(s*(s+1)*(s+2)) (sans réponse : boucle fermée instable)"));
    // A measured loop is not said to be unstable: it has no step response here at all.
    EXPECT_TRUE(hasText(surface, "plant.csv (sans réponse indicielle : mesures)"));
}

TEST(PlotFrame, GraduationsAreRoundAndInsideTheAxis)
{
    const struct {
        double min, max;
        bool logarithmic;
        std::vector<double> marks;
    } cases[] = {
        { 0, 10, false, { 0, 2, 4, 6, 8, 10 } },
        { -60, 18, false, { -60, -50, -40, -30, -20, -10, 0, 10 } },
        { 0.01, 100, true, { 0.01, 0.1, 1, 10, 100 } },
        { 0, 0.3, false, { 0, 0.05, 0.1, 0.15, 0.2, 0.25, 0.3 } },
    };
    for (const auto &c : cases) {
        const std::vector<double> marks = RoundGraduations({ c.min, c.max, c.logarithmic, {} });
        ASSERT_EQ(marks.size(), c.marks.size()) << c.min << " " << c.max;
        for (std::size_t i = 0; i < marks.size(); ++i)
            EXPECT_NEAR(marks[i], c.marks[i], 1e-12 * std::max(1.0, std::fabs(c.marks[i])));
    }
    const PlotAxis rounded = RoundedAxis(0.031, 62.8, true, "");
    EXPECT_EQ(rounded.min, 0.01);
    EXPECT_EQ(rounded.max, 100);
}

} // namespace
