// tools/commandline.h — velmora-render's options: what to draw, what to report, where to write
// (tools layer)
#pragma once

#include "core/chartsettings.h"
#include "core/loopanalysis.h"
#include "plot/renderprofile.h"
#include "render/chartfile.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora {

// A refused command line: the French message names the option and what it accepts.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A loop given on the command line: an expression, or a CSV file of measurements.
struct LoopRequest {
    std::string expression; // empty for a file
    std::string csvPath; // bytes as given
    bool hertz = false; // the file's frequencies are in Hz
    double gainDb = 0;
    std::string origin; // the option it came from, for messages: --loop, --loop-csv, --session
    Color color = 0;
};

struct RenderJob {
    bool help = false;
    std::optional<std::string> output; // bytes as given; none when only a report is asked for
    ChartFormat format = ChartFormat::Png;
    ChartSettings settings = DefaultChartSettings();
    RenderProfile profile = WindowProfile();
    std::vector<LoopRequest> loops;
    bool hertz = false; // the command line's CSV frequencies are in Hz
    std::optional<double> omegaMin; // rad/s
    std::optional<double> omegaMax;
    std::vector<double> markers; // rad/s
    bool report = false; // the French table on stdout
    bool reportJson = false; // JSON on stdout
};

// The most loops one chart holds.
constexpr std::size_t MaxLoops = 8;

// Reads the arguments (without the program name). Throws UsageError.
RenderJob ParseCommandLine(const std::vector<std::string> &arguments);

// The help, in French, with the accepted ranges from the table of entry limits.
std::string HelpText();

} // namespace velmora
