// Loop analysis by its properties: locus points are the function's values, the quantities sit
// where they say, the look-up between samples is the loop's value; and measured data read as
// the function it samples.
#include "core/loopanalysis.h"
#include "loopcheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace velmora;
using namespace velmora::test;

namespace {

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

// Between two samples of the locus, the look-up is the loop's own value at that frequency (times
// the analysis gain), its phase on the turn of its neighbours; also where the samples lie far
// apart, off the chart.
// A pole on the axis turns the phase at infinite |G|: no gain margin there. 1 / (s (s^2 + 4))
// closes on s^3 + 4 s + 1, two roots on the right; 1 / (s^2 + 1) on s^2 + 2, on the axis.
TEST(LoopAnalysis, NoGainMarginWhereAPoleOnTheAxisTurnsThePhase)
{
    const LoopQuantities q
        = AnalyseLoop(TransferFunction::parse("1/(s*(s^2+4))"), 0, {}).quantities;
    EXPECT_FALSE(q.gainMarginDb.has_value());
    EXPECT_TRUE(q.phaseCrossovers.empty());
    EXPECT_EQ(q.closedLoopRhpPoles, 2);
    const LoopQuantities m = AnalyseLoop(TransferFunction::parse("1/(s^2+1)"), 0, {}).quantities;
    EXPECT_FALSE(m.stable);
    EXPECT_TRUE(m.closedLoopPolesOnAxis);
    EXPECT_FALSE(q.closedLoopPolesOnAxis);
    EXPECT_FALSE(m.gainMarginDb.has_value());
    ASSERT_TRUE(m.phaseMarginDeg.has_value());
    EXPECT_NEAR(*m.phaseMarginDeg, 0, 1e-9);
    EXPECT_NEAR(*m.gainCrossover, std::sqrt(2.0), 1e-12);
}

TEST(LoopAnalysis, LocusPointBetweenSamplesIsTheLoopAtThatFrequency)
{
    const FactoredLoop loops[] = {
        { 4, 0, { { 0, 1, 0, -1 }, { 0, 1, 1, -1 }, { 0, 1, 2, -1 } } },
        { 20, 0, { { 1, 0.4, 4, 1 }, { 0, 1, 0, -1 }, { 0, 1, 1, -1 }, { 1, 0.08, 16, -1 } } },
        { 0.5, 0.2, { { 0, 1, 0, -1 }, { 0, 0.5, 1, -1 } } },
        { 8, 0, { { 1, 0, 4, -1 } } }, // poles on the axis at 2 rad/s
        { -2, 0, { { 0, 1, 1, -1 }, { 0, 0.2, 1, -1 } } },
        { 1000, 0.05,
            { { 0, 1, 2, 1 }, { 0, 1, 5, 1 }, { 0, 1, 0, -1 }, { 0, 1, 1, -1 }, { 0, 1, 3, -1 },
                { 0, 1, 10, -2 }, { 1, 2, 25, -1 }, { 0, 1, 20, -1 }, { 0, 1, 40, -1 },
                { 0, 1, 50, -1 } } },
    };
    for (const FactoredLoop &loop : loops) {
        SCOPED_TRACE(loop.text());
        for (const double gainDb : { 0.0, 6.0 }) {
            const LoopAnalysis a = AnalyseLoop(TransferFunction::parse(loop.text()), gainDb, {});
            const double k = std::pow(10.0, gainDb / 20);
            int farApart = 0;
            for (std::size_t i = 0; i + 1 < a.locus.size(); ++i) {
                const ResponsePoint &before = a.locus[i];
                const ResponsePoint &after = a.locus[i + 1];
                farApart += after.omega > 1.1 * before.omega ? 1 : 0;
                for (const double share : { 0.3, 0.5 }) {
                    const double omega = before.omega * std::pow(after.omega / before.omega, share);
                    const std::optional<ResponsePoint> p = LocusPointAt(a, omega);
                    ASSERT_TRUE(p) << omega;
                    EXPECT_NEAR(p->gainDb, loop.gainDb(omega) + 20 * std::log10(k), 1e-3) << omega;
                    EXPECT_LT(turnsApart(p->phaseDeg, loop.phaseDeg(omega)), 0.01) << omega;
                    // Its phase, the delay aside, on the turn of its neighbours'.
                    const auto rational = [&](double phase, double w) {
                        return phase + w * loop.delay * 180 / std::numbers::pi;
                    };
                    EXPECT_LT(std::min(std::fabs(rational(p->phaseDeg, omega)
                                           - rational(before.phaseDeg, before.omega)),
                                  std::fabs(rational(p->phaseDeg, omega)
                                      - rational(after.phaseDeg, after.omega))),
                        90)
                        << omega;
                }
            }
            EXPECT_GT(farApart, 10);
            EXPECT_FALSE(LocusPointAt(a, a.locus.front().omega * 0.99));
            EXPECT_FALSE(LocusPointAt(a, a.locus.back().omega * 1.01));
        }
    }
}

// Measured data are their points, and linear in log frequency between them: sparse points, where
// interpolating in frequency itself would be far off.
TEST(MeasuredLoop, LocusPointBetweenPointsIsLinearInLogFrequency)
{
    const FactoredLoop loop { 4, 0, { { 0, 1, 0, -1 }, { 0, 1, 1, -1 }, { 0, 1, 2, -1 } } };
    MeasuredResponse data;
    for (int i = 0; i <= 16; ++i) {
        const double omega = std::pow(10.0, -2 + 0.25 * i);
        data.omega.push_back(omega);
        data.gainDb.push_back(loop.gainDb(omega));
        data.phaseDeg.push_back(loop.phaseDeg(omega));
    }
    const double gainDb = 3;
    const LoopAnalysis a = AnalyseMeasuredLoop(data, gainDb, {});
    ASSERT_EQ(a.locus.size(), data.omega.size());
    for (std::size_t i = 0; i + 1 < data.omega.size(); ++i) {
        for (const double share : { 0.2, 0.5, 0.9 }) {
            const double omega = data.omega[i] * std::pow(data.omega[i + 1] / data.omega[i], share);
            const std::optional<ResponsePoint> p = LocusPointAt(a, omega);
            ASSERT_TRUE(p);
            const double t
                = std::log(omega / data.omega[i]) / std::log(data.omega[i + 1] / data.omega[i]);
            EXPECT_NEAR(p->gainDb,
                gainDb + data.gainDb[i] + t * (data.gainDb[i + 1] - data.gainDb[i]), 1e-9);
            EXPECT_NEAR(p->phaseDeg,
                data.phaseDeg[i] + t * (data.phaseDeg[i + 1] - data.phaseDeg[i]), 1e-9);
        }
    }
}

// An analysis made of points only is looked up in its points.
TEST(LoopAnalysis, LocusPointWithoutAModelIsTheLookUpInThePoints)
{
    LoopAnalysis a;
    a.locus = { { 1, 0, -90 }, { 10, -20, -180 } };
    const std::optional<ResponsePoint> p = LocusPointAt(a, std::sqrt(10.0));
    ASSERT_TRUE(p);
    EXPECT_DOUBLE_EQ(p->gainDb, -10);
    EXPECT_DOUBLE_EQ(p->phaseDeg, -135);
    EXPECT_FALSE(LocusPointAt(a, 11));
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
        { "0.1,1e308,-90\n1,-1e308,-135\n", "ligne 1 : gain hors limites" },
        { "0.1,20,1e300\n1,0,-135\n", "ligne 1 : phase hors limites" },
        { "1,0,0\n1e308,0,0\n", "ligne 2 : fréquence positive attendue" }, // in Hz: 2 pi 1e308
        // A first row with a number in it is data, never a header.
        { "nan,20,-100\n1,0,-135\n10,-20,-175\n", "ligne 1 : trois nombres attendus" },
        { "0,5,20,-100\n1,0,-135\n10,-20,-175\n", "ligne 1 : trois nombres attendus" },
    };
    for (const auto &c : cases) {
        try {
            ReadMeasuredResponse(c.text, true);
            ADD_FAILURE() << c.text;
        } catch (const DataError &error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
    // Data built otherwise, a huge number of turns between two points: read in bounded time.
    const MeasuredResponse wild { { 0.1, 1, 10 }, { 20, 0, -20 }, { 1e300, -135, -175 } };
    EXPECT_NO_THROW(AnalyseMeasuredLoop(wild, 0, {}));
    const MeasuredResponse read
        = ReadMeasuredResponse("w;g;p # entête\n1;-2;170\n2;-3;-175 # un tour\n", false);
    EXPECT_EQ(read.omega, (std::vector<double> { 1, 2 }));
    EXPECT_EQ(read.phaseDeg, (std::vector<double> { 170, 185 }));
    // A byte order mark is not part of the first row.
    EXPECT_EQ(ReadMeasuredResponse("\xEF\xBB\xBF"
                                   "0.1,20,-100\n1,0,-135\n",
                  false)
                  .omega,
        (std::vector<double> { 0.1, 1 }));
}

} // namespace
