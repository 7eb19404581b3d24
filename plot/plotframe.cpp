// plot/plotframe.cpp — the frame of a plot of curves (plot layer, toolkit-free)
#include "plot/plotframe.h"

#include "core/numbertext.h"
#include "plot/clippedpen.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr Color GridGrey = RgbColor(221, 221, 221);
constexpr Color MinorGrey = RgbColor(240, 240, 240);
constexpr int MaxGraduationsPerAxis = 60;

std::string label(double v)
{
    return SignificantText(std::fabs(v) < 1e-12 ? 0 : v, 3, '.');
}

// The round step (1, 2 or 5 times a power of ten) that cuts `range` into at least `pieces`.
double roundStep(double range, int pieces)
{
    const double raw = range / std::max(pieces, 1);
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : { 5.0, 2.0, 1.0 })
        if (m * decade <= raw)
            return m * decade;
    return decade / 2;
}

} // namespace

std::vector<double> RoundGraduations(const PlotAxis &axis, int minimum)
{
    std::vector<double> marks;
    if (!(axis.max > axis.min))
        return marks;
    if (axis.logarithmic) {
        for (int k = static_cast<int>(std::ceil(std::log10(axis.min) - 1e-9));
             k <= std::floor(std::log10(axis.max) + 1e-9) && marks.size() < MaxGraduationsPerAxis;
             ++k)
            marks.push_back(std::pow(10.0, k));
        return marks;
    }
    const double step = roundStep(axis.max - axis.min, minimum);
    for (double k = std::ceil(axis.min / step - 1e-9);
         k * step <= axis.max + 1e-9 * step && marks.size() < MaxGraduationsPerAxis; ++k)
        marks.push_back(k * step);
    return marks;
}

PlotAxis RoundedAxis(double lo, double hi, bool logarithmic, std::string title)
{
    PlotAxis axis { lo, hi, logarithmic, std::move(title) };
    if (!std::isfinite(lo) || !std::isfinite(hi) || lo > hi) {
        axis.min = logarithmic ? 0.1 : 0;
        axis.max = logarithmic ? 10 : 1;
        return axis;
    }
    if (logarithmic) {
        axis.min = std::pow(10.0, std::floor(std::log10(lo) + 1e-9));
        axis.max = std::pow(10.0, std::ceil(std::log10(hi) - 1e-9));
        if (axis.max <= axis.min)
            axis.max = axis.min * 10;
        return axis;
    }
    if (hi - lo < 1e-12 * std::max(1.0, std::fabs(hi))) {
        lo -= std::max(1.0, std::fabs(lo) * 0.1);
        hi += std::max(1.0, std::fabs(hi) * 0.1);
    }
    const double step = roundStep(hi - lo, 5);
    axis.min = std::floor(lo / step) * step;
    axis.max = std::ceil(hi / step) * step;
    return axis;
}

PlotFrame::PlotFrame(DrawingSurface &surface, PlotAxis x, PlotAxis y, const std::string &title)
    : m_x(std::move(x))
    , m_y(std::move(y))
    , m_title(title)
{
    if (m_x.logarithmic) {
        m_logXMin = std::log10(m_x.min);
        m_logXSpan = std::log10(m_x.max) - m_logXMin;
    }
    if (m_y.logarithmic) {
        m_logYMin = std::log10(m_y.min);
        m_logYSpan = std::log10(m_y.max) - m_logYMin;
    }
    const int h = surface.textHeight("1");
    int widest = 0;
    for (const double v : RoundGraduations(m_y))
        widest = std::max(widest, surface.textWidth(label(v)));
    m_left = 8 + widest + 6;
    m_right = surface.width() - 14;
    m_top = 6 + 2 * h + 6;
    m_bottom = surface.height() - (6 + 2 * h + 8 + h / 2);
    if (m_right <= m_left + 10)
        m_right = m_left + 10;
    if (m_bottom <= m_top + 10)
        m_bottom = m_top + 10;
}

double PlotFrame::along(const PlotAxis &axis, double v, double logMin, double logSpan)
{
    return axis.logarithmic ? (std::log10(v) - logMin) / logSpan
                            : (v - axis.min) / (axis.max - axis.min);
}

