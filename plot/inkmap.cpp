// plot/inkmap.cpp — where a chart has ink, and of what kind (plot layer, toolkit-free)
#include "plot/inkmap.h"

#include "plot/clippedpen.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// The most cells a map holds: two million bytes.
constexpr long MaxCells = 2'000'000;

} // namespace

InkMap::InkMap(int width, int height)
    : m_width(std::max(width, 1))
    , m_height(std::max(height, 1))
{
    const double pixels = static_cast<double>(m_width) * m_height;
    m_cell = std::max(1, static_cast<int>(std::ceil(std::sqrt(pixels / MaxCells))));
    m_columns = (m_width + m_cell - 1) / m_cell;
    m_rows = (m_height + m_cell - 1) / m_cell;
    m_cells.assign(static_cast<std::size_t>(m_columns) * static_cast<std::size_t>(m_rows), 0);
}

InkMap::CellRange InkMap::cellsOf(const PixelRect &rect) const
{
    const auto column = [&](int x) { return std::clamp(x, 0, m_width) / m_cell; };
    const auto row = [&](int y) { return std::clamp(y, 0, m_height) / m_cell; };
    // The last pixel of the rectangle is right - 1: its cell is the last one met.
    return { column(rect.left), row(rect.top),
        rect.right > rect.left ? std::min(column(rect.right - 1) + 1, m_columns) : 0,
        rect.bottom > rect.top ? std::min(row(rect.bottom - 1) + 1, m_rows) : 0 };
}

void InkMap::markRect(const PixelRect &rect, std::uint8_t kind)
{
    if (rect.right <= 0 || rect.bottom <= 0 || rect.left >= m_width || rect.top >= m_height)
        return;
    const CellRange cells = cellsOf(rect);
    for (int r = cells.top; r < cells.bottom; ++r) {
        std::uint8_t *line = m_cells.data() + static_cast<std::size_t>(r) * m_columns;
        for (int c = cells.left; c < cells.right; ++c)
            line[c] |= kind;
    }
}

void InkMap::markSquare(int x, int y, int half, std::uint8_t kind)
{
    markRect({ x - half, y - half, x + half + 1, y + half + 1 }, kind);
}

void InkMap::markLine(int x0, int y0, int x1, int y1, int width, std::uint8_t kind)
{
    // A pen `width` pixels across paints a square of that width on each pixel of the line,
    // which lies within half a pixel of the centre line: all of it lies within width / 2 + 1 of
    // the centre line's pixels, which are marked; the queries reach that far around them.
    // A centre line just outside the image paints inside it: it is marked on the image's edge.
    const int reach = width / 2 + 1;
    for (int bit = 0; bit < 8; ++bit)
        if (kind & (1 << bit))
            m_reach[bit] = std::max(m_reach[bit], reach);
    Point a { static_cast<double>(x0), static_cast<double>(y0) };
    Point b { static_cast<double>(x1), static_cast<double>(y1) };
    const auto outside
        = [&](int x, int y) { return x < 0 || y < 0 || x >= m_width || y >= m_height; };
    if (outside(x0, y0) || outside(x1, y1)) {
        const PixelFrame image { -reach, m_height - 1 + reach, -reach, m_width - 1 + reach };
        const auto part = Clipped(a, b, image);
        if (!part)
            return;
        a = part->first;
        b = part->second;
    }
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const int steps = static_cast<int>(std::ceil(std::max(std::fabs(dx), std::fabs(dy))));
    const double sx = steps == 0 ? 0 : dx / steps;
    const double sy = steps == 0 ? 0 : dy / steps;
    // Positions offset to be positive, so that truncation rounds them (ties up).
    double x = a.x + 0.5 + reach;
    double y = a.y + 0.5 + reach;
    for (int i = 0; i <= steps; ++i, x += sx, y += sy) {
        const int column = std::clamp(static_cast<int>(x) - reach, 0, m_width - 1);
        const int row = std::clamp(static_cast<int>(y) - reach, 0, m_height - 1);
        if (m_cell == 1)
            m_cells[static_cast<std::size_t>(row) * m_columns + column] |= kind;
        else
            m_cells[static_cast<std::size_t>(row / m_cell) * m_columns + column / m_cell] |= kind;
    }
}

void InkMap::markDisc(int x, int y, int radius, std::uint8_t kind)
{
    markSquare(x, y, std::max(radius, 0) + 1, kind);
}

PixelRect InkMap::reached(const PixelRect &rect, std::uint8_t kinds) const
{
    int reach = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (kinds & (1 << bit))
            reach = std::max(reach, m_reach[bit]);
    return { rect.left - reach, rect.top - reach, rect.right + reach, rect.bottom + reach };
}

