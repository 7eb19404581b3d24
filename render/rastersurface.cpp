// render/rastersurface.cpp — the drawing surface over a QImage (render layer)
#include "render/rastersurface.h"

#include "render/fontpolicy.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace velmora {

RasterSurface::RasterSurface(int width, int height, LabelShapes *shapes)
    : m_shapes(shapes ? shapes : &m_ownShapes)
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

RasterSurface::~RasterSurface() = default;

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

// Steps along the major axis from the current position; at step i the minor coordinate is the
// start's plus i * dMinor / length rounded half up (away from the start). Steps 0 .. length - 1 are
// painted, so the end pixel is not. Only the steps whose major coordinate falls inside the image
// are visited, so a line reaching far outside costs no more than the image is wide.
void RasterSurface::lineTo(int x, int y)
{
    const std::int64_t dx = static_cast<std::int64_t>(x) - m_x;
    const std::int64_t dy = static_cast<std::int64_t>(y) - m_y;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const std::int64_t length = xMajor ? std::llabs(dx) : std::llabs(dy);
    ensureOwned();
    const auto inside = [this](std::int64_t px, std::int64_t py) {
        return px >= 0 && py >= 0 && px < m_width && py < m_height;
    };
    if (length > 0 && inside(m_x, m_y) && inside(x, y)) {
        // Wholly inside the image, as contour steps mostly are: no clipping, no test per pixel.
        const std::int64_t majorDelta = (xMajor ? dx : dy) > 0 ? 1 : -1;
        const std::int64_t minorDelta = (xMajor ? dy : dx) >= 0 ? 1 : -1;
        const std::int64_t majorStride = xMajor ? majorDelta : majorDelta * m_stride;
        const std::int64_t minorStride = xMajor ? minorDelta * m_stride : minorDelta;
        const std::int64_t denominator = 2 * length;
        const std::int64_t increment = 2 * (xMajor ? std::llabs(dy) : std::llabs(dx));
        std::int64_t remainder = length;
        QRgb *pixel = m_bits + static_cast<std::int64_t>(m_y) * m_stride + m_x;
        const bool dotted = m_penStyle == PenStyle::Dotted;
        const QRgb white = qRgb(255, 255, 255);
        for (std::int64_t i = 0; i < length; ++i) {
            *pixel = dotted && (m_dotPhase + i) % 2 == 1 ? white : m_penRgb;
            pixel += majorStride;
            remainder += increment;
            if (remainder >= denominator) {
                remainder -= denominator;
                pixel += minorStride;
            }
        }
    } else if (length > 0) {
        const std::int64_t major0 = xMajor ? m_x : m_y;
        const std::int64_t minor0 = xMajor ? m_y : m_x;
        const std::int64_t majorStep = (xMajor ? dx : dy) > 0 ? 1 : -1;
        const std::int64_t dMinor = xMajor ? dy : dx;
        const std::int64_t majorSize = xMajor ? width() : height();
        const std::int64_t minorSize = xMajor ? height() : width();
        // Steps whose major coordinate lies in [0, majorSize).
        std::int64_t first = majorStep > 0 ? -major0 : major0 - (majorSize - 1);
        std::int64_t last = majorStep > 0 ? majorSize - 1 - major0 : major0;
        first = std::max<std::int64_t>(first, 0);
        last = std::min<std::int64_t>(last, length - 1);
        const QRgb white = qRgb(255, 255, 255);
        // The minor offset of step i is (2 i |dMinor| + length) / (2 length), rounded down: its
        // quotient and remainder are carried from step to step, exactly, with one division for
        // the first step painted.
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
            if (minor < 0 || minor >= minorSize)
                continue;
            const std::int64_t major = major0 + majorStep * i;
            const bool gap = m_penStyle == PenStyle::Dotted && (m_dotPhase + i) % 2 == 1;
            const QRgb rgb = gap ? white : m_penRgb;
            if (xMajor)
                plot(major, minor, rgb);
            else
                plot(minor, major, rgb);
        }
    }
    m_dotPhase += length;
    m_x = x;
    m_y = y;
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
