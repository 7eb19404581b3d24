// plot/labelplacer.h — loop labels put where they hide no locus, no mark and no other label,
// within the plot frame (plot layer, toolkit-free)
#pragma once

#include "plot/chartmapping.h"
#include "plot/clippedpen.h"
#include "plot/inkmap.h"

#include <string>

namespace velmora {

// Places each label at the first free place among candidates around its anchor, nearest first:
// right below, right above, left below, left above, centred below and above, right and left at
// mid-height, on rings `gap`, 2 `gap`, ... 5 `gap` pixels away. A place is free when its text
// cell lies within the frame and meets no locus ink (loci, margin segments, marks, critical
// points), no label placed before and no text of the chart. A label drawn over the dashed
// contour of a loop is drawn without its white cell, so that the contour stays.
class LabelPlacer {
public:
    LabelPlacer(InkSurface &surface, InkMap &ink, const PixelFrame &frame, int gap)
        : m_surface(surface)
        , m_ink(ink)
        , m_frame(frame)
        , m_gap(gap)
    {
    }

    // Draws the label and returns true, or leaves it out and returns false.
    bool place(Point anchor, const std::string &text, Color color);

private:
    InkSurface &m_surface;
    InkMap &m_ink;
    PixelFrame m_frame;
    int m_gap;
};

} // namespace velmora
