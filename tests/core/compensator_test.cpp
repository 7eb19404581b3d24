// Compensators: each element is the formula it names, the same as an expression function as
// written out, as text read back, as N / D, and applied to measured data; its handle moves it.
#include "core/compensatedmodel.h"
#include "core/compensator.h"
#include "core/compensatortext.h"
#include "core/expressionparser.h"
#include "core/loopanalysis.h"
#include "core/loopspec.h"
#include "core/margins.h"
#include "loopcheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>

using namespace velmora;
using namespace velmora::test;

namespace {

using Complex = std::complex<long double>;

// One element of each kind, with parameters away from their defaults.
const CompensatorElement Elements[] = {
    { ElementKind::Gain, { -6 } },
    { ElementKind::Integrator, {} },
    { ElementKind::Zero, { 2 } },
    { ElementKind::Pole, { 5 } },
    { ElementKind::Lead, { 1.5, 40 } },
    { ElementKind::Lag, { 0.1, 8 } },
    { ElementKind::PI, { 0.2 } },
    { ElementKind::PID, { 2, 5, 0.5, 10 } },
    { ElementKind::Notch, { 4, 0.02, 0.5 } },
    { ElementKind::PolePair, { 10, 0.3 } },
    { ElementKind::ZeroPair, { 3, 0.4 } },
};

const char *const Plants[] = {
    "4/(s*(s+1)*(s+2))",
    "10/((s+1)*(0.5*s+1)*(0.1*s+1))",
    "0.5*exp(-0.2*s)/(s*(0.5*s+1))",
    "20*(s^2+0.4*s+4)/(s*(s+1)*(s^2+0.08*s+16))",
};

std::string number(long double x)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.21Lg", x);
    return text;
}

// The lead's a and tau from its largest phase and the frequency of it.
std::pair<long double, long double> leadRatioAndTime(long double omega, long double degrees)
{
    const long double sine = std::sin(degrees * std::numbers::pi_v<long double> / 180);
    const long double a = (1 + sine) / (1 - sine);
    return { a, 1 / (omega * std::sqrt(a)) };
}

// Each element as its defining formula, and written out as a rational expression.
Complex formula(const CompensatorElement &e, Complex s)
{
    const long double p0 = e.parameters[0], p1 = e.parameters[1], p2 = e.parameters[2];
    const long double p3 = e.parameters[3];
    switch (e.kind) {
    case ElementKind::Gain:
        return std::pow(10.0L, p0 / 20);
    case ElementKind::Integrator:
        return 1.0L / s;
    case ElementKind::Zero:
        return 1.0L + s / p0;
    case ElementKind::Pole:
        return 1.0L / (1.0L + s / p0);
    case ElementKind::Lead: {
        const auto [a, tau] = leadRatioAndTime(p0, p1);
        return (1.0L + a * tau * s) / (1.0L + tau * s);
    }
    case ElementKind::Lag:
        return (1.0L + s / p0) / (1.0L + p1 * s / p0);
    case ElementKind::PI:
        return (s + p0) / s;
    case ElementKind::PID:
        return p0 * (1.0L + 1.0L / (p1 * s) + p2 * s / (1.0L + p2 * s / p3));
    case ElementKind::Notch:
        return (s * s + 2 * p1 * p0 * s + p0 * p0) / (s * s + 2 * p2 * p0 * s + p0 * p0);
    case ElementKind::PolePair:
        return p0 * p0 / (s * s + 2 * p1 * p0 * s + p0 * p0);
    case ElementKind::ZeroPair:
        return (s * s + 2 * p1 * p0 * s + p0 * p0) / (p0 * p0);
    }
    return 0;
}

