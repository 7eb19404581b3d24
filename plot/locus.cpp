// plot/locus.cpp — loops drawn over the chart (plot layer, toolkit-free)
#include "plot/locus.h"

#include "core/numbertext.h"
#include "plot/clippedpen.h"
#include "plot/isogain.h"
#include "plot/labelplacer.h"
#include "plot/legend.h"
#include "plot/renderchart.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace velmora {

namespace {

constexpr double DegreesPerRadian = 180 / std::numbers::pi;

// The frame the centre line of a pen `width` image pixels across may run in, so that its ink
// stays within `frame`: a wide pen reaches width / 2 pixels to either side, at most.
PixelFrame innerFrame(const PixelFrame &frame, int width)
{
    const int half = width / 2;
    return { frame.top + half, frame.bottom - half, frame.left + half, frame.right - half };
}

// The offset (image pixels, either side) of the margin segments of the n-th loop.
int marginOffset(std::size_t n, int spacing)
{
    const int steps = static_cast<int>((n + 1) / 2);
    return (n % 2 == 1 ? 1 : -1) * steps * spacing;
}

// The phase of the critical point (-180 degrees and whole turns) nearest `phase`.
double criticalNear(double phase)
{
    return -180 + 360 * std::round((phase + 180) / 360);
}

struct PendingLabel {
    Point anchor;
    std::string text;
    Color color;
};

// The loops layer of one drawing.
class LoopLayer {
public:
    LoopLayer(InkSurface &surface, InkMap &ink, const ChartMapping &mapping,
        const RenderProfile &profile, const ChartScene &scene)
        : m_surface(surface)
        , m_ink(ink)
        , m_mapping(mapping)
        , m_scene(scene)
        , m_units(!profile.gainLabelSuffix.empty())
        , m_unit(std::max(1.0, std::min(surface.width() / 300.0, surface.height() / 475.0)))
        , m_penUnit(m_unit / surface.scale())
        , m_columnsPerDegree(
              (mapping.frame.right - mapping.frame.left) / (mapping.phaseMax - mapping.phaseMin))
        , m_rowsPerDb(
              (mapping.frame.bottom - mapping.frame.top) / (mapping.gainMax - mapping.gainMin))
    {
    }

    void draw(const std::vector<DrawnLocus> &loci);

private:
    Point place(double phaseDeg, double gainDb) const
    {
        return { m_mapping.frame.left + (phaseDeg - m_mapping.phaseMin) * m_columnsPerDegree,
            m_mapping.frame.top + (m_mapping.gainMax - gainDb) * m_rowsPerDb };
    }
    int pixels(double designed) const { return static_cast<int>(std::lround(designed * m_unit)); }
    // A pen of `designed` pixels, and the frame its centre line keeps to.
    PixelFrame usePen(int designed, PenStyle style, Color color)
    {
        m_surface.setPenColor(color);
        m_surface.setPenStyle(style);
        m_surface.setPenWidth(designed);
        return innerFrame(m_mapping.frame, ScaledPenWidth(designed, m_surface.scale()));
    }
    int locusPen() const
    {
        return static_cast<int>(std::lround(std::clamp(m_penUnit * 1.5, 1.0, 9.0)));
    }
    std::string unit(const char *text) const { return m_units ? text : ""; }

    void drawLocus(const SceneLoop &loop, const DrawnLocus &drawn);
    void drawCriticalPoints();
    void drawMargins(const SceneLoop &loop, const DrawnLocus &drawn, std::size_t n);
    void drawPeaks(const SceneLoop &loop, const DrawnLocus &drawn);
    void drawFrequencies(const SceneLoop &loop, const DrawnLocus &drawn);
    // The contour of the loop's target, a wide band of its colour lightened, under the loci.
    void drawTarget(const SceneLoop &loop);
    // The compensator's handles: hollow squares on the locus.
    void drawHandles(const SceneLoop &loop, const DrawnLocus &drawn);
    template <typename Cosine>
    void drawContour(Cosine cosine, double low, double high, double near, Color color,
        int width = 1, PenStyle style = PenStyle::Dashed);
    // A dot in the loop's colour at a point of the drawn locus, when it fits in the frame.
    std::optional<Point> dot(
        const SceneLoop &loop, const DrawnLocus &drawn, double omega, double radius);
    std::vector<LegendEntry> legendEntries() const;

