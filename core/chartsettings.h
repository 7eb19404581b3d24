// core/chartsettings.h — chart settings, their defaults and the limits entries must keep (core
// layer)
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Colour as 0x00BBGGRR: red in the low byte, blue in byte 2.
using Color = std::uint32_t;

constexpr Color Black = 0x000000;
constexpr Color Silver = 0xC0C0C0; // grid lines
constexpr Color White = 0xFFFFFF;

constexpr Color RgbColor(int red, int green, int blue)
{
    return static_cast<Color>((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16);
}

constexpr int RedOf(Color color)
{
    return static_cast<int>(color & 0xFF);
}
constexpr int GreenOf(Color color)
{
    return static_cast<int>((color >> 8) & 0xFF);
}
constexpr int BlueOf(Color color)
{
    return static_cast<int>((color >> 16) & 0xFF);
}

// A colour written "#RRGGBB" (hexadecimal digits of either case); nothing for any other text.
std::optional<Color> ColorFromText(std::string_view text);

// The colours given to loops in turn when none is chosen: eight that stand apart on white.
Color DefaultLoopColor(std::size_t index);

// How the plot frame is drawn: axes, graduation marks and their labels.
struct AxisStyle {
    bool axesAtOrigin = true; // axes through phase 0° and gain 0 dB
    bool grid = false; // grid lines instead of ticks
    bool dottedGrid = false; // only with grid
    Color axisColor = Black; // axis lines, ticks, graduation labels
    int fontSize = 8; // points
    std::string fontName; // empty: the surface keeps its current face
    int tickLength = 3; // pixels

    bool operator==(const AxisStyle &) const = default;
};

// Everything the chart is drawn from, but the loops.
struct ChartSettings {
    AxisStyle axisStyle;
    double gainStep = 2; // dB
    double phaseStep = 30; // degrees
    double gainMin = -30; // dB
    double gainMax = 40; // dB
    double phaseMin = -260; // degrees
    double phaseMax = 10; // degrees
    Color isogainColor = Black;
    Color isophaseColor = Black;
    int bitmapWidth = 600; // pixels, the clipboard image
    int bitmapHeight = 950;
    std::vector<double> isogainValues; // closed-loop gains (dB), one contour each, in list order
    std::vector<double> isophaseValues; // closed-loop phases (degrees), likewise

    bool operator==(const ChartSettings &) const = default;
};

// The value texts of the two lists as the main window first shows them.
const std::vector<std::string> &DefaultIsogainTexts();
const std::vector<std::string> &DefaultIsophaseTexts();

// One value per text, each read with TextToReal.
std::vector<double> ValuesFromTexts(const std::vector<std::string> &texts);

// What a list's reading puts in place of a value out of its range (IsogainValue, IsophaseValue).
constexpr double RefusedIsogainStandIn = 0;
constexpr double RefusedIsophaseStandIn = -180;

// Every default, both value lists filled from the default texts.
ChartSettings DefaultChartSettings();

// The entries a user or a command line can give, each with the range it must lie in.
enum class Entry {
    GainMax, // dB
    GainMin, // dB
    GainStep, // dB, below half of the gain maximum
    PhaseMin, // degrees
    PhaseStep, // degrees, below half of |phase minimum|
    IsogainValue, // dB
    IsophaseValue, // degrees
    BitmapWidth, // pixels, the bitmap-size dialog; stored with the fraction dropped
    BitmapHeight,
    ImageWidth, // pixels, images written by the command line; fraction dropped
    ImageHeight,
    WindowImageWidth, // pixels, the chart window's image, drawn with the window's rules
    WindowImageHeight,
    FontSize, // points, whole numbers
    LoopGainDb, // dB, the gain added to a loop
};

// An interval with each end open or closed; wholeNumbers also asks for an integer.
struct EntryRange {
    double low;
    bool lowIncluded;
    double high;
    bool highIncluded;
    bool wholeNumbers = false;

    bool contains(double v) const;
    // "0 < name <= 100", the bounds in plain decimals.
    std::string describe(const std::string &name) const;
};

// The one table of entry limits. The steps' upper ends follow `current`'s extents, as they stand
// when the step is entered.
EntryRange RangeOf(Entry entry, const ChartSettings &current);

// Whether v may be stored for the entry, given the current settings.
bool Accepted(Entry entry, double v, const ChartSettings &current);

} // namespace velmora