std::string writtenOut(const CompensatorElement &e)
{
    const long double p0 = e.parameters[0], p1 = e.parameters[1], p2 = e.parameters[2];
    const long double p3 = e.parameters[3];
    const auto quadratic = [&](long double zeta) {
        return "(s^2+" + number(2 * zeta * p0) + "*s+" + number(p0 * p0) + ")";
    };
    switch (e.kind) {
    case ElementKind::Gain:
        return number(std::pow(10.0L, p0 / 20));
    case ElementKind::Integrator:
        return "1/s";
    case ElementKind::Zero:
        return "(1+s/" + number(p0) + ")";
    case ElementKind::Pole:
        return "1/(1+s/" + number(p0) + ")";
    case ElementKind::Lead: {
        const auto [a, tau] = leadRatioAndTime(p0, p1);
        return "(1+" + number(a * tau) + "*s)/(1+" + number(tau) + "*s)";
    }
    case ElementKind::Lag:
        return "(1+s/" + number(p0) + ")/(1+" + number(p1) + "*s/" + number(p0) + ")";
    case ElementKind::PI:
        return "(s+" + number(p0) + ")/s";
    case ElementKind::PID:
        return number(p0) + "*(1+1/(" + number(p1) + "*s)+" + number(p2) + "*s/(1+" + number(p2)
            + "*s/" + number(p3) + "))";
    case ElementKind::Notch:
        return quadratic(p1) + "/" + quadratic(p2);
    case ElementKind::PolePair:
        return number(p0 * p0) + "/" + quadratic(p1);
    case ElementKind::ZeroPair:
        return quadratic(p1) + "/" + number(p0 * p0);
    }
    return "";
}

void expectRelative(
    std::optional<double> a, std::optional<double> b, double tolerance, const char *what)
{
    ASSERT_EQ(a.has_value(), b.has_value()) << what;
    if (a) {
        EXPECT_NEAR(*a, *b, tolerance * std::max(1.0, std::fabs(*b))) << what;
    }
}

void expectSameFigures(const LoopQuantities &a, const LoopQuantities &b, double tolerance)
{
    EXPECT_EQ(a.stable, b.stable);
    EXPECT_EQ(a.closedLoopRhpPoles, b.closedLoopRhpPoles);
    expectRelative(a.gainMarginDb, b.gainMarginDb, tolerance, "gain margin");
    expectRelative(a.phaseCrossover, b.phaseCrossover, tolerance, "phase crossover");
    expectRelative(a.phaseMarginDeg, b.phaseMarginDeg, tolerance, "phase margin");
    expectRelative(a.gainCrossover, b.gainCrossover, tolerance, "gain crossover");
    expectRelative(a.peakDb, b.peakDb, tolerance, "Mr");
    expectRelative(a.peakOmega, b.peakOmega, tolerance, "ωr");
    expectRelative(a.bandwidth, b.bandwidth, tolerance, "ωb");
}

TEST(Compensator, ElementsAreTheFormulasTheyName)
{
    const Complex points[] = { { 0, 0.05 }, { 0, 1.3 }, { 0, 4 }, { 0, 70 }, { -0.7, 2.1 } };
    for (const CompensatorElement &e : Elements) {
        SCOPED_TRACE(InfoOf(e.kind).name);
        const CompensatorResponse response({ e });
        const RationalCompensator rational = CompensatorPolynomials({ e });
        for (const Complex s : points) {
            const Complex expected = formula(e, s);
            const long double tolerance = 1e-15L * std::abs(expected);
            EXPECT_LT(std::abs(CompensatorValue({ e }, s) - expected), tolerance);
            EXPECT_LT(
                std::abs(rational.numerator(s) / rational.denominator(s) - expected), tolerance);
            if (s.real() != 0)
                continue;
            const CompensatorPoint point = response.at(static_cast<double>(s.imag()));
            EXPECT_NEAR(point.gainDb, 20 * std::log10(std::abs(expected)), 1e-12);
            EXPECT_LT(turnsApart(static_cast<double>(point.phaseDeg),
                          static_cast<double>(std::arg(expected) * 180 / std::numbers::pi)),
                1e-10);
            EXPECT_LT(std::abs(std::complex<double>(expected) - response.quick(s.imag())),
                1e-12 * std::abs(expected));
            const CompensatorPoint quick = response.quickAt(static_cast<double>(s.imag()));
            EXPECT_NEAR(quick.gainDb, point.gainDb, 1e-12);
            EXPECT_NEAR(quick.phaseDeg, point.phaseDeg, 1e-10);
        }
    }
    // The lead gives its largest phase phi_m at omega_m, where |C| = sqrt a.
    const CompensatorResponse lead({ { ElementKind::Lead, { 1.5, 40 } } });
    const CompensatorPoint top = lead.at(1.5);
    EXPECT_NEAR(top.phaseDeg, 40, 1e-12);
    EXPECT_NEAR(top.gainDb, 10 * std::log10(leadRatioAndTime(1.5, 40).first), 1e-12);
    EXPECT_LT(lead.at(1.5 * 1.001).phaseDeg, top.phaseDeg);
    EXPECT_LT(lead.at(1.5 / 1.001).phaseDeg, top.phaseDeg);
}

