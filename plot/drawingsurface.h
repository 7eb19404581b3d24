// plot/drawingsurface.h — what the chart is drawn on (plot layer, toolkit-free)
#pragma once

#include "core/chartsettings.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace velmora {

// Dotted: painted pixels and white gaps, one each. Dashed: dashes of 6 pixels and gaps of 4 that
// leave what lies beneath.
enum class PenStyle { Solid, Dotted, Dashed };

// An image with a pen and a font: a raster image, or a vector page that keeps the same pixel
// coordinates. Coordinates are pixels, row 0 at the top, column 0 at the left; anything outside
// the image is clipped by the image's edges alone. An image drawn for a screen of high density
// has a scale above 1: its pixels are that many to a pixel of the chart as designed, and the
// surface draws pens (widths and dash patterns) and fonts that many times larger; coordinates,
// radii and text metrics stay in the image's own pixels.
class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;
    // Image pixels to a designed pixel: 1 for every chart but those drawn for dense screens.
    virtual double scale() const = 0;

    // Lines are 1 pixel wide unless a width is set, drawn by plain copy.
    virtual void setPenColor(Color color) = 0;
    virtual void setPenStyle(PenStyle style) = 0;
    // Designed pixels across a line, 1 to 9 (times the scale, rounded, in image pixels); a wider
    // line grows on both sides of the 1-pixel one.
    virtual void setPenWidth(int pixels) = 0;

    // An empty face name leaves the face unchanged. Sizes are points at 96 pixels per inch.
    virtual void setFontName(const std::string &face) = 0;
    virtual void setFontSize(int points) = 0;
    virtual void setFontColor(Color color) = 0;

    virtual void moveTo(int x, int y) = 0;
    // Draws from the current position to (x, y), end pixel not painted, and moves there.
    virtual void lineTo(int x, int y) = 0;

    // A filled disc in the pen colour: the pixels whose centres lie within `radius` of (x, y).
    virtual void drawDisc(int x, int y, int radius) = 0;
    // The pixels of a rectangle, top-left corner at (x, y), filled with a colour.
    virtual void fillRect(int x, int y, int width, int height, Color color) = 0;

    // UTF-8 text, top-left corner at (x, y), glyphs in the font colour on a white cell as high as
    // the font and as wide as the text.
    virtual void drawText(int x, int y, const std::string &text) = 0;
    // The same text without its cell: what lies beneath the glyphs stays.
    virtual void drawTransparentText(int x, int y, const std::string &text) = 0;
    virtual int textWidth(const std::string &text) = 0;
    virtual int textHeight(const std::string &text) = 0;
};

// A surface that hands every operation to another: the base of the surfaces that watch or limit
// what is drawn, which override only those operations.
class ForwardingSurface : public DrawingSurface {
public:
    explicit ForwardingSurface(DrawingSurface &target)
        : m_target(target)
    {
    }

    int width() const override { return m_target.width(); }
    int height() const override { return m_target.height(); }
    double scale() const override { return m_target.scale(); }
    void setPenColor(Color color) override { m_target.setPenColor(color); }
    void setPenStyle(PenStyle style) override { m_target.setPenStyle(style); }
    void setPenWidth(int pixels) override { m_target.setPenWidth(pixels); }
    void setFontName(const std::string &face) override { m_target.setFontName(face); }
    void setFontSize(int points) override { m_target.setFontSize(points); }
    void setFontColor(Color color) override { m_target.setFontColor(color); }
    void moveTo(int x, int y) override { m_target.moveTo(x, y); }
    void lineTo(int x, int y) override { m_target.lineTo(x, y); }
    void drawDisc(int x, int y, int radius) override { m_target.drawDisc(x, y, radius); }
    void fillRect(int x, int y, int width, int height, Color color) override
    {
        m_target.fillRect(x, y, width, height, color);
    }
    void drawText(int x, int y, const std::string &text) override { m_target.drawText(x, y, text); }
    void drawTransparentText(int x, int y, const std::string &text) override
    {
        m_target.drawTransparentText(x, y, text);
    }
    int textWidth(const std::string &text) override { return m_target.textWidth(text); }
    int textHeight(const std::string &text) override { return m_target.textHeight(text); }

protected:
    DrawingSurface &m_target;
};

// The image pixels across a pen of `pixels` designed pixels (1 to 9) on a surface of that scale:
// the product rounded, halves to even, at least 1.
inline int ScaledPenWidth(int pixels, double scale)
{
    const int designed = std::clamp(pixels, 1, 9);
    if (scale == 1)
        return designed;
    return std::max(1, static_cast<int>(std::nearbyint(designed * std::min(scale, 16.0))));
}

// The image pixels of one pixel of a dotted or dashed pattern: the scale rounded, at least 1.
inline int PatternUnit(double scale)
{
    return std::max(1, static_cast<int>(std::nearbyint(std::min(scale, 16.0))));
}

} // namespace velmora
