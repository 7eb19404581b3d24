// tools/commandline.h — velmora-render's options: what to draw, what to report, where to write
// (tools layer)
#pragma once

#include "core/sessionmodel.h"
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

// What the output file shows.
enum class PlotKind { Chart, Step, Bode };

// What to draw and report (a session: settings, lists, loops), and where and how to write it.
struct RenderJob {
    bool help = false;
    Session session;
    // The option each loop came from, for messages: --loop, --loop-csv or --session.
    std::vector<std::string> loopOrigins;
    std::optional<std::string> output; // bytes as given; none when only a report is asked for
    ChartFormat format = ChartFormat::Png;
    PlotKind plot = PlotKind::Chart;
    RenderProfile profile = WindowProfile();
    ImageSize size; // designed pixels; the image is `scale` times larger
    double scale = 1;
    std::optional<double> omegaMin; // rad/s
    std::optional<double> omegaMax;
    std::vector<double> markers; // rad/s
    bool report = false; // the French table on stdout
    bool reportJson = false; // JSON on stdout
};

// Reads the arguments (without the program name). Throws UsageError.
RenderJob ParseCommandLine(const std::vector<std::string> &arguments);

// The help, in French, with the accepted ranges from the table of entry limits.
std::string HelpText();

} // namespace velmora
