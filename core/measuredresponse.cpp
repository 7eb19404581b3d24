// core/measuredresponse.cpp — a measured open-loop frequency response read from CSV (core layer)
#include "core/measuredresponse.h"

#include "core/floatingpointerror.h"
#include "core/numbertext.h"

#include <cmath>
#include <numbers>
#include <optional>

namespace velmora {

namespace {

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The fields of a row: split at semicolons if it has any, else at tabs, else at commas.
std::vector<std::string_view> fieldsOf(std::string_view line)
{
    const char separator = line.find(';') != std::string_view::npos ? ';'
        : line.find('\t') != std::string_view::npos                 ? '\t'
                                                                    : ',';
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = line.find(separator, start);
        fields.push_back(
            trimmed(line.substr(start, end == std::string_view::npos ? end : end - start)));
        if (end == std::string_view::npos)
            return fields;
        start = end + 1;
    }
}

std::optional<double> numberOf(std::string_view field)
{
    try {
        const std::optional<double> v = StrictTextToReal(field);
        if (v && std::isfinite(*v))
            return v;
    } catch (const FloatingPointError &) {
    }
    return std::nullopt;
}

[[noreturn]] void refuse(int line, const std::string &what)
{
    throw DataError("ligne " + std::to_string(line) + " : " + what);
}

} // namespace

MeasuredResponse ReadMeasuredResponse(std::string_view text, bool hertz)
{
    MeasuredResponse data;
    bool headerAllowed = true;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find('\n', start);
        std::string_view line
            = text.substr(start, end == std::string_view::npos ? end : end - start);
        start = end == std::string_view::npos ? text.size() + 1 : end + 1;
        ++lineNumber;
        if (const std::size_t comment = line.find('#'); comment != std::string_view::npos)
            line = line.substr(0, comment);
        line = trimmed(line);
        if (line.empty())
            continue;
        const std::vector<std::string_view> fields = fieldsOf(line);
        std::optional<double> values[3];
        bool allNumbers = fields.size() == 3;
        for (std::size_t i = 0; i < 3 && i < fields.size(); ++i) {
            values[i] = numberOf(fields[i]);
            allNumbers = allNumbers && values[i].has_value();
        }
        if (!allNumbers) {
            if (headerAllowed) { // a header line names the columns
                headerAllowed = false;
                continue;
            }
            refuse(lineNumber, "trois nombres attendus (fréquence, gain en dB, phase en degrés)");
        }
        headerAllowed = false;
        const double omega = *values[0] * (hertz ? 2 * std::numbers::pi : 1);
        if (!(omega > 0))
            refuse(lineNumber, "fréquence positive attendue");
        if (!data.omega.empty() && !(omega > data.omega.back()))
            refuse(lineNumber, "les fréquences doivent croître strictement");
        double phase = *values[2];
        if (!data.phaseDeg.empty()) // a jump of more than half a turn is a whole turn
            phase -= 360 * std::round((phase - data.phaseDeg.back()) / 360);
        data.omega.push_back(omega);
        data.gainDb.push_back(*values[1]);
        data.phaseDeg.push_back(phase);
    }
    if (data.omega.size() < 2)
        throw DataError("au moins deux lignes de mesures attendues");
    return data;
}

} // namespace velmora
