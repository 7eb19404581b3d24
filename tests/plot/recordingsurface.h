// tests/plot/recordingsurface.h — a drawing surface that logs every operation, for exact checks
#pragma once

#include "plot/drawingsurface.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace velmora::test {

enum class Op {
    PenColor,
    PenStyle,
    PenWidth,
    FontName,
    FontSize,
    FontColor,
    MoveTo,
    LineTo,
    Disc,
    Fill,
    Text,
    TransparentText
};

struct Operation {
    Op op;
    int x = 0; // MoveTo, LineTo, texts; the value of a colour, style or size otherwise
    int y = 0;
    std::string text; // Text, FontName
};

// Metrics of the default face at 8 points: every glyph 7 pixels wide except "W" (11), 13 high
// (times the scale, rounded, on a surface of another scale).
class RecordingSurface final : public DrawingSurface {
public:
    RecordingSurface(int width, int height, double scale = 1)
        : m_width(width)
        , m_height(height)
        , m_scale(scale)
    {
    }

    int width() const override { return m_width; }
    int height() const override { return m_height; }
    double scale() const override { return m_scale; }
    void setPenColor(Color color) override { log(Op::PenColor, static_cast<int>(color)); }
    void setPenStyle(PenStyle style) override { log(Op::PenStyle, static_cast<int>(style)); }
    void setPenWidth(int pixels) override { log(Op::PenWidth, pixels); }
    void drawDisc(int x, int y, int radius) override
    {
        log(Op::Disc, x, y, std::to_string(radius));
    }
    // The corner, and the size and colour as "W H C".
    void fillRect(int x, int y, int width, int height, Color color) override
    {
        log(Op::Fill, x, y,
            std::to_string(width) + " " + std::to_string(height) + " " + std::to_string(color));
    }
    void setFontName(const std::string &face) override { log(Op::FontName, 0, 0, face); }
    void setFontSize(int points) override { log(Op::FontSize, points); }
    void setFontColor(Color color) override { log(Op::FontColor, static_cast<int>(color)); }
    void moveTo(int x, int y) override { log(Op::MoveTo, x, y); }
    void lineTo(int x, int y) override { log(Op::LineTo, x, y); }
    void drawText(int x, int y, const std::string &text) override { log(Op::Text, x, y, text); }
    void drawTransparentText(int x, int y, const std::string &text) override
    {
        log(Op::TransparentText, x, y, text);
    }
    int textWidth(const std::string &text) override
    {
        return scaled(text == "W" ? 11 : 7 * glyphs(text));
    }
    int textHeight(const std::string &) override { return scaled(13); }

    const std::vector<Operation> &operations() const { return m_operations; }

    std::vector<Operation> only(Op op) const
    {
        std::vector<Operation> out;
        for (const Operation &o : m_operations) {
            if (o.op == op)
                out.push_back(o);
        }
        return out;
    }

    // Texts drawn either way, in order.
    std::vector<Operation> texts() const
    {
        std::vector<Operation> out;
        for (const Operation &o : m_operations) {
            if (o.op == Op::Text || o.op == Op::TransparentText)
                out.push_back(o);
        }
        return out;
    }

private:
    // Characters of UTF-8 text: bytes that do not continue a character.
    static int glyphs(const std::string &text)
    {
        return static_cast<int>(std::count_if(text.begin(), text.end(),
            [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    }
    int scaled(int pixels) const { return static_cast<int>(std::nearbyint(pixels * m_scale)); }

    void log(Op op, int x, int y = 0, std::string text = {})
    {
        m_operations.push_back({ op, x, y, std::move(text) });
    }

    int m_width;
    int m_height;
    double m_scale;
    std::vector<Operation> m_operations;
};

// Moves and lines only, as a drawn path: {'M' or 'L', x, y}.
struct PathStep {
    char kind;
    int x;
    int y;
    bool operator==(const PathStep &) const = default;
};

inline std::vector<PathStep> pathOf(const std::vector<Operation> &ops)
{
    std::vector<PathStep> path;
    for (const Operation &o : ops) {
        if (o.op == Op::MoveTo)
            path.push_back({ 'M', o.x, o.y });
        else if (o.op == Op::LineTo)
            path.push_back({ 'L', o.x, o.y });
    }
    return path;
}

} // namespace velmora::test
