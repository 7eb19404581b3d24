// core/settingfields.cpp — the chart settings described once (core layer)
#include "core/settingfields.h"

#include <array>
#include <cstdio>

namespace velmora {

namespace {

// The member of each setting; one place that knows where each lives. `S` is ChartSettings,
// const or not.
template <typename S> auto numberIn(S &s, Setting setting) -> decltype(&s.gainMax)
{
    switch (setting) {
    case Setting::GainMax:
        return &s.gainMax;
    case Setting::GainMin:
        return &s.gainMin;
    case Setting::GainStep:
        return &s.gainStep;
    case Setting::PhaseMin:
        return &s.phaseMin;
    case Setting::PhaseStep:
        return &s.phaseStep;
    default:
        return nullptr;
    }
}

template <typename S> auto wholeNumberIn(S &s, Setting setting) -> decltype(&s.bitmapWidth)
{
    switch (setting) {
    case Setting::FontSize:
        return &s.axisStyle.fontSize;
    case Setting::BitmapWidth:
        return &s.bitmapWidth;
    case Setting::BitmapHeight:
        return &s.bitmapHeight;
    default:
        return nullptr;
    }
}

template <typename S> auto switchIn(S &s, Setting setting) -> decltype(&s.axisStyle.grid)
{
    return setting == Setting::Grid      ? &s.axisStyle.grid
        : setting == Setting::DottedGrid ? &s.axisStyle.dottedGrid
                                         : nullptr;
}

template <typename S> auto colorIn(S &s, Setting setting) -> decltype(&s.isogainColor)
{
    switch (setting) {
    case Setting::AxisColor:
        return &s.axisStyle.axisColor;
    case Setting::IsogainColor:
        return &s.isogainColor;
    case Setting::IsophaseColor:
        return &s.isophaseColor;
    default:
        return nullptr;
    }
}

constexpr const char *GainMaxHelp[] = { "gain maxi en dB, {range} (défaut 40)" };
constexpr const char *GainMinHelp[] = { "gain mini en dB, {range} (défaut -30)" };
constexpr const char *GainStepHelp[]
    = { "intervalle de graduation du gain,", "0 < V < gain maxi / 2 (défaut 2)" };
constexpr const char *PhaseMinHelp[] = { "phase mini en degrés, {range} (défaut -260)" };
constexpr const char *PhaseStepHelp[]
    = { "intervalle de graduation de la phase,", "0 < V < |phase mini| / 2 (défaut 30)" };
constexpr const char *GridHelp[] = { "quadrillage au lieu des graduations" };
constexpr const char *DottedGridHelp[] = { "quadrillage pointillé (avec {grid})" };
constexpr const char *FontHelp[] = { "police des étiquettes (défaut MS Sans Serif)" };
constexpr const char *FontSizeHelp[] = { "taille en points, entier, {range} (défaut 8)" };
constexpr const char *AxisColorHelp[] = { "couleur des axes et graduations (défaut #000000)" };
constexpr const char *IsogainColorHelp[] = { "couleur des contours isogain" };
constexpr const char *IsophaseColorHelp[] = { "couleur des contours isophase" };

using K = SettingKind;
using H = HelpSection;

const std::array<SettingField, 14> Fields { {
    { Setting::GainMax, K::Number, "gain_max", "--gain-max", "V", H::Axes, GainMaxHelp,
        Entry::GainMax, false, "G max", nullptr, "gain maxi" },
    { Setting::GainMin, K::Number, "gain_min", "--gain-min", "V", H::Axes, GainMinHelp,
        Entry::GainMin, false, "G min", nullptr, "gain mini" },
    { Setting::GainStep, K::Number, "gain_step", "--gain-step", "V", H::Axes, GainStepHelp,
        Entry::GainStep, false, "intervalle",
        "0 < intervalle < G max / 2 = ", "intervalle de graduation du gain" },
    { Setting::PhaseMin, K::Number, "phase_min", "--phase-min", "V", H::Axes, PhaseMinHelp,
        Entry::PhaseMin, false, "phase min", nullptr, "phase mini" },
    { Setting::PhaseStep, K::Number, "phase_step", "--phase-step", "V", H::Axes, PhaseStepHelp,
        Entry::PhaseStep, false, "intervalle",
        "0 < intervalle < |phase min| / 2 = ", "intervalle de graduation de la phase" },
    { Setting::Grid, K::Switch, "grid", "--grid", "", H::Appearance, GridHelp, std::nullopt, false,
        nullptr, nullptr, "quadrillage" },
    { Setting::DottedGrid, K::Switch, "dotted_grid", "--dotted-grid", "", H::Appearance,
        DottedGridHelp, std::nullopt, false, nullptr, nullptr, "quadrillage pointillé" },
    { Setting::FontName, K::Text, "font", "--font", "POLICE", H::Appearance, FontHelp, std::nullopt,
        false, nullptr, nullptr, "police" },
    { Setting::FontSize, K::Number, "font_size", "--font-size", "N", H::Appearance, FontSizeHelp,
        Entry::FontSize, false, nullptr, nullptr, "taille de police" },
    { Setting::AxisColor, K::Colour, "axis_color", "--axis-color", "#RRGGBB", H::Appearance,
        AxisColorHelp, std::nullopt, false, nullptr, nullptr, "couleur des axes" },
    { Setting::IsogainColor, K::Colour, "isogain_color", "--isogain-color", "#RRGGBB",
        H::Appearance, IsogainColorHelp, std::nullopt, false, nullptr, nullptr,
        "couleur des isogains" },
    { Setting::IsophaseColor, K::Colour, "isophase_color", "--isophase-color", "#RRGGBB",
        H::Appearance, IsophaseColorHelp, std::nullopt, false, nullptr, nullptr,
        "couleur des isophases" },
    { Setting::BitmapWidth, K::Number, "bitmap_width", nullptr, "", H::None, {}, Entry::BitmapWidth,
        true, nullptr, nullptr, "largeur du bitmap" },
    { Setting::BitmapHeight, K::Number, "bitmap_height", nullptr, "", H::None, {},
        Entry::BitmapHeight, true, nullptr, nullptr, "hauteur du bitmap" },
} };

} // namespace

SettingValue SettingField::get(const ChartSettings &settings) const
{
    const ChartSettings &s = settings;
    if (const double *v = numberIn(s, setting))
        return *v;
    if (const int *v = wholeNumberIn(s, setting))
        return static_cast<double>(*v);
    if (const bool *v = switchIn(s, setting))
        return *v;
    if (const Color *v = colorIn(s, setting))
        return *v;
    return s.axisStyle.fontName;
}

void SettingField::set(ChartSettings &settings, const SettingValue &value) const
{
    if (double *v = numberIn(settings, setting))
        *v = std::get<double>(value);
    else if (int *v = wholeNumberIn(settings, setting))
        *v = static_cast<int>(std::get<double>(value));
    else if (bool *v = switchIn(settings, setting))
        *v = std::get<bool>(value);
    else if (Color *v = colorIn(settings, setting))
        *v = std::get<Color>(value);
    else
        settings.axisStyle.fontName = std::get<std::string>(value);
}

std::span<const SettingField> SettingFields()
{
    return Fields;
}

const SettingField &FieldOf(Setting setting)
{
    return Fields[static_cast<std::size_t>(setting)];
}

ChartSettings WidestExtents(const ChartSettings &settings)
{
    ChartSettings widest = settings;
    widest.gainMax = RangeOf(Entry::GainMax, settings).high;
    widest.phaseMin = RangeOf(Entry::PhaseMin, settings).low;
    return widest;
}

std::string ColorText(Color color)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", RedOf(color), GreenOf(color), BlueOf(color));
    return text;
}

} // namespace velmora
