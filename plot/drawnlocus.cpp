// plot/drawnlocus.cpp — a loop's locus as a chart draws it (plot layer, toolkit-free)
#include "plot/drawnlocus.h"

#include "core/frequencyresponse.h"
#include "plot/clippedpen.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr double LowestOmega = 1e-12; // rad/s
constexpr double HighestOmega = 1e12;
constexpr double ExtensionDecades = 8;
constexpr std::size_t MaxExtensionPoints = 4000;
constexpr std::size_t MaxAddedPoints = 200000;
constexpr int MaxDepth = 8;
constexpr double TieTurns = 1e-9;
constexpr double TieLength = 0.5; // pixels

// A point of the locus with the phase of its rational part, for unwrapping the next one.
struct Sample {
    ResponsePoint point;
    double rationalPhase; // degrees, unwrapped, the delay aside
    double rationalArg; // the same, wrapped
};

// The loop's model at its analysis gain, where it is defined at every frequency.
class Evaluator {
public:
    explicit Evaluator(const LoopAnalysis &analysis)
        : m_model(analysis.model.get())
        , m_gain(LoopGain::fromDb(analysis.gainDb))
    {
        if (m_model)
            m_structure = m_model->structure(m_gain);
    }

    bool sampled() const { return m_structure.has_value(); }

    Sample of(const ResponsePoint &p) const
    {
        const double rational = p.phaseDeg + static_cast<double>(m_model->delayDegrees(p.omega));
        return { p, rational, Wrap180(rational) };
    }

    // The point at omega, its phase unwrapped from `from`, which turns by less than half a turn
    // on the way, with no root on the axis between them.
    Sample after(const Sample &from, double omega) const
    {
        const QuickPoint q = m_model->quickPoint(omega, m_gain, false);
        const double rational
            = from.rationalPhase + UnwrappedStep(from.rationalArg, q.rationalArg, 0);
        return { { omega, q.gainDb, rational - static_cast<double>(m_model->delayDegrees(omega)) },
            rational, q.rationalArg };
    }

    // The exact point at omega, unwrapped from the point `near`.
    ResponsePoint exactly(const ResponsePoint &near, double omega) const
    {
        const Sample s = of(near);
        ResponseSample sample { near.omega, {} };
        sample.point.gainDb = near.gainDb;
        sample.point.rationalArg = s.rationalArg;
        sample.rationalPhase = s.rationalPhase;
        sample.phase = near.phaseDeg;
        return { omega, static_cast<double>(m_model->gainDb(omega, m_gain)),
            static_cast<double>(m_model->phase(omega, m_gain, sample)) };
    }

    bool axisRootBetween(double a, double b) const
    {
        const double low = std::min(a, b);
        const double high = std::max(a, b);
        return std::any_of(m_structure->axisRoots.begin(), m_structure->axisRoots.end(),
            [&](const AxisRoot &r) { return r.omega >= low && r.omega <= high; });
    }

private:
    const ResponseModel *m_model;
    LoopGain m_gain;
    std::optional<LoopStructure> m_structure;
};

// Places shifted points on the image and refines and extends a locus for it.
class Tracer {
public:
    Tracer(const Evaluator &evaluator, const ChartMapping &mapping, double shift, bool anyPhase,
        double pixel = 1)
        : m_evaluator(evaluator)
        , m_mapping(mapping)
        , m_shift(shift)
        , m_anyPhase(anyPhase)
        , m_pixel(pixel)
        , m_columnsPerDegree(
              (mapping.frame.right - mapping.frame.left) / (mapping.phaseMax - mapping.phaseMin))
        , m_rowsPerDb(
              (mapping.frame.bottom - mapping.frame.top) / (mapping.gainMax - mapping.gainMin))
    {
    }

    Point place(const ResponsePoint &p) const
    {
        return { m_mapping.frame.left
                + (p.phaseDeg + m_shift - m_mapping.phaseMin) * m_columnsPerDegree,
            m_mapping.frame.top + (m_mapping.gainMax - p.gainDb) * m_rowsPerDb };
    }

    bool inside(const Point &p) const { return m_mapping.frame.contains(p.x, p.y); }

    // The analysed points with what the image asks for between them.
    std::vector<ResponsePoint> refined(const std::vector<ResponsePoint> &locus)
    {
        std::vector<ResponsePoint> out;
        out.reserve(locus.size() + locus.size() / 4);
        if (locus.empty())
            return out;
        out.push_back(locus.front());
        for (std::size_t i = 1; i < locus.size(); ++i) {
            if (!m_evaluator.sampled()) {
                out.push_back(locus[i]);
                continue;
            }
            refine(out, m_evaluator.of(locus[i - 1]), m_evaluator.of(locus[i]), 0);
        }
        return out;
    }

