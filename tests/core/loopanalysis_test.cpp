// Loop analysis by its properties: locus points are the function's values, the quantities sit
// where they say, the phase starts on the right turn, the Nyquist count agrees with the roots,
// the locus is dense where it is drawn; and measured data read as the function it samples.
#include "core/loopanalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace velmora;

namespace {

const char *const Loops[] = {
    "10/((s+1)*(0.5*s+1)*(0.1*s+1))",
    "4/(s*(s+1)*(s+2))",
    "5*(s+0.5)^3/(s^3*(0.05*s+1)^2)",
    "0.5/(s*(s^2+0.2*s+4))",
    "2*(1-0.5*s)/(s*(s+1)*(0.2*s+1))",
    "2*(s+3)/(s*(s-1))",
    "0.5*exp(-0.2*s)/(s*(0.5*s+1))",
    "3*exp(-0.5*s)/(2*s+1)",
    "20*(s^2+0.4*s+4)/(s*(s+1)*(s^2+0.08*s+16))",
    "-2/((s+1)*(0.2*s+1))",
    "8/(s^2+4)",
};

struct Direct {
    double gainDb;
    double phaseDeg; // wrapped
    double closedDb;
};

Direct direct(const TransferFunction &f, double gainDb, double omega)
{
    const std::complex<long double> g = std::pow(10.0L, gainDb / 20.0L)
        * f.rationalValue(std::complex<long double>(0, omega))
        * std::polar(1.0L, -omega * f.delay());
    return { static_cast<double>(20 * std::log10(std::abs(g))),
        static_cast<double>(std::arg(g) * 180 / std::numbers::pi_v<long double>),
        static_cast<double>(20 * std::log10(std::abs(g / (1.0L + g)))) };
}

double turnsApart(double a, double b)
{
    return std::fabs(std::remainder(a - b, 360.0));
}

TEST(LoopAnalysis, LocusPointsAreTheFunctionsValuesAndQuantitiesSitWhereTheySay)
{
    for (const char *text : Loops) {
        SCOPED_TRACE(text);
        const TransferFunction f = TransferFunction::parse(text);
        for (const double gainDb : { 0.0, -6.0, 3.5 }) {
            const LoopAnalysis a = AnalyseLoop(f, gainDb, {});
            ASSERT_GT(a.locus.size(), 100u);
            for (std::size_t i = 0; i < a.locus.size(); i += 37) {
                const ResponsePoint &p = a.locus[i];
                const Direct d = direct(f, gainDb, p.omega);
                EXPECT_NEAR(p.gainDb, d.gainDb, 1e-9 * std::max(1.0, std::fabs(d.gainDb)));
                EXPECT_LT(turnsApart(p.phaseDeg, d.phaseDeg), 1e-9);
            }
            const LoopQuantities &q = a.quantities;
            for (std::size_t i = 0; i < q.gainCrossovers.size(); ++i) {
                const Direct d = direct(f, gainDb, q.gainCrossovers[i]);
                EXPECT_NEAR(d.gainDb, 0, 1e-12);
                EXPECT_LT(turnsApart(q.phaseMargins[i], 180 + d.phaseDeg), 1e-9);
            }
            for (std::size_t i = 0; i < q.phaseCrossovers.size(); ++i) {
                const Direct d = direct(f, gainDb, q.phaseCrossovers[i]);
                EXPECT_LT(turnsApart(d.phaseDeg, -180), 1e-9);
                EXPECT_NEAR(q.gainMargins[i], -d.gainDb, 1e-9 * std::max(1.0, std::fabs(d.gainDb)));
            }
            if (q.bandwidth) {
                EXPECT_NEAR(direct(f, gainDb, *q.bandwidth).closedDb,
                    *q.lowFrequencyClosedLoopDb - 3, 1e-9);
            }
            if (q.peakOmega && *q.peakOmega > 0) {
                // A maximum: no sampled point of the closed loop is above it.
                EXPECT_NEAR(direct(f, gainDb, *q.peakOmega).closedDb, *q.peakDb, 1e-9);
                for (const ResponsePoint &p : a.locus)
                    EXPECT_LE(direct(f, gainDb, p.omega).closedDb, *q.peakDb + 1e-9);
            }
        }
    }
}

TEST(LoopAnalysis, PhaseStartsOnItsLowFrequencyTurn)
{
    const struct {
        const char *text;
        double phase; // degrees, as omega -> 0
    } cases[] = {
        { "1/s", -90 },
        { "1/s^2", -180 },
        { "5*(s+0.5)^3/(s^3*(0.05*s+1)^2)", -270 },
        { "(s+1)^4/s^4", -360 },
        { "-2/((s+1)*(0.2*s+1))", -180 },
        { "2*(s+3)/(s*(s-1))", -270 },
        { "s/(s+1)", 90 },
    };
    for (const auto &c : cases) {
        const LoopAnalysis a = AnalyseLoop(TransferFunction::parse(c.text), 0, {});
        // Near the anchor: on its turn, not a whole turn away.
        EXPECT_NEAR(a.locus.front().phaseDeg, c.phase, 30) << c.text;
    }
}

TEST(LoopAnalysis, NyquistCountAgreesWithTheClosedLoopRoots)
{
    // The same rational loops, with a delay too short to matter: the count then comes from the
    // Nyquist criterion instead of the roots.
    for (const char *text : { "4/(s*(s+1)*(s+2))", "8/(s*(s+1)*(s+2))",
             "2*(1-0.5*s)/(s*(s+1)*(0.2*s+1))", "2*(s+3)/(s*(s-1))", "0.5*(s+3)/(s*(s-1))",
             "-2/((s+1)*(0.2*s+1))", "100*(s+1)^2/(s^3*(0.1*s+1))",
             "20*(s^2+0.4*s+4)/(s*(s+1)*(s^2+0.08*s+16))", "40/((s+1)^3)", "1/(s-2)" }) {
        const LoopAnalysis rational = AnalyseLoop(TransferFunction::parse(text), 0, {});
        const std::string delayed = std::string("exp(-1e-6*s)*(") + text + ")";
        const LoopAnalysis nyquist = AnalyseLoop(TransferFunction::parse(delayed), 0, {});
        EXPECT_EQ(nyquist.quantities.closedLoopRhpPoles, rational.quantities.closedLoopRhpPoles)
            << text;
        EXPECT_EQ(nyquist.quantities.stable, rational.quantities.stable) << text;
        EXPECT_FALSE(rational.closedLoopPoles.empty()) << text;
        EXPECT_TRUE(nyquist.closedLoopPoles.empty()) << text;
    }
}

TEST(LoopAnalysis, DenseWhereDrawnAndTheGainFactorOnlyShiftsTheLocus)
{
    const AnalysisOptions options; // the default chart
    const double pixelsPerDegree = 570 / (options.phaseMax - options.phaseMin);
    const double pixelsPerDb = 930 / (options.gainMax - options.gainMin);
    for (const char *text : Loops) {
        const LoopAnalysis a = AnalyseLoop(TransferFunction::parse(text), 0, options);
        int drawnSteps = 0;
        for (std::size_t i = 1; i < a.locus.size(); ++i) {
            const ResponsePoint &p = a.locus[i - 1];
            const ResponsePoint &q = a.locus[i];
            const auto onChart = [&](const ResponsePoint &r) {
                const double phase = r.phaseDeg + a.phaseShiftDeg;
                return r.gainDb > options.gainMin && r.gainDb < options.gainMax
                    && phase > options.phaseMin && phase < options.phaseMax;
            };
            if (!onChart(p) || !onChart(q))
                continue;
            ++drawnSteps;
            const double dx = (q.phaseDeg - p.phaseDeg) * pixelsPerDegree;
            const double dy = (q.gainDb - p.gainDb) * pixelsPerDb;
            ASSERT_LE(std::hypot(dx, dy), 1.0 + 1e-9) << text << " at " << p.omega;
            ASSERT_LE(std::fabs(q.phaseDeg - p.phaseDeg), 2.0 + 1e-9) << text;
        }
        EXPECT_GT(drawnSteps, 50) << text;
    }
    // 6 dB more: the same phases at each frequency, 6 dB higher.
    const TransferFunction f = TransferFunction::parse("4/(s*(s+1)*(s+2))");
    const LoopAnalysis base = AnalyseLoop(f, 0, {});
    const LoopAnalysis raised = AnalyseLoop(f, 6, {});
    const ResponsePoint &p = raised.locus[raised.locus.size() / 2];
    EXPECT_NEAR(p.gainDb - direct(f, 0, p.omega).gainDb, 6, 1e-9);
    EXPECT_NEAR(p.phaseDeg, LocusPointAt(base.locus, p.omega)->phaseDeg, 0.1);
    EXPECT_LT(*raised.quantities.gainMarginDb, *base.quantities.gainMarginDb - 5.99);
}

TEST(LoopAnalysis, RangeOptionsLimitTheLocusAndKeepThePhaseTurn)
{
    AnalysisOptions options;
    options.omegaMin = 2;
    options.omegaMax = 20;
    const LoopAnalysis a
        = AnalyseLoop(TransferFunction::parse("5*(s+0.5)^3/(s^3*(0.05*s+1)^2)"), 0, options);
    EXPECT_GE(a.locus.front().omega, 2);
    EXPECT_LE(a.locus.back().omega, 20);
    // Started above every break, the phase still counts its three integrators.
    EXPECT_LT(turnsApart(a.locus.front().phaseDeg,
                  direct(TransferFunction::parse("5*(s+0.5)^3/(s^3*(0.05*s+1)^2)"), 0,
                      a.locus.front().omega)
                      .phaseDeg),
        1e-9);
    const LoopAnalysis full
        = AnalyseLoop(TransferFunction::parse("5*(s+0.5)^3/(s^3*(0.05*s+1)^2)"), 0, {});
    const std::optional<ResponsePoint> same = LocusPointAt(full.locus, a.locus.front().omega);
    ASSERT_TRUE(same);
    EXPECT_NEAR(a.locus.front().phaseDeg, same->phaseDeg, 0.1);
}

// Measured data: the function sampled densely reads as the function.
TEST(MeasuredLoop, DenseSamplesOfAFunctionGiveItsQuantities)
{
    const TransferFunction f = TransferFunction::parse("4/(s*(s+1)*(s+2))");
    std::string csv = "# fréquence (Hz); gain (dB); phase (degrés)\nf;G;phi\n";
    for (int i = 0; i <= 1200; ++i) {
        const double omega = std::pow(10.0, -2 + 4.0 * i / 1200);
        const Direct d = direct(f, 0, omega);
        // Wrapped phases, in Hz: the reader unwraps and converts.
        csv += std::to_string(omega / (2 * std::numbers::pi)) + "; " + std::to_string(d.gainDb)
            + "; " + std::to_string(d.phaseDeg) + "\r\n";
    }
    const LoopAnalysis data = AnalyseMeasuredLoop(ReadMeasuredResponse(csv, true), 0, {});
    const LoopAnalysis exact = AnalyseLoop(f, 0, {});
    const LoopQuantities &q = data.quantities;
    const LoopQuantities &e = exact.quantities;
    EXPECT_TRUE(q.stable);
    EXPECT_NEAR(*q.gainMarginDb, *e.gainMarginDb, 1e-3);
    EXPECT_NEAR(*q.phaseCrossover, *e.phaseCrossover, 1e-3);
    EXPECT_NEAR(*q.phaseMarginDeg, *e.phaseMarginDeg, 1e-3);
    EXPECT_NEAR(*q.gainCrossover, *e.gainCrossover, 1e-3);
    EXPECT_NEAR(*q.peakDb, *e.peakDb, 1e-2);
    EXPECT_NEAR(*q.bandwidth, *e.bandwidth, 1e-3);
    EXPECT_NEAR(data.locus.front().phaseDeg, -90, 2);
    // 8 instead of 4: unstable, two closed-loop poles on the right.
    const LoopAnalysis unstable
        = AnalyseMeasuredLoop(ReadMeasuredResponse(csv, true), 20 * std::log10(2.0), {});
    EXPECT_FALSE(unstable.quantities.stable);
    EXPECT_EQ(unstable.quantities.closedLoopRhpPoles, 2);
}

TEST(MeasuredLoop, RefusedRowsNameTheirLine)
{
    const struct {
        const char *text;
        const char *message;
    } cases[] = {
        { "1,0,0\n2,1\n", "ligne 2 : trois nombres attendus" },
        { "1\t0\t0\n0.5\t-1\t-10\n", "ligne 2 : les fréquences doivent croître strictement" },
        { "# c\n\n1;0;0\n1;-1;-10\n", "ligne 4 : les fréquences doivent croître strictement" },
        { "w,g,p\nx,y,z\n", "ligne 2 : trois nombres attendus" },
        { "0,0,0\n1,0,0\n", "ligne 1 : fréquence positive attendue" },
        { "1,0,0\n", "au moins deux lignes" },
        { "1,0,0\n2,1e999,0\n", "ligne 2" },
    };
    for (const auto &c : cases) {
        try {
            ReadMeasuredResponse(c.text, false);
            ADD_FAILURE() << c.text;
        } catch (const DataError &error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
    const MeasuredResponse read
        = ReadMeasuredResponse("w;g;p # entête\n1;-2;170\n2;-3;-175 # un tour\n", false);
    EXPECT_EQ(read.omega, (std::vector<double> { 1, 2 }));
    EXPECT_EQ(read.phaseDeg, (std::vector<double> { 170, 185 }));
}

} // namespace
