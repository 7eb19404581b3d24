// render/chartfile.h — the chart as the bytes of an image or document file: PNG, BMP, SVG, PDF
// (render layer)
#pragma once

#include "core/chartsettings.h"
#include "plot/renderchart.h"

#include <QByteArray>
#include <QImage>

#include <optional>
#include <span>
#include <string_view>

namespace velmora {

enum class ChartFormat { Png, Bmp, Svg, Pdf };

// The format a file name asks for by its extension, whatever its case; nothing when unknown.
std::optional<ChartFormat> FormatOfFileName(std::string_view name);

// The chart drawn on a raster image of the profile's size. Throws what drawing throws.
QImage ChartImage(const ChartSettings &settings, const RenderProfile &profile,
    std::span<const ChartLayer *const> overlays = {});

// The whole file: a raster image (PNG, BMP) of the profile's size; an SVG whose size and view box
// are that size in pixels; a one-page PDF whose page is the image at 96 dpi. Vector files hold
// paths and real text. Throws what drawing throws, and std::runtime_error (French) when the
// encoder fails.
QByteArray ChartFileBytes(ChartFormat format, const ChartSettings &settings,
    const RenderProfile &profile, std::span<const ChartLayer *const> overlays = {});

} // namespace velmora
