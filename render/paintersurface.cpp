// render/paintersurface.cpp — the drawing surface as vector paths and real text (render layer)
#include "render/paintersurface.h"

#include "render/fontpolicy.h"
#include "render/qtcolor.h"

#include <algorithm>

namespace velmora {

namespace {

// The centre of a pixel: a raster line paints the pixels its path runs through the centres of.
QPointF centreOf(int x, int y)
{
    return { x + 0.5, y + 0.5 };
}

// A pen `width` pixels wide; a pattern is given in pixels, as the raster surface lays it.
QPen linePen(QColor color, int width, QList<qreal> pattern = {})
{
    QPen pen(color, width, pattern.isEmpty() ? Qt::SolidLine : Qt::CustomDashLine, Qt::FlatCap,
        Qt::MiterJoin);
    if (!pattern.isEmpty()) {
        for (qreal &length : pattern)
            length /= width; // Qt counts dash lengths in pen widths
        pen.setDashPattern(pattern);
    }
    return pen;
}

} // namespace

PainterSurface::PainterSurface(QPainter &painter, int width, int height, double scale)
    : m_painter(painter)
    , m_width(width)
    , m_height(height)
    , m_scale(scale)
    , m_font(scale)
    , m_penWidth(ScaledPenWidth(1, scale))
{
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    m_painter.fillRect(QRectF(0, 0, width, height), Qt::white);
}

PainterSurface::~PainterSurface()
{
    flush();
}

void PainterSurface::flush()
{
    if (m_polyline.size() < 2) {
        m_polyline.clear();
        return;
    }
    const QColor color(ToRgb(m_penColor));
    const qreal unit = PatternUnit(m_scale);
    switch (m_penStyle) {
    case PenStyle::Dotted:
        // The gaps of the dotted pattern are white, as on the raster image.
        m_painter.setPen(linePen(Qt::white, m_penWidth));
        m_painter.drawPolyline(m_polyline);
        m_painter.setPen(linePen(color, m_penWidth, { unit, unit }));
        break;
    case PenStyle::Dashed:
        m_painter.setPen(linePen(color, m_penWidth, { 6 * unit, 4 * unit }));
        break;
    case PenStyle::Solid:
        m_painter.setPen(linePen(color, m_penWidth));
        break;
    }
    m_painter.drawPolyline(m_polyline);
    m_polyline.clear();
}

void PainterSurface::setPenColor(Color color)
{
    if (color != m_penColor) {
        flush();
        m_penColor = color;
    }
}

void PainterSurface::setPenStyle(PenStyle style)
{
    if (style != m_penStyle) {
        flush();
        m_penStyle = style;
    }
}

void PainterSurface::setPenWidth(int pixels)
{
    pixels = ScaledPenWidth(pixels, m_scale);
    if (pixels != m_penWidth) {
        flush();
        m_penWidth = pixels;
    }
}

void PainterSurface::drawDisc(int x, int y, int radius)
{
    flush();
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(QColor(ToRgb(m_penColor)));
    m_painter.drawEllipse(centreOf(x, y), radius + 0.5, radius + 0.5);
    m_painter.setBrush(Qt::NoBrush);
}

void PainterSurface::fillRect(int x, int y, int width, int height, Color color)
{
    flush();
    m_painter.fillRect(QRectF(x, y, width, height), QColor(ToRgb(color)));
}

void PainterSurface::moveTo(int x, int y)
{
    flush();
    m_position = centreOf(x, y);
}

void PainterSurface::lineTo(int x, int y)
{
    if (m_polyline.isEmpty())
        m_polyline << m_position;
    m_position = centreOf(x, y);
    m_polyline << m_position;
}

int PainterSurface::textWidth(const std::string &text)
{
    return m_font.metrics().horizontalAdvance(QString::fromStdString(text));
}

int PainterSurface::textHeight(const std::string &)
{
    return m_font.metrics().height();
}

void PainterSurface::drawText(int x, int y, const std::string &text)
{
    drawLabel(x, y, text, true);
}

void PainterSurface::drawTransparentText(int x, int y, const std::string &text)
{
    drawLabel(x, y, text, false);
}

void PainterSurface::drawLabel(int x, int y, const std::string &text, bool cell)
{
    flush();
    const QString label = QString::fromStdString(text);
    const QFontMetrics &fm = m_font.metrics();
    if (cell)
        m_painter.fillRect(QRectF(x, y, fm.horizontalAdvance(label), fm.height()), Qt::white);
    m_painter.setFont(m_font.font());
    m_painter.setPen(QColor(ToRgb(m_fontColor)));
    m_painter.drawText(QPointF(x, y + fm.ascent()), label);
}

} // namespace velmora
