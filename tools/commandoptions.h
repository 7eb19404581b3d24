// tools/commandoptions.h — velmora-render's options described once: name, value, help (tools
// layer)
#pragma once

#include "core/settingfields.h"

#include <optional>
#include <span>
#include <string>

namespace velmora {

// The options that are not settings of the chart (those are rows of the table of settings).
enum class Option {
    Output,
    Profile,
    Plot,
    Width,
    Height,
    Session,
    Isogains,
    Isophases,
    Loop,
    LoopCsv,
    LoopHz,
    LoopColor,
    LoopGainDb,
    OmegaMin,
    OmegaMax,
    Markers,
    Report,
    ReportJson,
    LoopName,
    Legend,
    SensitivityContour,
    ViewPhase,
    ViewGain,
    Scale,
    LoopCompensator,
    Tune,
    Help,
};

// Where an option is described in the help, in this order.
enum class OptionSection { Output, Session, Axes, Contours, Loops, Appearance, End };

struct CommandOption {
    Option option;
    const char *name; // "--output"
    const char *shortName; // "-o", or nullptr
    const char *value; // what follows it in the help, "FICHIER"; empty for a flag
    OptionSection section;
    // The help, a string a line; "{range}" and "{NAME}" (the option --NAME) are filled in.
    // Empty: the option shares the line of the one before it.
    std::span<const char *const> help;
    bool setsSession; // a session stands for it: given before --session it would be replaced
};

std::span<const CommandOption> CommandOptions();
const CommandOption &OptionOf(Option option);

// The option's name as given on the command line: "--loop".
std::string OptionName(Option option);

// The setting's row whose option this is ("--gain-max"), if any.
const SettingField *SettingOption(const std::string &name);

// Fills "{NAME}" with "--NAME" where that is an option, and "{range}" with `range`.
std::string FilledHelp(std::string text, const std::string &range = {});

} // namespace velmora
