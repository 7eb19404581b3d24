// render/chartfile.h — the chart as the bytes of an image or document file: PNG, BMP, SVG, PDF
// (render layer)
#pragma once

#include "plot/chartscene.h"
#include "plot/drawingsurface.h"
#include "plot/renderprofile.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>
#include <optional>
#include <string_view>

namespace velmora {

enum class ChartFormat { Png, Bmp, Svg, Pdf };

// The format a file name asks for by its extension, whatever its case; nothing when unknown.
std::optional<ChartFormat> FormatOfFileName(std::string_view name);

// Something drawn on a surface of a given size: a chart, a step response, a Bode plot.
using Drawing = std::function<void(DrawingSurface &surface)>;

// What a vector file says of itself: its title and its description.
struct DrawingTitle {
    QString title;
    QString description;
};

// The drawing on a raster image of that size (pixels), on a surface of that scale (see
// DrawingSurface). Throws what drawing throws.
QImage DrawingImage(ImageSize size, const Drawing &draw, double scale = 1);

// The whole file: a raster image (PNG, BMP) of that size; an SVG whose size and view box are
// that size in pixels; a one-page PDF whose page is the image at 96 dpi. Vector files hold paths
// and real text. Throws what drawing throws, and std::runtime_error (French) when the encoder
// fails.
QByteArray DrawingFileBytes(ChartFormat format, ImageSize size, const Drawing &draw,
    const DrawingTitle &title, double scale = 1);

// The chart of a scene, as an image and as a file.
QImage ChartImage(
    const ChartScene &scene, const RenderProfile &profile, ImageSize size, double scale = 1);
QByteArray ChartFileBytes(ChartFormat format, const ChartScene &scene, const RenderProfile &profile,
    ImageSize size, double scale = 1);

// The size in pixels of an image of a designed size drawn at a scale: each side times the
// scale, rounded (halves to even).
ImageSize ScaledSize(ImageSize designed, double scale);

} // namespace velmora
