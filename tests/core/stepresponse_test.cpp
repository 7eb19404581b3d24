// Closed-loop step responses: closed forms with and without a delay, the final value, time
// scaling, the jumps of a proper loop with a delay, what is refused, and the figures read on
// responses known in closed form.
#include "core/stepfigures.h"
#include "core/stepresponse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

using namespace velmora;

namespace {

StepResponse StepOf(const char *text, double gainDb, std::span<const double> extraTimes = {})
{
    const std::optional<StepResponse> response
        = ClosedLoopStep(TransferFunction::parse(text), gainDb, extraTimes);
    EXPECT_TRUE(response.has_value()) << text;
    return response.value_or(StepResponse {});
}

// The value the response gives at time t (the last one listed there).
double ValueAt(const StepResponse &response, double t)
{
    double value = NAN;
    for (std::size_t i = 0; i < response.time.size(); ++i)
        if (response.time[i] == t)
            value = response.value[i];
    return value;
}

void ExpectClose(std::optional<double> actual, double expected, double relative, const char *what)
{
    ASSERT_TRUE(actual.has_value()) << what;
    EXPECT_NEAR(*actual, expected, relative * std::fabs(expected)) << what;
}

// K G = k / (tau s + 1), or k / (tau s) with an integrator, K included in k.
struct FirstOrder {
    const char *text;
    double gainDb;
    double k;
    double tau;
    bool integrator;
};

class FirstOrderLoop : public ::testing::TestWithParam<FirstOrder> { };

TEST_P(FirstOrderLoop, FollowsItsClosedFormAndFigures)
{
    const FirstOrder loop = GetParam();
    const double k = loop.k * std::pow(10, loop.gainDb / 20);
    const double final = loop.integrator ? 1 : k / (1 + k);
    const double constant = loop.integrator ? loop.tau / k : loop.tau / (1 + k);
    const StepResponse response = StepOf(loop.text, loop.gainDb);
    ASSERT_FALSE(response.time.empty());
    for (std::size_t i = 0; i < response.time.size(); ++i)
        EXPECT_NEAR(response.value[i], final * -std::expm1(-response.time[i] / constant),
            1e-12 * std::fabs(final))
            << response.time[i];
    const StepFigures &figures = response.figures;
    EXPECT_NEAR(figures.finalValue, final, 1e-15 * std::fabs(final));
    ExpectClose(figures.riseTimeS, constant * std::log(9.0), 1e-12, "rise time");
    ExpectClose(figures.settlingTimeS, constant * std::log(20.0), 1e-12, "settling time");
    EXPECT_EQ(figures.overshootPercent, 0.0);
    EXPECT_FALSE(figures.peakTime.has_value());
    EXPECT_EQ(response.time.front(), 0);
    EXPECT_GE(response.time.back(), 1.25 * *figures.settlingTimeS);
}

INSTANTIATE_TEST_SUITE_P(Loops, FirstOrderLoop,
    ::testing::Values(FirstOrder { "1/(s+1)", 0, 1, 1, false },
        FirstOrder { "4/(0.5*s+1)", 6, 4, 0.5, false }, FirstOrder { "2/s", -3, 2, 1, true },
        FirstOrder { "-0.5/(2*s+1)", 0, -0.5, 2, false },
        FirstOrder { "1e6/(0.001*s+1)", -20, 1e6, 0.001, false }));

TEST(StepResponse, DelayLoopFollowsTheMethodOfStepsInClosedForm)
{
    // k e^(-sT) / (s + 1): y = 0 before T, k (1 - e^-(t-T)) before 2T, then with s = t - 2T
    // y = y(2T) e^-s + k (1 - k) (1 - e^-s) + k^2 s e^-s before 3T.
    const double k = 0.8, delay = 0.5;
    const auto exact = [&](double t) {
        if (t < delay)
            return 0.0;
        if (t < 2 * delay)
            return k * -std::expm1(-(t - delay));
        const double s = t - 2 * delay;
        const double start = k * -std::expm1(-delay);
        return start * std::exp(-s) + k * (1 - k) * -std::expm1(-s) + k * k * s * std::exp(-s);
    };
    std::vector<double> times;
    for (double t = 0.01; t < 3 * delay; t += 0.037)
        times.push_back(t);
    const StepResponse response = StepOf("0.8*exp(-0.5*s)/(s+1)", 0, times);
    for (const double t : times)
        EXPECT_NEAR(ValueAt(response, t), exact(t), 1e-10) << t;
}

TEST(StepResponse, ProperLoopWithDelayJumpsAtEachDelay)
{
    // y(t) = k (1 - y(t - T)): k (1 - (-k)^(j+1)) / (1 + k) on [(j+1) T, (j+2) T).
    const double k = 0.5, delay = 0.2;
    std::vector<double> middles;
    for (int j = 0; j < 8; ++j)
        middles.push_back((j + 1.5) * delay);
    const StepResponse response = StepOf("0.5*exp(-0.2*s)", 0, middles);
    for (int j = 0; j < 8; ++j)
        EXPECT_NEAR(ValueAt(response, middles[j]), k * (1 - std::pow(-k, j + 1)) / (1 + k), 1e-12);
    // The first jump: time T listed twice, with 0 then k.
    const auto first = std::find(response.time.begin(), response.time.end(), delay);
    ASSERT_NE(first, response.time.end());
    ASSERT_EQ(*(first + 1), delay);
    EXPECT_EQ(response.value[first - response.time.begin()], 0);
    EXPECT_NEAR(response.value[first - response.time.begin() + 1], k, 1e-15);
    EXPECT_TRUE(std::is_sorted(response.time.begin(), response.time.end()));

    const StepFigures &figures = response.figures;
    EXPECT_NEAR(figures.finalValue, 1.0 / 3, 1e-15);
    ExpectClose(figures.overshootPercent, 50, 1e-12, "overshoot");
    ExpectClose(figures.peakTime, delay, 1e-15, "peak at the first jump");
    ExpectClose(figures.riseTimeS, 0, 0, "rise in one jump");
    // |y / y_f - 1| = 0.5^(j+1): last at or above 5 % on [4T, 5T).
    ExpectClose(figures.settlingTimeS, 5 * delay, 1e-15, "settling at a jump");
}

struct Loop {
    const char *text;
    double gainDb;
};

class AnyLoop : public ::testing::TestWithParam<Loop> { };

TEST_P(AnyLoop, SettlesOnTheClosedLoopGainAtZero)
{
    const TransferFunction loop = TransferFunction::parse(GetParam().text);
    const double gain = std::pow(10, GetParam().gainDb / 20);
    const double n0 = static_cast<double>(loop.numerator().coefficients().front());
    const double d0 = static_cast<double>(loop.denominator().coefficients().front());
    const double final = gain * n0 / (d0 + gain * n0);
    const StepResponse response = StepOf(GetParam().text, GetParam().gainDb);
    const StepFigures &figures = response.figures;
    EXPECT_NEAR(figures.finalValue, final, 1e-14 * std::fabs(final));
    ASSERT_TRUE(figures.settlingTimeS.has_value());
    // Inside the band after the settling time; within a tenth of it at the end.
    for (std::size_t i = 0; i < response.time.size(); ++i) {
        if (response.time[i] > *figures.settlingTimeS * (1 + 1e-12)) {
            EXPECT_LE(std::fabs(response.value[i] / final - 1), 0.05 + 1e-9) << response.time[i];
        }
    }
    EXPECT_LE(std::fabs(response.value.back() / final - 1), 0.005 * (1 + 1e-6));
    EXPECT_GE(response.time.back(), 1.25 * *figures.settlingTimeS);
    EXPECT_TRUE(std::is_sorted(response.time.begin(), response.time.end()));
    EXPECT_GE(response.time.size(), 400u);
    EXPECT_LE(response.time.size(), 20000u);
}

INSTANTIATE_TEST_SUITE_P(Loops, AnyLoop,
    ::testing::Values(Loop { "5/((s+1)*(0.5*s+1))", 0 },
        Loop { "2*(1-0.5*s)/((s+1)*(0.2*s+1))", 0 }, Loop { "4/(s*(s+1)*(s+2))", -6 },
        Loop { "10*(s+1)/(s^2*(0.1*s+1))", 0 }, Loop { "-0.5/(s+1)", 3 },
        Loop { "(s+2)/(2*s+1)", 0 }, Loop { "3*exp(-0.5*s)/(2*s+1)", 0 },
        Loop { "0.5*(s+3)*exp(-0.3*s)/(s+1)", 0 },
        Loop { "1000*(s+2)*(s+5)*exp(-0.05*s)/"
               "(s*(s+1)*(s+3)*(s+10)^2*(s^2+2*s+25)*(s+20)*(s+40)*(s+50))",
            0 },
        Loop { "4/(s*(s+0.1))", 0 }, Loop { "0.5/(100*s+1)^28", 0 }));

// G(a s) answers in a times the time G(s) takes: same overshoot, times scaled by a.
struct Scaled {
    const char *text;
    const char *scaled;
    double factor;
};

class ScaledLoop : public ::testing::TestWithParam<Scaled> { };

TEST_P(ScaledLoop, AnswersInScaledTime)
{
    const StepFigures a = StepOf(GetParam().text, 0).figures;
    const StepFigures b = StepOf(GetParam().scaled, 0).figures;
    const double factor = GetParam().factor;
    EXPECT_NEAR(b.finalValue, a.finalValue, 1e-12);
    ASSERT_TRUE(a.overshootPercent && b.overshootPercent && a.riseTimeS && a.settlingTimeS);
    EXPECT_NEAR(
        *b.overshootPercent, *a.overshootPercent, 1e-8 * std::max(1.0, *a.overshootPercent));
    ExpectClose(b.riseTimeS, factor * *a.riseTimeS, 1e-9, "rise time");
    ExpectClose(b.settlingTimeS, factor * *a.settlingTimeS, 1e-9, "settling time");
    ASSERT_EQ(a.peakTime.has_value(), b.peakTime.has_value());
    if (a.peakTime) {
        ExpectClose(b.peakTime, factor * *a.peakTime, 1e-9, "peak time");
    }
}

INSTANTIATE_TEST_SUITE_P(Loops, ScaledLoop,
    ::testing::Values(
        Scaled { "20*(s^2+0.4*s+4)/(s*(s+1)*(s^2+0.08*s+16))",
            "20*((0.1*s)^2+0.4*(0.1*s)+4)/((0.1*s)*((0.1*s)+1)*((0.1*s)^2+0.08*(0.1*s)+16))", 0.1 },
        // Expanded, the second spans 1e56: the response must not see it.
        Scaled { "0.5/(s+1)^28", "0.5/(100*s+1)^28", 100 },
        Scaled { "0.5*exp(-0.2*s)/(s*(0.5*s+1))", "0.5*exp(-2*s)/((10*s)*(5*s+1))", 10 },
        Scaled { "0.5*(s+3)*exp(-0.3*s)/(s+1)", "0.5*(0.01*s+3)*exp(-0.003*s)/(0.01*s+1)", 0.01 },
        Scaled { "0.5*exp(-0.01*s)/(s+1)^28", "0.5*exp(-1*s)/(100*s+1)^28", 100 }));

TEST(StepResponse, VeryLightDampingIsDrawnByItsEnvelope)
{
    // 1 / (s^2 + 0.001 s + 1) closed: s^2 + 0.001 s + 2, thousands of periods before settling.
    const double omega = std::sqrt(2.0);
    const double zeta = 0.001 / (2 * omega);
    const double wd = omega * std::sqrt(1 - zeta * zeta);
    const StepResponse response = StepOf("1/(s^2+0.001*s+1)", 0);
    const StepFigures &figures = response.figures;
    const double overshoot = 100 * std::exp(-std::numbers::pi * zeta * omega / wd);
    ExpectClose(figures.overshootPercent, overshoot, 1e-9, "overshoot");
    ExpectClose(figures.peakTime, std::numbers::pi / wd, 1e-9, "peak time");
    EXPECT_LE(response.time.size(), 20000u);
    // Thinned to the lowest and highest of each run: the drawn extremes stay near the peaks.
    const double highest = *std::max_element(response.value.begin(), response.value.end());
    const double lowest = *std::min_element(response.value.begin(), response.value.end());
    EXPECT_GT(highest, 0.5 * (1 + 0.99 * overshoot / 100));
    EXPECT_LT(lowest, 0.5 * (1 - 0.99 * overshoot / 100));
}

TEST(StepResponse, WithoutFinalValueGivesTheResponseButNoFigures)
{
    // s / (s + 1) closed: s / (2 s + 1), y = e^(-t/2) / 2.
    const StepResponse response = StepOf("s/(s+1)", 0);
    for (std::size_t i = 0; i < response.time.size(); ++i)
        EXPECT_NEAR(response.value[i], std::exp(-response.time[i] / 2) / 2, 1e-13);
    EXPECT_EQ(response.figures.finalValue, 0);
    EXPECT_FALSE(response.figures.overshootPercent || response.figures.peakTime
        || response.figures.riseTimeS || response.figures.settlingTimeS);
}

TEST(StepResponse, RefusesWhatCannotBeSimulated)
{
    for (const char *text : {
             "s", // improper
             "-s/(s+1)", // K N / D -> -1: an algebraic loop
             "-2/((s+1)*(0.2*s+1))", // unstable
             "(s-1)/((s-1)*(s+2))", // an unstable pole cancelled as typed
             "2*(s+1)*exp(-0.1*s)/(s+2)", // neutral, jumps that grow
             "1/(s^2+1e-5*s+1)", // tens of thousands of periods before settling
             "0.9999999*(s+1)*exp(-0.001*s)/(s+2)", // jumps that die too slowly to follow
         })
        EXPECT_FALSE(ClosedLoopStep(TransferFunction::parse(text), 0).has_value()) << text;
}

// The figure finder alone, on y = 1 - e^(-zeta t) (cos wd t + zeta / wd sin wd t) (omega = 1),
// sampled coarsely and evaluated exactly.
class SecondOrder : public ::testing::TestWithParam<double> { };

TEST_P(SecondOrder, FiguresAreRefinedBetweenSamples)
{
    const double zeta = GetParam();
    const double wd = std::sqrt(1 - zeta * zeta);
    const auto y = [&](double t) {
        return 1 - std::exp(-zeta * t) * (std::cos(wd * t) + zeta / wd * std::sin(wd * t));
    };
    const auto slope = [&](double t) { return std::exp(-zeta * t) * std::sin(wd * t) / wd; };
    StepFigureFinder finder(1, [&](int, double t) { return std::pair { y(t), slope(t) }; });
    for (double t = 0; t < 80; t += 0.3)
        finder.add({ t, y(t), 0 });
    const StepFigures figures = finder.figures();

    // The first time y crosses a level, and the last time it leaves the band, by bisection
    // on a fine scan.
    const auto first = [&](const std::function<double(double)> &f) {
        double t = 0;
        while (f(t + 1e-3) < 0)
            t += 1e-3;
        double a = t, b = t + 1e-3;
        for (int i = 0; i < 200; ++i)
            (f((a + b) / 2) < 0 ? a : b) = (a + b) / 2;
        return a;
    };
    const auto last = [&](double level) {
        double t = 80;
        while (std::fabs(y(t) - 1) < level)
            t -= 1e-3;
        double a = t, b = t + 1e-3;
        for (int i = 0; i < 200; ++i)
            (std::fabs(y((a + b) / 2) - 1) >= level ? a : b) = (a + b) / 2;
        return a;
    };
    ExpectClose(figures.overshootPercent, 100 * std::exp(-std::numbers::pi * zeta / wd), 1e-12,
        "overshoot");
    ExpectClose(figures.peakTime, std::numbers::pi / wd, 1e-9, "peak time");
    ExpectClose(figures.riseTimeS,
        first([&](double t) { return y(t) - 0.9; }) - first([&](double t) { return y(t) - 0.1; }),
        1e-12, "rise time");
    ExpectClose(figures.settlingTimeS, last(0.05), 1e-12, "settling time");
}

INSTANTIATE_TEST_SUITE_P(Dampings, SecondOrder, ::testing::Values(0.05, 0.3, 0.7));

TEST(BrentRoot, FindsRootsToFullPrecision)
{
    const auto f = [](double t) { return std::cos(t); };
    EXPECT_NEAR(BrentRoot(f, 0, 3, f(0), f(3)), std::numbers::pi / 2, 4e-16);
    const auto g = [](double t) { return t * t * t - 1e-9; };
    EXPECT_NEAR(BrentRoot(g, 0, 1, g(0), g(1)), 1e-3, 1e-18);
    EXPECT_EQ(BrentRoot(g, 1e-3, 1, 0, g(1)), 1e-3);
}

} // namespace
