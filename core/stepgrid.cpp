// core/stepgrid.cpp — horizon and sample times of a step response from its modes
#include "core/stepgrid.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// A mode is drawn finely while its part exceeds this fraction of the scale.
constexpr double Visible = 1e-6;
constexpr double SpacingTimesModulus = 0.25;

double Amplitude(const ClosedLoopMode &mode, double fallback)
{
    const double a = mode.amplitude();
    return std::isfinite(a) ? a : fallback;
}

} // namespace

double EnvelopeTime(const std::vector<ClosedLoopMode> &modes, double level, double fallback)
{
    const auto envelope = [&](double t) {
        double sum = 0;
        for (const ClosedLoopMode &mode : modes)
            sum += Amplitude(mode, fallback) * std::exp(mode.root.real() * t);
        return sum;
    };
    if (!(envelope(0) > level))
        return 0;
    // Each term below level / count past its own time: the envelope is below level there.
    double high = 0;
    for (const ClosedLoopMode &mode : modes) {
        const double a = Amplitude(mode, fallback) * static_cast<double>(modes.size());
        if (a > level && mode.root.real() < 0)
            high = std::max(high, std::log(a / level) / -mode.root.real());
    }
    double low = 0;
    for (int i = 0; i < 100 && high - low > 1e-12 * high; ++i) {
        const double middle = (low + high) / 2;
        (envelope(middle) > level ? low : high) = middle;
    }
    return high;
}

std::optional<std::vector<UniformSegment>> StepSegments(const std::vector<ClosedLoopMode> &modes,
    double scale, double from, double to, double coarsest, double maximum)
{
    struct Need {
        double until;
        double spacing;
    };
    std::vector<Need> needs;
    double finest = coarsest;
    std::vector<double> breaks { from, to };
    for (const ClosedLoopMode &mode : modes) {
        const double a = Amplitude(mode, scale);
        const double decay = -mode.root.real();
        if (!(a > Visible * scale) || !(decay > 0))
            continue;
        const Need need { std::min(to, std::log(a / (Visible * scale)) / decay),
            SpacingTimesModulus / std::abs(mode.root) };
        if (!(need.spacing < coarsest) || !(need.until > from))
            continue;
        needs.push_back(need);
        breaks.push_back(need.until);
        finest = std::min(finest, need.spacing);
    }
    std::sort(breaks.begin(), breaks.end());
    breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
    // The modes stay resolved (bracketed between samples) at up to twice their spacing.
    const double loosest = needs.empty() ? INFINITY : 2 * finest;

    for (;;) {
        std::vector<UniformSegment> segments;
        double total = 0;
        double at = from;
        for (std::size_t j = 1; j < breaks.size() && at < to; ++j) {
            if (breaks[j] <= at)
                continue;
            double required = coarsest;
            for (const Need &need : needs)
                if (need.until >= breaks[j])
                    required = std::min(required, need.spacing);
            const double spacing
                = finest * std::exp2(std::floor(std::log2(std::max(1.0, required / finest))));
            const double count = std::ceil((breaks[j] - at) / spacing - 1e-9);
            total += count;
            if (total > 2 * maximum)
                break;
            if (!segments.empty() && segments.back().spacing == spacing) {
                segments.back().count += static_cast<int>(count);
            } else {
                segments.push_back({ at, spacing, static_cast<int>(count) });
            }
            at = segments.back().end();
        }
        if (total <= maximum)
            return segments;
        finest *= 2;
        coarsest = std::max(coarsest, finest);
        if (finest > loosest)
            return std::nullopt;
    }
}

} // namespace velmora
