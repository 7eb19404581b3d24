// plot/locus.cpp — loops drawn over the chart (plot layer, toolkit-free)
#include "plot/locus.h"

#include "core/numbertext.h"
#include "plot/clippedpen.h"
#include "plot/isogain.h"
#include "plot/renderchart.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>

namespace velmora {

namespace {

constexpr double DegreesPerRadian = 180 / std::numbers::pi;

struct Rect {
    int left, top, right, bottom; // right and bottom excluded

    bool overlaps(const Rect &other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

// Places labels where they overlap no label placed before, trying around their anchor.
class LabelPlacer {
public:
    LabelPlacer(DrawingSurface &surface, int width, int height, double unit)
        : m_surface(surface)
        , m_width(width)
        , m_height(height)
        , m_gap(static_cast<int>(std::lround(4 * unit)))
    {
    }

    void keepClear(const Rect &rect) { m_placed.push_back(rect); }

    // Draws the label at the first free place around its anchor, nearest first; a label with no
    // free place within reach is left out rather than drawn over another.
    void place(Point anchor, const std::string &text, Color color)
    {
        const int w = m_surface.textWidth(text);
        const int h = m_surface.textHeight(text);
        const int x = PixelOf(anchor.x);
        const int y = PixelOf(anchor.y);
        for (int ring = 1; ring <= 8; ++ring) {
            const int g = ring * m_gap;
            const std::array<std::pair<int, int>, 8> candidates { {
                { x + g, y + g / 2 },
                { x + g, y - h - g / 2 },
                { x - w - g, y + g / 2 },
                { x - w - g, y - h - g / 2 },
                { x - w / 2, y + g },
                { x - w / 2, y - h - g },
                { x + g, y - h / 2 },
                { x - w - g, y - h / 2 },
            } };
            for (const auto &[cx, cy] : candidates) {
                const Rect rect { cx, cy, cx + w, cy + h };
                const bool within = rect.left >= 0 && rect.top >= 0 && rect.right <= m_width
                    && rect.bottom <= m_height;
                if (within
                    && std::none_of(m_placed.begin(), m_placed.end(),
                        [&](const Rect &other) { return other.overlaps(rect); })) {
                    m_placed.push_back(rect);
                    m_surface.setFontColor(color);
                    m_surface.drawText(rect.left, rect.top, text);
                    return;
                }
            }
        }
    }

private:
    DrawingSurface &m_surface;
    int m_width;
    int m_height;
    int m_gap;
    std::vector<Rect> m_placed;
};

// Chart values to fractional pixels in double arithmetic: a locus is placed to a fraction of a
// pixel, and many of its points are placed at each drawing.
class Placement {
public:
    explicit Placement(const ChartMapping &mapping)
        : m_mapping(mapping)
        , m_columnsPerDegree(
              (mapping.frame.right - mapping.frame.left) / (mapping.phaseMax - mapping.phaseMin))
        , m_rowsPerDb(
              (mapping.frame.bottom - mapping.frame.top) / (mapping.gainMax - mapping.gainMin))
    {
    }

    Point operator()(double phaseDeg, double gainDb) const
    {
        return { m_mapping.frame.left + (phaseDeg - m_mapping.phaseMin) * m_columnsPerDegree,
            m_mapping.frame.top + (m_mapping.gainMax - gainDb) * m_rowsPerDb };
    }

private:
    const ChartMapping &m_mapping;
    double m_columnsPerDegree;
    double m_rowsPerDb;
};

Point toPixel(const ChartMapping &mapping, double phaseDeg, double gainDb)
{
    return Placement(mapping)(phaseDeg, gainDb);
}

std::string trimmedLabel(double value)
{
    return ShortNumber(value);
}

// The locus, clipped, with arrowheads every `spacing` pixels of what is drawn.
void drawLocus(
    DrawingSurface &surface, const ChartMapping &mapping, const SceneLoop &loop, double unit)
{
    const std::vector<ResponsePoint> &locus = loop.analysis->locus;
    const double shift = loop.analysis->phaseShiftDeg;
    surface.setPenColor(loop.color);
    surface.setPenStyle(PenStyle::Solid);
    surface.setPenWidth(static_cast<int>(std::lround(std::clamp(unit * 1.5, 1.0, 9.0))));
    ClippedPen pen(surface, mapping.frame);
    struct Arrow {
        Point tip;
        Point direction;
    };
    std::vector<Arrow> arrows;
    const double spacing = 90 * unit;
    double drawn = spacing / 2;
    const Placement place(mapping);
    Point b = locus.empty() ? Point { 0, 0 }
                            : place(locus.front().phaseDeg + shift, locus.front().gainDb);
    for (std::size_t i = 1; i < locus.size(); ++i) {
        const Point a = b;
        b = place(locus[i].phaseDeg + shift, locus[i].gainDb);
        const auto part = pen.segment(a, b);
        if (!part)
            continue;
        const double dx = part->second.x - part->first.x;
        const double dy = part->second.y - part->first.y;
        const double length = std::sqrt(dx * dx + dy * dy);
        if (length == 0)
            continue;
        if (drawn + length >= spacing) {
            const double t = (spacing - drawn) / length;
            arrows.push_back({ { part->first.x + t * dx, part->first.y + t * dy },
                { dx / length, dy / length } });
            drawn = drawn + length - spacing;
        } else {
            drawn += length;
        }
    }
    const double size = 7 * unit;
    const double c = std::cos(25 / DegreesPerRadian);
    const double s = std::sin(25 / DegreesPerRadian);
    for (const Arrow &arrow : arrows) {
        const Point d = arrow.direction;
        const Point left { arrow.tip.x - size * (d.x * c - d.y * s),
            arrow.tip.y - size * (d.y * c + d.x * s) };
        const Point right { arrow.tip.x - size * (d.x * c + d.y * s),
            arrow.tip.y - size * (d.y * c - d.x * s) };
        surface.moveTo(PixelOf(left.x), PixelOf(left.y));
        surface.lineTo(PixelOf(arrow.tip.x), PixelOf(arrow.tip.y));
        surface.lineTo(PixelOf(right.x), PixelOf(right.y));
    }
    surface.setPenWidth(1);
}

// The iso-gain contour of a closed-loop gain (dB) around the critical point nearest `near`
// (degrees), dashed.
void drawIsogainThrough(
    DrawingSurface &surface, const ChartMapping &mapping, double closedDb, double near, Color color)
{
    const std::optional<double> M = FinitePow10(closedDb / 20);
    if (!M || *M <= 0)
        return;
    const double turns = 360 * std::round((near + 180) / 360);
    surface.setPenColor(color);
    surface.setPenStyle(PenStyle::Dashed);
    surface.setPenWidth(1);
    // One sample a pixel row; the cosine in double arithmetic, enough for a dashed curve.
    const int samples = std::max(100, mapping.frame.bottom - mapping.frame.top);
    const double step = (mapping.gainMax - mapping.gainMin) / samples;
    const double m2 = *M * *M;
    std::vector<double> gains;
    std::vector<double> arcs; // degrees, NaN where no phase has this closed-loop gain
    for (int k = 0; k <= samples; ++k) {
        const double gain = mapping.gainMin + k * step;
        const double g = std::pow(10.0, gain / 20);
        const double u = -(g * g * m2 - g * g + m2) / (2 * g * m2);
        gains.push_back(gain);
        arcs.push_back(std::fabs(u) <= 1 ? std::acos(u) * DegreesPerRadian : NAN);
    }
    for (const int side : { +1, -1 }) {
        ClippedPen pen(surface, mapping.frame);
        bool started = false;
        Point previous { 0, 0 };
        for (std::size_t k = 0; k < gains.size(); ++k) {
            if (std::isnan(arcs[k])) {
                started = false;
                pen.breakPath();
                continue;
            }
            const double phase = (side > 0 ? -arcs[k] : arcs[k] - 360) + turns;
            const Point p = toPixel(mapping, phase, gains[k]);
            if (started)
                pen.segment(previous, p);
            previous = p;
            started = true;
        }
    }
    surface.setPenStyle(PenStyle::Solid);
}

void drawFrequencyMark(DrawingSurface &surface, const ChartMapping &mapping, const SceneLoop &loop,
    double omega, double unit, bool units, LabelPlacer &labels)
{
    const std::optional<ResponsePoint> at = LocusPointAt(*loop.analysis, omega);
    if (!at)
        return;
    const Point p = toPixel(mapping, at->phaseDeg + loop.analysis->phaseShiftDeg, at->gainDb);
    if (!mapping.frame.contains(p.x, p.y))
        return;
    surface.setPenColor(loop.color);
    surface.drawDisc(PixelOf(p.x), PixelOf(p.y), static_cast<int>(std::lround(2 * unit)));
    labels.place(p, trimmedLabel(omega) + (units ? " rad/s" : ""), loop.color);
}

} // namespace

std::string ShortNumber(double value)
{
    return SignificantText(value, 3, '.');
}

void DrawLoci(DrawingSurface &surface, const ChartMapping &mapping, const RenderProfile &profile,
    const std::vector<SceneLoop> &loops, const std::vector<double> &markers, Color criticalColor)
{
    if (loops.empty())
        return;
    const int width = surface.width();
    const int height = surface.height();
    const double unit = std::max(1.0, std::min(width / 300.0, height / 475.0));
    const bool units = !profile.gainLabelSuffix.empty();
    LabelPlacer labels(surface, width, height, unit);
    labels.keepClear(
        { 20, 5, 20 + surface.textWidth(ChartTitle), 5 + surface.textHeight(ChartTitle) });

    for (const SceneLoop &loop : loops)
        drawLocus(surface, mapping, loop, unit);

    // The critical point, a cross.
    const Point critical = toPixel(mapping, -180, 0);
    if (mapping.frame.contains(critical.x, critical.y)) {
        const int cx = PixelOf(critical.x);
        const int cy = PixelOf(critical.y);
        const int arm = static_cast<int>(std::lround(4 * unit));
        surface.setPenColor(criticalColor);
        surface.setPenStyle(PenStyle::Solid);
        surface.setPenWidth(1);
        surface.moveTo(cx - arm, cy - arm);
        surface.lineTo(cx + arm + 1, cy + arm + 1);
        surface.moveTo(cx - arm, cy + arm);
        surface.lineTo(cx + arm + 1, cy - arm - 1);
        labels.keepClear({ cx - arm, cy - arm, cx + arm + 1, cy + arm + 1 });
    }

    for (const SceneLoop &loop : loops) {
        const LoopQuantities &q = loop.analysis->quantities;
        const double shift = loop.analysis->phaseShiftDeg;
        const int marginWidth = static_cast<int>(std::lround(std::clamp(2 * unit, 2.0, 9.0)));
        // Phase margin: along 0 dB from the gain crossover to the critical point.
        if (q.gainCrossover && q.phaseMarginDeg) {
            if (const std::optional<ResponsePoint> at
                = LocusPointAt(*loop.analysis, *q.gainCrossover)) {
                const double phase = at->phaseDeg + shift;
                const double target = phase - *q.phaseMarginDeg; // the critical point's phase
                surface.setPenColor(loop.color);
                surface.setPenWidth(marginWidth);
                ClippedPen pen(surface, mapping.frame);
                const Point from = toPixel(mapping, phase, 0);
                if (pen.segment(from, toPixel(mapping, target, 0)))
                    labels.place(toPixel(mapping, (phase + target) / 2, 0),
                        "MP " + ShortNumber(*q.phaseMarginDeg) + "°", loop.color);
            }
        }
        // Gain margin: at the phase crossover, from the locus up or down to 0 dB.
        if (q.phaseCrossover && q.gainMarginDb) {
            if (const std::optional<ResponsePoint> at
                = LocusPointAt(*loop.analysis, *q.phaseCrossover)) {
                const double phase = at->phaseDeg + shift;
                surface.setPenColor(loop.color);
                surface.setPenWidth(marginWidth);
                ClippedPen pen(surface, mapping.frame);
                if (pen.segment(toPixel(mapping, phase, at->gainDb), toPixel(mapping, phase, 0)))
                    labels.place(toPixel(mapping, phase, at->gainDb / 2),
                        "MG " + ShortNumber(*q.gainMarginDb) + " dB", loop.color);
            }
        }
        surface.setPenWidth(1);
        // Resonance peak: its point, and the iso-gain contour at the peak through it.
        if (q.peakDb && q.peakOmega && *q.peakOmega > 0) {
            if (const std::optional<ResponsePoint> at
                = LocusPointAt(*loop.analysis, *q.peakOmega)) {
                const Point p = toPixel(mapping, at->phaseDeg + shift, at->gainDb);
                drawIsogainThrough(surface, mapping, *q.peakDb, at->phaseDeg + shift, loop.color);
                if (mapping.frame.contains(p.x, p.y)) {
                    surface.setPenColor(loop.color);
                    surface.drawDisc(
                        PixelOf(p.x), PixelOf(p.y), static_cast<int>(std::lround(3 * unit)));
                    labels.place(p, "Mr " + ShortNumber(*q.peakDb) + " dB", loop.color);
                }
            }
        }
        // Bandwidth: its point, on the contour 3 dB below the low-frequency closed loop.
        if (q.bandwidth) {
            if (const std::optional<ResponsePoint> at
                = LocusPointAt(*loop.analysis, *q.bandwidth)) {
                const Point p = toPixel(mapping, at->phaseDeg + shift, at->gainDb);
                if (mapping.frame.contains(p.x, p.y)) {
                    surface.setPenColor(loop.color);
                    surface.drawDisc(
                        PixelOf(p.x), PixelOf(p.y), static_cast<int>(std::lround(3 * unit)));
                    labels.place(p, "ωb " + ShortNumber(*q.bandwidth), loop.color);
                }
            }
        }
        // Decades, and the extra frequencies asked for.
        const std::vector<ResponsePoint> &locus = loop.analysis->locus;
        if (!locus.empty()) {
            const int first = static_cast<int>(std::ceil(std::log10(locus.front().omega) - 1e-9));
            const int last = static_cast<int>(std::floor(std::log10(locus.back().omega) + 1e-9));
            for (int k = first; k <= last && k - first < 40; ++k)
                drawFrequencyMark(surface, mapping, loop, std::pow(10.0, k), unit, units, labels);
        }
        for (const double omega : markers)
            drawFrequencyMark(surface, mapping, loop, omega, unit, units, labels);
    }
    surface.setPenWidth(1);
}

} // namespace velmora
