// Tuning on the loops of tests/reference/loops.json: every target the analysis reads at a few
// gains where the closed loop is stable is tuned back from 0 dB, and holds at the gain found to
// 1e-6 (dB, degrees, or relative to the frequency); that gain is no farther from 0 dB than the
// one the value was read at.
#include "core/loopanalysis.h"
#include "core/tuning.h"
#include "targetcheck.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>

using namespace velmora;
using namespace velmora::test;

namespace {

QJsonArray referenceLoops()
{
    QFile file(QStringLiteral(VELMORA_REFERENCE_DIR "/loops.json"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QJsonDocument::fromJson(file.readAll()).object()["loops"].toArray();
}

class TuningReference : public ::testing::TestWithParam<int> { };

TEST_P(TuningReference, EveryReachedTargetIsTunedBack)
{
    const QJsonObject reference = referenceLoops()[GetParam()].toObject();
    const std::string expression = reference["expression"].toString().toStdString();
    SCOPED_TRACE(reference["name"].toString().toStdString() + " " + expression);
    const auto model = MakeRationalModel(
        std::make_shared<const TransferFunction>(TransferFunction::parse(expression)));
    int tuned = 0;
    for (const double from : { -12.0, -6.0, -2.0, 3.0 }) {
        const LoopQuantities there = AnalyseResponse(model, from, {}).quantities;
        if (!there.stable)
            continue;
        for (const TargetInfo &target : TargetTable()) {
            const std::optional<double> value = quantity(there, target.kind);
            if (!value)
                continue;
            SCOPED_TRACE(std::string(target.key) + " = " + std::to_string(*value) + " read at "
                + std::to_string(from) + " dB");
            const TuningResult result = TuneGain(model, 0, target.kind, *value);
            const LoopQuantities q = AnalyseResponse(model, result.gainDb, {}).quantities;
            EXPECT_TRUE(q.stable);
            ASSERT_TRUE(quantity(q, target.kind));
            const bool frequency
                = target.kind == TargetKind::Bandwidth || target.kind == TargetKind::Crossover;
            EXPECT_NEAR(*quantity(q, target.kind), *value, 1e-6 * (frequency ? *value : 1));
            EXPECT_LE(std::fabs(result.gainDb), std::fabs(from) + 1e-9);
            ++tuned;
        }
    }
    // Every loop is stable at one of these gains at least.
    EXPECT_GT(tuned, 0);
}

INSTANTIATE_TEST_SUITE_P(Loops, TuningReference, ::testing::Range(0, 13));

} // namespace
