// plot/renderprofile.h — the constants in which the chart window's and the clipboard's images
// differ (plot layer, toolkit-free)
#pragma once

#include <string>

namespace velmora {

struct RenderProfile {
    int width = 300; // image, pixels
    int height = 475;
    int gainDivisions = 225; // iso-gain samples per contour and point capacity
    int phaseDivisions = 150; // iso-phase samples per sweep and point capacity
    int closingGap = 40; // pixels: iso-gain top ends closer than this are joined
    std::string gainLabelSuffix; // after each iso-gain label
    std::string phaseLabelSuffix; // after each iso-phase label
};

// The chart window's image: 300 x 475 unless said otherwise, labels without units.
RenderProfile WindowProfile(int width = 300, int height = 475);

// The clipboard bitmap: twice the samples, wider joins, units on the contour labels.
RenderProfile ClipboardProfile(int width, int height);

} // namespace velmora
