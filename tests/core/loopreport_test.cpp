// The loops' report: its rows and its JSON say how well a count is known, and read back the
// values computed.
#include "core/loopreport.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

using namespace velmora;

namespace {

std::string row(const ReportedLoop &loop, const std::string &name)
{
    for (const auto &[key, value] : ReportRows(loop))
        if (key == name)
            return value;
    return "?";
}

TEST(LoopReport, ClosedLoopPolesExactAtLeastOrInfinite)
{
    const struct {
        int count;
        CountKind kind;
        const char *text;
        const char *json;
    } cases[] = {
        { 0, CountKind::Exact, "stable, aucun pôle à partie réelle positive",
            "\"closed_loop_rhp_poles\": 0, \"closed_loop_rhp_poles_at_least\": false" },
        { 1, CountKind::Exact, "instable, 1 pôle à partie réelle positive",
            "\"closed_loop_rhp_poles\": 1, \"closed_loop_rhp_poles_at_least\": false" },
        { 1614, CountKind::AtLeast, "instable, au moins 1614 pôles à partie réelle positive",
            "\"closed_loop_rhp_poles\": 1614, \"closed_loop_rhp_poles_at_least\": true" },
        { 20, CountKind::Infinite, "instable, une infinité de pôles à partie réelle positive",
            "\"closed_loop_rhp_poles\": null, \"closed_loop_rhp_poles_at_least\": null" },
    };
    for (const auto &c : cases) {
        ReportedLoop loop { "G", {} };
        loop.quantities.stable = c.count == 0;
        loop.quantities.closedLoopRhpPoles = c.count;
        loop.quantities.closedLoopRhpPolesKind = c.kind;
        EXPECT_EQ(row(loop, "boucle fermée"), c.text);
        EXPECT_NE(ReportJson({ loop }).find(c.json), std::string::npos) << ReportJson({ loop });
    }
    // Poles on the axis: the limit of stability, whatever the walk counted beside them.
    ReportedLoop limit { "G", {} };
    limit.quantities.closedLoopRhpPoles = 2;
    limit.quantities.closedLoopPolesOnAxis = true;
    EXPECT_EQ(
        row(limit, "boucle fermée"), "instable, pôles sur l'axe imaginaire (limite de stabilité)");
}

// The crossovers listed, and how many there are: all listed, the first of more, or infinitely
// many.
TEST(LoopReport, CrossoverCountsInRowsAndJson)
{
    ReportedLoop loop { "G", {} };
    LoopQuantities &q = loop.quantities;
    EXPECT_EQ(row(loop, "croisements de phase (-180°)"), "aucun");
    q.phaseCrossovers = { 1.5, 2.5 };
    q.phaseCrossoverCount = 2;
    EXPECT_EQ(row(loop, "croisements de phase (-180°)"), "1.5 ; 2.5 rad/s");
    q.phaseCrossoverCount = 1592;
    EXPECT_EQ(
        row(loop, "croisements de phase (-180°)"), "1.5 ; 2.5 rad/s (les 2 premiers sur 1592)");
    q.phaseCrossoverCountKind = CountKind::Infinite;
    EXPECT_EQ(row(loop, "croisements de phase (-180°)"),
        "1.5 ; 2.5 rad/s ; une infinité (les 2 premiers listés)");
    q.gainCrossovers = { 3 };
    q.gainCrossoverCount = 1;
    const std::string json = ReportJson({ loop });
    for (const char *field :
        { "\"gain_crossover_count\": 1, \"gain_crossover_count_at_least\": false",
            "\"phase_crossover_count\": null, \"phase_crossover_count_at_least\": null" })
        EXPECT_NE(json.find(field), std::string::npos) << json;
}

// Beyond the ints, a count is a lower bound: K exp(-T s) / s with K T = 1e11 has about 3.2e10
// closed-loop poles on the right.
TEST(LoopReport, CountsBeyondTheIntsAreLowerBounds)
{
    const LoopQuantities q
        = AnalyseLoop(TransferFunction::parse("1e4/s*exp(-1e7*s)"), 0, {}).quantities;
    EXPECT_EQ(q.closedLoopRhpPolesKind, CountKind::AtLeast);
    EXPECT_EQ(q.closedLoopRhpPoles, std::numeric_limits<int>::max());
    EXPECT_FALSE(q.stable);
}

// A delay times a proper rational part whose gain tends to 1 or more: infinitely many poles on
// the right; below 1, a count.
TEST(LoopReport, DelayWithAProperRationalPart)
{
    const struct {
        const char *text;
        CountKind kind;
        bool stable;
    } cases[] = {
        { "2*(s+1)/(s+2)*exp(-s)", CountKind::Infinite, false },
        { "(s+2)/(s+1)*exp(-s)", CountKind::Infinite, false },
        { "-3*(s+1)/(s+2)*exp(-0.1*s)", CountKind::Infinite, false },
        { "0.5*(s+2)/(s+1)*exp(-0.1*s)", CountKind::Exact, true },
        { "0.9*(s+10)/(s+1)*exp(-s)", CountKind::Exact, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const LoopQuantities q = AnalyseLoop(TransferFunction::parse(c.text), 0, {}).quantities;
        EXPECT_EQ(q.closedLoopRhpPolesKind, c.kind);
        EXPECT_EQ(q.stable, c.stable);
        EXPECT_GE(q.closedLoopRhpPoles, c.stable ? 0 : 1);
    }
}

} // namespace
