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

// The crossovers listed, and how many there are when not all are listed.
std::string frequencies(const std::vector<double> &omegas, int count, CountKind kind)
{
    if (omegas.empty() && kind == CountKind::Exact)
        return "aucun";
    std::string text;
    for (std::size_t i = 0; i < omegas.size(); ++i)
        text += (i == 0 ? "" : " ; ") + FigureText(omegas[i]);
    text += omegas.empty() ? "" : " rad/s";
    const std::string listed = std::to_string(omegas.size());
    if (kind == CountKind::Infinite)
        text += (omegas.empty() ? "" : " ; ") + std::string("une infinité")
            + (omegas.empty() ? "" : " (les " + listed + " premiers listés)");
    else if (kind == CountKind::AtLeast || static_cast<std::size_t>(count) > omegas.size())
        text += " (les " + listed + " premiers sur "
            + std::string(kind == CountKind::AtLeast ? "au moins " : "") + std::to_string(count)
            + ")";
    return text;
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

// A count, null when infinite.
std::string jsonCount(int count, CountKind kind)
{
    return kind == CountKind::Infinite ? "null" : std::to_string(count);
}

// false for an exact count, true for a lower bound, null for an infinity.
std::string atLeast(CountKind kind)
{
    return kind == CountKind::Exact ? "false" : kind == CountKind::AtLeast ? "true" : "null";
}

std::string jsonArray(const std::vector<double> &values)
{
    std::string out = "[";
    for (std::size_t i = 0; i < values.size(); ++i)
        out += (i == 0 ? "" : ", ") + jsonNumber(values[i]);
    return out + "]";
}

} // namespace

std::vector<std::pair<std::string, std::string>> ReportRows(const ReportedLoop &loop)
{
    const LoopQuantities &q = loop.quantities;
    std::vector<std::pair<std::string, std::string>> rows;
    std::string poles;
    if (q.closedLoopRhpPolesKind == CountKind::Infinite)
        poles = "une infinité de pôles à partie réelle positive";
    else if (q.closedLoopPolesOnAxis)
        poles = "pôles sur l'axe imaginaire (limite de stabilité)";
    else if (q.closedLoopRhpPoles == 0 && q.closedLoopRhpPolesKind == CountKind::Exact)
        poles = "aucun pôle à partie réelle positive";
    else
        poles = (q.closedLoopRhpPolesKind == CountKind::AtLeast ? "au moins " : "")
            + std::to_string(q.closedLoopRhpPoles) + (q.closedLoopRhpPoles > 1 ? " pôles" : " pôle")
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
    rows.emplace_back("croisements de gain (0 dB)",
        frequencies(q.gainCrossovers, q.gainCrossoverCount, q.gainCrossoverCountKind));
    rows.emplace_back("croisements de phase (-180°)",
        frequencies(q.phaseCrossovers, q.phaseCrossoverCount, q.phaseCrossoverCountKind));
    rows.emplace_back("sensibilité Ms",
        !q.stable ? unstable
            : q.sensitivityPeakDb
            ? FigureText(*q.sensitivityPeakDb) + " dB à " + frequency(*q.sensitivityPeakOmega)
            : "sans objet");
    const char *noStep = !q.stable ? unstable
        : loop.measured            ? "sans objet (mesures sans modèle)"
                                   : "sans objet";
    const StepFigures *f = loop.step ? &*loop.step : nullptr;
    const auto stepRow = [&](const char *name, const std::optional<double> &v, const char *unit,
                             const char *none) {
        rows.emplace_back(name, !f ? noStep : v ? FigureText(*v) + unit : none);
    };
    rows.emplace_back("valeur finale (échelon)", f ? FigureText(f->finalValue) : noStep);
    stepRow("dépassement", f ? f->overshootPercent : std::nullopt, " %", "sans objet");
    stepRow("temps de pic", f ? f->peakTime : std::nullopt, " s", "aucun (pas de dépassement)");
    stepRow("temps de montée (10-90 %)", f ? f->riseTimeS : std::nullopt, " s", "sans objet");
    stepRow("temps de réponse à 5 %", f ? f->settlingTimeS : std::nullopt, " s", "sans objet");
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
        if (!loops[i].compensator.empty())
            text += ", correcteur " + loops[i].compensator;
        if (loops[i].gainDb != 0)
            text += ", gain ajouté " + FigureText(loops[i].gainDb) + " dB";
        text += '\n';
        for (const auto &[name, value] : ReportRows(loops[i]))
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
        out += ", \"gain_db\": " + jsonNumber(loops[i].gainDb);
        out += ", \"stable\": " + std::string(q.stable ? "true" : "false");
        out += ", \"closed_loop_rhp_poles\": "
            + jsonCount(q.closedLoopRhpPoles, q.closedLoopRhpPolesKind);
        out += ", \"closed_loop_rhp_poles_at_least\": " + atLeast(q.closedLoopRhpPolesKind);
        out += ", \"gain_margin_db\": " + jsonNumber(q.gainMarginDb);
        out += ", \"phase_crossover_rad_s\": " + jsonNumber(q.phaseCrossover);
        out += ", \"phase_margin_deg\": " + jsonNumber(q.phaseMarginDeg);
        out += ", \"gain_crossover_rad_s\": " + jsonNumber(q.gainCrossover);
        out += ", \"peak_db\": " + jsonNumber(q.peakDb);
        out += ", \"peak_rad_s\": " + jsonNumber(q.peakOmega);
        out += ", \"bandwidth_rad_s\": " + jsonNumber(q.bandwidth);
        out += ", \"gain_crossovers_rad_s\": " + jsonArray(q.gainCrossovers);
        out += ", \"phase_crossovers_rad_s\": " + jsonArray(q.phaseCrossovers);
        out += ", \"gain_crossover_count\": "
            + jsonCount(q.gainCrossoverCount, q.gainCrossoverCountKind);
        out += ", \"gain_crossover_count_at_least\": " + atLeast(q.gainCrossoverCountKind);
        out += ", \"phase_crossover_count\": "
            + jsonCount(q.phaseCrossoverCount, q.phaseCrossoverCountKind);
        out += ", \"phase_crossover_count_at_least\": " + atLeast(q.phaseCrossoverCountKind);
        const bool stable = q.stable;
        out += ", \"sensitivity_peak_db\": "
            + jsonNumber(stable ? q.sensitivityPeakDb : std::nullopt);
        out += ", \"sensitivity_peak_rad_s\": "
            + jsonNumber(stable ? q.sensitivityPeakOmega : std::nullopt);
        const std::optional<StepFigures> &f = loops[i].step;
        out += ", \"step_final_value\": "
            + jsonNumber(f ? std::optional<double>(f->finalValue) : std::nullopt);
        out += ", \"step_overshoot_percent\": "
            + jsonNumber(f ? f->overshootPercent : std::nullopt);
        out += ", \"step_peak_time_s\": " + jsonNumber(f ? f->peakTime : std::nullopt);
        out += ", \"step_rise_time_s\": " + jsonNumber(f ? f->riseTimeS : std::nullopt);
        out += ", \"step_settling_time_s\": " + jsonNumber(f ? f->settlingTimeS : std::nullopt);
        out += "}";
    }
    return out + "]}\n";
}

} // namespace velmora