    // The points past `end` toward `limit` (rad/s), in order of distance from it.
    std::vector<ResponsePoint> extended(const ResponsePoint &end, double limit)
    {
        std::vector<ResponsePoint> out;
        Sample current = m_evaluator.of(end);
        Point at = place(end);
        if (!inside(at) || !(limit > 0) || limit == end.omega)
            return out;
        const double direction = limit > end.omega ? 1 : -1;
        double step = 1.0 / 40; // decades
        Point anchor = at;
        double anchorDecade = std::log10(end.omega);
        while (out.size() < MaxExtensionPoints) {
            double omega = current.point.omega * std::pow(10.0, direction * step);
            const bool last = direction > 0 ? omega >= limit : omega <= limit;
            if (last)
                omega = limit;
            if (m_evaluator.axisRootBetween(current.point.omega, omega))
                break;
            const Sample next = m_evaluator.after(current, omega);
            const Point p = place(next.point);
            if (!std::isfinite(p.x) || !std::isfinite(p.y))
                break;
            const double moved = std::hypot(p.x - at.x, p.y - at.y);
            const double turned = std::fabs(next.rationalPhase - current.rationalPhase);
            if ((moved > m_pixel || turned > 45) && step > 1e-6) {
                step /= 2;
                continue;
            }
            out.push_back(next.point);
            current = next;
            at = p;
            if (!inside(p) || last)
                break;
            // The next step aims at three quarters of a pixel.
            step = std::min(
                step * std::clamp(0.75 * m_pixel / std::max(moved, 1e-9), 0.5, 2.0), 0.25);
            if (std::fabs(std::log10(omega) - anchorDecade) >= 1) {
                if (std::hypot(p.x - anchor.x, p.y - anchor.y) < m_pixel / 2)
                    break; // it has stopped moving on the chart
                anchor = p;
                anchorDecade = std::log10(omega);
            }
        }
        return out;
    }

private:
    bool meets(const Point &a, const Point &b) const
    {
        const PixelFrame &f = m_mapping.frame;
        const bool rows = std::max(a.y, b.y) >= f.top - 2 && std::min(a.y, b.y) <= f.bottom + 2;
        const bool columns = std::max(a.x, b.x) >= f.left - 2 && std::min(a.x, b.x) <= f.right + 2;
        return rows && (m_anyPhase || columns);
    }

    // Appends the points the image asks for strictly between a and b, then b.
    void refine(std::vector<ResponsePoint> &out, const Sample &a, const Sample &b, int depth)
    {
        const Point pa = place(a.point);
        const Point pb = place(b.point);
        const double distance = std::hypot(pb.x - pa.x, pb.y - pa.y);
        const bool split = depth < MaxDepth && m_added < MaxAddedPoints && distance > m_pixel
            && std::isfinite(distance) && b.point.omega > a.point.omega * (1 + 1e-12)
            && meets(pa, pb) && !m_evaluator.axisRootBetween(a.point.omega, b.point.omega);
        if (!split) {
            out.push_back(b.point);
            return;
        }
        const int pieces = static_cast<int>(std::min(std::ceil(distance / m_pixel), 256.0));
        const double factor = std::pow(b.point.omega / a.point.omega, 1.0 / pieces);
        Sample previous = a;
        double omega = a.point.omega;
        for (int k = 1; k < pieces; ++k) {
            omega *= factor;
            const Sample next = m_evaluator.after(previous, omega);
            ++m_added;
            refine(out, previous, next, depth + 1);
            previous = next;
        }
        refine(out, previous, b, depth + 1);
    }

    const Evaluator &m_evaluator;
    const ChartMapping &m_mapping;
    double m_shift;
    bool m_anyPhase; // refine wherever the gain is on the chart, whatever the phase
    double m_pixel; // the image's pixels to a designed pixel: the greatest step between points
    double m_columnsPerDegree;
    double m_rowsPerDb;
    std::size_t m_added = 0;
};

// The 600 x 950 chart of the settings' extents, on which the turns are settled.
ChartMapping referenceMapping(const ChartSettings &settings)
{
    return MappingOf(FrameOf(600, 950), settings);
}

// The length (pixels) of the shifted locus inside the frame.
double lengthInside(const std::vector<ResponsePoint> &locus, double shift, const Evaluator &e,
    const ChartMapping &mapping)
{
    const Tracer tracer(e, mapping, shift, true);
    double length = 0;
    for (std::size_t i = 1; i < locus.size(); ++i) {
        const auto part
            = Clipped(tracer.place(locus[i - 1]), tracer.place(locus[i]), mapping.frame);
        if (part)
            length += std::hypot(part->second.x - part->first.x, part->second.y - part->first.y);
    }
    return length;
}

} // namespace

