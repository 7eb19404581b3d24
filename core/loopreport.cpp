// core/loopreport.cpp — the quantities of the loops, as a French table or as JSON (core layer)
#include "core/loopreport.h"

#include "core/numbertext.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

namespace velmora {

namespace {

std::string frequency(double omega)
{
    return FigureText(omega) + " rad/s";
}

std::string frequencies(const std::vector<double> &omegas)
{
    if (omegas.empty())
        return "aucun";
    std::string text;
    for (std::size_t i = 0; i < omegas.size(); ++i)
        text += (i == 0 ? "" : " ; ") + FigureText(omegas[i]);
    return text + " rad/s";
}

void row(std::string &text, const std::string &name, const std::string &value)
{
    constexpr std::size_t Column = 30; // characters, the name's column and its blanks
    std::size_t characters = 0;
    for (const char c : name)
        characters += (static_cast<unsigned char>(c) & 0xC0) == 0x80 ? 0 : 1;
    text += "  " + name + std::string(characters < Column ? Column - characters : 1, ' ') + value
        + "\n";
}

std::string jsonNumber(double v)
{
    if (!std::isfinite(v))
        return "null";
    std::array<char, 64> buffer {};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v);
    return std::string(buffer.data(), result.ptr);
}

std::string jsonNumber(const std::optional<double> &v)
{
    return v ? jsonNumber(*v) : "null";
}

std::string jsonString(const std::string &text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                std::array<char, 8> escape {};
                std::snprintf(
                    escape.data(), escape.size(), "\\u%04x", static_cast<unsigned char>(c));
                out += escape.data();
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string jsonArray(const std::vector<double> &values)
{
    std::string out = "[";
    for (std::size_t i = 0; i < values.size(); ++i)
        out += (i == 0 ? "" : ", ") + jsonNumber(values[i]);
    return out + "]";
}

} // namespace

std::vector<std::pair<std::string, std::string>> ReportRows(const LoopQuantities &q)
{
    std::vector<std::pair<std::string, std::string>> rows;
    const std::string poles = q.closedLoopRhpPoles == 0
        ? std::string("aucun pôle à partie réelle positive")
        : std::to_string(q.closedLoopRhpPoles) + (q.closedLoopRhpPoles > 1 ? " pôles" : " pôle")
            + " à partie réelle positive";
    rows.emplace_back("boucle fermée", (q.stable ? "stable, " : "instable, ") + poles);
    rows.emplace_back("marge de gain",
        q.gainMarginDb ? FigureText(*q.gainMarginDb) + " dB à " + frequency(*q.phaseCrossover)
                       : "aucune (pas de croisement de phase)");
    rows.emplace_back("marge de phase",
        q.phaseMarginDeg ? FigureText(*q.phaseMarginDeg) + "° à " + frequency(*q.gainCrossover)
                         : "aucune (pas de croisement de gain)");
    const char *unstable = "sans objet (boucle fermée instable)";
    rows.emplace_back("résonance Mr",
        !q.stable      ? unstable
            : q.peakDb ? FigureText(*q.peakDb) + " dB à " + frequency(*q.peakOmega)
                       : "sans objet");
    rows.emplace_back("bande passante ωb",
        !q.stable         ? unstable
            : q.bandwidth ? frequency(*q.bandwidth)
                          : "aucune dans la plage de fréquences");
    rows.emplace_back("croisements de gain (0 dB)", frequencies(q.gainCrossovers));
    rows.emplace_back("croisements de phase (-180°)", frequencies(q.phaseCrossovers));
    return rows;
}

std::string ReportText(const std::vector<ReportedLoop> &loops)
{
    std::string text;
    for (std::size_t i = 0; i < loops.size(); ++i) {
        if (i > 0)
            text += '\n';
        text += "Boucle ";
        text += std::to_string(i + 1);
        text += " : ";
        text += loops[i].expression;
        text += '\n';
        for (const auto &[name, value] : ReportRows(loops[i].quantities))
            row(text, name, value);
    }
    return text;
}

std::string ReportJson(const std::vector<ReportedLoop> &loops)
{
    std::string out = "{\"loops\": [";
    for (std::size_t i = 0; i < loops.size(); ++i) {
        const LoopQuantities &q = loops[i].quantities;
        out += i == 0 ? "" : ", ";
        out += "{\"expression\": " + jsonString(loops[i].expression);
        out += ", \"stable\": " + std::string(q.stable ? "true" : "false");
        out += ", \"closed_loop_rhp_poles\": " + std::to_string(q.closedLoopRhpPoles);
        out += ", \"gain_margin_db\": " + jsonNumber(q.gainMarginDb);
        out += ", \"phase_crossover_rad_s\": " + jsonNumber(q.phaseCrossover);
        out += ", \"phase_margin_deg\": " + jsonNumber(q.phaseMarginDeg);
        out += ", \"gain_crossover_rad_s\": " + jsonNumber(q.gainCrossover);
        out += ", \"peak_db\": " + jsonNumber(q.peakDb);
        out += ", \"peak_rad_s\": " + jsonNumber(q.peakOmega);
        out += ", \"bandwidth_rad_s\": " + jsonNumber(q.bandwidth);
        out += ", \"gain_crossovers_rad_s\": " + jsonArray(q.gainCrossovers);
        out += ", \"phase_crossovers_rad_s\": " + jsonArray(q.phaseCrossovers);
        out += "}";
    }
    return out + "]}\n";
}

} // namespace velmora
