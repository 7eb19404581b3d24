// core/tuning.cpp — the gain tuned to a target, and a phase lead for a margin at a crossover
// (core layer)
#include "core/tuning.h"

#include "core/compensatedmodel.h"
#include "core/frequencyresponse.h"
#include "core/loopanalysis.h"
#include "core/numbertext.h"
#include "core/tuningsweep.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velmora {

namespace {

constexpr TargetInfo Targets[] = {
    { TargetKind::Mr, "mr", "Mr", "dB" },
    { TargetKind::PhaseMargin, "pm", "MP", "°" },
    { TargetKind::GainMargin, "gm", "MG", "dB" },
    { TargetKind::Bandwidth, "wb", "ωb", "rad/s" },
    { TargetKind::Crossover, "wc", "ωc", "rad/s" },
};

constexpr double Tolerance = 1e-6; // dB, degrees, or relative to a frequency
constexpr std::size_t MaxChecks = 8; // analyses of candidate gains, nearest first
constexpr std::size_t MaxIntervals = 24; // of constant stability, looked at for a refusal

// Options for checking: the quantities are read on the coarse samples, whatever the chart; a
// window far from the locus spares the dense sampling that only draws it.
AnalysisOptions checkOptions()
{
    AnalysisOptions options;
    options.gainMin = 1e6;
    options.gainMax = 1e6 + 70;
    options.phaseMin = 1e6;
    options.phaseMax = 1e6 + 270;
    return options;
}

std::optional<double> quantityOf(const LoopQuantities &q, TargetKind target)
{
    switch (target) {
    case TargetKind::Mr:
        return q.peakDb;
    case TargetKind::PhaseMargin:
        return q.phaseMarginDeg;
    case TargetKind::GainMargin:
        return q.gainMarginDb;
    case TargetKind::Bandwidth:
        return q.bandwidth;
    case TargetKind::Crossover:
        return q.gainCrossover;
    }
    return std::nullopt;
}

bool meets(TargetKind target, double achieved, double value)
{
    const bool frequency = target == TargetKind::Bandwidth || target == TargetKind::Crossover;
    return std::fabs(achieved - value) <= Tolerance * (frequency ? value : 1);
}

std::string valueText(TargetKind target, double value)
{
    const std::string_view unit = InfoOf(target).unit;
    return FigureText(value) + (unit == "°" ? "" : " ") + std::string(unit);
}

// Why no gain was taken: the target beyond what the loop reaches with a stable closed loop, or
// unstable where it is reached.
std::string refusal(const std::shared_ptr<const ResponseModel> &model, const TuningSweep &sweep,
    double currentGainDb, TargetKind target, double value, std::optional<double> unstableAt)
{
    const std::string what = TargetText(target, value) + " inaccessible";
    std::vector<double> bounds = sweep.criticalGains();
    if (target == TargetKind::GainMargin && bounds.empty())
        return what + " : la phase n'atteint jamais -180°";
    std::erase_if(bounds, [](double g) { return !(std::fabs(g) < MaxTunedGainDb); });
    bounds.insert(bounds.end(), { -MaxTunedGainDb, MaxTunedGainDb });
    std::sort(bounds.begin(), bounds.end());
    std::vector<std::pair<double, double>> intervals;
    for (std::size_t i = 0; i + 1 < bounds.size(); ++i)
        if (bounds[i + 1] - bounds[i] > 1e-6)
            intervals.emplace_back(bounds[i], bounds[i + 1]);
    // The intervals nearest the current gain first, as many as are looked at.
    std::sort(intervals.begin(), intervals.end(), [&](const auto &a, const auto &b) {
        const auto distance = [&](const std::pair<double, double> &i) {
            return std::max({ 0.0, i.first - currentGainDb, currentGainDb - i.second });
        };
        return distance(a) < distance(b);
    });
    intervals.resize(std::min(intervals.size(), MaxIntervals));
    std::erase_if(intervals, [&](const std::pair<double, double> &i) {
        return !AnalyseResponse(model, (i.first + i.second) / 2, checkOptions()).quantities.stable;
    });
    if (intervals.empty())
        return what + " : la boucle fermée n'est stable à aucun gain";
    if (const std::optional<TargetRange> range = sweep.rangeOver(target, intervals)) {
        if (value < range->least)
            return what + " : le minimum est " + valueText(target, range->least);
        if (value > range->greatest)
            return what + " : le maximum est " + valueText(target, range->greatest);
    }
    if (unstableAt)
        return what + " : la boucle fermée est instable au gain qui l'atteint ("
            + FigureText(*unstableAt) + " dB)";
    return what + " : aucun gain ne l'atteint avec une boucle fermée stable";
}

} // namespace

std::span<const TargetInfo> TargetTable()
{
    return Targets;
}

const TargetInfo &InfoOf(TargetKind kind)
{
    return Targets[static_cast<std::size_t>(kind)];
}

std::optional<TargetKind> TargetKindOfKey(std::string_view key)
{
    for (const TargetInfo &info : Targets)
        if (info.key == key)
            return info.kind;
    return std::nullopt;
}

