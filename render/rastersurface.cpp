// render/rastersurface.cpp — the drawing surface over a QImage (render layer)
#include "render/rastersurface.h"

#include "render/fontpolicy.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>

namespace velmora {

RasterSurface::RasterSurface(int width, int height, LabelShapes *shapes, double scale)
    : m_scale(scale)
    , m_patternUnit(PatternUnit(scale))
    , m_font(scale)
    , m_shapes(shapes ? shapes : &m_ownShapes)
    , m_penWidth(ScaledPenWidth(1, scale))
{
    if (width > 0 && height > 0)
        m_image = QImage(width, height, QImage::Format_RGB32);
    if (m_image.isNull())
        throw std::runtime_error("Impossible de créer une image de " + std::to_string(width) + " x "
            + std::to_string(height) + " pixels");
    m_width = width;
    m_height = height;
    m_image.fill(Qt::white);
    // Taken once, before any painter exists: every later write goes through this pointer.
    m_bits = reinterpret_cast<QRgb *>(m_image.bits());
    m_stride = m_image.bytesPerLine() / static_cast<std::int64_t>(sizeof(QRgb));
}

RasterSurface::RasterSurface(const State &state, LabelShapes *shapes)
    : m_image(state.image.copy())
    , m_width(state.image.width())
    , m_height(state.image.height())
    , m_scale(state.scale)
    , m_patternUnit(PatternUnit(state.scale))
    , m_font(state.font)
    , m_shapes(shapes ? shapes : &m_ownShapes)
    , m_penRgb(state.penRgb)
    , m_penStyle(state.penStyle)
    , m_penWidth(state.penWidth)
    , m_fontColor(state.fontColor)
    , m_x(state.x)
    , m_y(state.y)
    , m_dotPhase(state.dotPhase)
{
    if (m_image.isNull())
        throw std::runtime_error("Impossible de créer une image de " + std::to_string(m_width)
            + " x " + std::to_string(m_height) + " pixels");
    m_bits = reinterpret_cast<QRgb *>(m_image.bits());
    m_stride = m_image.bytesPerLine() / static_cast<std::int64_t>(sizeof(QRgb));
}

RasterSurface::~RasterSurface() = default;

RasterSurface::State RasterSurface::state()
{
    return { image(), m_scale, m_font, m_penRgb, m_penStyle, m_penWidth, m_fontColor, m_x, m_y,
        m_dotPhase };
}

void RasterSurface::setPenColor(Color color)
{
    m_penRgb = ToRgb(color);
}

void RasterSurface::moveTo(int x, int y)
{
    m_x = x;
    m_y = y;
    m_dotPhase = 0;
}

void RasterSurface::ensureOwned()
{
    // A copy of image() shares the pixels; drawing on must not reach into that copy.
    if (m_handedOut && !m_image.isDetached()) {
        m_painter.reset();
        m_bits = reinterpret_cast<QRgb *>(m_image.bits());
        m_handedOut = false;
    }
}

// What the pen lays at step `phase` of its pattern: the pen colour, white (the gap of a dotted
// line) or nothing (the gap of a dashed line).
std::optional<QRgb> RasterSurface::patternAt(std::int64_t phase) const
{
    const std::int64_t unit = phase / m_patternUnit;
    switch (m_penStyle) {
    case PenStyle::Dotted:
        return unit % 2 == 1 ? qRgb(255, 255, 255) : m_penRgb;
    case PenStyle::Dashed:
        if (unit % 10 >= 6)
            return std::nullopt;
        break;
    case PenStyle::Solid:
        break;
    }
    return m_penRgb;
}

// Steps along the major axis from (x0, y0); at step i the minor coordinate is the start's plus
// i * dMinor / length rounded half up (away from the start). Steps 0 .. length - 1 are painted,
// so the end pixel is not. Only the steps whose major coordinate falls inside the image are
// visited, so a line reaching far outside costs no more than the image is wide.
void RasterSurface::stroke(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1)
{
    const std::int64_t dx = x1 - x0;
    const std::int64_t dy = y1 - y0;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const std::int64_t length = xMajor ? std::llabs(dx) : std::llabs(dy);
    if (length == 0)
        return;
    const auto inside = [this](std::int64_t px, std::int64_t py) {
        return px >= 0 && py >= 0 && px < m_width && py < m_height;
    };
    if (m_penWidth == 1 && inside(x0, y0) && inside(x1, y1)) {
        // Wholly inside the image, as contour steps mostly are: no clipping, no test per pixel.
        const std::int64_t majorDelta = (xMajor ? dx : dy) > 0 ? 1 : -1;
        const std::int64_t minorDelta = (xMajor ? dy : dx) >= 0 ? 1 : -1;
        const std::int64_t majorStride = xMajor ? majorDelta : majorDelta * m_stride;
        const std::int64_t minorStride = xMajor ? minorDelta * m_stride : minorDelta;
        const std::int64_t denominator = 2 * length;
        const std::int64_t increment = 2 * (xMajor ? std::llabs(dy) : std::llabs(dx));
        std::int64_t remainder = length;
        QRgb *pixel = m_bits + y0 * m_stride + x0;
        const bool solid = m_penStyle == PenStyle::Solid;
        for (std::int64_t i = 0; i < length; ++i) {
            if (solid) {
                *pixel = m_penRgb;
            } else if (const std::optional<QRgb> rgb = patternAt(m_dotPhase + i)) {
                *pixel = *rgb;
            }
            pixel += majorStride;
            remainder += increment;
            if (remainder >= denominator) {
                remainder -= denominator;
                pixel += minorStride;
            }
        }
        return;
    }
    const std::int64_t major0 = xMajor ? x0 : y0;
    const std::int64_t minor0 = xMajor ? y0 : x0;
    const std::int64_t majorStep = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const std::int64_t dMinor = xMajor ? dy : dx;
    // A wide pen reaches beyond the pixels of the line by its half width.
    const std::int64_t reach = m_penWidth / 2;
    const std::int64_t majorSize = (xMajor ? width() : height()) + 2 * reach;
    const std::int64_t minorSize = (xMajor ? height() : width()) + 2 * reach;
    // Steps whose major coordinate lies in [-reach, majorSize - reach).
    std::int64_t first = majorStep > 0 ? -reach - major0 : major0 - (majorSize - reach - 1);
    std::int64_t last = majorStep > 0 ? majorSize - reach - 1 - major0 : major0 + reach;
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, length - 1);
    // The minor offset of step i is (2 i |dMinor| + length) / (2 length), rounded down: its
    // quotient and remainder are carried from step to step, exactly, with one division for the
    // first step painted.
    const std::int64_t denominator = 2 * length;
    const std::int64_t increment = 2 * std::llabs(dMinor);
    std::int64_t offset = 0;
    std::int64_t remainder = length;
    if (first > 0) { // a line clipped at its start; exact in 128 bits for any coordinates
        const __int128 start = static_cast<__int128>(increment) * first + length;
        offset = static_cast<std::int64_t>(start / denominator);
        remainder = static_cast<std::int64_t>(start % denominator);
    }
    const std::int64_t minorSign = dMinor >= 0 ? 1 : -1;
    for (std::int64_t i = first; i <= last; ++i) {
        const std::int64_t minor = minor0 + minorSign * offset;
        remainder += increment;
        if (remainder >= denominator) { // once at most: increment <= denominator
            remainder -= denominator;
            ++offset;
        }
        if (minor < -reach || minor >= minorSize - reach)
            continue;
        const std::optional<QRgb> rgb
            = m_penStyle == PenStyle::Solid ? m_penRgb : patternAt(m_dotPhase + i);
        if (!rgb)
            continue;
        const std::int64_t major = major0 + majorStep * i;
        const std::int64_t px = xMajor ? major : minor;
        const std::int64_t py = xMajor ? minor : major;
        if (m_penWidth > 1)
            plotWide(px, py, *rgb);
        else
            plot(px, py, *rgb);
    }
}

