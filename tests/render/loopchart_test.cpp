// Charts with loops on the raster image: the locus is where G(j omega), computed here on its
// factors, says it is; no loop ink leaves the plot frame; a part of the chart shows the contours
// where they are; the ink map covers every pixel drawn.
#include "plot/chartscene.h"
#include "plot/inkmap.h"
#include "render/chartfile.h"
#include "render/qtcolor.h"
#include "render/rastersurface.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <random>

using namespace velmora;

namespace {

using Complex = std::complex<double>;
constexpr double Degrees = 180 / std::numbers::pi;

struct Loop {
    const char *text;
    std::function<Complex(Complex)> g;
};

const Loop Third { "4/(s*(s+1)*(s+2))",
    [](Complex s) { return 4.0 / (s * (s + 1.0) * (s + 2.0)); } };
const Loop Delayed { "0.5*exp(-0.3*s)*(s+1)/(s*(0.1*s+1))",
    [](Complex s) { return 0.5 * std::exp(-0.3 * s) * (s + 1.0) / (s * (0.1 * s + 1.0)); } };

SceneLoop sceneLoop(const char *text, Color color)
{
    return { std::make_shared<const LoopAnalysis>(
                 AnalyseLoop(TransferFunction::parse(text), 0, {})),
        color, text };
}

// Points of G(j omega) from 1e-4 to 1e4 rad/s, 20,000 a decade, phases unwrapped by continuity
// and shifted by the whole turns that bring the gain crossover nearest -180 degrees.
std::vector<std::pair<double, double>> locusOf(const Loop &loop)
{
    std::vector<std::pair<double, double>> points; // degrees, dB
    double phase = std::arg(loop.g(Complex(0, 1e-4))) * Degrees;
    Complex previous = loop.g(Complex(0, 1e-4));
    std::optional<double> crossover;
    for (int i = 0; i <= 160000; ++i) {
        const double w = 1e-4 * std::pow(10.0, i / 20000.0);
        const Complex g = loop.g(Complex(0, w));
        phase += std::arg(g / previous) * Degrees;
        const double gain = 20 * std::log10(std::abs(g));
        if (!crossover && !points.empty() && (points.back().second >= 0) != (gain >= 0))
            crossover = phase;
        previous = g;
        points.push_back({ phase, gain });
    }
    const double shift = crossover ? 360 * std::round((-180 - *crossover) / 360) : 0;
    for (auto &p : points)
        p.first += shift;
    return points;
}

TEST(LoopChart, LociAreDrawnWhereTheLoopIs)
{
    const std::vector<std::vector<Loop>> cases { { Third }, { Third, Delayed } };
    for (const auto &[profile, size] : { std::pair { WindowProfile(), ImageSize {} },
             std::pair { ClipboardProfile(), ImageSize { 600, 950 } } }) {
        for (const std::vector<Loop> &loops : cases) {
            ChartScene scene;
            for (const Loop &loop : loops)
                scene.loops.push_back(sceneLoop(loop.text, DefaultLoopColor(scene.loops.size())));
            const QImage image
                = ChartImage(scene, profile, size).convertToFormat(QImage::Format_RGB32);
            const ChartMapping m = MappingOf(FrameOf(size.width, size.height), scene.settings);
            for (std::size_t k = 0; k < loops.size(); ++k) {
                SCOPED_TRACE(std::string(loops[k].text) + " at " + std::to_string(size.width));
                const QRgb colour = ToRgb(scene.loops[k].color);
                long inside = 0;
                long seen = 0;
                for (const auto &[phase, gain] : locusOf(loops[k])) {
                    const double x = m.columnOf(phase);
                    const double y = m.rowOf(gain);
                    if (!m.frame.contains(x, y))
                        continue;
                    ++inside;
                    const int cx = static_cast<int>(std::lround(x));
                    const int cy = static_cast<int>(std::lround(y));
                    bool found = false;
                    for (int dy = -2; dy <= 2 && !found; ++dy)
                        for (int dx = -2; dx <= 2 && !found; ++dx)
                            found
                                = dx * dx + dy * dy <= 4 && image.pixel(cx + dx, cy + dy) == colour;
                    seen += found;
                }
                ASSERT_GT(inside, 1000);
                EXPECT_GE(static_cast<double>(seen) / inside, 0.995) << seen << " of " << inside;
            }
        }
    }
}

QJsonArray referenceLoops()
{
    QFile file(QStringLiteral(VELMORA_REFERENCE_DIR "/loops.json"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QJsonDocument::fromJson(file.readAll()).object()["loops"].toArray();
}

TEST(LoopChart, NoLoopInkLeavesThePlotFrame)
{
    const Color colour = RgbColor(200, 0, 0);
    const QRgb rgb = ToRgb(colour);
    const QJsonArray references = referenceLoops();
    ASSERT_EQ(references.size(), 13);
    for (const auto &[profile, size] : { std::pair { WindowProfile(), ImageSize {} },
             std::pair { ClipboardProfile(), ImageSize { 600, 950 } } }) {
        for (const QJsonValue &reference : references) {
            const std::string text = reference.toObject()["expression"].toString().toStdString();
            SCOPED_TRACE(text + " at " + std::to_string(size.width));
            ChartScene scene;
            scene.loops = { sceneLoop(text.c_str(), colour) };
            scene.markers = { 0.3, 3 };
            scene.legend = LegendKind::Margins;
            scene.showSensitivity = true;
            const QImage image
                = ChartImage(scene, profile, size).convertToFormat(QImage::Format_RGB32);
            const PixelFrame f = FrameOf(size.width, size.height);
            long outside = 0;
            long drawn = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const bool loop = image.pixel(x, y) == rgb;
                    drawn += loop;
                    outside += loop && !f.contains(x, y);
                }
            }
            EXPECT_GT(drawn, 100);
            EXPECT_EQ(outside, 0);
        }
    }
}

// A view of the critical region at two scales: the 0 dB contour (Re G = -1/2) passes through
// (-180 degrees, -6.02 dB), give or take its sampling.
TEST(LoopChart, AViewShowsTheContoursWhereTheyAre)
{
    ChartScene scene;
    scene.settings.isogainValues = { 0 };
    scene.settings.isogainColor = RgbColor(0, 160, 0);
    scene.view = ViewExtents { -200, -160, -10, 10 };
    for (const double scale : { 1.0, 2.0 }) {
        const ImageSize size = ScaledSize({ 300, 475 }, scale);
        const QImage image
            = ChartImage(scene, WindowProfile(), size, scale).convertToFormat(QImage::Format_RGB32);
        const ChartMapping m { FrameOf(size.width, size.height, scale), -10, 10, -200, -160 };
        // Beside the -180 degrees iso-phase line, drawn over it.
        const int x = m.column(-180) + static_cast<int>(scale) + 1;
        const int y = m.row(20 * std::log10(0.5));
        int nearest = 100;
        for (int row = y - 10; row <= y + 10; ++row)
            if (image.pixel(x, row) == ToRgb(scene.settings.isogainColor))
                nearest = std::min(nearest, std::abs(row - y));
        EXPECT_LE(nearest, 2 * scale) << scale;
    }
}

// Every pixel a line of any width paints lies in a cell the ink map marks for it.
TEST(LoopChart, TheInkMapCoversEveryPixelDrawn)
{
    std::mt19937 random(20261208);
    for (const double scale : { 1.0, 1.5, 2.0 }) {
        RasterSurface raster(300, 300, nullptr, scale);
        InkMap ink(300, 300);
        InkSurface surface(raster, ink);
        surface.setKind(Ink::Locus);
        std::uniform_int_distribution<int> coordinate(-50, 350);
        std::uniform_int_distribution<int> width(1, 9);
        for (int i = 0; i < 40; ++i) {
            surface.setPenWidth(width(random));
            surface.moveTo(coordinate(random), coordinate(random));
            surface.lineTo(coordinate(random), coordinate(random));
        }
        surface.drawDisc(150, 150, 7);
        const QImage image = raster.image();
        for (int y = 0; y < 300; ++y) {
            for (int x = 0; x < 300; ++x) {
                if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                    ASSERT_TRUE(ink.any({ x, y, x + 1, y + 1 }, Ink::Locus)) << x << ", " << y;
                }
            }
        }
    }
}

} // namespace
