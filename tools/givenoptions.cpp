// tools/givenoptions.cpp — the options as given and their values read (tools layer)
#include "tools/givenoptions.h"

#include "core/floatingpointerror.h"
#include "core/numbertext.h"
#include "tools/commandline.h"

#include <cmath>
#include <optional>

namespace velmora {

namespace {

// The option a name stands for, its short name included; whether it takes a value.
struct Known {
    std::string name; // the long name
    bool takesValue;
};

std::optional<Known> known(const std::string &name)
{
    for (const CommandOption &option : CommandOptions())
        if (name == option.name || (option.shortName && name == option.shortName))
            return Known { option.name, *option.value != '\0' };
    if (const SettingField *field = SettingOption(name))
        return Known { name, field->kind != SettingKind::Switch };
    return std::nullopt;
}

} // namespace

Given GatherOptions(const std::vector<std::string> &arguments, bool &help)
{
    Given given;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> value;
        if (const std::size_t equals = name.find('=');
            name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        const std::optional<Known> option = known(name);
        if (!option) {
            if (name.rfind("-", 0) == 0 && name.size() > 1)
                throw UsageError("option inconnue " + InGuillemets(name));
            throw UsageError("argument inattendu " + InGuillemets(name));
        }
        if (option->name == OptionName(Option::Help)) {
            help = true;
            return given;
        }
        if (!option->takesValue) {
            if (value)
                throw UsageError(name + " ne prend pas de valeur");
            given.items.push_back({ option->name, {} });
            continue;
        }
        if (!value) {
            if (i + 1 >= arguments.size())
                throw UsageError(name + " : valeur manquante");
            value = arguments[++i];
        }
        given.items.push_back({ option->name, *value });
    }
    return given;
}

std::string InGuillemets(const std::string &text)
{
    return "« " + text + " »";
}

double OptionNumber(const std::string &option, const std::string &text)
{
    try {
        if (const std::optional<double> v = StrictTextToReal(text))
            return *v;
    } catch (const FloatingPointError &error) {
        throw UsageError(option + " : " + InGuillemets(text) + " : " + error.what());
    }
    throw UsageError(option + " : " + InGuillemets(text) + " n'est pas un nombre");
}

double AcceptedNumber(const std::string &option, const std::string &text,
    const std::function<bool(double)> &accepted, const std::string &range)
{
    const double v = OptionNumber(option, text);
    if (!accepted(v))
        throw UsageError(
            option + " : valeur refusée " + InGuillemets(text) + " : il faut " + range);
    return v;
}

double EntryNumber(const std::string &option, const std::string &text, Entry which,
    const ChartSettings &current, const std::string &name)
{
    const EntryRange range = RangeOf(which, current);
    return AcceptedNumber(
        option, text, [&](double v) { return range.contains(v); }, range.describe(name));
}

std::vector<std::string> CommaSeparated(const std::string &text)
{
    std::vector<std::string> items;
    if (text.empty())
        return items;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        items.push_back(
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return items;
        start = comma + 1;
    }
}

Color OptionColor(const std::string &option, const std::string &text)
{
    const std::optional<Color> rgb = ColorFromText(text);
    if (!rgb)
        throw UsageError(
            option + " : " + InGuillemets(text) + " : couleur attendue sous la forme #RRGGBB");
    return *rgb;
}

double PositiveFrequency(const std::string &option, const std::string &text)
{
    return AcceptedNumber(
        option, text, [](double v) { return v > 0 && std::isfinite(v); }, "une fréquence > 0");
}

} // namespace velmora