TuningResult TuneGain(std::shared_ptr<const ResponseModel> model, double currentGainDb,
    TargetKind target, double value)
{
    const bool frequency = target == TargetKind::Bandwidth || target == TargetKind::Crossover;
    if (!std::isfinite(value) || (frequency && !(value > 0)))
        throw TuningError(TargetText(target, value) + " : valeur refusée"
            + (frequency ? " (une pulsation est positive)" : ""));
    const TuningSweep sweep(model, frequency ? std::optional<double>(value) : std::nullopt);
    if (sweep.empty())
        throw TuningError(
            TargetText(target, value) + " inaccessible : la boucle n'a pas de réponse");
    std::vector<double> gains = sweep.gainsReaching(target, value, currentGainDb);
    // Mr = 0 dB holds over a whole range of gains when |T(0)| = 1: the present gain may be one.
    if (target == TargetKind::Mr && std::fabs(value) <= Tolerance)
        gains.push_back(currentGainDb);
    std::sort(gains.begin(), gains.end(), [&](double a, double b) {
        return std::fabs(a - currentGainDb) < std::fabs(b - currentGainDb);
    });
    std::optional<double> unstableAt;
    std::vector<double> checked;
    for (const double gainDb : gains) {
        if (checked.size() >= MaxChecks)
            break;
        if (std::any_of(checked.begin(), checked.end(),
                [&](double g) { return std::fabs(g - gainDb) <= 1e-9; }))
            continue;
        checked.push_back(gainDb);
        const LoopQuantities q = AnalyseResponse(model, gainDb, checkOptions()).quantities;
        if (!q.stable) {
            unstableAt = unstableAt.value_or(gainDb);
            continue;
        }
        if (const std::optional<double> achieved = quantityOf(q, target))
            if (meets(target, *achieved, value))
                return { gainDb, *achieved };
    }
    throw TuningError(refusal(model, sweep, currentGainDb, target, value, unstableAt));
}

LeadDesign DesignLead(std::shared_ptr<const ResponseModel> plant, const Compensator &current,
    double phaseMarginDeg, double crossover)
{
    CheckCompensator(current);
    const std::string what = TargetText(TargetKind::PhaseMargin, phaseMarginDeg) + " à "
        + TargetText(TargetKind::Crossover, crossover);
    if (!(phaseMarginDeg > 0 && phaseMarginDeg < 180))
        throw TuningError(what + " : la marge de phase doit être dans ]0 ; 180[");
    if (const std::optional<std::string> refused
        = ParameterRefusal(ElementKind::Lead, 0, crossover))
        throw TuningError(what + " : " + *refused);
    const LoopGain unit {};
    if (const std::optional<std::vector<ResponseSample>> given = plant->givenSamples(unit))
        if (given->empty() || crossover < given->front().omega || crossover > given->back().omega)
            throw TuningError(what + " : hors des mesures");

    LeadDesign design;
    design.compensator = current;
    const auto lead = std::find_if(current.begin(), current.end(),
        [](const CompensatorElement &e) { return e.kind == ElementKind::Lead; });
    design.leadIndex = static_cast<std::size_t>(lead - current.begin());
    if (lead != current.end())
        design.compensator.erase(
            design.compensator.begin() + static_cast<std::ptrdiff_t>(design.leadIndex));

    // The phase margin at the crossover without the lead: the gain does not change it.
    const long double plantDb = plant->gainDb(crossover, unit);
    const long double plantPhase = plant->phase(crossover, unit, ResponseSample {});
    const std::complex<long double> others
        = CompensatorResponse(design.compensator).value(std::complex<long double>(0, crossover));
    const double before = Wrap180(static_cast<double>(
        180 + plantPhase + std::arg(others) * 180 / std::numbers::pi_v<long double>));
    const long double magnitude = std::abs(others);
    if (!std::isfinite(before) || !std::isfinite(static_cast<double>(plantDb))
        || !(magnitude > 0 && std::isfinite(magnitude)))
        throw TuningError(what + " : la boucle n'y a pas de réponse finie");
    const double needed = phaseMarginDeg - before;
    if (needed > MaxLeadPhaseDeg)
        throw TuningError(what + " : il faudrait " + FigureText(needed)
            + "° d'avance de phase, une avance en donne " + FigureText(MaxLeadPhaseDeg)
            + "° au plus");
    if (!(needed > 0))
        throw TuningError(
            what + " : la marge y est déjà de " + FigureText(before) + "° sans avance de phase");
    design.leadPhaseDeg = needed;
    design.compensator.insert(
        design.compensator.begin() + static_cast<std::ptrdiff_t>(design.leadIndex),
        CompensatorElement { ElementKind::Lead, { crossover, needed } });
    design.gainDb = static_cast<double>(
        -(plantDb + CompensatorResponse(design.compensator).at(crossover).gainDb));

    const LoopQuantities q = AnalyseResponse(
        MakeCompensatedModel(plant, design.compensator), design.gainDb, checkOptions())
                                 .quantities;
    bool found = false;
    for (std::size_t i = 0; i < q.gainCrossovers.size(); ++i)
        found = found
            || (meets(TargetKind::Crossover, q.gainCrossovers[i], crossover)
                && meets(TargetKind::PhaseMargin, q.phaseMargins[i], phaseMarginDeg));
    if (!found)
        throw TuningError(what + " : l'analyse de la boucle corrigée ne le retrouve pas");
    if (!q.stable)
        throw TuningError(what + " : la boucle fermée serait instable");
    return design;
}

} // namespace velmora
