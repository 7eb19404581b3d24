// plot/renderprofile.h — the constants in which the two rendering passes differ (plot layer)
#pragma once

#include <string>

namespace velmora {

struct RenderProfile {
    int width = 300; // bitmap, pixels
    int height = 475;
    int GainDivisions = 225; // iso-gain samples per contour and point capacity
    int PhaseDivisions = 150; // iso-phase samples per sweep and point capacity
    int ClosingGap = 40; // pixels: iso-gain top ends closer than this are joined
    std::string GainLabelSuffix; // after each iso-gain label
    std::string PhaseLabelSuffix; // after each iso-phase label
};

// The chart window's image: 300 x 475, labels without units.
RenderProfile WindowProfile();

// The clipboard bitmap: twice the samples, wider joins, units on the contour labels.
RenderProfile ClipboardProfile(int width, int height);

} // namespace velmora