TEST(Compensator, PhaseIsContinuousAndAnchoredAtLowFrequency)
{
    const Compensator chain(std::begin(Elements), std::end(Elements));
    const CompensatorResponse response(chain);
    // Integrator, PI and PID: -270 degrees as omega -> 0.
    EXPECT_NEAR(response.at(1e-7).phaseDeg, -270, 1e-3);
    double previous = static_cast<double>(response.at(1e-3).phaseDeg);
    for (double omega = 1e-3; omega < 1e4; omega *= 1.0005) {
        const double phase = static_cast<double>(response.at(omega).phaseDeg);
        EXPECT_LT(std::fabs(phase - previous), 5) << omega;
        EXPECT_NEAR(response.quickAt(omega).phaseDeg, phase, 1e-9) << omega;
        previous = phase;
    }
    // A zero pair on the axis turns the phase up by 180 degrees.
    const CompensatorResponse onAxis({ { ElementKind::ZeroPair, { 3, 0 } } });
    EXPECT_NEAR(onAxis.at(3.001).phaseDeg - onAxis.at(2.999).phaseDeg, 180, 1e-9);
}

TEST(Compensator, ExpressionFunctionsGiveTheFiguresOfTheProductWrittenOut)
{
    for (const char *plant : Plants) {
        for (const CompensatorElement &e : Elements) {
            const std::string call = CompensatorText({ e }) + "*" + plant;
            const std::string written = writtenOut(e) + "*" + plant;
            SCOPED_TRACE(call + " against " + written);
            const TransferFunction f = ParseExpression(call);
            const TransferFunction g = ParseExpression(written);
            EXPECT_EQ(f.netIntegrators(), g.netIntegrators());
            EXPECT_EQ(f.delay(), g.delay());
            for (const double omega : { 0.03, 0.9, 2.5, 40.0 }) {
                const Complex s(0, omega);
                EXPECT_LT(std::abs(f.rationalValue(s) - g.rationalValue(s)),
                    1e-13L * std::abs(g.rationalValue(s)));
                EXPECT_LT(std::abs(f.numerator()(s) / f.denominator()(s) - g.rationalValue(s)),
                    1e-12L * std::abs(g.rationalValue(s)));
            }
            expectSameFigures(
                AnalyseLoop(f, 0, {}).quantities, AnalyseLoop(g, 0, {}).quantities, 1e-9);
        }
    }
    // Blanks and signed arguments as in any expression.
    const TransferFunction spaced = ParseExpression("gain( -6 ) * lead( 1.5 ,40 )/s");
    EXPECT_LT(std::abs(spaced.rationalValue(Complex(0, 2))
                  - CompensatorValue({ Elements[0], Elements[4], Elements[1] }, Complex(0, 2))),
        1e-15L);
}

struct Refusal {
    const char *text;
    int column;
    const char *message;
};

void expectRefused(const Refusal &r, const std::function<void(const char *)> &parse)
{
    SCOPED_TRACE(r.text);
    try {
        parse(r.text);
        ADD_FAILURE() << "accepted";
    } catch (const ExpressionError &error) {
        EXPECT_EQ(error.column(), r.column) << error.what();
        EXPECT_NE(std::string(error.what()).find(r.message), std::string::npos) << error.what();
    }
}

