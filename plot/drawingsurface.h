// plot/drawingsurface.h — what the chart is drawn on (plot layer, toolkit-free)
#pragma once

#include "core/chartsettings.h"

#include <string>

namespace velmora {

enum class PenStyle { Solid, Dotted };

// An image with a pen and a font: a raster image, or a vector page that keeps the same pixel
// coordinates. Coordinates are pixels, row 0 at the top, column 0 at the left; anything outside
// the image is clipped by the image's edges alone.
class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;

    virtual int width() const = 0;
    virtual int height() const = 0;

    // Lines are 1 pixel wide, drawn by plain copy; dotted lines alternate painted pixels and
    // white gaps.
    virtual void setPenColor(Color color) = 0;
    virtual void setPenStyle(PenStyle style) = 0;

    // An empty face name leaves the face unchanged. Sizes are points at 96 pixels per inch.
    virtual void setFontName(const std::string &face) = 0;
    virtual void setFontSize(int points) = 0;
    virtual void setFontColor(Color color) = 0;

    virtual void moveTo(int x, int y) = 0;
    // Draws from the current position to (x, y), end pixel not painted, and moves there.
    virtual void lineTo(int x, int y) = 0;

    // UTF-8 text, top-left corner at (x, y), glyphs in the font colour on a white cell as high as
    // the font and as wide as the text.
    virtual void drawText(int x, int y, const std::string &text) = 0;
    virtual int textWidth(const std::string &text) = 0;
    virtual int textHeight(const std::string &text) = 0;
};

} // namespace velmora
