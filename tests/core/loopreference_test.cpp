// Loops against reference values computed independently (tests/reference/loops.json, with the
// command that produced it in tests/reference/compute_reference.py): margins, crossovers,
// resonance peak, bandwidth, Ms, closed-loop poles and stability, to 1e-6 relative.
#include "core/loopanalysis.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace velmora;

namespace {

constexpr double Relative = 1e-6;

QJsonArray referenceLoops()
{
    QFile file(QStringLiteral(VELMORA_REFERENCE_DIR "/loops.json"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QJsonDocument::fromJson(file.readAll()).object()["loops"].toArray();
}

void expectClose(double actual, double expected, const char *what)
{
    EXPECT_NEAR(actual, expected, Relative * std::max(1.0, std::fabs(expected))) << what;
}

void expectOptional(
    const std::optional<double> &actual, const QJsonValue &expected, const char *what)
{
    if (expected.isNull()) {
        EXPECT_FALSE(actual.has_value()) << what << " = " << actual.value_or(0);
        return;
    }
    ASSERT_TRUE(actual.has_value()) << what;
    expectClose(*actual, expected.toDouble(), what);
}

std::vector<double> numbers(const QJsonValue &array)
{
    std::vector<double> values;
    for (const QJsonValue &v : array.toArray())
        values.push_back(v.toDouble());
    return values;
}

class LoopReference : public ::testing::TestWithParam<int> { };

TEST_P(LoopReference, QuantitiesAgreeWithTheIndependentComputation)
{
    const QJsonObject reference = referenceLoops()[GetParam()].toObject();
    const std::string expression = reference["expression"].toString().toStdString();
    SCOPED_TRACE(reference["name"].toString().toStdString() + " " + expression);
    const LoopAnalysis analysis = AnalyseLoop(TransferFunction::parse(expression), 0, {});
    const LoopQuantities &q = analysis.quantities;

    EXPECT_EQ(q.stable, reference["stable"].toBool());
    EXPECT_EQ(q.closedLoopRhpPoles, reference["closed_loop_rhp_poles"].toInt());
    expectOptional(q.gainMarginDb, reference["gain_margin_db"], "gain margin");
    expectOptional(q.phaseCrossover, reference["phase_crossover_rad_s"], "phase crossover");
    expectOptional(q.phaseMarginDeg, reference["phase_margin_deg"], "phase margin");
    expectOptional(q.gainCrossover, reference["gain_crossover_rad_s"], "gain crossover");
    expectOptional(q.peakDb, reference["peak_db"], "peak");
    expectOptional(q.peakOmega, reference["peak_rad_s"], "peak frequency");
    expectOptional(q.bandwidth, reference["bandwidth_rad_s"], "bandwidth");
    expectOptional(q.sensitivityPeakDb, reference["sensitivity_peak_db"], "Ms");
    expectOptional(q.sensitivityPeakOmega, reference["sensitivity_peak_rad_s"], "Ms frequency");

    // Every crossover within the analysed range, with its margin.
    const std::vector<double> gainCrossovers = numbers(reference["gain_crossovers_rad_s"]);
    ASSERT_EQ(q.gainCrossovers.size(), gainCrossovers.size());
    for (std::size_t i = 0; i < gainCrossovers.size(); ++i) {
        expectClose(q.gainCrossovers[i], gainCrossovers[i], "gain crossover");
        expectClose(q.phaseMargins[i], numbers(reference["phase_margins_deg"])[i], "phase margin");
    }
    const std::vector<double> phaseCrossovers = numbers(reference["phase_crossovers_rad_s"]);
    const double highest = analysis.locus.back().omega;
    std::size_t inRange = 0;
    for (const double omega : phaseCrossovers)
        inRange += omega <= highest ? 1 : 0;
    ASSERT_GE(q.phaseCrossovers.size(), inRange);
    for (std::size_t i = 0; i < inRange; ++i) {
        expectClose(q.phaseCrossovers[i], phaseCrossovers[i], "phase crossover");
        expectClose(q.gainMargins[i], numbers(reference["gain_margins_db"])[i], "gain margin");
    }
    EXPECT_NEAR(
        analysis.locus.front().phaseDeg, reference["low_frequency_phase_deg"].toDouble(), 10);

    if (reference["closed_loop_poles"].isArray()) {
        std::vector<std::complex<double>> expected;
        for (const QJsonValue &p : reference["closed_loop_poles"].toArray())
            expected.emplace_back(p.toArray()[0].toDouble(), p.toArray()[1].toDouble());
        ASSERT_EQ(analysis.closedLoopPoles.size(), expected.size());
        for (const std::complex<double> &p : analysis.closedLoopPoles) {
            const auto nearest = std::min_element(expected.begin(), expected.end(),
                [&](auto a, auto b) { return std::abs(a - p) < std::abs(b - p); });
            EXPECT_NEAR(std::abs(*nearest - p), 0, Relative * std::max(1.0, std::abs(p)));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Loops, LoopReference, ::testing::Range(0, 13));

} // namespace
