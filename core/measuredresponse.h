// core/measuredresponse.h — a measured open-loop frequency response read from a CSV file (core
// layer)
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// A refused data file: French message naming the line.
class DataError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Frequencies (rad/s, strictly increasing, positive), gains (dB) and phases (degrees) of an open
// loop, as measured. The phase is unwrapped on reading: a jump of more than 180 degrees between
// two points is taken as a whole turn.
struct MeasuredResponse {
    std::vector<double> omega;
    std::vector<double> gainDb;
    std::vector<double> phaseDeg;
};

// Reads "frequency, gain (dB), phase (degrees)" rows separated by commas, semicolons or tabs,
// with an optional header line (a first line holding no number), a byte order mark skipped,
// blank lines and "#" comments; frequencies in rad/s, or in Hz when `hertz` (multiplied by
// 2 pi). Numbers use a decimal point; in rows separated by
// semicolons or tabs, a comma between two digits is one too ("0,5;-3;-120"). Throws DataError,
// with the line number, for a row that is not three numbers (in rows separated by commas, the
// message says that numbers take a decimal point), a frequency that is not positive or not above
// the one before, a gain beyond MaxDataGainDb or a phase beyond MaxDataPhaseDeg in magnitude,
// and for fewer than two rows.
constexpr double MaxDataGainDb = 1000;
constexpr double MaxDataPhaseDeg = 1e7;
MeasuredResponse ReadMeasuredResponse(std::string_view text, bool hertz);

} // namespace velmora
