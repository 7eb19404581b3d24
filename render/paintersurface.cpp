// render/paintersurface.cpp — the drawing surface as vector paths and real text (render layer)
#include "render/paintersurface.h"

#include "render/fontpolicy.h"
#include "render/qtcolor.h"

namespace velmora {

namespace {

// The centre of a pixel: a raster line paints the pixels its path runs through the centres of.
QPointF centreOf(int x, int y)
{
    return { x + 0.5, y + 0.5 };
}

QPen linePen(QColor color, Qt::PenStyle style = Qt::SolidLine)
{
    QPen pen(color, 1.0, style, Qt::FlatCap, Qt::MiterJoin);
    if (style == Qt::CustomDashLine)
        pen.setDashPattern({ 1.0, 1.0 }); // one pixel painted, one white
    return pen;
}

} // namespace

PainterSurface::PainterSurface(QPainter &painter, int width, int height)
    : m_painter(painter)
    , m_width(width)
    , m_height(height)
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
    if (m_penStyle == PenStyle::Dotted) {
        // The gaps of the dotted pattern are white, as on the raster image.
        m_painter.setPen(linePen(Qt::white));
        m_painter.drawPolyline(m_polyline);
        m_painter.setPen(linePen(color, Qt::CustomDashLine));
    } else {
        m_painter.setPen(linePen(color));
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
    flush();
    const QString label = QString::fromStdString(text);
    const QFontMetrics &fm = m_font.metrics();
    m_painter.fillRect(QRectF(x, y, fm.horizontalAdvance(label), fm.height()), Qt::white);
    m_painter.setFont(m_font.font());
    m_painter.setPen(QColor(ToRgb(m_fontColor)));
    m_painter.drawText(QPointF(x, y + fm.ascent()), label);
}

} // namespace velmora
