// core/chartsettings.h — chart settings, their defaults and the tests entries must pass (core
// layer)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// Colour as 0x00BBGGRR: red in the low byte, blue in byte 2.
using Color = std::uint32_t;

constexpr Color Black = 0x000000;
constexpr Color Silver = 0xC0C0C0; // grid lines

constexpr Color RgbColor(int red, int green, int blue)
{
    return static_cast<Color>((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16);
}

// Plot-frame style, handed to the frame drawing by value.
struct param {
    bool AxesAtOrigin = true; // axes through phase 0° and gain 0 dB
    bool Grid = false; // grid lines instead of ticks
    bool DottedGrid = false; // only with Grid
    Color AxisColor = Black; // axis lines, ticks, graduation labels
    int FontSize = 8; // points
    std::string FontName; // empty: the surface keeps its current face
    int TickLength = 3; // pixels
};

// The one set of chart settings. Value arrays hold the contour values in elements 1..n;
// element 0 is never a contour value.
struct ChartSettings {
    param style;
    double GainStep = 2; // dB
    double PhaseStep = 30; // degrees
    double GainMin = -30; // dB
    double GainMax = 40; // dB
    double PhaseMin = -260; // degrees
    double PhaseMax = 10; // degrees
    Color IsogainColor = Black;
    Color IsophaseColor = Black;
    int BitmapWidth = 600; // pixels, clipboard image
    int BitmapHeight = 950;
    std::vector<double> IsogainValues; // dB
    std::vector<double> IsophaseValues; // degrees
};

// The value texts of the two lists as the main window first shows them.
const std::vector<std::string> &DefaultIsogainTexts();
const std::vector<std::string> &DefaultIsophaseTexts();

// Builds a value array from list texts: element 0 is 0, element i is TextToReal(texts[i - 1]).
std::vector<double> ValuesFromTexts(const std::vector<std::string> &texts);

// Every default, both value arrays filled from the default list texts.
ChartSettings DefaultChartSettings();

// The tests that a user's entry must pass before it is stored; bounds as stated, in the
// entry's unit. A refused entry leaves the setting as it was.
bool GainMaxAccepted(double v); // 0 < v <= 100
bool GainMinAccepted(double v); // -100 < v < 0
bool PhaseMinAccepted(double v); // -360 <= v <= -180
bool GainStepAccepted(double v, double gainMax); // 0 < v < gainMax / 2
bool PhaseStepAccepted(double v, double phaseMin); // 0 < v < |phaseMin| / 2
bool IsogainValueAccepted(double v); // -100 < v < 100
bool IsophaseValueAccepted(double v); // -360 < v < -1
bool BitmapWidthAccepted(double v); // 399 < v < 601, stored truncated
bool BitmapHeightAccepted(double v); // 599 < v < 951, stored truncated

} // namespace velmora