bool InkMap::any(const PixelRect &rect, std::uint8_t kinds) const
{
    const CellRange cells = cellsOf(reached(rect, kinds));
    for (int r = cells.top; r < cells.bottom; ++r) {
        const std::uint8_t *line = m_cells.data() + static_cast<std::size_t>(r) * m_columns;
        std::uint8_t found = 0;
        for (int c = cells.left; c < cells.right; ++c)
            found |= line[c];
        if (found & kinds)
            return true;
    }
    return false;
}

long InkMap::count(const PixelRect &rect, std::uint8_t kinds) const
{
    const CellRange cells = cellsOf(reached(rect, kinds));
    long found = 0;
    for (int r = cells.top; r < cells.bottom; ++r) {
        const std::uint8_t *line = m_cells.data() + static_cast<std::size_t>(r) * m_columns;
        for (int c = cells.left; c < cells.right; ++c)
            found += (line[c] & kinds) != 0;
    }
    return found;
}

void InkSurface::setPenWidth(int pixels)
{
    m_target.setPenWidth(pixels);
    m_penWidth = ScaledPenWidth(pixels, m_target.scale());
}

void InkSurface::moveTo(int x, int y)
{
    m_target.moveTo(x, y);
    m_x = x;
    m_y = y;
}

void InkSurface::lineTo(int x, int y)
{
    m_target.lineTo(x, y);
    // The chart's own lines are only counted, under the legend: a short one by its end.
    if (m_kind == Ink::ChartLine && std::abs(x - m_x) <= 4 && std::abs(y - m_y) <= 4)
        m_map.markPixel(x, y, m_kind);
    else
        m_map.markLine(m_x, m_y, x, y, std::max(m_penWidth, ScaledPenWidth(1, scale())), m_kind);
    m_x = x;
    m_y = y;
}

void InkSurface::drawDisc(int x, int y, int radius)
{
    m_target.drawDisc(x, y, radius);
    m_map.markDisc(x, y, radius, m_kind);
}

void InkSurface::fillRect(int x, int y, int width, int height, Color color)
{
    m_target.fillRect(x, y, width, height, color);
    m_map.markRect({ x, y, x + width, y + height }, m_kind);
}

void InkSurface::markText(int x, int y, const std::string &text)
{
    m_map.markRect(
        { x, y, x + m_target.textWidth(text), y + m_target.textHeight(text) }, m_textKind);
}

void InkSurface::drawText(int x, int y, const std::string &text)
{
    m_target.drawText(x, y, text);
    markText(x, y, text);
}

void InkSurface::drawTransparentText(int x, int y, const std::string &text)
{
    m_target.drawTransparentText(x, y, text);
    markText(x, y, text);
}

void FrameClipSurface::moveTo(int x, int y)
{
    m_x = x;
    m_y = y;
    m_placed = false;
}

void FrameClipSurface::lineTo(int x, int y)
{
    const auto part = Clipped({ static_cast<double>(m_x), static_cast<double>(m_y) },
        { static_cast<double>(x), static_cast<double>(y) }, m_frame);
    m_x = x;
    m_y = y;
    if (!part) {
        m_placed = false;
        return;
    }
    const int x0 = PixelOf(part->first.x);
    const int y0 = PixelOf(part->first.y);
    const int x1 = PixelOf(part->second.x);
    const int y1 = PixelOf(part->second.y);
    if (!m_placed || x0 != m_targetX || y0 != m_targetY)
        m_target.moveTo(x0, y0);
    m_target.lineTo(x1, y1);
    m_placed = true;
    m_targetX = x1;
    m_targetY = y1;
}

bool FrameClipSurface::holds(int x, int y, const std::string &text)
{
    return x >= m_frame.left && y >= m_frame.top
        && x + m_target.textWidth(text) <= m_frame.right + 1
        && y + m_target.textHeight(text) <= m_frame.bottom + 1;
}

void FrameClipSurface::drawDisc(int x, int y, int radius)
{
    if (m_frame.contains(x - radius, y - radius) && m_frame.contains(x + radius, y + radius))
        m_target.drawDisc(x, y, radius);
}

void FrameClipSurface::fillRect(int x, int y, int width, int height, Color color)
{
    const int left = std::max(x, m_frame.left);
    const int top = std::max(y, m_frame.top);
    const int right = std::min(x + width, m_frame.right + 1);
    const int bottom = std::min(y + height, m_frame.bottom + 1);
    if (left < right && top < bottom)
        m_target.fillRect(left, top, right - left, bottom - top, color);
}

void FrameClipSurface::drawText(int x, int y, const std::string &text)
{
    if (holds(x, y, text))
        m_target.drawText(x, y, text);
}

void FrameClipSurface::drawTransparentText(int x, int y, const std::string &text)
{
    if (holds(x, y, text))
        m_target.drawTransparentText(x, y, text);
}

} // namespace velmora
