// core/sessionmodel.h — a session: everything a chart, a report and the windows are made from
// (core layer)
#pragma once

#include "core/chartsettings.h"
#include "core/loopspec.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

// Where the program's windows stood when the session was saved.
struct WindowLayout {
    // The chart window's frame, x, y, width and height in pixels, once the user has resized it;
    // none while it has its designed size.
    std::optional<std::array<int, 4>> chart;
    bool loops = false; // the loops window is open
    bool margins = false;
    bool response = false;

    bool operator==(const WindowLayout &) const = default;
};

// What the chart's legend shows of each drawn loop: nothing (no legend), its name beside a sample
// of its line, or its name and its margins, peak and bandwidth.
enum class LegendKind { None, Names, Margins };

// The part of the chart shown: phases in degrees and gains in dB, min < max each, within the
// settings' extents. Zooming changes it; the settings stay as they are.
struct ViewExtents {
    double phaseMin = 0;
    double phaseMax = 0;
    double gainMin = 0;
    double gainMax = 0;

    bool operator==(const ViewExtents &) const = default;
};

// The settings (their value lists read from the texts), the two lists' texts as typed, the
// loops, and how the chart shows them. Session files, velmora-render's job and the document
// each hold one.
struct Session {
    ChartSettings settings = DefaultChartSettings();
    std::vector<std::string> isogainTexts = DefaultIsogainTexts();
    std::vector<std::string> isophaseTexts = DefaultIsophaseTexts();
    std::vector<LoopSpec> loops;
    std::optional<WindowLayout> windows {}; // none: the file says nothing of the windows
    LegendKind legend = LegendKind::Names;
    bool showSensitivity = false; // the contour |S| = Ms through the worst point, dashed
    std::optional<ViewExtents> view {}; // none: the whole chart

    bool operator==(const Session &) const = default;
};

} // namespace velmora
