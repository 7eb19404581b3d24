// Hard loops against reference values computed independently from their expressions alone
// (tests/reference/hard.json, with the command that produced it in
// tests/reference/compute_hard_reference.py): crossovers at any frequency and close together,
// high powers whose expanded polynomials span tens of decades, delays with thousands of closed-loop
// poles on the right.
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

QJsonArray hardLoops()
{
    QFile file(QStringLiteral(VELMORA_REFERENCE_DIR "/hard.json"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QJsonDocument::fromJson(file.readAll()).object()["loops"].toArray();
}

std::vector<double> numbers(const QJsonValue &array)
{
    std::vector<double> values;
    for (const QJsonValue &v : array.toArray())
        values.push_back(v.toDouble());
    return values;
}

// Frequencies to 1e-9 relative, angles and decibels to 1e-9 of their size (at least 1).
void expectList(const std::vector<double> &actual, const QJsonValue &expected, const char *what)
{
    if (expected.isUndefined())
        return;
    const std::vector<double> values = numbers(expected);
    ASSERT_EQ(actual.size(), values.size()) << what;
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_NEAR(actual[i], values[i], 1e-9 * std::max(1.0, std::fabs(values[i])))
            << what << " " << i;
}

// A quantity the reference gives (null: none, or at infinity for a peak's frequency), to `relative`
// of its size (at least 1).
void expectOptional(const std::optional<double> &actual, const QJsonValue &expected,
    double relative, const char *what)
{
    if (expected.isUndefined())
        return;
    if (expected.isNull()) {
        EXPECT_FALSE(actual.has_value()) << what << " = " << actual.value_or(0);
        return;
    }
    ASSERT_TRUE(actual.has_value()) << what;
    EXPECT_NEAR(
        *actual, expected.toDouble(), relative * std::max(1.0, std::fabs(expected.toDouble())))
        << what;
}

class HardReference : public ::testing::TestWithParam<int> { };

TEST_P(HardReference, CrossoversAndStabilityAgreeWithTheIndependentComputation)
{
    const QJsonArray loops = hardLoops();
    ASSERT_LT(GetParam(), loops.size());
    const QJsonObject reference = loops[GetParam()].toObject();
    const std::string expression = reference["expression"].toString().toStdString();
    SCOPED_TRACE(reference["name"].toString().toStdString() + " " + expression);
    const LoopQuantities q = AnalyseLoop(TransferFunction::parse(expression), 0, {}).quantities;

    EXPECT_EQ(q.stable, reference["stable"].toBool());
    EXPECT_EQ(q.closedLoopRhpPoles, reference["closed_loop_rhp_poles"].toInt());
    const QJsonValue atLeast = reference["closed_loop_rhp_poles_at_least"];
    EXPECT_EQ(q.closedLoopRhpPolesKind,
        atLeast.isNull()       ? CountKind::Infinite
            : atLeast.toBool() ? CountKind::AtLeast
                               : CountKind::Exact);
    expectList(q.gainCrossovers, reference["gain_crossovers_rad_s"], "gain crossovers");
    expectList(q.phaseMargins, reference["phase_margins_deg"], "phase margins");
    expectList(q.phaseCrossovers, reference["phase_crossovers_rad_s"], "phase crossovers");
    expectList(q.gainMargins, reference["gain_margins_db"], "gain margins");
    // The closed loop of a stable loop: values to 1e-9, frequencies to 1e-6 (a top is flat).
    expectOptional(q.peakDb, reference["peak_db"], 1e-9, "peak");
    expectOptional(q.peakOmega, reference["peak_rad_s"], 1e-6, "peak frequency");
    expectOptional(q.bandwidth, reference["bandwidth_rad_s"], 1e-9, "bandwidth");
    expectOptional(q.sensitivityPeakDb, reference["sensitivity_peak_db"], 1e-9, "Ms");
    expectOptional(
        q.sensitivityPeakOmega, reference["sensitivity_peak_rad_s"], 1e-6, "Ms frequency");
}

INSTANTIATE_TEST_SUITE_P(Loops, HardReference, ::testing::Range(0, 8));

} // namespace
