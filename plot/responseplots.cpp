// plot/responseplots.cpp — the step response and the closed-loop Bode plot (plot layer)
#include "plot/responseplots.h"

#include "core/numbertext.h"
#include "plot/clippedpen.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr double LowestBodeDb = -60; // below, |T| and |S| are of no interest on the plot

std::string figure(double v)
{
    return SignificantText(v, 3, '.');
}

// Labels beside their marks, inside the frame, none over another nor over the legend: the
// first free place of a few around the mark; a label with none is left out (its dot stays).
class MarkLabels {
public:
    MarkLabels(DrawingSurface &surface, const PlotFrame &frame)
        : m_surface(surface)
        , m_frame(frame)
    {
    }

    void keepClear(int left, int top, int right, int bottom)
    {
        m_placed.push_back({ left, top, right, bottom });
    }

    // `leftFirst`: the places left of the mark are tried first (a mark on a rising curve).
    void place(
        double column, double row, const std::string &text, Color color, bool leftFirst = false)
    {
        const int w = m_surface.textWidth(text);
        const int h = m_surface.textHeight(text);
        const int x = PixelOf(column);
        const int y = PixelOf(row);
        std::pair<int, int> candidates[] = { { x + 6, y - h - 3 }, { x + 6, y + 3 },
            { x - 6 - w, y - h - 3 }, { x - 6 - w, y + 3 }, { x + 6, y - 2 * h - 6 },
            { x - 6 - w, y - 2 * h - 6 }, { x + 6, y + h + 6 }, { x - w / 2, y - 3 * h - 8 } };
        if (leftFirst)
            std::swap(candidates[0], candidates[2]);
        for (const auto &[cx, cy] : candidates) {
            const Box box { cx, cy, cx + w, cy + h };
            const bool inside = box.left >= m_frame.left() + 2 && box.right <= m_frame.right() - 2
                && box.top >= m_frame.top() + 2 && box.bottom <= m_frame.bottom() - 2;
            if (!inside || std::any_of(m_placed.begin(), m_placed.end(), [&](const Box &other) {
                    return other.overlaps(box);
                }))
                continue;
            m_placed.push_back(box);
            m_surface.setFontColor(color);
            m_surface.drawText(cx, cy, text);
            return;
        }
    }

private:
    struct Box {
        int left, top, right, bottom;
        bool overlaps(const Box &o) const
        {
            return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
        }
    };

    DrawingSurface &m_surface;
    const PlotFrame &m_frame;
    std::vector<Box> m_placed;
};

void dot(DrawingSurface &surface, const PlotFrame &frame, double x, double y, Color color)
{
    const double column = frame.columnOf(x);
    const double row = frame.rowOf(y);
    if (!frame.contains(column, row))
        return;
    surface.setPenColor(color);
    surface.drawDisc(PixelOf(column), PixelOf(row), 3);
}

// One line a loop in the frame's top-right corner: a sample of its pen and its name.
// Reserved among the labels first (`draw` false), drawn last, over the curves.
void legend(DrawingSurface &surface, const PlotFrame &frame,
    const std::vector<std::pair<Color, std::string>> &entries, const std::string &extra,
    MarkLabels &labels, bool draw)
{
    const int h = surface.textHeight("1");
    int widest = surface.textWidth(extra);
    for (const auto &[color, name] : entries)
        widest = std::max(widest, 24 + surface.textWidth(name));
    const int x = std::max(frame.left() + 4, frame.right() - 6 - widest);
    int y = frame.top() + 4;
    const int bottom = y + static_cast<int>(entries.size() + (extra.empty() ? 0 : 1)) * (h + 2) + 2;
    if (!draw) {
        labels.keepClear(x - 2, y - 2, frame.right(), bottom);
        return;
    }
    surface.setPenColor(White);
    for (int row = y - 2; row < bottom; ++row) {
        surface.moveTo(x - 4, row);
        surface.lineTo(frame.right() - 1, row);
    }
    surface.setPenStyle(PenStyle::Solid);
    for (const auto &[color, name] : entries) {
        surface.setPenColor(color);
        surface.setPenWidth(2);
        surface.moveTo(x, y + h / 2);
        surface.lineTo(x + 18, y + h / 2);
        surface.setPenWidth(1);
        surface.setFontColor(Black);
        surface.drawText(x + 24, y, name);
        y += h + 2;
    }
    if (!extra.empty()) {
        surface.setFontColor(Black);
        surface.drawText(x, y, extra);
    }
}

} // namespace