    InkSurface &m_surface;
    InkMap &m_ink;
    const ChartMapping &m_mapping;
    const ChartScene &m_scene;
    bool m_units;
    double m_unit; // image pixels of the chart's designed pixel at 300 x 475
    double m_penUnit; // the same in the surface's designed pixels, for pen widths
    double m_columnsPerDegree;
    double m_rowsPerDb;
    std::vector<PendingLabel> m_figures; // margins, peaks, bandwidths: placed first
    std::vector<PendingLabel> m_frequencies;
};

void LoopLayer::draw(const std::vector<DrawnLocus> &loci)
{
    const std::vector<SceneLoop> &loops = m_scene.loops;
    for (const SceneLoop &loop : loops)
        drawTarget(loop);
    m_surface.setKind(Ink::Locus);
    for (std::size_t i = 0; i < loops.size() && i < loci.size(); ++i)
        drawLocus(loops[i], loci[i]);
    // Under the margin segments that end there, whose width leaves its arms to be seen.
    drawCriticalPoints();
    for (std::size_t i = 0; i < loops.size() && i < loci.size(); ++i)
        drawMargins(loops[i], loci[i], i);
    for (std::size_t i = 0; i < loops.size() && i < loci.size(); ++i) {
        drawPeaks(loops[i], loci[i]);
        drawFrequencies(loops[i], loci[i]);
    }
    if (m_scene.showHandles)
        for (std::size_t i = 0; i < loops.size() && i < loci.size(); ++i)
            drawHandles(loops[i], loci[i]);
    m_surface.setPenStyle(PenStyle::Solid);
    if (m_scene.legend != LegendKind::None) {
        const double r = m_surface.scale();
        const int titleLeft = static_cast<int>(std::nearbyint(20 * r));
        const int titleTop = static_cast<int>(std::nearbyint(5 * r));
        const PixelRect title { titleLeft, titleTop, titleLeft + m_surface.textWidth(ChartTitle),
            titleTop + m_surface.textHeight(ChartTitle) };
        const LegendStyle style { static_cast<int>(std::lround(m_unit)), locusPen(),
            m_scene.settings.axisStyle.axisColor, title };
        DrawLegend(m_surface, m_ink, m_mapping.frame, legendEntries(), style);
    }
    LabelPlacer labels(m_surface, m_ink, m_mapping.frame, pixels(4));
    for (const std::vector<PendingLabel> *list : { &m_figures, &m_frequencies })
        for (const PendingLabel &label : *list)
            labels.place(label.anchor, label.text, label.color);
    m_surface.setPenWidth(1);
    m_surface.setPenStyle(PenStyle::Solid);
}

// The locus, clipped, with arrowheads every 90 designed pixels of what is drawn.
void LoopLayer::drawLocus(const SceneLoop &loop, const DrawnLocus &drawn)
{
    const std::vector<ResponsePoint> &locus = drawn.points;
    const PixelFrame inner = usePen(locusPen(), PenStyle::Solid, loop.color);
    ClippedPen pen(m_surface, inner);
    struct Arrow {
        Point tip;
        Point direction;
    };
    std::vector<Arrow> arrows;
    const double spacing = 90 * m_unit;
    double travelled = spacing / 2;
    Point b = locus.empty() ? Point { 0, 0 }
                            : place(locus.front().phaseDeg + drawn.shiftDeg, locus.front().gainDb);
    for (std::size_t i = 1; i < locus.size(); ++i) {
        const Point a = b;
        b = place(locus[i].phaseDeg + drawn.shiftDeg, locus[i].gainDb);
        const auto part = pen.segment(a, b);
        if (!part)
            continue;
        const double dx = part->second.x - part->first.x;
        const double dy = part->second.y - part->first.y;
        const double length = std::sqrt(dx * dx + dy * dy);
        if (length == 0)
            continue;
        if (travelled + length >= spacing) {
            const double t = (spacing - travelled) / length;
            arrows.push_back({ { part->first.x + t * dx, part->first.y + t * dy },
                { dx / length, dy / length } });
            travelled = travelled + length - spacing;
        } else {
            travelled += length;
        }
    }
    const double size = 7 * m_unit;
    const double c = std::cos(25 / DegreesPerRadian);
    const double s = std::sin(25 / DegreesPerRadian);
    for (const Arrow &arrow : arrows) {
        const Point d = arrow.direction;
        const Point left { arrow.tip.x - size * (d.x * c - d.y * s),
            arrow.tip.y - size * (d.y * c + d.x * s) };
        const Point right { arrow.tip.x - size * (d.x * c + d.y * s),
            arrow.tip.y - size * (d.y * c - d.x * s) };
        pen.breakPath();
        pen.segment(left, arrow.tip);
        pen.segment(arrow.tip, right);
    }
}

// A cross, its arms cleared on either side of the contours that all meet there.
void LoopLayer::drawCriticalPoints()
{
    if (!(m_mapping.gainMin <= 0 && m_mapping.gainMax >= 0))
        return;
    const int arm = pixels(4);
    const double first = std::ceil((m_mapping.phaseMin + 180) / 360);
    const double last = std::floor((m_mapping.phaseMax + 180) / 360);
    const int line = static_cast<int>(std::max(1L, std::lround(m_penUnit)));
    for (const auto &[width, color] : { std::pair { line + 2, White },
             std::pair { line, m_scene.settings.axisStyle.axisColor } }) {
        const PixelFrame inner = usePen(width, PenStyle::Solid, color);
        for (double k = first; k <= last && k - first < 8; ++k) {
            const Point p = place(-180 + 360 * k, 0);
            const int cx = PixelOf(p.x);
            const int cy = PixelOf(p.y);
            ClippedPen pen(m_surface, inner);
            pen.segment({ cx - arm + 0.0, cy - arm + 0.0 }, { cx + arm + 1.0, cy + arm + 1.0 });
            pen.breakPath();
            pen.segment({ cx - arm + 0.0, cy + arm + 0.0 }, { cx + arm + 1.0, cy - arm - 1.0 });
        }
    }
}

void LoopLayer::drawMargins(const SceneLoop &loop, const DrawnLocus &drawn, std::size_t n)
{
    const LoopQuantities &q = loop.analysis->quantities;
    const int designed = static_cast<int>(std::lround(std::clamp(2 * m_penUnit, 2.0, 9.0)));
    const int width = ScaledPenWidth(designed, m_surface.scale());
    const int offset = marginOffset(n, width + std::max(1, pixels(1)));
    // Phase margin: along 0 dB from the gain crossover to the critical point.
    if (q.gainCrossover && q.phaseMarginDeg) {
        if (const std::optional<ResponsePoint> at
            = LocusPointAt(*loop.analysis, *q.gainCrossover)) {
            const double phase = at->phaseDeg + drawn.shiftDeg;
            const double target = phase - *q.phaseMarginDeg;
            ClippedPen pen(m_surface, usePen(designed, PenStyle::Solid, loop.color));
            const Point from = place(phase, 0);
            const Point to = place(target, 0);
            const auto part = pen.segment({ from.x, from.y + offset }, { to.x, to.y + offset });
            if (part)
                m_figures.push_back({ { (part->first.x + part->second.x) / 2, from.y + offset },
                    "MP " + ShortNumber(*q.phaseMarginDeg) + unit("°"), loop.color });
        }
    }
    // Gain margin: at the phase crossover, from the locus up or down to 0 dB.
    if (q.phaseCrossover && q.gainMarginDb) {
        if (const std::optional<ResponsePoint> at
            = LocusPointAt(*loop.analysis, *q.phaseCrossover)) {
            const double phase = at->phaseDeg + drawn.shiftDeg;
            ClippedPen pen(m_surface, usePen(designed, PenStyle::Solid, loop.color));
            const Point from = place(phase, at->gainDb);
            const Point to = place(phase, 0);
            const auto part = pen.segment({ from.x + offset, from.y }, { to.x + offset, to.y });
            if (part)
                m_figures.push_back({ { from.x + offset, (part->first.y + part->second.y) / 2 },
                    "MG " + ShortNumber(*q.gainMarginDb) + unit(" dB"), loop.color });
        }
    }
}

std::optional<Point> LoopLayer::dot(
    const SceneLoop &loop, const DrawnLocus &drawn, double omega, double radius)
{
    const std::optional<ResponsePoint> at = DrawnPointAt(*loop.analysis, drawn, omega);
    if (!at)
        return std::nullopt;
    const Point p = place(at->phaseDeg + drawn.shiftDeg, at->gainDb);
    const int r = static_cast<int>(std::lround(radius * m_unit));
    const int x = PixelOf(p.x);
    const int y = PixelOf(p.y);
    const PixelFrame &f = m_mapping.frame;
    if (!(x - r >= f.left && x + r <= f.right && y - r >= f.top && y + r <= f.bottom))
        return std::nullopt;
    m_surface.setPenColor(loop.color);
    m_surface.drawDisc(x, y, r);
    return p;
}

void LoopLayer::drawPeaks(const SceneLoop &loop, const DrawnLocus &drawn)
{
    const LoopQuantities &q = loop.analysis->quantities;
    const double shift = drawn.shiftDeg;
    // Resonance peak: its point, and the iso-gain contour at the peak through it.
    if (q.peakDb && q.peakOmega && *q.peakOmega > 0) {
        if (const std::optional<ResponsePoint> at = LocusPointAt(*loop.analysis, *q.peakOmega)) {
            // |T| = M at -180 degrees: g / |1 - g| = M; the contour lies between those gains.
            if (const std::optional<double> M = FinitePow10(*q.peakDb / 20); M && *M > 0)
                drawContour([M = *M](double g) { return IsogainCosine(g, M); }, *M / (*M + 1),
                    *M > 1 ? *M / (*M - 1) : INFINITY, at->phaseDeg + shift, loop.color);
            if (const std::optional<Point> p = dot(loop, drawn, *q.peakOmega, 3))
                m_figures.push_back(
                    { *p, "Mr " + ShortNumber(*q.peakDb) + unit(" dB"), loop.color });
        }
    }
    // Bandwidth: its point, on the contour 3 dB below the low-frequency closed loop.
    if (q.bandwidth)
        if (const std::optional<Point> p = dot(loop, drawn, *q.bandwidth, 3))
            m_figures.push_back(
                { *p, "ωb " + ShortNumber(*q.bandwidth) + unit(" rad/s"), loop.color });
    // Sensitivity: |1 + G| = 1 / Ms, a circle about -1 in the plane of G.
    if (m_scene.showSensitivity && q.sensitivityPeakDb && q.sensitivityPeakOmega) {
        const std::optional<ResponsePoint> at
            = LocusPointAt(*loop.analysis, *q.sensitivityPeakOmega);
        const std::optional<double> Ms = FinitePow10(*q.sensitivityPeakDb / 20);
        if (at && Ms && *Ms > 0) {
            const double rho = 1 / *Ms;
            drawContour([rho](double g) { return (rho * rho - 1 - g * g) / (2 * g); },
                std::fabs(1 - rho), 1 + rho, at->phaseDeg + shift, loop.color);
            if (const std::optional<Point> p = dot(loop, drawn, *q.sensitivityPeakOmega, 3))
                m_figures.push_back(
                    { *p, "Ms " + ShortNumber(*q.sensitivityPeakDb) + unit(" dB"), loop.color });
        }
    }
}

void LoopLayer::drawTarget(const SceneLoop &loop)
{
    if (!loop.targetDb)
        return;
    const std::optional<double> M = FinitePow10(*loop.targetDb / 20);
    if (!M || *M <= 0)
        return;
    const auto lighten = [](int channel) { return channel + (255 - channel) * 3 / 5; };
    const Color band = RgbColor(
        lighten(RedOf(loop.color)), lighten(GreenOf(loop.color)), lighten(BlueOf(loop.color)));
    const int width = static_cast<int>(std::lround(std::clamp(m_penUnit * 4, 3.0, 24.0)));
    drawContour([M = *M](double g) { return IsogainCosine(g, M); }, *M / (*M + 1),
        *M > 1 ? *M / (*M - 1) : INFINITY, -180, band, width, PenStyle::Solid);
}

void LoopLayer::drawHandles(const SceneLoop &loop, const DrawnLocus &drawn)
{
    const int half = pixels(4);
    const int line = std::max(1, pixels(1.5));
    const PixelFrame &f = m_mapping.frame;
    for (const double omega : loop.handles) {
        const std::optional<ResponsePoint> at = DrawnPointAt(*loop.analysis, drawn, omega);
        if (!at)
            continue;
        const Point p = place(at->phaseDeg + drawn.shiftDeg, at->gainDb);
        const int x = PixelOf(p.x);
        const int y = PixelOf(p.y);
        if (!(x - half >= f.left && x + half <= f.right && y - half >= f.top
                && y + half <= f.bottom))
            continue;
        m_surface.fillRect(x - half, y - half, 2 * half + 1, 2 * half + 1, loop.color);
        m_surface.fillRect(
            x - half + line, y - half + line, 2 * (half - line) + 1, 2 * (half - line) + 1, White);
    }
}

void LoopLayer::drawFrequencies(const SceneLoop &loop, const DrawnLocus &drawn)
{
    const std::vector<ResponsePoint> &points = drawn.points;
    if (points.empty())
        return;
    const auto mark = [&](double omega) {
        if (const std::optional<Point> p = dot(loop, drawn, omega, 2))
            m_frequencies.push_back({ *p, ShortNumber(omega) + unit(" rad/s"), loop.color });
    };
    const int first = static_cast<int>(std::ceil(std::log10(points.front().omega) - 1e-9));
    const int last = static_cast<int>(std::floor(std::log10(points.back().omega) + 1e-9));
    for (int k = first; k <= last && k - first < 40; ++k)
        mark(std::pow(10.0, k));
    for (const double omega : m_scene.markers)
        mark(omega);
}

// The points whose open-loop phase at the linear gain g has the cosine `cosine(g)` (no point
// where it lies outside [-1, 1]), around the critical point nearest `near` (degrees): one sample
// a pixel row, in double arithmetic, enough for a dashed curve; only the rows of gains from
// `low` to `high` (linear), beyond which the cosine has no phase, and a row either side.
template <typename Cosine>
void LoopLayer::drawContour(
    Cosine cosine, double low, double high, double near, Color color, int width, PenStyle style)
{
    m_surface.setKind(Ink::Contour);
    const PixelFrame inner = usePen(width, style, color);
    const double turns = criticalNear(near) + 180;
    const int samples = std::max(100, m_mapping.frame.bottom - m_mapping.frame.top);
    const double step = (m_mapping.gainMax - m_mapping.gainMin) / samples;
    const double lowDb = low > 0 ? 20 * std::log10(low) : -INFINITY;
    const double highDb = 20 * std::log10(high);
    const int first = static_cast<int>(
        std::clamp(std::floor((lowDb - m_mapping.gainMin) / step) - 1, 0.0, double(samples)));
    const int last = static_cast<int>(
        std::clamp(std::ceil((highDb - m_mapping.gainMin) / step) + 1, 0.0, double(samples)));
    std::vector<double> gains;
    std::vector<double> arcs; // degrees, NaN where no phase has this gain
    const auto cosineAt = [&cosine](double gain) { return cosine(std::pow(10.0, gain / 20)); };
    for (int k = first; k <= last; ++k) {
        const double gain = m_mapping.gainMin + k * step;
        const double u = cosineAt(gain);
        const bool on = std::fabs(u) <= 1;
        // Where the contour turns back between two rows, its turning point, found by bisection,
        // closes it: the two sides meet there.
        if (!gains.empty() && on == std::isnan(arcs.back())) {
            double inside = on ? gain : gains.back();
            double outside = on ? gains.back() : gain;
            for (int i = 0; i < 50; ++i) {
                const double middle = (inside + outside) / 2;
                (std::fabs(cosineAt(middle)) <= 1 ? inside : outside) = middle;
            }
            gains.push_back(inside);
            arcs.push_back(std::acos(std::clamp(cosineAt(inside), -1.0, 1.0)) * DegreesPerRadian);
            if (!on) {
                gains.push_back(gain);
                arcs.push_back(NAN);
                continue;
            }
        }
        gains.push_back(gain);
        arcs.push_back(on ? std::acos(u) * DegreesPerRadian : NAN);
    }
    for (const int side : { +1, -1 }) {
        ClippedPen pen(m_surface, inner);
        bool started = false;
        Point previous { 0, 0 };
        for (std::size_t k = 0; k < gains.size(); ++k) {
            if (std::isnan(arcs[k])) {
                started = false;
                pen.breakPath();
                continue;
            }
            const double phase = (side > 0 ? -arcs[k] : arcs[k] - 360) + turns;
            const Point p = place(phase, gains[k]);
            if (started)
                pen.segment(previous, p);
            previous = p;
            started = true;
        }
    }
    m_surface.setPenStyle(PenStyle::Solid);
    m_surface.setKind(Ink::Locus);
}

std::vector<LegendEntry> LoopLayer::legendEntries() const
{
    std::vector<LegendEntry> entries;
    for (const SceneLoop &loop : m_scene.loops) {
        LegendEntry entry { loop.color, loop.name, {} };
        if (m_scene.legend == LegendKind::Margins) {
            const LoopQuantities &q = loop.analysis->quantities;
            std::string margins;
            if (q.gainMarginDb)
                margins = "MG " + ShortNumber(*q.gainMarginDb) + unit(" dB");
            else if (q.phaseCrossovers.empty())
                margins = "MG ∞";
            if (q.phaseMarginDeg)
                margins += (margins.empty() ? "" : "  ") + std::string("MP ")
                    + ShortNumber(*q.phaseMarginDeg) + unit("°");
            std::string closed;
            if (!q.stable) {
                closed = "instable";
            } else {
                if (q.peakDb)
                    closed = "Mr " + ShortNumber(*q.peakDb) + unit(" dB");
                if (q.bandwidth)
                    closed += (closed.empty() ? "" : "  ") + std::string("ωb ")
                        + ShortNumber(*q.bandwidth) + unit(" rad/s");
            }
            for (const std::string *line : { &margins, &closed })
                if (!line->empty())
                    entry.details.push_back(*line);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace

std::string ShortNumber(double value)
{
    return SignificantText(value, 3, '.');
}

void DrawLoci(InkSurface &surface, InkMap &ink, const ChartMapping &mapping,
    const RenderProfile &profile, const ChartScene &scene, const std::vector<DrawnLocus> &loci)
{
    if (scene.loops.empty())
        return;
    LoopLayer(surface, ink, mapping, profile, scene).draw(loci);
}

} // namespace velmora