TEST(Compensator, BadArgumentsAreRefusedWithTheColumnAndTheReason)
{
    const Refusal inBoth[] = {
        { "lead(1.5, 95)", 11, "lead : φm doit être dans ]0 ; 90[ °" },
        { "lead(-1.5, 40)", 6, "lead : ωm doit être dans [1E-9 ; 1E9] rad/s" },
        { "lead(1.5)", 9, "lead attend 2 arguments" },
        { "pi(0.2, 3)", 7, "pi attend 1 argument" },
        { "lead(,40)", 6, "lead attend 2 arguments : nombre attendu" },
        { "lead(1.5, 40", 13, "« ) » attendue" },
        { "notch(4, 0.02, 0)", 16, "notch : ζp doit être dans ]0 ; 10]" },
        { "lag(0.1, 1)", 10, "lag : a doit être dans ]1 ; 1E6]" },
        { "pid(1, 2, 0.1, 0.5)", 16, "pid : N doit être dans [1 ; 1000]" },
        { "foo(1)", 1, "fonction inconnue « foo »" },
        { "lead 1.5", 6, "« ( » attendue après « lead »" },
        { "gain(1e999)", 6, "nombre hors des limites" },
    };
    for (const Refusal &r : inBoth) {
        expectRefused(r, [](const char *text) { ParseCompensator(text); });
        expectRefused(r, [](const char *text) { ParseExpression(text); });
    }
    const Refusal compensatorOnly[] = {
        { "2*s", 3, "« s » seul ne peut que diviser" },
        { "1/lead(1,30)", 3, "seuls « s » et un nombre peuvent diviser" },
        { "0*lead(1,30)", 1, "gain nul refusé" },
        { "2*", 3, "en fin d'expression" },
        { "2+3", 2, "« * », « / » ou fin attendu au lieu de « + »" },
        { "1e300", 1, "Gain doit être dans [-200 ; 200] dB" },
        { "-2", 1, "au lieu de « - »" },
        { "lead(1,30)*é", 12, "au lieu de « é »" },
    };
    for (const Refusal &r : compensatorOnly)
        expectRefused(r, [](const char *text) { ParseCompensator(text); });
    // A name that is not a function is not a call: the expression's own message.
    expectRefused(
        { "2*x", 3, "au lieu de « x »" }, [](const char *text) { ParseExpression(text); });
}

TEST(Compensator, TextReadsBackToTheSameElements)
{
    const Compensator typed = ParseCompensator("lead(1.5,40)*pi(0.2)*2");
    ASSERT_EQ(typed.size(), 3u);
    EXPECT_EQ(typed[0], (CompensatorElement { ElementKind::Lead, { 1.5, 40 } }));
    EXPECT_EQ(typed[1], (CompensatorElement { ElementKind::PI, { 0.2 } }));
    EXPECT_EQ(typed[2].kind, ElementKind::Gain);
    EXPECT_NEAR(typed[2].parameters[0], 20 * std::log10(2.0), 1e-14);
    EXPECT_EQ(ParseCompensator("2/s/4*1").size(), 3u); // 2, /s, /4; 1 adds nothing
    EXPECT_TRUE(ParseCompensator("  ").empty());

    const Compensator chain { { ElementKind::Integrator, {} }, { ElementKind::Gain, { -6.1 } },
        { ElementKind::Lead, { 0.1, 1.0 / 3 } }, { ElementKind::PID, { 2, 5, 0, 10 } },
        { ElementKind::Notch, { 4, 0, 0.7 } }, { ElementKind::Zero, { 1e-9 } } };
    const std::string text = CompensatorText(chain);
    EXPECT_EQ(ParseCompensator(text), chain) << text;
    EXPECT_EQ(CompensatorText({}), "1");
    // The text is also the expression of C(s).
    const TransferFunction c = ParseExpression(text);
    for (const double omega : { 0.01, 0.5, 3.9, 80.0 }) {
        const Complex s(0, omega);
        EXPECT_LT(std::abs(c.rationalValue(s) - CompensatorValue(chain, s)),
            1e-15L * std::abs(CompensatorValue(chain, s)));
    }
}

