// The closed loop's peak and bandwidth against the closed forms of the second-order loop, and
// against a brute-force dense evaluation for loops with a delay, where no closed-loop pole tells
// the sampling where to look.
#include "core/closedloopresponse.h"
#include "core/loopanalysis.h"
#include "loopcheck.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace velmora;
using namespace velmora::test;

namespace {

TEST(ClosedLoopResponse, LowFrequencyGainFromTheStructure)
{
    const struct {
        int integrators;
        long double lowGain;
        std::optional<double> db;
    } cases[] = {
        { 1, 4, 0.0 },
        { 2, -3, 0.0 },
        { 0, 4, 20 * std::log10(4.0 / 5) },
        { 0, -3, 20 * std::log10(1.5) },
        { 0, 0, std::nullopt },
        { -1, 2, std::nullopt },
    };
    for (const auto &c : cases) {
        LoopStructure s;
        s.integrators = c.integrators;
        s.lowGain = c.lowGain;
        const std::optional<double> db = LowFrequencyClosedLoopDb(s);
        ASSERT_EQ(db.has_value(), c.db.has_value()) << c.integrators << " " << c.lowGain;
        if (db) {
            EXPECT_NEAR(*db, *c.db, 1e-12);
        }
    }
}

// G = wn^2 / (s (s + 2 z wn)): T is the second-order loop, Mr = 1 / (2 z sqrt(1 - z^2)) at wn
// sqrt(1 - 2 z^2) below z = 1 / sqrt(2) (|T(0)| = 1 otherwise); |T| is 3 dB below 1 where
// (w / wn)^2 = 1 - 2 z^2 + sqrt((1 - 2 z^2)^2 + 10^0.3 - 1).
TEST(ClosedLoopResponse, SecondOrderClosedForms)
{
    for (const double zeta : { 0.05, 0.2, 0.5, 0.7, 0.9 }) {
        for (const double wn : { 1.0, 30.0 }) {
            const std::string text
                = std::to_string(wn * wn) + "/(s*(s+" + std::to_string(2 * zeta * wn) + "))";
            SCOPED_TRACE(text);
            const LoopQuantities q = AnalyseLoop(TransferFunction::parse(text), 0, {}).quantities;
            ASSERT_TRUE(q.stable);
            ASSERT_TRUE(q.peakDb && q.peakOmega && q.bandwidth);
            if (zeta < std::sqrt(0.5)) {
                EXPECT_NEAR(
                    *q.peakDb, -20 * std::log10(2 * zeta * std::sqrt(1 - zeta * zeta)), 1e-9);
                EXPECT_NEAR(*q.peakOmega, wn * std::sqrt(1 - 2 * zeta * zeta), 1e-6 * wn);
            } else {
                EXPECT_EQ(*q.peakDb, 0);
                EXPECT_EQ(*q.peakOmega, 0);
            }
            const double a = 1 - 2 * zeta * zeta;
            EXPECT_NEAR(*q.bandwidth, wn * std::sqrt(a + std::sqrt(a * a + std::pow(10, 0.3) - 1)),
                1e-9 * wn);
        }
    }
}

// |T| and |S| evaluated on a fine grid over the locus: their largest values, refined by golden
// sections, and the first fall of |T| to 3 dB below |T(0)|, refined by bisection.
struct DenseReference {
    double peakDb;
    double bandwidth;
    double sensitivityPeakDb;
};

DenseReference denseReference(const FactoredLoop &loop, double low, double high, double target)
{
    const int count = 200000;
    const auto omegaAt = [&](int i) { return low * std::pow(high / low, double(i) / count); };
    const auto sensitivityDb
        = [&](double w) { return -20 * std::log10(std::abs(1.0 + loop.at(w))); };
    const auto largest = [&](const auto &f) {
        int top = 0;
        double topDb = -INFINITY;
        for (int i = 0; i <= count; ++i)
            if (const double db = f(omegaAt(i)); db > topDb) {
                topDb = db;
                top = i;
            }
        double a = omegaAt(std::max(top - 1, 0));
        double b = omegaAt(std::min(top + 1, count));
        for (int k = 0; k < 200; ++k) {
            const double c = a + 0.382 * (b - a);
            const double d = b - 0.382 * (b - a);
            if (f(c) < f(d))
                a = c;
            else
                b = d;
        }
        return std::max(topDb, f((a + b) / 2));
    };
    double bandwidth = NAN;
    for (int i = 1; i <= count && std::isnan(bandwidth); ++i)
        if (loop.closedDb(omegaAt(i)) < target) {
            double a = omegaAt(i - 1);
            double b = omegaAt(i);
            for (int k = 0; k < 100; ++k)
                (loop.closedDb((a + b) / 2) < target ? b : a) = (a + b) / 2;
            bandwidth = a;
        }
    return { largest([&](double w) { return loop.closedDb(w); }), bandwidth,
        largest(sensitivityDb) };
}

TEST(ClosedLoopResponse, DelayLoopsAgreeWithADenseEvaluation)
{
    const FactoredLoop loops[] = {
        { 0.5, 0.2, { { 0, 1, 0, -1 }, { 0, 0.5, 1, -1 } } },
        { 3, 0.5, { { 0, 2, 1, -1 } } },
        { 0.3, 0.1, { { 0, 1, 0, -1 }, { 1, 0.6, 1, -1 } } },
        { 1000, 0.05,
            { { 0, 1, 2, 1 }, { 0, 1, 5, 1 }, { 0, 1, 0, -1 }, { 0, 1, 1, -1 }, { 0, 1, 3, -1 },
                { 0, 1, 10, -2 }, { 1, 2, 25, -1 }, { 0, 1, 20, -1 }, { 0, 1, 40, -1 },
                { 0, 1, 50, -1 } } },
        // First order with a delay: |T| ripples at every turn. A dip below the 3 dB level under
        // a top; the bandwidth past many ripples; a fast pole, ripples up to 60 rad/s; nearly equal
        // tops of |S|.
        { 0.761, 2.118, { { 0, 0.168, 1, -1 } } },
        { 0.51, 15.902, { { 0, 0.114, 1, -1 } } },
        { 0.907, 2.838, { { 0, 0.025, 1, -1 } } },
        { 0.472, 4.807, { { 0, 0.016, 1, -1 } } },
    };
    for (const FactoredLoop &loop : loops) {
        SCOPED_TRACE(loop.text());
        const LoopAnalysis a = AnalyseLoop(TransferFunction::parse(loop.text()), 0, {});
        const LoopQuantities &q = a.quantities;
        ASSERT_TRUE(q.stable);
        ASSERT_TRUE(q.peakDb && q.bandwidth && q.lowFrequencyClosedLoopDb);
        const DenseReference reference = denseReference(
            loop, a.locus.front().omega, a.locus.back().omega, *q.lowFrequencyClosedLoopDb - 3);
        EXPECT_NEAR(*q.peakDb, std::max(reference.peakDb, *q.lowFrequencyClosedLoopDb), 1e-9);
        EXPECT_NEAR(*q.bandwidth, reference.bandwidth, 1e-9 * reference.bandwidth);
        ASSERT_TRUE(q.sensitivityPeakDb);
        EXPECT_NEAR(*q.sensitivityPeakDb, reference.sensitivityPeakDb, 1e-9);
    }
}

} // namespace
