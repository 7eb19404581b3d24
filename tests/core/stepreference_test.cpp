// Closed-loop step responses against reference values computed independently
// (tests/reference/steps.json, with the command that produced it in
// tests/reference/compute_step_reference.py): python-control's step_info refined on the exact
// response for rational loops, the method of steps by scipy for delay loops. The figures to 1e-4
// relative, the response at a few times to 1e-6 of the final value.
#include "core/stepresponse.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>

using namespace velmora;

namespace {

constexpr double Relative = 1e-4;

QJsonArray referenceSteps()
{
    QFile file(QStringLiteral(VELMORA_REFERENCE_DIR "/steps.json"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QJsonDocument::fromJson(file.readAll()).object()["loops"].toArray();
}

void ExpectFigure(const std::optional<double> &actual, const QJsonValue &expected, const char *what)
{
    if (expected.isNull()) {
        EXPECT_FALSE(actual.has_value()) << what << " = " << actual.value_or(0);
        return;
    }
    ASSERT_TRUE(actual.has_value()) << what;
    EXPECT_NEAR(*actual, expected.toDouble(), Relative * std::fabs(expected.toDouble())) << what;
}

class StepReference : public ::testing::TestWithParam<int> { };

TEST_P(StepReference, FiguresAgreeWithTheIndependentComputation)
{
    const QJsonArray loops = referenceSteps();
    ASSERT_LT(GetParam(), loops.size());
    const QJsonObject reference = loops[GetParam()].toObject();
    const std::string expression = reference["expression"].toString().toStdString();
    SCOPED_TRACE(reference["name"].toString().toStdString() + " " + expression);
    std::vector<double> times, values;
    for (const QJsonValue &sample : reference["samples"].toArray()) {
        times.push_back(sample.toArray()[0].toDouble());
        values.push_back(sample.toArray()[1].toDouble());
    }

    const std::optional<StepResponse> response = ClosedLoopStep(
        TransferFunction::parse(expression), reference["gain_db"].toDouble(), times);
    ASSERT_TRUE(response.has_value());
    const StepFigures &figures = response->figures;
    const double final = reference["final_value"].toDouble();
    EXPECT_NEAR(figures.finalValue, final, 1e-12 * std::fabs(final));
    ExpectFigure(figures.overshootPercent, reference["overshoot_percent"], "overshoot");
    ExpectFigure(figures.peakTime, reference["peak_time_s"], "peak time");
    ExpectFigure(figures.riseTimeS, reference["rise_time_s"], "rise time");
    ExpectFigure(figures.settlingTimeS, reference["settling_time_s"], "settling time");

    // Each time asked for is in the response with its value (at a jump, one of its two values).
    for (std::size_t k = 0; k < times.size(); ++k) {
        double nearest = INFINITY;
        for (std::size_t i = 0; i < response->time.size(); ++i)
            if (response->time[i] == times[k])
                nearest = std::min(nearest, std::fabs(response->value[i] - values[k]));
        EXPECT_LE(nearest, 1e-6 * std::max(1.0, std::fabs(final))) << "y(" << times[k] << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(Loops, StepReference, ::testing::Range(0, 23));

TEST(StepReference, EveryReferenceIsTested)
{
    EXPECT_EQ(referenceSteps().size(), 23);
}

} // namespace