double PlotFrame::columnOf(double x) const
{
    return m_left + along(m_x, x, m_logXMin, m_logXSpan) * (m_right - m_left);
}

double PlotFrame::rowOf(double y) const
{
    return m_bottom - along(m_y, y, m_logYMin, m_logYSpan) * (m_bottom - m_top);
}

double PlotFrame::xAt(double column) const
{
    const double t = (column - m_left) / (m_right - m_left);
    return m_x.logarithmic ? m_x.min * std::pow(m_x.max / m_x.min, t)
                           : m_x.min + t * (m_x.max - m_x.min);
}

double PlotFrame::yAt(double row) const
{
    const double t = (m_bottom - row) / (m_bottom - m_top);
    return m_y.logarithmic ? m_y.min * std::pow(m_y.max / m_y.min, t)
                           : m_y.min + t * (m_y.max - m_y.min);
}

bool PlotFrame::contains(double column, double row) const
{
    return column >= m_left && column <= m_right && row >= m_top && row <= m_bottom;
}

void PlotFrame::drawFrame(DrawingSurface &surface) const
{
    surface.setPenStyle(PenStyle::Solid);
    surface.setPenWidth(1);
    const auto vertical = [&](double x, Color color) {
        const int column = PixelOf(columnOf(x));
        surface.setPenColor(color);
        surface.moveTo(column, m_top);
        surface.lineTo(column, m_bottom);
    };
    if (m_x.logarithmic)
        for (const double decade : RoundGraduations(m_x))
            for (int k = 2; k <= 9; ++k)
                if (decade * k < m_x.max)
                    vertical(decade * k, MinorGrey);
    const std::vector<double> xs = RoundGraduations(m_x);
    const std::vector<double> ys = RoundGraduations(m_y);
    for (const double x : xs)
        vertical(x, GridGrey);
    surface.setPenColor(GridGrey);
    for (const double y : ys) {
        const int row = PixelOf(rowOf(y));
        surface.moveTo(m_left, row);
        surface.lineTo(m_right, row);
    }
    surface.setPenColor(Black);
    surface.moveTo(m_left, m_top);
    surface.lineTo(m_right, m_top);
    surface.lineTo(m_right, m_bottom);
    surface.lineTo(m_left, m_bottom);
    surface.lineTo(m_left, m_top);

    surface.setFontColor(Black);
    const int h = surface.textHeight("1");
    for (const double y : ys) {
        const std::string text = label(y);
        surface.drawText(m_left - 5 - surface.textWidth(text), PixelOf(rowOf(y)) - h / 2, text);
    }
    int lastRight = -1000;
    for (const double x : xs) {
        const std::string text = label(x);
        const int w = surface.textWidth(text);
        const int at = std::clamp(PixelOf(columnOf(x)) - w / 2, 0, surface.width() - w);
        if (at <= lastRight + 4)
            continue; // crowded: every label stays readable
        // Below the lowest label of the vertical axis, which stands half its height lower.
        surface.drawText(at, m_bottom + h / 2 + 3, text);
        lastRight = at + w;
    }
    surface.drawText(
        (m_left + m_right - surface.textWidth(m_x.title)) / 2, m_bottom + h / 2 + 5 + h, m_x.title);
    surface.drawText(m_left, 4 + h + 2, m_y.title);
    surface.drawText(m_left, 4, m_title);
}

void DrawClippedCurve(DrawingSurface &surface, const PlotFrame &frame, const std::vector<double> &x,
    const std::vector<double> &y)
{
    const PixelFrame box { frame.top(), frame.bottom(), frame.left(), frame.right() };
    ClippedPen pen(surface, box);
    const std::size_t n = std::min(x.size(), y.size());
    Point b = n > 0 ? Point { frame.columnOf(x[0]), frame.rowOf(y[0]) } : Point { 0, 0 };
    for (std::size_t i = 1; i < n; ++i) {
        const Point a = b;
        b = { frame.columnOf(x[i]), frame.rowOf(y[i]) };
        if (!std::isfinite(a.y) || !std::isfinite(b.y)) {
            pen.breakPath();
            continue;
        }
        pen.segment(a, b);
    }
}

} // namespace velmora
