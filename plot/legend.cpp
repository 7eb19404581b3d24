// plot/legend.cpp — the chart's legend (plot layer, toolkit-free)
#include "plot/legend.h"

#include <algorithm>
#include <array>

namespace velmora {

namespace {

const char *const Ellipsis = "…";
constexpr long TextWeight = 4;
constexpr long LoopInkWeight = 16;

// The byte where the UTF-8 character after the one beginning at `at` begins.
std::size_t nextCharacter(const std::string &text, std::size_t at)
{
    ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
        ++at;
    return at;
}

} // namespace

std::string Shortened(DrawingSurface &surface, const std::string &text, int width)
{
    if (surface.textWidth(text) <= width)
        return text;
    std::vector<std::size_t> ends; // byte lengths of whole-character prefixes
    for (std::size_t at = 0; at < text.size(); at = nextCharacter(text, at))
        ends.push_back(at);
    // The longest prefix that fits with the ellipsis: widths grow with the prefix.
    std::size_t low = 0; // ends[low] fits (the empty prefix is taken to)
    std::size_t high = ends.size(); // ends[high] does not, or is past the end
    while (high - low > 1) {
        const std::size_t middle = (low + high) / 2;
        if (surface.textWidth(text.substr(0, ends[middle]) + Ellipsis) <= width)
            low = middle;
        else
            high = middle;
    }
    return text.substr(0, ends[low]) + Ellipsis;
}

std::optional<PixelRect> DrawLegend(InkSurface &surface, InkMap &ink, const PixelFrame &frame,
    const std::vector<LegendEntry> &entries, const LegendStyle &style)
{
    if (entries.empty())
        return std::nullopt;
    const int u = std::max(style.unit, 1);
    const int padding = 4 * u;
    const int sample = 20 * u;
    const int gap = 5 * u;
    const int inset = 3 * u;
    const int lineHeight = surface.textHeight("Mg");
    const int frameWidth = frame.right - frame.left;
    const int nameWidth = frameWidth / 2 - 2 * padding - sample - gap;
    if (nameWidth <= 0)
        return std::nullopt;
    std::vector<std::string> names;
    int widest = 0;
    int lines = 0;
    for (const LegendEntry &entry : entries) {
        names.push_back(Shortened(surface, entry.name, nameWidth));
        widest = std::max(widest, surface.textWidth(names.back()));
        for (const std::string &detail : entry.details)
            widest = std::max(widest, surface.textWidth(detail));
        lines += 1 + static_cast<int>(entry.details.size());
    }
    const int width = 2 * padding + sample + gap + widest;
    const int height = 2 * padding + lines * lineHeight;
    if (width + 2 * inset > frameWidth || height + 2 * inset > frame.bottom - frame.top)
        return std::nullopt;

    const int left = frame.left + inset;
    const int right = frame.right + 1 - inset - width;
    const int top = std::max(frame.top, style.title.bottom) + inset;
    const int bottom = frame.bottom + 1 - inset - height;
    if (top > bottom)
        return std::nullopt;
    const std::array<PixelRect, 4> corners { {
        { left, top, left + width, top + height },
        { right, top, right + width, top + height },
        { left, bottom, left + width, bottom + height },
        { right, bottom, right + width, bottom + height },
    } };
    PixelRect box = corners.front();
    long least = -1;
    for (const PixelRect &corner : corners) {
        const long hidden = ink.count(corner, Ink::ChartLine)
            + TextWeight * ink.count(corner, Ink::ChartText)
            + LoopInkWeight * ink.count(corner, Ink::Locus | Ink::Contour | Ink::Label);
        if (least < 0 || hidden < least) {
            least = hidden;
            box = corner;
        }
    }

    surface.setKind(Ink::Label);
    surface.fillRect(box.left, box.top, width, height, White);
    surface.setPenStyle(PenStyle::Solid);
    surface.setPenWidth(1);
    surface.setPenColor(style.border);
    const int last = ScaledPenWidth(1, surface.scale()) / 2; // the border stays within the box
    surface.moveTo(box.left + last, box.top + last);
    surface.lineTo(box.right - 1 - last, box.top + last);
    surface.lineTo(box.right - 1 - last, box.bottom - 1 - last);
    surface.lineTo(box.left + last, box.bottom - 1 - last);
    surface.lineTo(box.left + last, box.top + last);
    int y = box.top + padding;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const LegendEntry &entry = entries[i];
        surface.setPenColor(entry.color);
        surface.setPenWidth(style.penWidth);
        const int middle = y + lineHeight / 2;
        surface.moveTo(box.left + padding, middle);
        surface.lineTo(box.left + padding + sample, middle);
        surface.setPenWidth(1);
        surface.setFontColor(entry.color);
        const int textLeft = box.left + padding + sample + gap;
        surface.drawText(textLeft, y, names[i]);
        y += lineHeight;
        for (const std::string &detail : entry.details) {
            surface.drawText(textLeft, y, detail);
            y += lineHeight;
        }
    }
    return box;
}

} // namespace velmora
