// plot/renderprofile.cpp — the chart window's and the clipboard's profiles (plot layer)
#include "plot/renderprofile.h"

namespace velmora {

RenderProfile WindowProfile()
{
    return {};
}

RenderProfile ClipboardProfile()
{
    RenderProfile profile;
    profile.gainDivisions = 450;
    profile.phaseDivisions = 300;
    profile.closingGap = 80;
    profile.gainLabelSuffix = "dB";
    profile.phaseLabelSuffix = "°";
    return profile;
}

} // namespace velmora
