// Tuning to a target: the gain found meets the target as the analysis and a direct evaluation
// read it, is the nearest that does, and an unreachable target says why; a lead designed for a
// margin at a crossover gives it.
#include "core/compensatedmodel.h"
#include "core/compensatortext.h"
#include "core/loopanalysis.h"
#include "core/tuning.h"
#include "loopcheck.h"
#include "targetcheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace velmora;
using namespace velmora::test;

namespace {

const TargetKind Targets[] = { TargetKind::Mr, TargetKind::PhaseMargin, TargetKind::GainMargin,
    TargetKind::Bandwidth, TargetKind::Crossover };

std::shared_ptr<const ResponseModel> rationalModel(const std::string &text)
{
    return MakeRationalModel(
        std::make_shared<const TransferFunction>(TransferFunction::parse(text)));
}

// The loop's response as data: its analysed locus, dense where the chart shows it.
std::shared_ptr<const MeasuredResponse> sampled(const std::string &text)
{
    auto data = std::make_shared<MeasuredResponse>();
    for (const ResponsePoint &p : AnalyseLoop(TransferFunction::parse(text), 0, {}).locus) {
        data->omega.push_back(p.omega);
        data->gainDb.push_back(p.gainDb);
        data->phaseDeg.push_back(p.phaseDeg);
    }
    return data;
}

double tolerance(TargetKind target, double value)
{
    return 1e-6 * (target == TargetKind::Bandwidth || target == TargetKind::Crossover ? value : 1);
}

// Each target read at `from` on the model is tuned back from 0 dB: the analysis at the gain found
// meets it, and that gain is no farther from 0 dB than `from`, which also meets it.
void expectTunedBack(const std::shared_ptr<const ResponseModel> &model, double from)
{
    const LoopQuantities there = AnalyseResponse(model, from, {}).quantities;
    ASSERT_TRUE(there.stable);
    for (const TargetKind target : Targets) {
        const std::optional<double> value = quantity(there, target);
        if (!value)
            continue;
        SCOPED_TRACE(std::string(InfoOf(target).key) + " = " + std::to_string(*value));
        const TuningResult tuned = TuneGain(model, 0, target, *value);
        const LoopQuantities q = AnalyseResponse(model, tuned.gainDb, {}).quantities;
        EXPECT_TRUE(q.stable);
        ASSERT_TRUE(quantity(q, target));
        EXPECT_NEAR(*quantity(q, target), *value, tolerance(target, *value));
        EXPECT_EQ(tuned.achieved, *quantity(q, target));
        EXPECT_LE(std::fabs(tuned.gainDb), std::fabs(from) + 1e-9);
    }
}

TEST(TuneGain, MrIsWhereTheLocusTouchesTheContour)
{
    const std::string text = "4/(s*(s+1)*(s+2))";
    const TransferFunction f = TransferFunction::parse(text);
    const TuningResult tuned = TuneGain(rationalModel(text), 0, TargetKind::Mr, 2.3);
    EXPECT_NEAR(tuned.gainDb, -9.63, 0.005);
    EXPECT_NEAR(tuned.achieved, 2.3, 1e-6);
    // Directly: the largest |T| over a fine grid is 2.3 dB at that gain, and the contour is
    // crossed a little above it, not reached a little below.
    const auto largest = [&](double gainDb) {
        double top = -1e9;
        for (double omega = 0.2; omega < 2; omega *= 1.00001)
            top = std::max(top, direct(f, gainDb, omega).closedDb);
        return top;
    };
    EXPECT_NEAR(largest(tuned.gainDb), 2.3, 1e-7);
    EXPECT_GT(largest(tuned.gainDb + 0.01), 2.3 + 1e-3);
    EXPECT_LT(largest(tuned.gainDb - 0.01), 2.3 - 1e-3);
}

TEST(TuneGain, EveryTargetTunedBackOnFunctionsAndData)
{
    const Compensator lead = ParseCompensator("lead(1.2,35)*0.5");
    for (const char *text : { "4/(s*(s+1)*(s+2))", "10/((s+1)*(0.5*s+1)*(0.1*s+1))",
             "0.5*exp(-0.2*s)/(s*(0.5*s+1))", "20*(s^2+0.4*s+4)/(s*(s+1)*(s^2+0.08*s+16))" }) {
        SCOPED_TRACE(text);
        const auto data = MakeMeasuredModel(sampled(text));
        for (const auto &model : { MakeCompensatedModel(rationalModel(text), lead), data,
                 MakeCompensatedModel(data, lead) })
            for (const double from : { -4.0, 2.5 })
                if (AnalyseResponse(model, from, {}).quantities.stable)
                    expectTunedBack(model, from);
    }
}

TEST(TuneGain, OfSeveralGainsTheNearestStableOne)
{
    // Conditionally stable: the same phase margin at two gains, near -30 dB and near -20 dB.
    const auto model = rationalModel("100*(s+1)^2/(s^3*(0.1*s+1)*(0.0001*s^2+0.0004*s+1))");
    const double margin = *AnalyseResponse(model, -30, {}).quantities.phaseMarginDeg;
    for (const double current : { -40.0, 10.0 }) {
        const TuningResult tuned = TuneGain(model, current, TargetKind::PhaseMargin, margin);
        const LoopQuantities q = AnalyseResponse(model, tuned.gainDb, {}).quantities;
        EXPECT_TRUE(q.stable);
        EXPECT_NEAR(*q.phaseMarginDeg, margin, 1e-6);
        if (current < -30) {
            EXPECT_NEAR(tuned.gainDb, -30, 1e-6);
        } else {
            EXPECT_GT(tuned.gainDb, -25); // the other one, past the top of the margin
        }
    }
}

TEST(TuneGain, MrOfZeroDbHoldsUpToAGain)
{
    // |T| <= 1 at every frequency while K <= 1/6 (Re G(j omega) >= -3): Mr = 0 dB up to there.
    const auto model = rationalModel("4/(s*(s+1)*(s+2))");
    EXPECT_NEAR(TuneGain(model, 0, TargetKind::Mr, 0).gainDb, 20 * std::log10(1.0 / 6), 1e-6);
    EXPECT_EQ(TuneGain(model, -30, TargetKind::Mr, 0).gainDb, -30);
}

// Brute force: a target is refused only when no two neighbouring gains, a quarter of a dB apart,
// where the closed loop is stable, have the target's quantity on either side of it.
TEST(TuneGain, RefusedOnlyWhenNoStableGainReachesIt)
{
    for (const char *text :
        { "4/(s*(s+1)*(s+2))", "100*(s+1)^2/(s^3*(0.1*s+1)*(0.0001*s^2+0.0004*s+1))" }) {
        SCOPED_TRACE(text);
        const auto model = rationalModel(text);
        std::vector<LoopQuantities> grid;
        for (double gainDb = -50; gainDb <= 20; gainDb += 0.25)
            grid.push_back(AnalyseResponse(model, gainDb, {}).quantities);
        const struct {
            TargetKind target;
            std::vector<double> values;
        } cases[] = {
            { TargetKind::Mr, { -1, 0.5, 2, 6, 20 } },
            { TargetKind::PhaseMargin, { 10, 30, 45, 60, 95 } },
            { TargetKind::GainMargin, { -10, 2, 6, 12, 40 } },
            { TargetKind::Bandwidth, { 0.05, 0.5, 2, 20 } },
            { TargetKind::Crossover, { 0.05, 0.5, 2, 20 } },
        };
        int refused = 0;
        for (const auto &c : cases)
            for (const double value : c.values) {
                SCOPED_TRACE(std::string(InfoOf(c.target).key) + " = " + std::to_string(value));
                bool reached = false;
                for (std::size_t i = 0; i + 1 < grid.size(); ++i) {
                    const std::optional<double> a = quantity(grid[i], c.target);
                    const std::optional<double> b = quantity(grid[i + 1], c.target);
                    reached = reached
                        || (grid[i].stable && grid[i + 1].stable && a && b
                            && (*a - value) * (*b - value) <= 0
                            && std::fabs(*a - *b) < 0.2 * std::max(1.0, std::fabs(value)));
                }
                try {
                    const TuningResult tuned = TuneGain(model, 0, c.target, value);
                    const LoopQuantities q = AnalyseResponse(model, tuned.gainDb, {}).quantities;
                    EXPECT_TRUE(q.stable);
                    EXPECT_NEAR(*quantity(q, c.target), value, tolerance(c.target, value));
                } catch (const TuningError &error) {
                    EXPECT_FALSE(reached) << error.what();
                    ++refused;
                }
            }
        EXPECT_GT(refused, 3);
    }
}

TEST(TuneGain, UnreachableTargetsSayWhy)
{
    const struct {
        const char *loop;
        TargetKind target;
        double value;
        const char *reason;
    } cases[] = {
        { "4/(s*(s+1)*(s+2))", TargetKind::Mr, -0.5,
            "Mr = -0.5 dB inaccessible : le minimum est 0 dB" },
        { "4/(s*(s+1)*(s+2))", TargetKind::PhaseMargin, 95,
            "MP = 95° inaccessible : le maximum est 90°" },
        { "4/(s*(s+1)*(s+2))", TargetKind::PhaseMargin, 200, "]-180 ; 180]" },
        { "4/(s*(s+1)*(s+2))", TargetKind::Crossover, -1, "valeur refusée" },
        { "10*(s+1)/(s^2*(0.1*s+1))", TargetKind::GainMargin, 6,
            "MG = 6 dB inaccessible : la phase n'atteint jamais -180°" },
        { "1/((s-1)*(s-2))", TargetKind::PhaseMargin, 45,
            "la boucle fermée n'est stable à aucun gain" },
        { "s/(s+1)", TargetKind::Bandwidth, 2, "ωb n'est pas défini" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.loop);
        try {
            TuneGain(rationalModel(c.loop), 0, c.target, c.value);
            ADD_FAILURE() << "reached";
        } catch (const TuningError &error) {
            EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
        }
    }
    const auto data = MakeMeasuredModel(sampled("4/(s*(s+1)*(s+2))"));
    EXPECT_THROW(TuneGain(data, 0, TargetKind::Crossover, 1e6), TuningError);
}

// The loop plant x compensator x gain at omega, from the element formulas.
std::complex<double> leadLoop(
    const TransferFunction &plant, double gainDb, double omegaM, double phiDeg, double omega)
{
    const double sine = std::sin(phiDeg * std::numbers::pi / 180);
    const double a = (1 + sine) / (1 - sine);
    const double tau = 1 / (omegaM * std::sqrt(a));
    const std::complex<double> s(0, omega);
    return std::pow(10.0, gainDb / 20)
        * std::complex<double>(plant.rationalValue(std::complex<long double>(0, omega)))
        * (1.0 + a * tau * s) / (1.0 + tau * s);
}

TEST(DesignLead, GivesTheMarginAtTheCrossover)
{
    const std::string text = "4/(s*(s+1)*(s+2))";
    const TransferFunction f = TransferFunction::parse(text);
    const LeadDesign design = DesignLead(rationalModel(text), {}, 45, 1);
    ASSERT_EQ(design.compensator.size(), 1u);
    EXPECT_EQ(design.leadIndex, 0u);
    EXPECT_EQ(design.compensator[0].kind, ElementKind::Lead);
    EXPECT_EQ(design.compensator[0].parameters[0], 1);
    EXPECT_EQ(design.compensator[0].parameters[1], design.leadPhaseDeg);
    const std::complex<double> l = leadLoop(f, design.gainDb, 1, design.leadPhaseDeg, 1);
    EXPECT_NEAR(std::abs(l), 1, 1e-12);
    EXPECT_NEAR(std::arg(l) * 180 / std::numbers::pi, -135, 1e-9);
    // The plant's margin at 1 rad/s is 180 - 90 - 45 - atan(1/2): the lead gives the rest.
    EXPECT_NEAR(design.leadPhaseDeg, 45 - (45 - std::atan(0.5) * 180 / std::numbers::pi), 1e-9);

    // A lead already there is replaced, the other elements kept in their places.
    const Compensator current = ParseCompensator("pi(0.05)*lead(3,20)*2");
    const LeadDesign adjusted = DesignLead(rationalModel(text), current, 50, 0.8);
    ASSERT_EQ(adjusted.compensator.size(), 3u);
    EXPECT_EQ(adjusted.leadIndex, 1u);
    EXPECT_EQ(adjusted.compensator[0], current[0]);
    EXPECT_EQ(adjusted.compensator[2], current[2]);
    const LoopQuantities q
        = AnalyseLoop(CompensatedFunction(f, adjusted.compensator), adjusted.gainDb, {}).quantities;
    EXPECT_TRUE(q.stable);
    bool found = false;
    for (std::size_t i = 0; i < q.gainCrossovers.size(); ++i)
        found = found
            || (std::fabs(q.gainCrossovers[i] - 0.8) < 1e-6 * 0.8
                && std::fabs(q.phaseMargins[i] - 50) < 1e-6);
    EXPECT_TRUE(found);

    // On measured data.
    const auto data = MakeMeasuredModel(sampled(text));
    const LeadDesign measured = DesignLead(data, {}, 50, 0.8);
    const LoopQuantities m
        = AnalyseResponse(MakeCompensatedModel(data, measured.compensator), measured.gainDb, {})
              .quantities;
    ASSERT_EQ(m.gainCrossovers.size(), 1u);
    EXPECT_NEAR(*m.gainCrossover, 0.8, 1e-6 * 0.8);
    EXPECT_NEAR(*m.phaseMarginDeg, 50, 1e-6);
    EXPECT_NEAR(
        measured.leadPhaseDeg, DesignLead(rationalModel(text), {}, 50, 0.8).leadPhaseDeg, 1e-2);
}

TEST(DesignLead, SaysWhenOneLeadCannotDoIt)
{
    const auto model = rationalModel("4/(s*(s+1)*(s+2))");
    const struct {
        double margin;
        double crossover;
        const char *reason;
    } cases[] = {
        { 60, 3, "d'avance de phase, une avance en donne 70° au plus" },
        { 30, 0.1, "la marge y est déjà de" },
        { 190, 1, "]0 ; 180[" },
        { 45, 1e10, "ωm doit être dans" },
    };
    try {
        DesignLead(model, ParseCompensator("zeros2(2,0)"), 45, 2);
        ADD_FAILURE() << "a lead designed where the loop is zero";
    } catch (const TuningError &error) {
        EXPECT_NE(std::string(error.what()).find("pas de réponse finie"), std::string::npos)
            << error.what();
    }
    for (const auto &c : cases) {
        try {
            DesignLead(model, {}, c.margin, c.crossover);
            ADD_FAILURE() << c.margin << " at " << c.crossover;
        } catch (const TuningError &error) {
            EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
        }
    }
}

TEST(Tuning, TargetKeys)
{
    std::size_t index = 0;
    for (const TargetInfo &info : TargetTable()) {
        EXPECT_EQ(static_cast<std::size_t>(info.kind), index++);
        EXPECT_EQ(TargetKindOfKey(info.key), info.kind);
    }
    EXPECT_EQ(TargetKindOfKey("wb"), TargetKind::Bandwidth);
    EXPECT_FALSE(TargetKindOfKey("ms"));
}

} // namespace
