// plot/isogain.cpp — contours of constant closed-loop gain (plot layer, toolkit-free)
#include "plot/isogain.h"

#include "core/degrees.h"
#include "core/floatingpointerror.h"
#include "core/numbertext.h"
#include "plot/sweep.h"

#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

namespace velmora {

namespace {

struct IsogainPoint {
    double gain; // open-loop gain, dB
    double g; // and linear
    double right; // right-branch phase, degrees, in [-180, 0]
    double left; // left-branch phase, degrees, in [-360, -180]
    int row; // pixel row of the gain
    int rightColumn; // pixel columns of the two phases
    int leftColumn;
};

// Pow10(dB / 20), or 0 when it overflows: the sample or the value is then skipped.
double linearGain(double dB)
{
    return FinitePow10(dB / 20).value_or(0.0);
}

// One sample of the gain sweep: its gain in dB, as a linear gain (0 when that overflows) and as
// a pixel row.
struct GainSample {
    double x;
    double g;
    double inverse; // 1 / g, for the quick cosine
    int row;
};

// What the quick cosine needs of a contour's linear gain M.
struct Contour {
    double square; // M^2
    double inverseSquare; // 1 / M^2
};

// The gain sweep, the same for every contour, so computed once per pass.
std::vector<GainSample> gainSamples(double s, int capacity, const ChartMapping &map)
{
    std::vector<GainSample> samples;
    for (const double x : SweepPositions(map.gainMin, s, map.gainMax, capacity)) {
        const double g = linearGain(x);
        samples.push_back({ x, g, 1 / g, map.row(x) });
    }
    return samples;
}

// The branch phases (degrees) of a valid cosine, in extended precision as the contour stores them.
struct BranchPhases {
    double right;
    double left;
};

BranchPhases branchPhases(double u)
{
    const long double arc
        = std::atan2(std::sqrt(1 - static_cast<long double>(u) * u), static_cast<long double>(u));
    return { static_cast<double>(-arc * 180 / Pi), static_cast<double>((arc - 2 * Pi) * 180 / Pi) };
}

// Relative rounding of double arithmetic, with room: sixteen units in the last place.
constexpr double Roundoff = 16 * 0x1p-53;

// A sample placed the quick way: the cosine in double arithmetic with a bound of its error, and
// the branch columns from it, taken only where that bound proves them to be the ones the exact
// computation gives. `valid` is nothing when the bound cannot tell the cosine's validity.
struct QuickSample {
    std::optional<bool> valid;
    std::optional<int> rightColumn;
    std::optional<int> leftColumn;
    double right = 0; // degrees, within the bound of the exact phase
    double left = 0;
};

QuickSample quickSample(const GainSample &sample, const Contour &contour, const QuickPixels &pixels)
{
    QuickSample quick;
    const double g2 = sample.g * sample.g;
    const double scale = -0.5 * sample.inverse * contour.inverseSquare; // -1 / (2 g M^2)
    const double u = (g2 * contour.square - g2 + contour.square) * scale;
    // Every term of the numerator, over the denominator, bounds what rounding can do to u.
    const double error = Roundoff * ((g2 * contour.square + g2 + contour.square) * -scale + 1);
    if (!std::isfinite(u) || !std::isfinite(error))
        return quick;
    if (std::fabs(u) - error > 1) {
        quick.valid = false;
        return quick;
    }
    const double margin = 1 - (std::fabs(u) + error); // how far from the ends of [-1, 1]
    if (!(margin > 1e-9))
        return quick; // the cosine may or may not be valid, or its arc is too steep here
    quick.valid = true;
    const double arc = std::acos(u);
    // d(acos u)/du = -1 / sqrt(1 - u^2), at most 1 / sqrt(margin) over the bound.
    const double arcError = error / std::sqrt(margin) + Roundoff * 4;
    const double degreeError = arcError * 180 / std::numbers::pi + Roundoff * 360;
    quick.right = -arc * 180 / std::numbers::pi;
    quick.left = (arc - 2 * std::numbers::pi) * 180 / std::numbers::pi;
    quick.rightColumn = pixels.sureColumn(quick.right, degreeError);
    quick.leftColumn = pixels.sureColumn(quick.left, degreeError);
    return quick;
}

// The first run of samples whose cosine is a valid cosine, placed in pixels. Each sample is
// placed the quick way where its bound proves the pixels exact, and the exact way otherwise, so
// the points are the exact computation's.
std::vector<IsogainPoint> contourPoints(double M, const std::vector<GainSample> &samples,
    const ChartMapping &map, const QuickPixels &pixels)
{
    std::vector<IsogainPoint> points;
    points.reserve(samples.size());
    const Contour contour { M * M, 1 / (M * M) };
    for (const GainSample &sample : samples) {
        const QuickSample quick
            = sample.g > 0 ? quickSample(sample, contour, pixels) : QuickSample { false, {}, {} };
        double u = 0;
        bool valid = false;
        if (quick.valid) {
            valid = *quick.valid;
        } else {
            u = IsogainCosine(sample.g, M);
            valid = std::fabs(u) <= 1;
        }
        if (!valid) {
            if (!points.empty())
                break;
            continue;
        }
        if (quick.rightColumn && quick.leftColumn) {
            points.push_back({ sample.x, sample.g, quick.right, quick.left, sample.row,
                *quick.rightColumn, *quick.leftColumn });
            continue;
        }
        if (quick.valid)
            u = IsogainCosine(sample.g, M);
        const BranchPhases phases = branchPhases(u);
        points.push_back({ sample.x, sample.g, phases.right, phases.left, sample.row,
            map.column(phases.right), map.column(phases.left) });
    }
    // The label is placed from the last right-branch phase: that one is taken exactly.
    if (!points.empty())
        points.back().right = branchPhases(IsogainCosine(points.back().g, M)).right;
    return points;
}

} // namespace

double IsogainCosine(double g, double M)
{
    if (g == 0 || M == 0)
        throw FloatingPointError(FloatingPointFault::DivideByZero);
    const long double gl = g;
    const long double Ml = M;
    const long double numerator = gl * gl * Ml * Ml - gl * gl + Ml * Ml;
    return static_cast<double>(numerator * -0.5L / gl / Ml / Ml);
}

void DrawIsogainContours(DrawingSurface &surface, const PixelFrame &frame, double gainStep,
    const RenderProfile &profile, const ChartSettings &settings, const ChartMapping *shown)
{
    const ChartMapping map = MappingOf(frame, settings);
    // Every contour samples the same gains: their linear values and rows are computed once.
    const std::vector<GainSample> samples = gainSamples(gainStep, profile.gainDivisions, map);
    const QuickPixels pixels(map);
    const std::vector<double> &values = settings.isogainValues;
    const int labelGap = static_cast<int>(std::nearbyint(2 * surface.scale()));
    for (const double v : values) {
        const double M = linearGain(v);
        const std::vector<IsogainPoint> points
            = M > 0 ? contourPoints(M, samples, map, pixels) : std::vector<IsogainPoint> {};
        surface.setPenColor(settings.isogainColor);
        surface.setFontColor(settings.isogainColor);
        if (points.empty())
            continue;
        const IsogainPoint &first = points.front();
        const IsogainPoint &last = points.back();

        surface.moveTo(first.rightColumn, first.row);
        for (const IsogainPoint &p : points)
            surface.lineTo(p.rightColumn, p.row);

        const bool closesAtTop = !shown || last.gain != samples.back().x;
        if (closesAtTop && std::abs(last.leftColumn - last.rightColumn) < profile.closingGap) {
            surface.moveTo(last.leftColumn, last.row);
            surface.lineTo(last.rightColumn, last.row);
        }

        surface.moveTo(first.leftColumn, first.row);
        for (const IsogainPoint &p : points)
            surface.lineTo(p.leftColumn, p.row);

        if (!shown || first.gain != samples.front().x) {
            surface.moveTo(first.rightColumn, first.row);
            surface.lineTo(first.leftColumn, first.row);
        }

        const double top = shown ? shown->gainMax : settings.gainMax;
        const double labelGain = last.gain >= top ? top : last.gain;
        surface.drawText(map.column(last.right - 5), map.row(labelGain) + labelGap,
            RealToText(v) + profile.gainLabelSuffix);
    }
}

} // namespace velmora
