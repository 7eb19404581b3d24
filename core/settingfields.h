// core/settingfields.h — the chart settings described once: session key, command-line option,
// limits and member of each (core layer)
#pragma once

#include "core/chartsettings.h"

#include <span>
#include <string>
#include <variant>

namespace velmora {

// Every setting a session saves and a user changes.
enum class Setting {
    GainMax,
    GainMin,
    GainStep,
    PhaseMin,
    PhaseStep,
    Grid,
    DottedGrid,
    FontName,
    FontSize,
    AxisColor,
    IsogainColor,
    IsophaseColor,
    BitmapWidth,
    BitmapHeight,
};

// A number (dB, degrees, points, pixels), a switch, a text or a colour.
enum class SettingKind { Number, Switch, Text, Colour };
using SettingValue = std::variant<double, bool, std::string, Color>;

// Where the option is described in velmora-render's help.
enum class HelpSection { None, Axes, Appearance };

struct SettingField {
    Setting setting;
    SettingKind kind;
    const char *sessionKey; // in the session's "settings" object
    // The command-line option; nullptr when the command line does not set it. A switch's option
    // is a flag that turns the setting on.
    const char *option;
    const char *optionValue; // what the help writes after the option: "V", "N", "#RRGGBB"
    HelpSection section;
    // The help's description, one string per line; "{range}" stands for the accepted range.
    std::span<const char *const> help;
    // The limits, for numbers.
    std::optional<Entry> entry;
    // Kept as a whole number of pixels: a session must give one, the bitmap-size dialog drops the
    // fraction of what is typed.
    bool wholePixels;
    const char *name; // the number in a refusal, "G max" ("il faut 0 < G max <= 100")
    // A step's limit written out, as a refusal explains it: "0 < intervalle < G max / 2 = ".
    const char *limitText;
    const char *change; // what a change of it is called, in French: "gain maxi"

    SettingValue get(const ChartSettings &settings) const;
    void set(ChartSettings &settings, const SettingValue &value) const;
};

// One row a setting, in the order a session writes them.
std::span<const SettingField> SettingFields();
const SettingField &FieldOf(Setting setting);

// The limits of a step are held only to what the widest extents allow when a saved session is
// read: the windows test a step against the extents of the moment and keep it when the extents
// change later, so a saved step may exceed the extents saved beside it.
ChartSettings WidestExtents(const ChartSettings &settings);

// "#RRGGBB", upper-case hexadecimal digits.
std::string ColorText(Color color);

} // namespace velmora
