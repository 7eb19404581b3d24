// The raster surface: which pixels lines paint, the dotted pattern, text cells, fonts, colours.
#include "render/fontpolicy.h"
#include "render/rastersurface.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

const QRgb white = qRgb(255, 255, 255);
const QRgb black = qRgb(0, 0, 0);

int countPixels(const QImage &image, QRgb rgb)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == rgb ? 1 : 0;
    }
    return count;
}

TEST(RasterSurface, NewImageIsWhiteAtItsSize)
{
    RasterSurface surface(300, 475);
    const QImage &image = surface.image();
    EXPECT_EQ(image.size(), QSize(300, 475));
    EXPECT_EQ(countPixels(image, white), 300 * 475);
    EXPECT_THROW(RasterSurface(0, 10), std::runtime_error);
}

TEST(RasterSurface, LinesLeaveTheirEndPixelUnpainted)
{
    RasterSurface surface(20, 20);
    surface.moveTo(5, 5);
    surface.lineTo(8, 5); // a tick of 3 pixels to the right
    surface.moveTo(10, 2);
    surface.lineTo(10, 5); // and one of 3 downwards
    const QImage &image = surface.image();
    for (int x = 5; x < 8; ++x)
        EXPECT_EQ(image.pixel(x, 5), black) << x;
    EXPECT_EQ(image.pixel(8, 5), white);
    for (int y = 2; y < 5; ++y)
        EXPECT_EQ(image.pixel(10, y), black) << y;
    EXPECT_EQ(image.pixel(10, 5), white);
    EXPECT_EQ(countPixels(image, black), 6);
}

TEST(RasterSurface, RunOfLinesPaintsEachJointOnceAndDiagonalsOnePixelPerStep)
{
    RasterSurface surface(20, 20);
    surface.moveTo(0, 0);
    surface.lineTo(5, 0);
    surface.lineTo(5, 5);
    surface.lineTo(9, 7);
    const QImage &image = surface.image();
    EXPECT_EQ(image.pixel(5, 0), black);
    EXPECT_EQ(image.pixel(5, 5), black);
    EXPECT_EQ(image.pixel(9, 7), white);
    EXPECT_EQ(countPixels(image, black), 5 + 5 + 4);
}

TEST(RasterSurface, DottedLinesAlternatePaintedPixelsAndWhiteGaps)
{
    RasterSurface surface(20, 5);
    surface.moveTo(0, 2);
    surface.lineTo(20, 2); // solid black under the dotted line
    surface.setPenColor(RgbColor(192, 192, 192));
    surface.setPenStyle(PenStyle::Dotted);
    surface.moveTo(0, 2);
    surface.lineTo(10, 2);
    const QImage &image = surface.image();
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(image.pixel(x, 2), x % 2 == 0 ? qRgb(192, 192, 192) : white) << x;
    EXPECT_EQ(image.pixel(10, 2), black);
}

TEST(RasterSurface, ColoursAreReadRedInTheLowByte)
{
    RasterSurface surface(4, 4);
    surface.setPenColor(0x0000FF);
    surface.moveTo(0, 0);
    surface.lineTo(1, 0);
    surface.setPenColor(0xFF0000);
    surface.moveTo(0, 1);
    surface.lineTo(1, 1);
    const QImage &image = surface.image();
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(0, 1), qRgb(0, 0, 255));
}

