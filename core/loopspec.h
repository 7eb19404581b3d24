// core/loopspec.h — a loop described once: where its response comes from, how it is drawn, and
// the loop loaded and analysed from that description (core layer)
#pragma once

#include "core/chartsettings.h"
#include "core/compensator.h"
#include "core/loopanalysis.h"
#include "core/measuredresponse.h"
#include "core/responsemodel.h"
#include "core/transferfunction.h"
#include "core/tuning.h"

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>

namespace velmora {

// The most loops one chart holds.
constexpr std::size_t MaxLoops = 8;

// A target a loop is tuned to: Mr, a margin, the bandwidth or the crossover, and its value (dB,
// degrees or rad/s).
struct LoopTarget {
    TargetKind kind = TargetKind::Mr;
    double value = 0;

    bool operator==(const LoopTarget &) const = default;
};

// A loop as the user gave it. Sessions, the command line and the document all hold these.
struct LoopSpec {
    std::string expression; // the open-loop transfer function as typed; empty for measured data
    std::string csvPath; // the measured data's file; empty for an expression
    bool csvHertz = false; // the file's frequencies are in Hz
    Color color = 0;
    double gainDb = 0; // added to the loop
    bool visible = true;
    std::string name {}; // as the user named it; empty for the default name
    // The loop is the response above (the plant) times this compensator; empty for none.
    Compensator compensator {};
    // What the loop was last tuned to, drawn on the chart (the iso-gain contour of an Mr
    // target) until it is cleared; none for none.
    std::optional<LoopTarget> target {};

    bool operator==(const LoopSpec &) const = default;

    bool isMeasured() const { return expression.empty(); }
    // The name given, or the expression, or the data file's name without its folder.
    std::string displayName() const;
    // Whether two specs describe the same response (what is loaded from them: plant and
    // compensator), whatever their colour, gain, visibility or name.
    bool sameSource(const LoopSpec &other) const;
};

// A data file that cannot be read: French message naming the file, its path resolved.
class LoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Data files larger than this are refused: a frequency response of a few thousand points is a
// few hundred kilobytes.
constexpr std::size_t MaxDataFileBytes = 16 * 1024 * 1024;

// The bytes of a regular file of at most `limit` bytes. Refuses, with a French LoadError that
// names the file as resolved (absolute, without "." and ".."), a missing or unreadable file, a
// folder, anything that is not a regular file (a FIFO, a device), and a larger file.
std::string ReadDataFile(const std::string &path, std::size_t limit = MaxDataFileBytes);

// What a spec loads into. For an expression: `function` is the loop, the plant's expression times
// the compensator (what the step response simulates). For measured data: `data` are the points
// as read, the plant's. `model` is the loop the analysis reads (plant times compensator), and
// `plant` the plant's model alone (the same as `model` without a compensator), which tuning
// designs on.
struct LoadedLoop {
    std::shared_ptr<const TransferFunction> function;
    std::shared_ptr<const MeasuredResponse> data;
    std::shared_ptr<const ResponseModel> model;
    std::shared_ptr<const ResponseModel> plant;
    std::shared_ptr<const TransferFunction> plantFunction; // the plant's expression alone

    bool operator==(const LoadedLoop &) const = default; // the same objects
};

// Parses the expression or reads the data file, and applies the compensator: for an expression,
// the product as one function (CompensatedFunction); for data, the compensated model. Throws
// ExpressionError, DataError, LoadError, or CompensatorError for a parameter out of its range.
LoadedLoop LoadLoop(const LoopSpec &spec);

// The loop loaded again with another compensator, its plant as it was loaded (a data file is not
// read again). Throws CompensatorError, and ExpressionError when the product exceeds what an
// expression may hold.
LoadedLoop WithCompensator(const LoadedLoop &loop, const Compensator &compensator);

// The loaded loop analysed at a gain (dB): what the chart, the report and the windows read.
LoopAnalysis AnalyseLoadedLoop(
    const LoadedLoop &loop, double gainDb, const AnalysisOptions &options);

} // namespace velmora
