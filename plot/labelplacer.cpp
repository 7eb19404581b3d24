// plot/labelplacer.cpp — loop labels put where they hide nothing that matters (plot layer)
#include "plot/labelplacer.h"

#include <array>

namespace velmora {

namespace {

constexpr int Rings = 5;

} // namespace

bool LabelPlacer::place(Point anchor, const std::string &text, Color color)
{
    const int w = m_surface.textWidth(text);
    const int h = m_surface.textHeight(text);
    const int x = PixelOf(anchor.x);
    const int y = PixelOf(anchor.y);
    const PixelRect frame { m_frame.left, m_frame.top, m_frame.right + 1, m_frame.bottom + 1 };
    for (int ring = 1; ring <= Rings; ++ring) {
        const int g = ring * m_gap;
        const std::array<std::pair<int, int>, 8> candidates { {
            { x + g, y + g / 2 },
            { x + g, y - h - g / 2 },
            { x - w - g, y + g / 2 },
            { x - w - g, y - h - g / 2 },
            { x - w / 2, y + g },
            { x - w / 2, y - h - g },
            { x + g, y - h / 2 },
            { x - w - g, y - h / 2 },
        } };
        for (const auto &[cx, cy] : candidates) {
            const PixelRect cell { cx, cy, cx + w, cy + h };
            if (!cell.within(frame) || m_ink.any(cell, Ink::Locus | Ink::Label | Ink::ChartText))
                continue;
            m_surface.setFontColor(color);
            m_surface.setKind(Ink::Label);
            if (m_ink.any(cell, Ink::Contour))
                m_surface.drawTransparentText(cx, cy, text);
            else
                m_surface.drawText(cx, cy, text);
            return true;
        }
    }
    return false;
}

} // namespace velmora