void RasterSurface::lineTo(int x, int y)
{
    ensureOwned();
    stroke(m_x, m_y, x, y);
    m_dotPhase += std::max(std::llabs(static_cast<std::int64_t>(x) - m_x),
        std::llabs(static_cast<std::int64_t>(y) - m_y));
    m_x = x;
    m_y = y;
}

// A wide pen lays a square of its width on each pixel of the 1-pixel line, so that the line is
// as thick in every direction.
void RasterSurface::plotWide(std::int64_t x, std::int64_t y, QRgb rgb)
{
    const std::int64_t low = -(m_penWidth - 1) / 2;
    const std::int64_t high = m_penWidth / 2;
    for (std::int64_t row = std::max<std::int64_t>(y + low, 0);
         row <= std::min<std::int64_t>(y + high, m_height - 1); ++row)
        for (std::int64_t column = std::max<std::int64_t>(x + low, 0);
             column <= std::min<std::int64_t>(x + high, m_width - 1); ++column)
            plot(column, row, rgb);
}

void RasterSurface::drawDisc(int x, int y, int radius)
{
    ensureOwned();
    const std::int64_t r = std::clamp(radius, 0, 1000);
    for (std::int64_t row = std::max<std::int64_t>(y - r, 0);
         row <= std::min<std::int64_t>(static_cast<std::int64_t>(y) + r, m_height - 1); ++row) {
        const std::int64_t dy = row - y;
        const std::int64_t half
            = static_cast<std::int64_t>(std::sqrt(static_cast<double>(r * r - dy * dy)));
        const std::int64_t from = std::max<std::int64_t>(static_cast<std::int64_t>(x) - half, 0);
        const std::int64_t to
            = std::min<std::int64_t>(static_cast<std::int64_t>(x) + half, m_width - 1);
        for (std::int64_t column = from; column <= to; ++column)
            plot(column, row, m_penRgb);
    }
}