PlotFrame StepPlotFrame(DrawingSurface &surface, const std::vector<StepPlotLoop> &loops)
{
    double end = 0;
    double lo = 0;
    double hi = 1;
    for (const StepPlotLoop &loop : loops) {
        if (!loop.response || loop.response->time.empty())
            continue;
        end = std::max(end, loop.response->time.back());
        for (const double y : loop.response->value) {
            lo = std::min(lo, y);
            hi = std::max(hi, y);
        }
    }
    PlotAxis time = RoundedAxis(0, end > 0 ? end : 10, false, "temps (s)");
    time.min = 0;
    return PlotFrame(surface, time, RoundedAxis(lo, hi * 1.05, false, "sortie y(t)"),
        "Réponse indicielle en boucle fermée");
}

PlotFrame BodePlotFrame(DrawingSurface &surface, const std::vector<BodePlotLoop> &loops)
{
    double wLow = INFINITY;
    double wHigh = 0;
    double top = 0;
    for (const BodePlotLoop &loop : loops) {
        if (loop.omega.empty())
            continue;
        wLow = std::min(wLow, loop.omega.front());
        wHigh = std::max(wHigh, loop.omega.back());
        for (const std::vector<double> *db : { &loop.closedDb, &loop.sensitivityDb })
            for (const double v : *db)
                if (std::isfinite(v))
                    top = std::max(top, std::min(v, 60.0));
    }
    if (!(wHigh > wLow)) {
        wLow = 0.1;
        wHigh = 10;
    }
    return PlotFrame(surface, RoundedAxis(wLow, wHigh, true, "ω (rad/s)"),
        RoundedAxis(LowestBodeDb, top + 3, false, "|T|, |S| (dB)"), "Boucle fermée : |T| et |S|");
}

void DrawStepPlot(DrawingSurface &surface, const std::vector<StepPlotLoop> &loops)
{
    const PlotFrame frame = StepPlotFrame(surface, loops);
    frame.drawFrame(surface);
    std::vector<std::pair<Color, std::string>> names;
    for (const StepPlotLoop &loop : loops)
        names.emplace_back(loop.color,
            loop.response       ? loop.name
                : loop.measured ? loop.name + " (sans réponse indicielle : mesures)"
                                : loop.name + " (sans réponse : boucle fermée instable)");
    MarkLabels labels(surface, frame);
    legend(surface, frame, names, {}, labels, false);
    for (const StepPlotLoop &loop : loops) {
        if (!loop.response)
            continue;
        const StepResponse &r = *loop.response;
        const StepFigures &f = r.figures;
        const double end = frame.x().max;
        // The final value, dotted, and the band of ±5 % about it.
        surface.setPenColor(loop.color);
        surface.setPenWidth(1);
        surface.setPenStyle(PenStyle::Dotted);
        DrawClippedCurve(surface, frame, { 0, end }, { f.finalValue, f.finalValue });
        surface.setPenStyle(PenStyle::Dashed);
        for (const double side : { 0.95, 1.05 })
            DrawClippedCurve(
                surface, frame, { 0, end }, { side * f.finalValue, side * f.finalValue });
        surface.setPenStyle(PenStyle::Solid);
        surface.setPenWidth(2);
        DrawClippedCurve(surface, frame, r.time, r.value);
        surface.setPenWidth(1);
        if (f.overshootPercent && f.peakTime && *f.overshootPercent > 0) {
            const double peak = f.finalValue * (1 + *f.overshootPercent / 100);
            dot(surface, frame, *f.peakTime, peak, loop.color);
            labels.place(frame.columnOf(*f.peakTime), frame.rowOf(peak),
                "D " + figure(*f.overshootPercent) + " % à " + figure(*f.peakTime) + " s",
                loop.color);
        }
        if (f.riseTimeS) {
            // The rise ends where the response first reaches 90 %.
            const auto at90 = std::find_if(r.value.begin(), r.value.end(),
                [&](double y) { return std::fabs(y) >= 0.9 * std::fabs(f.finalValue); });
            if (at90 != r.value.end()) {
                const double t = r.time[static_cast<std::size_t>(at90 - r.value.begin())];
                dot(surface, frame, t, 0.9 * f.finalValue, loop.color);
                labels.place(frame.columnOf(t), frame.rowOf(0.9 * f.finalValue),
                    "tm " + figure(*f.riseTimeS) + " s", loop.color, true);
            }
        }
        if (f.settlingTimeS && *f.settlingTimeS > 0) {
            const double column = frame.columnOf(*f.settlingTimeS);
            surface.setPenColor(loop.color);
            surface.setPenStyle(PenStyle::Dashed);
            DrawClippedCurve(surface, frame, { *f.settlingTimeS, *f.settlingTimeS },
                { frame.y().min, f.finalValue });
            surface.setPenStyle(PenStyle::Solid);
            labels.place(column, frame.rowOf(0.25 * f.finalValue),
                "tr5% " + figure(*f.settlingTimeS) + " s", loop.color);
        }
    }
    legend(surface, frame, names, {}, labels, true);
    surface.setPenWidth(1);
}

