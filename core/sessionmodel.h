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

// The settings (their value lists read from the texts), the two lists' texts as typed, and the
// loops. Session files, velmora-render's job and the document each hold one.
struct Session {
    ChartSettings settings = DefaultChartSettings();
    std::vector<std::string> isogainTexts = DefaultIsogainTexts();
    std::vector<std::string> isophaseTexts = DefaultIsophaseTexts();
    std::vector<LoopSpec> loops;
    std::optional<WindowLayout> windows {}; // none: the file says nothing of the windows

    bool operator==(const Session &) const = default;
};

} // namespace velmora
