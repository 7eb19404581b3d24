// The chart files: raster images as the surface draws them; SVG and PDF as vector paths and real
// text at the image's size, which, rasterised back at 96 dpi, lie on the raster image.
#include "render/chartfile.h"

#include <QBuffer>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

bool dark(QRgb rgb, int threshold)
{
    return qGray(rgb) < threshold;
}

// The share of the clearly drawn pixels of `a` (grey below 128) that have no drawn pixel of `b`
// (grey below 224, so that a faint antialiased edge counts) within one pixel.
double shareWithoutNeighbour(const QImage &a, const QImage &b)
{
    int drawn = 0;
    int alone = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (!dark(a.pixel(x, y), 128))
                continue;
            ++drawn;
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy) {
                for (int dx = -1; dx <= 1 && !found; ++dx) {
                    const int u = x + dx;
                    const int v = y + dy;
                    found = b.valid(u, v) && dark(b.pixel(u, v), 224);
                }
            }
            alone += found ? 0 : 1;
        }
    }
    return drawn == 0 ? 1.0 : static_cast<double>(alone) / drawn;
}

void expectWithinOnePixel(const QImage &raster, const QImage &vector)
{
    ASSERT_EQ(raster.size(), vector.size());
    // Lines agree to the pixel; glyphs are drawn by two engines and may differ at their edges.
    EXPECT_LT(shareWithoutNeighbour(raster, vector), 0.01);
    EXPECT_LT(shareWithoutNeighbour(vector, raster), 0.01);
}

ChartSettings busySettings()
{
    ChartSettings s = DefaultChartSettings();
    s.axisStyle.grid = true;
    s.axisStyle.dottedGrid = true;
    s.isogainColor = RgbColor(200, 0, 0);
    return s;
}

TEST(ChartFile, FormatFromTheExtensionInAnyCase)
{
    EXPECT_EQ(FormatOfFileName("a.png"), ChartFormat::Png);
    EXPECT_EQ(FormatOfFileName("dir.x/A.BMP"), ChartFormat::Bmp);
    EXPECT_EQ(FormatOfFileName("chart.Svg"), ChartFormat::Svg);
    EXPECT_EQ(FormatOfFileName("chart.pdf"), ChartFormat::Pdf);
    EXPECT_FALSE(FormatOfFileName("chart.jpg"));
    EXPECT_FALSE(FormatOfFileName("dir.png/chart"));
    EXPECT_FALSE(FormatOfFileName("chart"));
}

TEST(ChartFile, RasterFilesHoldTheChartImage)
{
    const ChartScene scene;
    const QImage expected
        = ChartImage(scene, WindowProfile(), {}).convertToFormat(QImage::Format_RGB32);
    for (const auto &[format, name] :
        { std::pair { ChartFormat::Png, "PNG" }, std::pair { ChartFormat::Bmp, "BMP" } }) {
        const QImage read
            = QImage::fromData(ChartFileBytes(format, scene, WindowProfile(), {}), name);
        EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), expected) << name;
    }
}

TEST(ChartFile, SvgIsTheImageSizeWithRealTextAndLiesOnTheRasterImage)
{
    for (const auto &[profile, size] : { std::pair { WindowProfile(), ImageSize {} },
             std::pair { ClipboardProfile(), ImageSize { 600, 950 } } }) {
        const ChartScene busy { busySettings() };
        const QByteArray svg = ChartFileBytes(ChartFormat::Svg, busy, profile, size);
        const QString text = QString::fromUtf8(svg);
        const QRegularExpression root(
            QStringLiteral("<svg width=\"%1\" height=\"%2\"\\s+viewBox=\"0 0 %1 %2\"")
                .arg(size.width)
                .arg(size.height));
        EXPECT_TRUE(text.contains(root)) << text.left(300).toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral(">gain en dB et phase en °</text>")));
        EXPECT_TRUE(text.contains(QStringLiteral(">-230</text>")));

        QSvgRenderer renderer(svg);
        QImage rasterised(size.width, size.height, QImage::Format_RGB32);
        rasterised.fill(Qt::white);
        QPainter painter(&rasterised);
        renderer.render(&painter);
        painter.end();
        expectWithinOnePixel(ChartImage(busy, profile, size), rasterised);
    }
}

TEST(ChartFile, PdfIsOnePageOfTheImageAt96DpiWithRealText)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("chart.pdf");
    {
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ChartFileBytes(ChartFormat::Pdf, { busySettings() }, WindowProfile(), {}));
    }
    const auto run = [](const QString &program, const QStringList &arguments) {
        QProcess process;
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(60'000)) << program.toStdString();
        EXPECT_EQ(process.exitCode(), 0) << program.toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    const QString info = run("pdfinfo", { pdf });
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\n"))) << info.toStdString();
    // 300 x 475 pixels at 96 dpi: 225 x 356.25 points, rounded up to whole points.
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+225 x 357 pts")))
        << info.toStdString();
    EXPECT_TRUE(run("pdftotext", { pdf, "-" }).contains("gain en dB et phase en °"));
    run("pdftoppm", { "-r", "96", "-png", "-singlefile", pdf, dir.filePath("page") });
    const QImage page = QImage(dir.filePath("page.png")).copy(0, 0, 300, 475);
    expectWithinOnePixel(ChartImage({ busySettings() }, WindowProfile(), {}), page);
}

} // namespace
