// plot/renderprofile.cpp — the chart window's and the clipboard's profiles (plot layer)
#include "plot/renderprofile.h"

namespace velmora {

RenderProfile WindowProfile(int width, int height)
{
    RenderProfile profile;
    profile.width = width;
    profile.height = height;
    return profile;
}

RenderProfile ClipboardProfile(int width, int height)
{
    RenderProfile profile;
    profile.width = width;
    profile.height = height;
    profile.gainDivisions = 450;
    profile.phaseDivisions = 300;
    profile.closingGap = 80;
    profile.gainLabelSuffix = "dB";
    profile.phaseLabelSuffix = "°";
    return profile;
}

} // namespace velmora
