// Thousands of random charts within everything the commands accept, and value arrays with what
// only an unchecked re-read lets through: every render finishes within its bounded work and
// hands the surface only sane coordinates. The seed is fixed; VELMORA_SEED=N picks another.
#include "plot/axes.h"
#include "plot/chartmapping.h"
#include "plot/chartscene.h"
#include "plot/renderchart.h"
#include "plot/sweep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <random>
#include <string>

using namespace velmora;

namespace {

// Counts operations and checks every coordinate; keeps nothing.
class CheckingSurface final : public DrawingSurface {
public:
    CheckingSurface(int width, int height, double scale = 1)
        : m_width(width)
        , m_height(height)
        , m_scale(scale)
    {
    }

    int width() const override { return m_width; }
    int height() const override { return m_height; }
    double scale() const override { return m_scale; }
    void setPenColor(Color) override { ++operations; }
    void setPenStyle(PenStyle) override { ++operations; }
    void setPenWidth(int pixels) override
    {
        ++operations;
        if (pixels < 1 || pixels > 9)
            flag("pen width " + std::to_string(pixels));
    }
    void drawDisc(int x, int y, int) override { point(x, y); }
    void fillRect(int x, int y, int width, int height, Color) override
    {
        point(x, y);
        point(x + width, y + height);
    }
    void setFontName(const std::string &) override { ++operations; }
    void setFontSize(int points) override
    {
        ++operations;
        if (points <= 0)
            flag("font size " + std::to_string(points));
    }
    void setFontColor(Color) override { ++operations; }
    void moveTo(int x, int y) override { point(x, y); }
    void lineTo(int x, int y) override
    {
        point(x, y);
        ++lines;
    }
    void drawText(int x, int y, const std::string &text) override
    {
        point(x, y);
        ++texts;
        // A label is at most 11 characters and a unit ("°" is two bytes); or it is the title, or
        // a loop's name or figures in the legend.
        if (text.empty() || (text.size() > 13 && text != ChartTitle && !legend))
            flag("text \"" + text + "\"");
    }
    void drawTransparentText(int x, int y, const std::string &text) override
    {
        drawText(x, y, text);
    }
    int textWidth(const std::string &text) override { return 7 * static_cast<int>(text.size()); }
    int textHeight(const std::string &) override { return 13; }

    long operations = 0;
    long lines = 0;
    long texts = 0;
    bool legend = false; // loops are drawn: longer texts are theirs
    std::string fault; // the first thing found wrong, if any

private:
    void flag(const std::string &what)
    {
        if (fault.empty())
            fault = what;
    }

    void point(int x, int y)
    {
        ++operations;
        if (std::abs(x) > CoordinateLimit || std::abs(y) > CoordinateLimit)
            flag("point " + std::to_string(x) + ", " + std::to_string(y));
    }

    int m_width;
    int m_height;
    double m_scale;
};

class Random {
public:
    explicit Random(std::uint64_t seed)
        : m_engine(seed)
    {
    }

    double uniform(double low, double high)
    {
        return std::uniform_real_distribution<double>(low, high)(m_engine);
    }
    int integer(int low, int high)
    {
        return std::uniform_int_distribution<int>(low, high)(m_engine);
    }
    bool chance(double p) { return uniform(0, 1) < p; }
    template <typename T, std::size_t N> T pick(const T (&items)[N])
    {
        return items[static_cast<std::size_t>(integer(0, static_cast<int>(N) - 1))];
    }

