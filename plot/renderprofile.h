// plot/renderprofile.h — the constants in which the chart window's and the clipboard's images
// differ (plot layer, toolkit-free)
#pragma once

#include <string>

namespace velmora {

// The size of an image is the surface's own: a profile holds only the rules.
struct RenderProfile {
    int gainDivisions = 225; // iso-gain samples per contour and point capacity
    int phaseDivisions = 150; // iso-phase samples per sweep and point capacity
    int closingGap = 40; // pixels: iso-gain top ends closer than this are joined
    std::string gainLabelSuffix; // after each iso-gain label
    std::string phaseLabelSuffix; // after each iso-phase label

    bool operator==(const RenderProfile &) const = default;
};

// The chart window's image, labels without units.
RenderProfile WindowProfile();

// The clipboard bitmap, exports and print: twice the samples, wider joins, units on the contour
// labels.
RenderProfile ClipboardProfile();

// The size of an image in pixels; the chart window's designed one by default.
struct ImageSize {
    int width = 300;
    int height = 475;
    bool operator==(const ImageSize &) const = default;
};

} // namespace velmora