double SettledShift(const LoopAnalysis &analysis, const ChartSettings &settings)
{
    const std::vector<ResponsePoint> &locus = analysis.locus;
    if (locus.empty())
        return analysis.phaseShiftDeg;
    const LoopQuantities &q = analysis.quantities;
    std::vector<double> candidates;
    if (q.gainCrossover) {
        if (const std::optional<ResponsePoint> at = LocusPointAt(analysis, *q.gainCrossover)) {
            const double turns = (-180 - at->phaseDeg) / 360;
            const double below = std::floor(turns);
            if (std::fabs(turns - below - 0.5) > TieTurns)
                return 360 * std::round(turns);
            candidates = { 360 * below, 360 * (below + 1) };
        }
    }
    const auto lowest
        = [&](double shift) { return std::fabs(locus.front().phaseDeg + shift + 180); };
    if (candidates.empty()) {
        // Every turn that brings some of the locus's phases onto the chart, 32 at the most.
        const auto [low, high] = std::minmax_element(locus.begin(), locus.end(),
            [](const ResponsePoint &a, const ResponsePoint &b) { return a.phaseDeg < b.phaseDeg; });
        const double first = std::ceil((settings.phaseMin - high->phaseDeg) / 360);
        const double last = std::floor((settings.phaseMax - low->phaseDeg) / 360);
        for (double k = first; k <= last && candidates.size() < 32; ++k)
            candidates.push_back(360 * k);
        if (candidates.empty())
            return 360 * std::round((-180 - locus.front().phaseDeg) / 360);
    }
    const Evaluator evaluator(analysis);
    const ChartMapping reference = referenceMapping(settings);
    Tracer tracer(evaluator, reference, 0, true);
    const std::vector<ResponsePoint> fine = tracer.refined(locus);
    double best = candidates.front();
    double bestLength = -1;
    for (const double shift : candidates) {
        const double length = lengthInside(fine, shift, evaluator, reference);
        if (length > bestLength + TieLength
            || (std::fabs(length - bestLength) <= TieLength && lowest(shift) < lowest(best))) {
            best = shift;
            bestLength = std::max(length, bestLength);
        }
    }
    return best;
}

DrawnLocus TraceLocus(const LoopAnalysis &analysis, double shiftDeg, const ChartMapping &mapping,
    const FrequencyBounds &bounds, double scale)
{
    DrawnLocus drawn;
    drawn.shiftDeg = shiftDeg;
    const std::vector<ResponsePoint> &locus = analysis.locus;
    if (locus.empty())
        return drawn;
    const Evaluator evaluator(analysis);
    Tracer tracer(evaluator, mapping, shiftDeg, false, std::max(scale, 1.0));
    std::vector<ResponsePoint> middle = tracer.refined(locus);
    if (!evaluator.sampled()) {
        drawn.points = std::move(middle);
        return drawn;
    }
    const double start = locus.front().omega;
    const double end = locus.back().omega;
    std::vector<ResponsePoint> below;
    std::vector<ResponsePoint> above;
    if (!bounds.low)
        below = tracer.extended(
            locus.front(), std::max(LowestOmega, start * std::pow(10.0, -ExtensionDecades)));
    if (!bounds.high)
        above = tracer.extended(
            locus.back(), std::min(HighestOmega, end * std::pow(10.0, ExtensionDecades)));
    drawn.points.reserve(below.size() + middle.size() + above.size());
    drawn.points.insert(drawn.points.end(), below.rbegin(), below.rend());
    drawn.points.insert(drawn.points.end(), middle.begin(), middle.end());
    drawn.points.insert(drawn.points.end(), above.begin(), above.end());
    return drawn;
}

std::optional<ResponsePoint> DrawnPointAt(
    const LoopAnalysis &analysis, const DrawnLocus &drawn, double omega)
{
    const std::vector<ResponsePoint> &locus = analysis.locus;
    if (!locus.empty() && omega >= locus.front().omega && omega <= locus.back().omega)
        return LocusPointAt(analysis, omega);
    const std::vector<ResponsePoint> &points = drawn.points;
    if (points.empty() || !(omega >= points.front().omega) || !(omega <= points.back().omega))
        return std::nullopt;
    const Evaluator evaluator(analysis);
    if (!evaluator.sampled())
        return LocusPointAt(points, omega);
    const auto after = std::lower_bound(points.begin(), points.end(), omega,
        [](const ResponsePoint &p, double w) { return p.omega < w; });
    if (after->omega == omega)
        return *after;
    // Unwrapped from the neighbour on the side of the analysed range.
    const ResponsePoint &near = omega < locus.front().omega ? *after : *(after - 1);
    return evaluator.exactly(near, omega);
}

} // namespace velmora
