// plot/legend.h — the chart's legend: a sample of each loop's line, its name, and on request its
// margins (plot layer, toolkit-free)
#pragma once

#include "plot/chartmapping.h"
#include "plot/inkmap.h"

#include <optional>
#include <string>
#include <vector>

namespace velmora {

// One loop in the legend: its colour, its name, and the lines written under the name.
struct LegendEntry {
    Color color = Black;
    std::string name;
    std::vector<std::string> details;
};

// How the legend is drawn, in image pixels.
struct LegendStyle {
    int unit = 1; // pixels of the chart's designed pixel at this size
    int penWidth = 1; // the loci's pen, in designed pixels (the surface scales it)
    Color border = Black;
    PixelRect title {}; // the chart's title: a box in a top corner stands below it
};

// Draws the legend in a white box with a border, in the corner of the frame (top left, top
// right, bottom left, bottom right, the first of those equal) whose box hides the least ink: a
// cell of the chart's lines counts 1, of its texts 4, of loop ink or labels 16. Names wider than
// half the frame less the sample are shortened with "…". Marks the box as label ink and returns
// it; draws nothing and returns nothing when there is no entry or the box does not fit in the
// frame.
std::optional<PixelRect> DrawLegend(InkSurface &surface, InkMap &ink, const PixelFrame &frame,
    const std::vector<LegendEntry> &entries, const LegendStyle &style);

// The text cut to at most `width` pixels of the surface's font, ending with "…" when cut; whole
// UTF-8 characters only ("…" alone when not even one fits).
std::string Shortened(DrawingSurface &surface, const std::string &text, int width);

} // namespace velmora