void RasterSurface::fillRect(int x, int y, int width, int height, Color color)
{
    const std::int64_t x0 = std::max<std::int64_t>(x, 0);
    const std::int64_t y0 = std::max<std::int64_t>(y, 0);
    const std::int64_t x1 = std::min<std::int64_t>(static_cast<std::int64_t>(x) + width, m_width);
    const std::int64_t y1 = std::min<std::int64_t>(static_cast<std::int64_t>(y) + height, m_height);
    if (x0 >= x1 || y0 >= y1)
        return;
    ensureOwned();
    const QRgb rgb = ToRgb(color);
    for (std::int64_t row = y0; row < y1; ++row)
        std::fill(m_bits + row * m_stride + x0, m_bits + row * m_stride + x1, rgb);
}

int RasterSurface::textWidth(const std::string &text)
{
    return m_shapes->shape(m_font.font(), QString::fromStdString(text)).width;
}

int RasterSurface::textHeight(const std::string &)
{
    return m_font.metrics().height();
}

void RasterSurface::drawText(int x, int y, const std::string &text)
{
    drawLabel(x, y, text, true);
}

void RasterSurface::drawTransparentText(int x, int y, const std::string &text)
{
    drawLabel(x, y, text, false);
}

void RasterSurface::drawLabel(int x, int y, const std::string &text, bool cell)
{
    const LabelShapes::Shape &shape = m_shapes->shape(m_font.font(), QString::fromStdString(text));
    const QFontMetrics &fm = m_font.metrics();
    const std::int64_t cellWidth = shape.width;
    const std::int64_t cellHeight = fm.height();
    const QRgb white = qRgb(255, 255, 255);
    const std::int64_t x0 = std::max<std::int64_t>(x, 0);
    const std::int64_t y0 = std::max<std::int64_t>(y, 0);
    const std::int64_t x1
        = std::min<std::int64_t>(static_cast<std::int64_t>(x) + cellWidth, width());
    const std::int64_t y1
        = std::min<std::int64_t>(static_cast<std::int64_t>(y) + cellHeight, height());
    if (x0 >= x1 || y0 >= y1)
        return; // the whole cell lies outside the image
    ensureOwned();
    if (cell)
        for (std::int64_t row = y0; row < y1; ++row)
            std::fill(m_bits + row * m_stride + x0, m_bits + row * m_stride + x1, white);

    if (!m_painter) {
        m_painter = std::make_unique<QPainter>(&m_image);
        m_painter->setRenderHint(QPainter::TextAntialiasing, true);
    }
    m_painter->setPen(QColor(ToRgb(m_fontColor)));
    // The baseline where drawText(x, y + ascent) puts it.
    const QPointF origin(x, y + fm.ascent() - shape.ascent);
    for (const QGlyphRun &run : shape.runs)
        m_painter->drawGlyphRun(origin, run);
}

const QImage &RasterSurface::image()
{
    m_handedOut = true;
    if (m_painter) {
        m_painter->end();
        m_painter.reset();
    }
    return m_image;
}

} // namespace velmora
