// The locus as drawn, against G(j omega) computed here on the factors: its points are the loop's
// values, a pixel apart where it is drawn; it runs on to the frame's edge or until it stops
// moving; its whole turns are those of the crossover, or of the greatest length on the chart.
#include "plot/drawnlocus.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <numbers>

using namespace velmora;

namespace {

using Complex = std::complex<double>;
constexpr double Degrees = 180 / std::numbers::pi;

struct Loop {
    const char *text;
    std::function<Complex(Complex)> g; // G(s), on its factors
};

const Loop Loops[] = {
    { "4/(s*(s+1)*(s+2))", [](Complex s) { return 4.0 / (s * (s + 1.0) * (s + 2.0)); } },
    { "0.5*exp(-0.3*s)*(s+1)/(s*(0.1*s+1))",
        [](Complex s) { return 0.5 * std::exp(-0.3 * s) * (s + 1.0) / (s * (0.1 * s + 1.0)); } },
    { "20*(s^2+0.4*s+4)/(s*(s+1)*(s^2+0.08*s+16))",
        [](Complex s) {
            return 20.0 * (s * s + 0.4 * s + 4.0) / (s * (s + 1.0) * (s * s + 0.08 * s + 16.0));
        } },
    { "5*(s+1)/(0.1*s+1)", [](Complex s) { return 5.0 * (s + 1.0) / (0.1 * s + 1.0); } },
};

LoopAnalysis analysed(const char *text)
{
    return AnalyseLoop(TransferFunction::parse(text), 0, {});
}

// The point of the drawn locus in fractional pixels.
struct Pixel {
    double x, y;
};
Pixel pixelOf(const ChartMapping &m, double phaseDeg, double gainDb)
{
    return { m.columnOf(phaseDeg), m.rowOf(gainDb) };
}

// A view of the critical region, and the whole chart, at two sizes.
std::vector<ChartMapping> mappings()
{
    const ChartSettings s = DefaultChartSettings();
    ChartMapping zoom = MappingOf(FrameOf(300, 475), s);
    zoom.phaseMin = -200;
    zoom.phaseMax = -160;
    zoom.gainMin = -10;
    zoom.gainMax = 10;
    return { MappingOf(FrameOf(300, 475), s), MappingOf(FrameOf(600, 950), s), zoom };
}

TEST(DrawnLocus, PointsAreTheLoopsValuesAPixelApartWhereDrawn)
{
    for (const Loop &loop : Loops) {
        SCOPED_TRACE(loop.text);
        const LoopAnalysis analysis = analysed(loop.text);
        for (const ChartMapping &m : mappings()) {
            const double shift = SettledShift(analysis, DefaultChartSettings());
            const DrawnLocus drawn = TraceLocus(analysis, shift, m);
            ASSERT_GT(drawn.points.size(), 2u);
            EXPECT_EQ(drawn.shiftDeg, shift);
            for (std::size_t i = 0; i < drawn.points.size(); ++i) {
                const ResponsePoint &p = drawn.points[i];
                const Complex g = loop.g(Complex(0, p.omega));
                EXPECT_NEAR(p.gainDb, 20 * std::log10(std::abs(g)), 1e-6) << p.omega;
                // The phase is G's angle, unwrapped: equal to it modulo whole turns.
                const double turns = (p.phaseDeg - std::arg(g) * Degrees) / 360;
                EXPECT_NEAR(turns, std::round(turns), 1e-8) << p.omega;
                if (i == 0)
                    continue;
                const ResponsePoint &q = drawn.points[i - 1];
                EXPECT_LT(q.omega, p.omega);
                const Pixel a = pixelOf(m, q.phaseDeg + shift, q.gainDb);
                const Pixel b = pixelOf(m, p.phaseDeg + shift, p.gainDb);
                if (m.frame.contains(a.x, a.y) && m.frame.contains(b.x, b.y)) {
                    EXPECT_LE(std::hypot(b.x - a.x, b.y - a.y), 1.01) << p.omega;
                }
            }
        }
    }
}

TEST(DrawnLocus, RunsOnToTheFrameOrUntilItStopsMoving)
{
    const ChartMapping m = MappingOf(FrameOf(600, 950), DefaultChartSettings());
    // A type 1 loop leaves the frame at its top at low frequency and at its bottom at high
    // frequency: the drawn locus's ends lie outside, past the edges.
    const LoopAnalysis third = analysed("4/(s*(s+1)*(s+2))");
    const DrawnLocus drawn = TraceLocus(third, 0, m);
    EXPECT_LT(drawn.points.front().gainDb, 80);
    EXPECT_GT(drawn.points.front().gainDb, m.gainMax);
    EXPECT_LT(drawn.points.back().gainDb, m.gainMin);
    EXPECT_LT(drawn.points.front().omega, third.locus.front().omega);
    // Its user's bounds stop it.
    const DrawnLocus bounded = TraceLocus(third, 0, m, { 0.01, 10.0 });
    EXPECT_EQ(bounded.points.front().omega, third.locus.front().omega);
    EXPECT_EQ(bounded.points.back().omega, third.locus.back().omega);
    // A type 0 loop with no integrator comes to rest at both ends: the ends drawn move less than
    // a pixel over the decade beyond them, and lie within the bound of 8 decades.
    const Loop &typeZero = Loops[3];
    const LoopAnalysis still = analysed(typeZero.text);
    const DrawnLocus rest = TraceLocus(still, 0, m);
    for (const auto &[end, further] :
        { std::pair { rest.points.front(), rest.points.front().omega / 10 },
            std::pair { rest.points.back(), rest.points.back().omega * 10 } }) {
        const Complex g = typeZero.g(Complex(0, further));
        const Pixel a = pixelOf(m, end.phaseDeg, end.gainDb);
        const Pixel b = pixelOf(m, std::arg(g) * Degrees, 20 * std::log10(std::abs(g)));
        EXPECT_LT(std::hypot(b.x - a.x, b.y - a.y), 1) << end.omega;
    }
    EXPECT_GE(rest.points.front().omega, still.locus.front().omega * 1e-8);
    EXPECT_LE(rest.points.back().omega, still.locus.back().omega * 1e8);
    // A point past the analysed range is the loop's own value.
    const double omega = rest.points.front().omega * 3;
    ASSERT_LT(omega, still.locus.front().omega);
    const std::optional<ResponsePoint> p = DrawnPointAt(still, rest, omega);
    ASSERT_TRUE(p);
    const Complex g = typeZero.g(Complex(0, omega));
    EXPECT_NEAR(p->gainDb, 20 * std::log10(std::abs(g)), 1e-9);
    EXPECT_NEAR(p->phaseDeg, std::arg(g) * Degrees, 1e-9);
    EXPECT_FALSE(DrawnPointAt(still, rest, rest.points.front().omega / 2));
}

// The length of the locus (pixels of a 600 x 950 chart) inside the frame with a shift, from
// points computed here: phases unwrapped by continuity from the lowest frequency.
double lengthInside(const std::function<Complex(Complex)> &g, double anchorDeg, double shift)
{
    const ChartMapping m = MappingOf(FrameOf(600, 950), DefaultChartSettings());
    double length = 0;
    double phase = anchorDeg;
    Complex previous = g(Complex(0, 1e-4));
    Pixel a = pixelOf(m, phase + shift, 20 * std::log10(std::abs(previous)));
    for (double w = 1e-4; w < 1e4; w *= 1.0005) {
        const Complex next = g(Complex(0, w));
        phase += std::arg(next / previous) * Degrees;
        previous = next;
        const Pixel b = pixelOf(m, phase + shift, 20 * std::log10(std::abs(next)));
        if (m.frame.contains(a.x, a.y) && m.frame.contains(b.x, b.y))
            length += std::hypot(b.x - a.x, b.y - a.y);
        a = b;
    }
    return length;
}

TEST(DrawnLocus, TurnsAreTheCrossoversOrThoseShowingMostOfTheLocus)
{
    // With a gain crossover: the turns that bring it nearest -180 degrees, as the analysis says.
    for (const char *text : { "4/(s*(s+1)*(s+2))", "0.5*exp(-0.2*s)/(s*(0.5*s+1))",
             "5*(s+0.5)^3/(s^3*(0.05*s+1)^2)", "-2/((s+1)*(0.2*s+1))", "2*(s+3)/(s*(s-1))" }) {
        const LoopAnalysis analysis = analysed(text);
        EXPECT_EQ(SettledShift(analysis, DefaultChartSettings()), analysis.phaseShiftDeg) << text;
    }
    // Without one: the turn that shows the most of the locus. 5 (s + 1) / (0.1 s + 1) lies
    // between 0 and 55 degrees; a turn less would put all of it left of the chart.
    const struct {
        const char *text;
        std::function<Complex(Complex)> g;
        double anchor; // the phase at low frequency, degrees
    } uncrossed[] = {
        { "5*(s+1)/(0.1*s+1)", Loops[3].g, 0 },
        { "0.5*exp(-s)/(s+1)", [](Complex s) { return 0.5 * std::exp(-s) / (s + 1.0); }, 0 },
        { "0.1*exp(-2*s)/(s^2+0.2*s+1)",
            [](Complex s) { return 0.1 * std::exp(-2.0 * s) / (s * s + 0.2 * s + 1.0); }, 0 },
    };
    for (const auto &c : uncrossed) {
        SCOPED_TRACE(c.text);
        const LoopAnalysis analysis = analysed(c.text);
        ASSERT_FALSE(analysis.quantities.gainCrossover);
        const double shift = SettledShift(analysis, DefaultChartSettings());
        const double chosen = lengthInside(c.g, c.anchor, shift);
        EXPECT_GT(chosen, 20);
        for (const double other : { -720.0, -360.0, 360.0, 720.0 })
            EXPECT_LE(lengthInside(c.g, c.anchor, shift + other), chosen + 2) << other;
    }
    // A crossover at 0 degrees is a half turn from -180 either way. (s^2 + 3) / 2 is real:
    // 0 degrees from 3.5 dB down to its zeros at sqrt(3) rad/s, then 180 degrees from there up;
    // shifted by a turn less, that rise stands at -180 degrees across the whole chart, longer on
    // it than the fall at 0 degrees.
    const LoopAnalysis tied = analysed("(s^2+3)/2");
    ASSERT_TRUE(tied.quantities.gainCrossover);
    EXPECT_EQ(SettledShift(tied, DefaultChartSettings()), -360);
}

} // namespace
