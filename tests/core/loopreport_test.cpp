// The loops' report: its rows and its JSON say how well a count is known, and read back the
// values computed.
#include "core/loopreport.h"

#include <gtest/gtest.h>

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
            "\"closed_loop_rhp_poles\": 20, \"closed_loop_rhp_poles_at_least\": null" },
    };
    for (const auto &c : cases) {
        ReportedLoop loop { "G", {} };
        loop.quantities.stable = c.count == 0;
        loop.quantities.closedLoopRhpPoles = c.count;
        loop.quantities.closedLoopRhpPolesKind = c.kind;
        EXPECT_EQ(row(loop, "boucle fermée"), c.text);
        EXPECT_NE(ReportJson({ loop }).find(c.json), std::string::npos) << ReportJson({ loop });
    }
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