TEST(RasterSurface, LinesFarOutsideAreClippedByTheEdges)
{
    RasterSurface surface(50, 30);
    surface.moveTo(-1'000'000, 10);
    surface.lineTo(1'000'000, 10);
    surface.moveTo(25, -2'000'000'000);
    surface.lineTo(25, 2'000'000'000);
    surface.moveTo(-2'000'000'000, -2'000'000'000);
    surface.lineTo(2'000'000'000, 2'000'000'000);
    const QImage &image = surface.image();
    for (int x = 0; x < 50; ++x)
        EXPECT_EQ(image.pixel(x, 10), black);
    for (int y = 0; y < 30; ++y) {
        EXPECT_EQ(image.pixel(25, y), black);
        EXPECT_EQ(image.pixel(y, y), black);
    }
}

TEST(RasterSurface, DefaultFaceMeasuresLikeTheOriginalAtEightPoints)
{
    RasterSurface surface(10, 10);
    EXPECT_EQ(surface.textHeight("1"), 13);
    EXPECT_EQ(surface.textWidth("W"), 11);
    surface.setFontName(DefaultFontFace);
    surface.setFontSize(8);
    EXPECT_EQ(surface.textHeight("1"), 13);
    EXPECT_EQ(surface.textWidth("W"), 11);
    surface.setFontName("");
    surface.setFontSize(16);
    EXPECT_GT(surface.textHeight("1"), 20);
    EXPECT_EQ(PointsToPixels(8), 11);
    EXPECT_EQ(PointsToPixels(0), 1);
}

TEST(RasterSurface, TextCellHidesWhatLayBeneathAndLaterLinesShowOverIt)
{
    RasterSurface surface(60, 30);
    for (int y = 0; y < 30; ++y) {
        surface.moveTo(0, y);
        surface.lineTo(60, y);
    }
    surface.setFontColor(RgbColor(255, 0, 0));
    surface.drawText(10, 5, "-230");
    const int width = surface.textWidth("-230");
    const int height = surface.textHeight("1");
    surface.moveTo(0, 10);
    surface.lineTo(60, 10);
    const QImage image = surface.image();
    int glyphPixels = 0;
    for (int y = 5; y < 5 + height; ++y) {
        for (int x = 10; x < 10 + width; ++x) {
            const QRgb p = image.pixel(x, y);
            if (y == 10) {
                EXPECT_EQ(p, black);
                continue;
            }
            EXPECT_NE(p, black) << x << "," << y;
            glyphPixels += p != white ? 1 : 0;
        }
    }
    EXPECT_GT(glyphPixels, 10);
    EXPECT_EQ(image.pixel(9, 5), black);
    EXPECT_EQ(image.pixel(10 + width, 5), black);
    EXPECT_EQ(image.pixel(10, 4), black);
    EXPECT_EQ(image.pixel(10, 5 + height), black);
}

TEST(RasterSurface, TransparentTextLeavesWhatLiesBeneathItsGlyphs)
{
    RasterSurface surface(60, 30);
    for (int y = 0; y < 30; y += 2) {
        surface.moveTo(0, y);
        surface.lineTo(60, y);
    }
    surface.setFontColor(RgbColor(255, 0, 0));
    surface.drawTransparentText(10, 5, "-230");
    const QImage image = surface.image();
    int black = 0;
    int glyphs = 0;
    for (int y = 5; y < 5 + surface.textHeight("1"); ++y) {
        for (int x = 10; x < 10 + surface.textWidth("-230"); ++x) {
            const QRgb p = image.pixel(x, y);
            if (y % 2 == 1) { // a gap between lines: white, or a glyph's
                EXPECT_TRUE(p == white || qRed(p) > qGreen(p)) << x << "," << y;
            }
            black += p == qRgb(0, 0, 0);
            glyphs += qRed(p) > qGreen(p);
        }
    }
    EXPECT_GT(black, 40);
    EXPECT_GT(glyphs, 10);
}

// At scale r, a pen of w designed pixels is w r pixels across, dots and gaps r pixels long,
// and text r times larger; a filled rectangle is exactly its pixels.
TEST(RasterSurface, AtAScalePensPatternsAndFontsAreThatMuchLarger)
{
    for (const int scale : { 1, 2, 3 }) {
        RasterSurface surface(60, 60, nullptr, scale);
        EXPECT_EQ(surface.scale(), scale);
        surface.moveTo(5, 20); // 1 designed pixel: `scale` rows
        surface.lineTo(55, 20);
        surface.setPenWidth(3);
        surface.moveTo(30, 30);
        surface.lineTo(30, 55);
        surface.setPenWidth(1);
        surface.setPenStyle(PenStyle::Dotted);
        surface.moveTo(0, 2);
        surface.lineTo(12 * scale, 2);
        surface.fillRect(40, 40, 5, 3, RgbColor(0, 0, 255));
        const QImage image = surface.image();
        int rows = 0;
        for (int y = 10; y < 30; ++y)
            rows += image.pixel(10, y) == black;
        EXPECT_EQ(rows, scale);
        int columns = 0;
        for (int x = 20; x < 40; ++x)
            columns += image.pixel(x, 45) == black;
        EXPECT_EQ(columns, 3 * scale);
        // Runs of `scale` pixels, painted and white in turn, between the ends.
        std::vector<int> changes;
        for (int x = 1; x < 11 * scale; ++x)
            if (image.pixel(x, 2) != image.pixel(x - 1, 2))
                changes.push_back(x);
        ASSERT_GE(changes.size(), 8u);
        for (std::size_t i = 1; i < changes.size(); ++i)
            EXPECT_EQ(changes[i] - changes[i - 1], scale) << i;
        EXPECT_EQ(countPixels(image, qRgb(0, 0, 255)), 15);
        EXPECT_NEAR(surface.textHeight("1"), 13 * scale, scale);
        EXPECT_NEAR(surface.textWidth("W"), 11 * scale, scale);
    }
}

TEST(RasterSurface, DrawingAfterACopyLeavesTheCopyAlone)
{
    RasterSurface surface(10, 10);
    const QImage copy = surface.image();
    surface.moveTo(0, 0);
    surface.lineTo(5, 0);
    EXPECT_EQ(copy.pixel(0, 0), white);
    EXPECT_EQ(surface.image().pixel(0, 0), black);
}

} // namespace