    // A value in the open interval (low, high), often one of its extreme ends.
    double inside(double low, double high)
    {
        switch (integer(0, 5)) {
        case 0:
            return std::nextafter(low, high);
        case 1:
            return std::nextafter(high, low);
        default:
            return uniform(low, high);
        }
    }

private:
    std::mt19937_64 m_engine;
};

std::uint64_t seed()
{
    const char *text = std::getenv("VELMORA_SEED");
    return text ? std::strtoull(text, nullptr, 10) : 20261208;
}

std::vector<double> randomValues(Random &random, double low, double high)
{
    const double unchecked[]
        = { 0, -360, -180, 1e6, -1e6, 1e300, -1e300, 5e-324, 100, -100, -1, 1e20, -1e20 };
    std::vector<double> values;
    const int count = random.integer(0, 20);
    for (int i = 0; i < count; ++i)
        values.push_back(random.chance(0.2) ? random.pick(unchecked) : random.inside(low, high));
    return values;
}

ChartSettings randomSettings(Random &random)
{
    ChartSettings s = DefaultChartSettings();
    const double gainMaxima[] = { 1e-300, 5e-324, 100, 40, 0.001 };
    s.gainMax = random.chance(0.3) ? random.pick(gainMaxima) : random.uniform(1e-6, 100);
    s.gainMin = random.chance(0.2) ? std::nextafter(-100.0, 0.0) : random.inside(-100, 0);
    if (random.chance(0.1))
        s.gainMin = -5e-324;
    const double phaseMinima[] = { -360, -180, -260 };
    s.phaseMin = random.chance(0.3) ? random.pick(phaseMinima) : random.uniform(-360, -180);
    const double tinySteps[] = { 1e-20, 1e-300, 5e-324 };
    s.gainStep = random.chance(0.15) ? random.pick(tinySteps) : random.inside(0, s.gainMax / 2);
    s.phaseStep = random.chance(0.15) ? random.pick(tinySteps)
                                      : random.inside(0, std::fabs(s.phaseMin) / 2);
    s.axisStyle.grid = random.chance(0.5);
    s.axisStyle.dottedGrid = random.chance(0.5);
    s.axisStyle.fontSize = random.integer(1, 72);
    s.isogainValues = randomValues(random, -100, 100);
    s.isophaseValues = randomValues(random, -360, -1);
    return s;
}

TEST(RenderRobustness, RandomChartsFinishWithBoundedWorkAndSaneCoordinates)
{
    const std::uint64_t base = seed();
    Random random(base);
    constexpr int cases = 3000;
    long totalOperations = 0;
    for (int i = 0; i < cases; ++i) {
        const ChartSettings settings = randomSettings(random);
        const bool window = random.chance(0.5);
        const RenderProfile profile = window ? WindowProfile() : ClipboardProfile();
        const ImageSize size = window
            ? ImageSize {}
            : ImageSize { random.integer(400, 10000), random.integer(600, 10000) };
        CheckingSurface surface(size.width, size.height);
        SCOPED_TRACE("seed " + std::to_string(base) + ", case " + std::to_string(i));
        ASSERT_NO_THROW(RenderChart(settings, profile, surface));
        ASSERT_EQ(surface.fault, "");
        // Each axis: at most MaxGraduations marks of a few operations each, plus its line. Each
        // contour: at most its capacity of points, on two branches for an iso-gain contour.
        const long nGain = static_cast<long>(settings.isogainValues.size());
        const long nPhase = static_cast<long>(settings.isophaseValues.size());
        const long axisBound = 2L * MaxGraduations * 12 + 20;
        const long contourBound
            = nGain * (2L * profile.gainDivisions + 12) + nPhase * (profile.phaseDivisions + 8) + 8;
        ASSERT_LE(surface.operations, axisBound + contourBound + 4);
        totalOperations += surface.operations;
    }
    RecordProperty("cases", cases);
    RecordProperty("operations", std::to_string(totalOperations));
}

// Parts of random charts, with loops, at several scales: the drawing finishes, its coordinates
// stay sane, and its work stays bounded.
TEST(RenderRobustness, RandomViewsWithLoopsFinishWithSaneCoordinates)
{
    const std::uint64_t base = seed();
    Random random(base + 1);
    const char *const loops[] = { "4/(s*(s+1)*(s+2))", "0.5*exp(-0.3*s)*(s+1)/(s*(0.1*s+1))",
        "5*(s+1)/(0.1*s+1)", "(s^2+3)/2", "2*(s+3)/(s*(s-1))", "1e-9/(s+1)", "1e9/s^3",
        "0.1*exp(-2*s)/(s^2+0.01*s+1)" };
    std::vector<std::shared_ptr<const LoopAnalysis>> analyses;
    for (const char *text : loops)
        analyses.push_back(std::make_shared<const LoopAnalysis>(
            AnalyseLoop(TransferFunction::parse(text), random.uniform(-20, 20), {})));
    constexpr int cases = 150;
    for (int i = 0; i < cases; ++i) {
        ChartScene scene;
        scene.settings = randomSettings(random);
        const ChartSettings &s = scene.settings;
        // A view anywhere in the extents, down to a part of a millionth of them, or reaching out.
        const double phaseSpan = (s.phaseMax - s.phaseMin) * std::pow(10.0, -random.uniform(0, 6));
        const double gainSpan = (s.gainMax - s.gainMin) * std::pow(10.0, -random.uniform(0, 6));
        const double phase = random.uniform(s.phaseMin - 10, s.phaseMax);
        const double gain = random.uniform(s.gainMin - 10, s.gainMax);
        scene.view = ViewExtents { phase, phase + phaseSpan, gain, gain + gainSpan };
        for (int k = random.integer(1, 4); k > 0; --k)
            scene.loops.push_back({ analyses[static_cast<std::size_t>(
                                        random.integer(0, static_cast<int>(analyses.size()) - 1))],
                DefaultLoopColor(scene.loops.size()), loops[0] });
        scene.legend = static_cast<LegendKind>(random.integer(0, 2));
        scene.showSensitivity = random.chance(0.5);
        scene.markers = { random.uniform(0.01, 100) };
        const double scale = random.pick({ 1.0, 1.5, 2.0 });
        const bool window = random.chance(0.5);
        const RenderProfile profile = window ? WindowProfile() : ClipboardProfile();
        CheckingSurface surface(static_cast<int>(random.integer(150, 1200) * scale),
            static_cast<int>(random.integer(200, 1500) * scale), scale);
        surface.legend = true;
        SCOPED_TRACE("seed " + std::to_string(base) + ", case " + std::to_string(i));
        ASSERT_NO_THROW(DrawChartScene(scene, profile, surface));
        ASSERT_EQ(surface.fault, "");
        ASSERT_LT(surface.operations, 3'000'000);
    }
}

} // namespace
