// core/closedloopresponse.cpp — resonance peak and bandwidth of the closed loop (core layer)
#include "core/closedloopresponse.h"

#include "core/rootfinding.h"

#include <cmath>

namespace velmora {

std::optional<double> LowFrequencyClosedLoopDb(const LoopStructure &structure)
{
    if (structure.integrators > 0)
        return 0.0;
    if (structure.integrators < 0 || structure.lowGain == 0)
        return std::nullopt;
    const long double k = structure.lowGain;
    return static_cast<double>(20 * std::log10(std::fabs(k / (1 + k))));
}

ClosedLoopResponse ReadClosedLoopResponse(const std::vector<ResponseSample> &samples,
    const ResponseModel &model, const LoopGain &gain, double lowDb)
{
    ClosedLoopResponse r;
    std::size_t top = 0;
    for (std::size_t i = 1; i < samples.size(); ++i)
        top = samples[i].point.closedDb > samples[top].point.closedDb ? i : top;
    if (samples[top].point.closedDb <= lowDb + 1e-9) {
        r.peakDb = lowDb;
        r.peakOmega = 0;
    } else {
        double omega = samples[top].omega;
        if (top > 0 && top + 1 < samples.size()) {
            const double a = samples[top - 1].omega;
            const double b = samples[top + 1].omega;
            const std::optional<long double> atA = model.closedSlope(a, gain);
            if (atA && *atA > 0 && *model.closedSlope(b, gain) < 0)
                omega = RootBetween(a, b, [&](double w) { return *model.closedSlope(w, gain); });
        }
        r.peakOmega = omega;
        r.peakDb = static_cast<double>(model.closedDb(omega, gain));
    }
    const double target = lowDb - 3;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (samples[i].point.closedDb < target) {
            if (i > 0)
                r.bandwidth = RefinedRoot(
                    samples[i - 1].omega, samples[i].omega,
                    [&](double w) { return model.quickClosedDb(w, gain) - target; },
                    [&](double w) { return model.closedDb(w, gain) - target; });
            break;
        }
    }
    return r;
}

std::optional<SensitivityPeak> ReadSensitivityPeak(
    const std::vector<ResponseSample> &samples, const ResponseModel &model, const LoopGain &gain)
{
    if (samples.empty())
        return std::nullopt;
    const auto sensitivity = [&](double w) {
        return static_cast<double>(model.closedDb(w, gain) - model.gainDb(w, gain));
    };
    std::size_t top = 0;
    for (std::size_t i = 1; i < samples.size(); ++i)
        if (samples[i].point.closedDb - samples[i].point.gainDb
            > samples[top].point.closedDb - samples[top].point.gainDb)
            top = i;
    double best = samples[top].omega;
    double bestDb = sensitivity(best);
    if (!std::isfinite(bestDb))
        return std::nullopt;
    if (top > 0 && top + 1 < samples.size()) {
        // Golden-section search in log omega between the neighbours of the top sample.
        constexpr double Ratio = 0.6180339887498949;
        double a = std::log(samples[top - 1].omega);
        double b = std::log(samples[top + 1].omega);
        double c = b - Ratio * (b - a);
        double d = a + Ratio * (b - a);
        double fc = sensitivity(std::exp(c));
        double fd = sensitivity(std::exp(d));
        for (int i = 0; i < 200 && b - a > 1e-15 * std::max(1.0, std::fabs(b)); ++i) {
            if (fc > fd) {
                b = d;
                d = c;
                fd = fc;
                c = b - Ratio * (b - a);
                fc = sensitivity(std::exp(c));
            } else {
                a = c;
                c = d;
                fc = fd;
                d = a + Ratio * (b - a);
                fd = sensitivity(std::exp(d));
            }
        }
        const double omega = std::exp((a + b) / 2);
        const double db = sensitivity(omega);
        if (db > bestDb) {
            best = omega;
            bestDb = db;
        }
    }
    return SensitivityPeak { bestDb, best };
}

} // namespace velmora
