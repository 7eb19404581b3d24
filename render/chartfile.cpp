// render/chartfile.cpp — the chart as the bytes of an image or document file (render layer)
#include "render/chartfile.h"

#include "plot/renderchart.h"

#include "render/fontpolicy.h"
#include "render/paintersurface.h"
#include "render/rastersurface.h"

#include <QBuffer>
#include <QHash>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSvgGenerator>

#include <cctype>
#include <cmath>
#include <stdexcept>
#include <string>

namespace velmora {

namespace {

const char *const DocumentTitle = "Abaque";

// The image with a palette of its own colours when it has 256 at most, as most charts do (their
// text is antialiased in a few dozen greys): the same pixels, half the bytes, and written in half
// the time. Null when the image has more colours.
QImage paletted(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    QImage out(rgb.size(), QImage::Format_Indexed8);
    QHash<QRgb, uchar> index;
    QList<QRgb> table;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uchar *line = out.scanLine(y);
        QRgb last = 0;
        int lastIndex = -1;
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb color = in[x];
            if (lastIndex < 0 || color != last) {
                const auto found = index.constFind(color);
                if (found != index.cend()) {
                    lastIndex = *found;
                } else {
                    if (table.size() == 256)
                        return {};
                    lastIndex = static_cast<int>(table.size());
                    index.insert(color, static_cast<uchar>(lastIndex));
                    table.push_back(color);
                }
                last = color;
            }
            line[x] = static_cast<uchar>(lastIndex);
        }
    }
    out.setColorTable(table);
    return out;
}

QByteArray encodedImage(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        throw std::runtime_error(std::string("échec du codage de l'image ") + format);
    return bytes;
}

// Draws on a painter that is closed even when drawing throws.
template <typename Device>
void paint(Device &device, ImageSize size, const Drawing &draw, double scale)
{
    QPainter painter;
    if (!painter.begin(&device))
        throw std::runtime_error("échec de l'ouverture du document");
    try {
        PainterSurface surface(painter, size.width, size.height, scale);
        draw(surface);
        surface.flush();
    } catch (...) {
        painter.end();
        throw;
    }
    painter.end();
}

QByteArray svgBytes(ImageSize size, const Drawing &draw, const DrawingTitle &title, double scale)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(size.width, size.height));
    generator.setViewBox(QRect(0, 0, size.width, size.height));
    generator.setResolution(ChartDotsPerInch);
    generator.setTitle(title.title);
    generator.setDescription(title.description);
    paint(generator, size, draw, scale);
    // The generator gives the size in millimetres; the root element says it in pixels, the
    // units of the view box, so that the drawing is the image's size wherever it is shown.
    static const QRegularExpression rootSize(
        QStringLiteral("<svg width=\"[^\"]*\" height=\"[^\"]*\""));
    QString text = QString::fromUtf8(bytes);
    text.replace(rootSize,
        QStringLiteral("<svg width=\"%1\" height=\"%2\"").arg(size.width).arg(size.height));
    return text.toUtf8();
}

QByteArray pdfBytes(ImageSize size, const Drawing &draw, const DrawingTitle &title, double scale)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(ChartDotsPerInch);
    // Qt keeps page sizes in whole points: the page is the image at 96 dpi, rounded up to the
    // next point, so that nothing of the image is cut off.
    const auto points
        = [](int pixels) { return static_cast<int>(std::ceil(pixels * 72.0 / ChartDotsPerInch)); };
    writer.setPageSize(QPageSize(
        QSize(points(size.width), points(size.height)), QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(title.title);
    writer.setCreator(QStringLiteral("Velmora"));
    paint(writer, size, draw, scale);
    return bytes;
}

Drawing chartDrawing(const ChartScene &scene, const RenderProfile &profile)
{
    return [&scene, &profile](DrawingSurface &surface) { DrawChartScene(scene, profile, surface); };
}

} // namespace

std::optional<ChartFormat> FormatOfFileName(std::string_view name)
{
    const std::size_t dot = name.find_last_of('.');
    const std::size_t slash = name.find_last_of('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::nullopt;
    std::string extension(name.substr(dot + 1));
    for (char &c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == "png")
        return ChartFormat::Png;
    if (extension == "bmp")
        return ChartFormat::Bmp;
    if (extension == "svg")
        return ChartFormat::Svg;
    if (extension == "pdf")
        return ChartFormat::Pdf;
    return std::nullopt;
}

QImage DrawingImage(ImageSize size, const Drawing &draw, double scale)
{
    RasterSurface surface(size.width, size.height, nullptr, scale);
    draw(surface);
    return surface.image();
}

QByteArray DrawingFileBytes(ChartFormat format, ImageSize size, const Drawing &draw,
    const DrawingTitle &title, double scale)
{
    switch (format) {
    case ChartFormat::Png: {
        const QImage image = DrawingImage(size, draw, scale);
        const QImage fewColours = paletted(image);
        return encodedImage(fewColours.isNull() ? image : fewColours, "PNG");
    }
    case ChartFormat::Bmp:
        return encodedImage(DrawingImage(size, draw, scale), "BMP");
    case ChartFormat::Svg:
        return svgBytes(size, draw, title, scale);
    case ChartFormat::Pdf:
        break;
    }
    return pdfBytes(size, draw, title, scale);
}

QImage ChartImage(
    const ChartScene &scene, const RenderProfile &profile, ImageSize size, double scale)
{
    return DrawingImage(size, chartDrawing(scene, profile), scale);
}

QByteArray ChartFileBytes(ChartFormat format, const ChartScene &scene, const RenderProfile &profile,
    ImageSize size, double scale)
{
    return DrawingFileBytes(format, size, chartDrawing(scene, profile),
        { QString::fromLatin1(DocumentTitle), QString::fromUtf8(ChartTitle) }, scale);
}

ImageSize ScaledSize(ImageSize designed, double scale)
{
    if (scale == 1)
        return designed;
    return { static_cast<int>(std::nearbyint(designed.width * scale)),
        static_cast<int>(std::nearbyint(designed.height * scale)) };
}

} // namespace velmora
