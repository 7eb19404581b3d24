// plot/inkmap.h — where a chart has ink, and of what kind, so that labels and the legend are put
// where they hide nothing that matters (plot layer, toolkit-free)
#pragma once

#include "plot/chartmapping.h"
#include "plot/drawingsurface.h"

#include <array>
#include <cstdint>
#include <vector>

namespace velmora {

// What a cell of the map holds; several kinds may share a cell.
namespace Ink {
constexpr std::uint8_t ChartLine = 1; // contours, axes, graduation marks
constexpr std::uint8_t ChartText = 2; // the title, graduation and contour labels
constexpr std::uint8_t Locus = 4; // loci, margin segments, marks, critical points
constexpr std::uint8_t Contour = 8; // the dashed contours drawn for a loop
constexpr std::uint8_t Label = 16; // loop labels and the legend
} // namespace Ink

// A rectangle of pixels, right and bottom excluded.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool overlaps(const PixelRect &other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    bool within(const PixelRect &outer) const
    {
        return left >= outer.left && top >= outer.top && right <= outer.right
            && bottom <= outer.bottom;
    }
};

// The ink of an image on a grid of square cells: one pixel a cell up to about two million pixels,
// coarser beyond, so that the map stays within two megabytes. Rectangles and discs mark every
// cell they may touch; lines mark the cells of their centre line's pixels, and the questions
// about a kind look that much further around a rectangle as the widest line of the kind reaches
// from its centre line, and a pixel more.
class InkMap {
public:
    InkMap(int width, int height);

    void markRect(const PixelRect &rect, std::uint8_t kind);
    void markPixel(int x, int y, std::uint8_t kind)
    {
        if (x >= 0 && y >= 0 && x < m_width && y < m_height)
            m_cells[static_cast<std::size_t>(y / m_cell) * m_columns + x / m_cell] |= kind;
    }
    // A line `width` pixels across from (x0, y0) to (x1, y1), both ends included.
    void markLine(int x0, int y0, int x1, int y1, int width, std::uint8_t kind);
    void markDisc(int x, int y, int radius, std::uint8_t kind);

    // Whether ink of any of `kinds` may touch the rectangle.
    bool any(const PixelRect &rect, std::uint8_t kinds) const;
    // The cells holding any of `kinds` that meet the rectangle, widened as for any().
    long count(const PixelRect &rect, std::uint8_t kinds) const;

private:
    struct CellRange {
        int left, top, right, bottom; // cells, right and bottom excluded
    };
    CellRange cellsOf(const PixelRect &rect) const;
    PixelRect reached(const PixelRect &rect, std::uint8_t kinds) const;
    void markSquare(int x, int y, int half, std::uint8_t kind);

    int m_width;
    int m_height;
    int m_cell; // pixels a side
    int m_columns;
    int m_rows;
    std::vector<std::uint8_t> m_cells;
    std::array<int, 8> m_reach {}; // pixels, by kind: how far its widest line reaches
};

// Draws on `target` exactly what it is asked to, and marks it on the map as the kind set last
// (texts as the text kind set last); a line of the chart's own (Ink::ChartLine) of at most 4
// pixels either way, which is only counted, by its end pixel.
class InkSurface final : public ForwardingSurface {
public:
    InkSurface(DrawingSurface &target, InkMap &map)
        : ForwardingSurface(target)
        , m_map(map)
    {
    }

    void setKind(std::uint8_t kind) { setKinds(kind, kind); }
    void setKinds(std::uint8_t lines, std::uint8_t texts)
    {
        m_kind = lines;
        m_textKind = texts;
    }

    void setPenWidth(int pixels) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void drawDisc(int x, int y, int radius) override;
    void fillRect(int x, int y, int width, int height, Color color) override;
    void drawText(int x, int y, const std::string &text) override;
    void drawTransparentText(int x, int y, const std::string &text) override;

private:
    void markText(int x, int y, const std::string &text);

    InkMap &m_map;
    std::uint8_t m_kind = Ink::ChartLine;
    std::uint8_t m_textKind = Ink::ChartText;
    int m_penWidth = 1; // image pixels
    int m_x = 0;
    int m_y = 0;
};

// Draws on `target` only what lies within `frame` (its edges included): lines are cut at its
// edges, texts and discs that do not lie wholly within it are left out.
class FrameClipSurface final : public ForwardingSurface {
public:
    FrameClipSurface(DrawingSurface &target, const PixelFrame &frame)
        : ForwardingSurface(target)
        , m_frame(frame)
    {
    }

    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void drawDisc(int x, int y, int radius) override;
    void fillRect(int x, int y, int width, int height, Color color) override;
    void drawText(int x, int y, const std::string &text) override;
    void drawTransparentText(int x, int y, const std::string &text) override;

private:
    bool holds(int x, int y, const std::string &text);

    PixelFrame m_frame;
    int m_x = 0;
    int m_y = 0;
    bool m_placed = false; // the target's pen stands at (m_targetX, m_targetY)
    int m_targetX = 0;
    int m_targetY = 0;
};

} // namespace velmora
