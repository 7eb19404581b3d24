// core/sessionmodel.h — a session: everything a chart, a report and the windows are made from
// (core layer)
#pragma once

#include "core/chartsettings.h"
#include "core/loopspec.h"

#include <string>
#include <vector>

namespace velmora {

// The settings (their value lists read from the texts), the two lists' texts as typed, and the
// loops. Session files, velmora-render's job and the document each hold one.
struct Session {
    ChartSettings settings = DefaultChartSettings();
    std::vector<std::string> isogainTexts = DefaultIsogainTexts();
    std::vector<std::string> isophaseTexts = DefaultIsophaseTexts();
    std::vector<LoopSpec> loops;

    bool operator==(const Session &) const = default;
};

} // namespace velmora
