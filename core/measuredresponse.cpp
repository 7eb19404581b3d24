// core/measuredresponse.cpp — a measured open-loop frequency response read from CSV (core layer)
#include "core/measuredresponse.h"

#include "core/floatingpointerror.h"
#include "core/numbertext.h"

#include <cctype>
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

// The separator of a row: semicolons if it has any, else tabs, else commas.
char separatorOf(std::string_view line)
{
    return line.find(';') != std::string_view::npos ? ';'
        : line.find('\t') != std::string_view::npos ? '\t'
                                                    : ',';
}

std::vector<std::string_view> fieldsOf(std::string_view line, char separator)
{
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

// A field's number; with semicolons or tabs between fields, a comma between two digits is the
// decimal point ("0,5").
std::optional<double> numberOf(std::string_view field, char separator)
{
    std::string withPoint;
    if (separator != ',') {
        const std::size_t comma = field.find(',');
        if (comma != std::string_view::npos && comma > 0 && comma + 1 < field.size()
            && std::isdigit(static_cast<unsigned char>(field[comma - 1]))
            && std::isdigit(static_cast<unsigned char>(field[comma + 1]))) {
            withPoint = std::string(field);
            withPoint[comma] = '.';
            field = withPoint;
        }
    }
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
    if (text.starts_with("\xEF\xBB\xBF")) // a byte order mark, not part of the first row
        start = 3;
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
        const char separator = separatorOf(line);
        const std::vector<std::string_view> fields = fieldsOf(line, separator);
        std::optional<double> values[3];
        bool allNumbers = fields.size() == 3;
        bool anyNumber = false;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const std::optional<double> v = numberOf(fields[i], separator);
            anyNumber = anyNumber || v.has_value();
            if (i < 3)
                values[i] = v;
            allNumbers = allNumbers && (i >= 3 || v.has_value());
        }
        if (!allNumbers) {
            // A header line names the columns: it holds no number at all, and a first row that
            // does is data that does not read, never dropped.
            if (headerAllowed && !anyNumber) {
                headerAllowed = false;
                continue;
            }
            refuse(lineNumber,
                separator == ','
                    ? "trois nombres attendus (fréquence, gain en dB, phase en degrés) ; les "
                      "champs "
                      "étant séparés par des virgules, les nombres s'écrivent avec un point "
                      "décimal (0.5), ou séparez les champs par des points-virgules (0,5;-3;-120)"
                    : "trois nombres attendus (fréquence, gain en dB, phase en degrés)");
        }
        headerAllowed = false;
        const double omega = *values[0] * (hertz ? 2 * std::numbers::pi : 1);
        if (!(omega > 0) || !std::isfinite(omega))
            refuse(lineNumber, "fréquence positive attendue");
        // Beyond these, |G| or the turns of the phase no longer fit the computations' numbers.
        if (!(std::fabs(*values[1]) <= MaxDataGainDb))
            refuse(lineNumber, "gain hors limites (de -1000 à 1000 dB)");
        if (!(std::fabs(*values[2]) <= MaxDataPhaseDeg))
            refuse(lineNumber, "phase hors limites (de -1e7 à 1e7 degrés)");
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
