// core/chartsettings.cpp — defaults and entry limits of the chart settings (core layer)
#include "core/chartsettings.h"

#include "core/numbertext.h"

#include <cmath>
#include <iterator>

namespace velmora {

std::optional<Color> ColorFromText(std::string_view text)
{
    if (text.size() != 7 || text[0] != '#'
        || text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string_view::npos)
        return std::nullopt;
    const unsigned long rgb = std::stoul(std::string(text.substr(1)), nullptr, 16);
    return RgbColor(static_cast<int>(rgb >> 16), static_cast<int>(rgb >> 8), static_cast<int>(rgb));
}

Color DefaultLoopColor(std::size_t index)
{
    static constexpr Color palette[] = { RgbColor(200, 0, 0), RgbColor(0, 90, 200),
        RgbColor(0, 140, 40), RgbColor(170, 0, 170), RgbColor(220, 120, 0), RgbColor(0, 150, 160),
        RgbColor(120, 80, 20), RgbColor(90, 90, 90) };
    return palette[index % std::size(palette)];
}

const std::vector<std::string> &DefaultIsogainTexts()
{
    static const std::vector<std::string> texts { "12", "6", "4", "3", "2", "1", "0.5", "0.25", "0",
        "-1", "-3", "-6", "-12", "-18", "-24" };
    return texts;
}

const std::vector<std::string> &DefaultIsophaseTexts()
{
    static const std::vector<std::string> texts { "-2", "-5", "-30", "-45", "-60", "-90", "-135",
        "-160", "-180", "-200", "-225", "-270", "-300", "-314", "-330", "-355", "-358" };
    return texts;
}

std::vector<double> ValuesFromTexts(const std::vector<std::string> &texts)
{
    std::vector<double> values;
    values.reserve(texts.size());
    for (const std::string &text : texts)
        values.push_back(TextToReal(text));
    return values;
}

ChartSettings DefaultChartSettings()
{
    ChartSettings settings;
    settings.isogainValues = ValuesFromTexts(DefaultIsogainTexts());
    settings.isophaseValues = ValuesFromTexts(DefaultIsophaseTexts());
    return settings;
}

bool EntryRange::contains(double v) const
{
    const bool aboveLow = lowIncluded ? v >= low : v > low;
    const bool belowHigh = highIncluded ? v <= high : v < high;
    return aboveLow && belowHigh && (!wholeNumbers || v == std::floor(v));
}

std::string EntryRange::describe(const std::string &name) const
{
    return PlainDecimal(low) + (lowIncluded ? " <= " : " < ") + name
        + (highIncluded ? " <= " : " < ") + PlainDecimal(high);
}

EntryRange RangeOf(Entry entry, const ChartSettings &current)
{
    switch (entry) {
    case Entry::GainMax:
        return { 0, false, 100, true };
    case Entry::GainMin:
        return { -100, false, 0, false };
    case Entry::GainStep:
        return { 0, false, current.gainMax / 2, false };
    case Entry::PhaseMin:
        return { -360, true, -180, true };
    case Entry::PhaseStep:
        return { 0, false, std::fabs(current.phaseMin) / 2, false };
    case Entry::IsogainValue:
        return { -100, false, 100, false };
    case Entry::IsophaseValue:
        return { -360, false, -1, false };
    case Entry::BitmapWidth:
        return { 399, false, 601, false };
    case Entry::BitmapHeight:
        return { 599, false, 951, false };
    case Entry::ImageWidth:
        return { 400, true, 10001, false };
    case Entry::ImageHeight:
        return { 600, true, 10001, false };
    case Entry::WindowImageWidth:
        return { 150, true, 10001, false };
    case Entry::WindowImageHeight:
        return { 200, true, 10001, false };
    case Entry::LoopGainDb:
        return { -100, false, 100, false };
    case Entry::FontSize:
        break;
    }
    return { 1, true, 500, true, true };
}

bool Accepted(Entry entry, double v, const ChartSettings &current)
{
    return RangeOf(entry, current).contains(v);
}

} // namespace velmora