TEST(Compensator, DisplayTextIsCOfSToSixDigits)
{
    EXPECT_EQ(CompensatorDisplayText({}), "1");
    EXPECT_EQ(CompensatorDisplayText(ParseCompensator("pi(0.2)*poles2(2,0.5)/s")),
        "4*(s+0.2)/(s^2*(s^2+2*s+4))");
    const Compensator chain(std::begin(Elements), std::end(Elements));
    const std::string text = CompensatorDisplayText(chain);
    EXPECT_EQ(text.find(','), std::string::npos) << text;
    const TransferFunction shown = ParseExpression(text);
    for (const double omega : { 0.01, 0.5, 3.9, 80.0 }) {
        const Complex s(0, omega);
        EXPECT_LT(std::abs(shown.rationalValue(s) - CompensatorValue(chain, s)),
            2e-5L * std::abs(CompensatorValue(chain, s)))
            << text;
    }
}

TEST(Compensator, TableAndRanges)
{
    std::size_t index = 0;
    for (const ElementInfo &info : ElementTable()) {
        EXPECT_EQ(static_cast<std::size_t>(info.kind), index++);
        EXPECT_EQ(ElementKindOfKey(info.key), info.kind);
        if (!info.function.empty()) {
            EXPECT_EQ(ElementKindOfFunction(info.function), info.kind);
        }
        for (std::size_t k = 0; k < info.parameterCount; ++k) {
            const ParameterInfo &p = info.parameters[k];
            EXPECT_FALSE(ParameterRefusal(info.kind, k, p.defaultValue)) << p.key;
            EXPECT_EQ(!ParameterRefusal(info.kind, k, p.minimum), p.minimumIncluded) << p.key;
            EXPECT_EQ(!ParameterRefusal(info.kind, k, p.maximum), p.maximumIncluded) << p.key;
            EXPECT_TRUE(ParameterRefusal(info.kind, k, std::nan(""))) << p.key;
        }
    }
    EXPECT_EQ(ElementKindOfKey("poles2"), ElementKind::PolePair);
    EXPECT_FALSE(ElementKindOfKey("lead2"));
    try {
        CheckCompensator({ { ElementKind::PI, { 0.2 } }, { ElementKind::Lag, { 0.1, 0.5 } } });
        ADD_FAILURE() << "accepted";
    } catch (const CompensatorError &error) {
        EXPECT_STREQ(error.what(), "élément 2 (Retard de phase) : a doit être dans ]1 ; 1E6]");
    }
}

TEST(Compensator, DraggingTheHandleMovesTheElementToThatFrequency)
{
    for (const CompensatorElement &e : Elements) {
        SCOPED_TRACE(InfoOf(e.kind).name);
        const std::optional<double> omega = CharacteristicFrequency(e);
        ASSERT_EQ(
            omega.has_value(), e.kind != ElementKind::Gain && e.kind != ElementKind::Integrator);
        if (!omega) {
            EXPECT_EQ(WithCharacteristicFrequency(e, 3), e);
            continue;
        }
        const CompensatorElement moved = WithCharacteristicFrequency(e, 3 * *omega);
        EXPECT_NEAR(*CharacteristicFrequency(moved), 3 * *omega, 1e-12 * *omega);
        // The shape is kept: C moved to 3 omega at 3 s is C at s.
        for (const double w : { 0.1, 1.0, 7.0 })
            EXPECT_LT(std::abs(CompensatorValue({ moved }, Complex(0, 3 * w))
                          - CompensatorValue({ e }, Complex(0, w))),
                1e-12L * std::abs(CompensatorValue({ e }, Complex(0, w))))
                << w;
        if (e.kind != ElementKind::PID) {
            EXPECT_EQ(*CharacteristicFrequency(WithCharacteristicFrequency(e, 1e12)), 1e9);
        }
    }
    EXPECT_EQ(
        WithCharacteristicFrequency({ ElementKind::PID, { 2, 5, 0, 10 } }, 2).parameters[1], 0.5);
}