void DrawBodePlot(DrawingSurface &surface, const std::vector<BodePlotLoop> &loops)
{
    const PlotFrame frame = BodePlotFrame(surface, loops);
    frame.drawFrame(surface);
    std::vector<std::pair<Color, std::string>> names;
    for (const BodePlotLoop &loop : loops)
        names.emplace_back(loop.color, loop.name);
    const std::string key = "trait plein |T|, tirets |S|";
    MarkLabels labels(surface, frame);
    legend(surface, frame, names, key, labels, false);
    for (const BodePlotLoop &loop : loops) {
        surface.setPenColor(loop.color);
        surface.setPenWidth(2);
        surface.setPenStyle(PenStyle::Solid);
        DrawClippedCurve(surface, frame, loop.omega, loop.closedDb);
        surface.setPenWidth(1);
        surface.setPenStyle(PenStyle::Dashed);
        DrawClippedCurve(surface, frame, loop.omega, loop.sensitivityDb);
        surface.setPenStyle(PenStyle::Solid);
        if (loop.peakDb && loop.peakOmega && *loop.peakOmega > 0) {
            dot(surface, frame, *loop.peakOmega, *loop.peakDb, loop.color);
            labels.place(frame.columnOf(*loop.peakOmega), frame.rowOf(*loop.peakDb),
                "Mr " + figure(*loop.peakDb) + " dB", loop.color);
        }
        if (loop.bandwidth && loop.lowFrequencyDb) {
            const double db = *loop.lowFrequencyDb - 3;
            dot(surface, frame, *loop.bandwidth, db, loop.color);
            labels.place(frame.columnOf(*loop.bandwidth), frame.rowOf(db),
                "ωb " + figure(*loop.bandwidth), loop.color);
        }
        if (loop.sensitivityPeakDb && loop.sensitivityPeakOmega) {
            dot(surface, frame, *loop.sensitivityPeakOmega, *loop.sensitivityPeakDb, loop.color);
            labels.place(frame.columnOf(*loop.sensitivityPeakOmega),
                frame.rowOf(*loop.sensitivityPeakDb),
                "Ms " + figure(*loop.sensitivityPeakDb) + " dB", loop.color);
        }
    }
    legend(surface, frame, names, key, labels, true);
    surface.setPenWidth(1);
}

} // namespace velmora
