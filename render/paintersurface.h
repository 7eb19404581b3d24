// render/paintersurface.h — the drawing surface as vector paths and real text on any QPainter
// (render layer)
#pragma once

#include "plot/drawingsurface.h"
#include "render/fontpolicy.h"

#include <QFont>
#include <QPainter>
#include <QPolygonF>

#include <optional>

namespace velmora {

// Draws the operations of the raster surface on an open QPainter whose coordinates are the
// image's pixels (an SVG generator, a PDF writer, a printer with its scale set): lines become
// paths 1 pixel wide through the pixel centres, texts stay texts. Label cells, the dotted
// pattern's gaps and the page itself are white, as on the raster image, so a rasterised page
// lies on the raster image within one pixel. Text is measured as on the raster image, so labels
// stand at the same places.
class PainterSurface final : public DrawingSurface {
public:
    // Paints the width x height page white first. `scale` as for the raster surface: pens and
    // fonts that many times larger.
    PainterSurface(QPainter &painter, int width, int height, double scale = 1);
    ~PainterSurface() override;

    PainterSurface(const PainterSurface &) = delete;
    PainterSurface &operator=(const PainterSurface &) = delete;

    int width() const override { return m_width; }
    int height() const override { return m_height; }
    double scale() const override { return m_scale; }

    void setPenColor(Color color) override;
    void setPenStyle(PenStyle style) override;
    void setPenWidth(int pixels) override;
    void setFontName(const std::string &face) override { m_font.setFace(face); }
    void setFontSize(int points) override { m_font.setPoints(points); }
    void setFontColor(Color color) override { m_fontColor = color; }
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void drawDisc(int x, int y, int radius) override;
    void fillRect(int x, int y, int width, int height, Color color) override;
    void drawText(int x, int y, const std::string &text) override;
    void drawTransparentText(int x, int y, const std::string &text) override;
    int textWidth(const std::string &text) override;
    int textHeight(const std::string &text) override;

    // Draws what is pending; the destructor does it too.
    void flush();

private:
    void drawLabel(int x, int y, const std::string &text, bool cell);

    QPainter &m_painter;
    int m_width;
    int m_height;
    double m_scale;
    SurfaceFont m_font;
    Color m_penColor = Black;
    PenStyle m_penStyle = PenStyle::Solid;
    int m_penWidth = 1;
    Color m_fontColor = Black;
    QPointF m_position;
    QPolygonF m_polyline; // lines drawn since the last move or change of pen, not yet painted
};

} // namespace velmora