// Measured data sampled exactly from a plant: times a compensator, the points are those of the
// product, and the figures read on them are those of the product's function sampled alike.
TEST(CompensatedModel, MeasuredDataTimesACompensatorIsTheProductAtThePoints)
{
    const Compensator c = ParseCompensator("lead(1.2,35)*pi(0.05)*0.5");
    for (const char *plant : Plants) {
        SCOPED_TRACE(plant);
        const TransferFunction f = ParseExpression(plant);
        const TransferFunction product = CompensatedFunction(f, c);
        const LoopAnalysis plantAnalysis = AnalyseLoop(f, 0, {});
        auto data = std::make_shared<MeasuredResponse>();
        for (const ResponsePoint &p : plantAnalysis.locus) {
            data->omega.push_back(p.omega);
            data->gainDb.push_back(p.gainDb);
            data->phaseDeg.push_back(p.phaseDeg);
        }
        const auto model = MakeCompensatedModel(MakeMeasuredModel(data), c);
        const std::vector<ResponseSample> samples = *model->givenSamples(LoopGain::fromDb(2));
        ASSERT_EQ(samples.size(), data->omega.size());
        for (std::size_t i = 0; i < samples.size(); i += 17) {
            const Direct d = direct(product, 2, samples[i].omega);
            EXPECT_NEAR(samples[i].point.gainDb, d.gainDb, 1e-9);
            EXPECT_LT(turnsApart(samples[i].phase, d.phaseDeg), 1e-9);
            EXPECT_NEAR(samples[i].point.closedDb, d.closedDb, 1e-9);
        }
        // The phase keeps its anchor: the PI adds -90 degrees at low frequency.
        const double w = samples.front().omega;
        const auto [a, tau] = leadRatioAndTime(1.2, 35);
        EXPECT_NEAR(samples.front().phase - data->phaseDeg.front(),
            (std::atan(a * tau * w) - std::atan(tau * w) + std::atan(w / 0.05)) * 180
                    / std::numbers::pi
                - 90,
            1e-9);

        // The points times the compensator, against the product sampled at the same points.
        auto productData = std::make_shared<MeasuredResponse>();
        const std::vector<ResponseSample> atUnitGain = *model->givenSamples(LoopGain {});
        for (const ResponseSample &s : atUnitGain) {
            productData->omega.push_back(s.omega);
            productData->gainDb.push_back(s.point.gainDb);
            productData->phaseDeg.push_back(s.phase);
        }
        expectSameFigures(AnalyseResponse(model, 2, {}).quantities,
            AnalyseMeasuredLoop(*productData, 2, {}).quantities, 1e-3);
    }
}

