// render/rastersurface.h — the drawing surface over a QImage (render layer)
#pragma once

#include "plot/drawingsurface.h"
#include "render/fontpolicy.h"
#include "render/labelshapes.h"
#include "render/qtcolor.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

namespace velmora {

// A white RGB32 image with a pen and a font. Lines are rasterised here pixel by pixel; QPainter
// draws the glyphs of text only. Needs a QGuiApplication for text.
class RasterSurface final : public DrawingSurface {
public:
    // Throws std::runtime_error (French message) when the image cannot be allocated. Labels
    // are shaped in `shapes` when given, kept from one image to the next by its owner, and in a
    // set of the surface's own otherwise. `scale` (at least 1) is the image's pixels to a
    // designed pixel: pens and fonts are that many times larger.
    RasterSurface(int width, int height, LabelShapes *shapes = nullptr, double scale = 1);
    ~RasterSurface() override;

    // All a surface holds: its pixels, text drawn so far included, its pen and its font.
    struct State {
        QImage image;
        double scale = 1;
        SurfaceFont font;
        QRgb penRgb = 0;
        PenStyle penStyle = PenStyle::Solid;
        int penWidth = 1;
        Color fontColor = Black;
        int x = 0;
        int y = 0;
        std::int64_t dotPhase = 0;
    };
    State state();
    // A surface that draws on from `state` exactly as the one it was taken from would have; the
    // state's pixels are left as they are.
    explicit RasterSurface(const State &state, LabelShapes *shapes = nullptr);

    RasterSurface(const RasterSurface &) = delete;
    RasterSurface &operator=(const RasterSurface &) = delete;

    int width() const override { return m_width; }
    int height() const override { return m_height; }
    double scale() const override { return m_scale; }

    void setPenColor(Color color) override;
    void setPenStyle(PenStyle style) override { m_penStyle = style; }
    void setPenWidth(int pixels) override { m_penWidth = ScaledPenWidth(pixels, m_scale); }
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

    // The finished image; text drawing is flushed first.
    const QImage &image();

private:
    void drawLabel(int x, int y, const std::string &text, bool cell);
    void ensureOwned();
    void stroke(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1);
    std::optional<QRgb> patternAt(std::int64_t phase) const;
    void plotWide(std::int64_t x, std::int64_t y, QRgb rgb);
    void plot(std::int64_t x, std::int64_t y, QRgb rgb) { m_bits[y * m_stride + x] = rgb; }

    QImage m_image;
    int m_width;
    int m_height;
    double m_scale;
    int m_patternUnit; // pixels of a dot or of a dash's unit: the scale, rounded
    bool m_handedOut = false; // image() has been called: a copy may share the pixels
    QRgb *m_bits = nullptr;
    std::int64_t m_stride = 0; // pixels per scan line
    std::unique_ptr<QPainter> m_painter; // begun at the first text
    SurfaceFont m_font;
    LabelShapes m_ownShapes;
    LabelShapes *m_shapes;
    QRgb m_penRgb = 0;
    PenStyle m_penStyle = PenStyle::Solid;
    int m_penWidth = 1;
    Color m_fontColor = Black;
    int m_x = 0;
    int m_y = 0;
    std::int64_t m_dotPhase = 0; // pixels of dotted pattern already laid since the last moveTo
};

} // namespace velmora