TEST(CompensatedModel, RationalPlantTimesACompensatorIsTheProduct)
{
    const Compensator c = ParseCompensator("lead(1.2,35)*notch(3,0,0.5)/s");
    for (const char *plant : Plants) {
        SCOPED_TRACE(plant);
        const auto f = std::make_shared<const TransferFunction>(ParseExpression(plant));
        const auto wrapped = MakeCompensatedModel(MakeRationalModel(f), c);
        const auto product = MakeRationalModel(
            std::make_shared<const TransferFunction>(CompensatedFunction(*f, c)));
        const LoopGain gain = LoopGain::fromDb(-4);
        const LoopStructure a = *wrapped->structure(gain);
        const LoopStructure b = *product->structure(gain);
        EXPECT_EQ(a.integrators, b.integrators);
        EXPECT_EQ(a.excess, b.excess);
        EXPECT_NEAR(a.lowGain, b.lowGain, 1e-12L * std::fabs(b.lowGain));
        EXPECT_NEAR(a.highGain, b.highGain, 1e-12L * std::fabs(b.highGain));
        EXPECT_EQ(a.zeros.size(), b.zeros.size());
        EXPECT_EQ(a.poles.size(), b.poles.size());
        ASSERT_EQ(a.axisRoots.size(), 1u);
        EXPECT_NEAR(a.axisRoots[0].omega, 3, 1e-12);
        EXPECT_EQ(a.axisRoots[0].order, 1);
        // The crossings placed by the product's polynomials, built from the plant's.
        for (const auto estimates :
            { GainCrossoverEstimates, PhaseCrossoverEstimates, GainExtremaEstimates }) {
            const std::vector<double> ea = estimates(*wrapped, gain);
            const std::vector<double> eb = estimates(*product, gain);
            ASSERT_EQ(ea.size(), eb.size());
            for (std::size_t i = 0; i < ea.size(); ++i)
                EXPECT_NEAR(ea[i], eb[i], 1e-9 * eb[i]);
        }
        for (const double omega : { 0.07, 1.1, 2.9, 3.1, 30.0 }) {
            EXPECT_NEAR(wrapped->gainDb(omega, gain), product->gainDb(omega, gain), 1e-9);
            EXPECT_NEAR(wrapped->closedDb(omega, gain), product->closedDb(omega, gain), 1e-9);
        }
        const LoopQuantities qa = AnalyseResponse(wrapped, -4, {}).quantities;
        const LoopQuantities qb = AnalyseResponse(product, -4, {}).quantities;
        EXPECT_EQ(qa.stable, qb.stable);
        expectRelative(qa.gainMarginDb, qb.gainMarginDb, 1e-9, "gain margin");
        expectRelative(qa.phaseMarginDeg, qb.phaseMarginDeg, 1e-9, "phase margin");
        expectRelative(qa.bandwidth, qb.bandwidth, 1e-9, "ωb");
        expectRelative(qa.peakDb, qb.peakDb, 1e-9, "Mr");
    }
}

TEST(LoopSpec, LoadsThePlantTimesItsCompensator)
{
    LoopSpec spec;
    spec.expression = "4/(s*(s+1)*(s+2))";
    spec.compensator = ParseCompensator("lead(1.5,40)*0.5");
    const LoadedLoop loop = LoadLoop(spec);
    const TransferFunction written = ParseExpression("lead(1.5,40)*0.5*4/(s*(s+1)*(s+2))");
    EXPECT_LT(std::abs(loop.function->rationalValue(Complex(0, 1.3))
                  - written.rationalValue(Complex(0, 1.3))),
        1e-15L);
    expectSameFigures(
        AnalyseLoadedLoop(loop, 1, {}).quantities, AnalyseLoop(written, 1, {}).quantities, 1e-12);
    EXPECT_NEAR(loop.plant->gainDb(1.3, LoopGain {}),
        direct(ParseExpression(spec.expression), 0, 1.3).gainDb, 1e-12);

    LoopSpec other = spec;
    other.compensator[0].parameters[1] = 41;
    EXPECT_FALSE(spec.sameSource(other));
    other.compensator[0].parameters[1] = 40;
    other.gainDb = 3;
    EXPECT_TRUE(spec.sameSource(other));

    const std::filesystem::path csv
        = std::filesystem::temp_directory_path() / "velmora_compensated.csv";
    {
        std::ofstream file(csv);
        file << "0.1,20,-95\n1,0,-135\n10,-30,-170\n";
    }
    LoopSpec measured;
    measured.csvPath = csv.string();
    measured.compensator = { { ElementKind::Gain, { 6 } }, { ElementKind::Integrator, {} } };
    const LoadedLoop data = LoadLoop(measured);
    const std::vector<ResponseSample> points = *data.model->givenSamples(LoopGain {});
    EXPECT_NEAR(points[1].point.gainDb, 6, 1e-12);
    EXPECT_NEAR(points[1].phase, -225, 1e-12);
    EXPECT_NEAR(data.plant->gainDb(1, LoopGain {}), 0, 1e-12);
    std::filesystem::remove(csv);

    spec.compensator = { { ElementKind::Lead, { 1, 90 } } };
    EXPECT_THROW(LoadLoop(spec), CompensatorError);
}

} // namespace
