// tools/givenoptions.h — the options as given on the command line, and their values read and
// checked, each refusal in French naming the option (tools layer)
#pragma once

#include "core/chartsettings.h"
#include "tools/commandoptions.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace velmora {

// The options as given, in order: each value option with its value, each flag with none.
struct Given {
    struct Item {
        std::string name;
        std::string value;
    };
    std::vector<Item> items;

    bool has(const std::string &name) const
    {
        return std::any_of(
            items.begin(), items.end(), [&](const Item &o) { return o.name == name; });
    }
    bool has(Option option) const { return has(OptionName(option)); }
    // The last value of an option given once or more.
    const std::string &last(const std::string &name) const
    {
        const auto found = std::find_if(
            items.rbegin(), items.rend(), [&](const Item &o) { return o.name == name; });
        return found->value;
    }
    const std::string &last(Option option) const { return last(OptionName(option)); }
    std::vector<std::string> all(Option option) const
    {
        std::vector<std::string> found;
        for (const Item &item : items)
            if (item.name == OptionName(option))
                found.push_back(item.value);
        return found;
    }
    // The options that follow the first one of this name (all of them when it is not given).
    Given after(Option option) const
    {
        const auto found = std::find_if(items.begin(), items.end(),
            [&](const Item &o) { return o.name == OptionName(option); });
        return Given { { found == items.end() ? items.begin() : found + 1, items.end() } };
    }
};

// Reads the arguments into the options as given; `help` when -h or --help is among them.
// Throws UsageError for an unknown option, a flag given a value, a value missing.
Given GatherOptions(const std::vector<std::string> &arguments, bool &help);

// "« text »".
std::string InGuillemets(const std::string &text);

// A number in the strict grammar of number text, or UsageError.
double OptionNumber(const std::string &option, const std::string &text);

// A number that passes `accepted`, or UsageError saying "il faut " + `range`.
double AcceptedNumber(const std::string &option, const std::string &text,
    const std::function<bool(double)> &accepted, const std::string &range);

// A number within the entry's limits, named `name` in the refusal.
double EntryNumber(const std::string &option, const std::string &text, Entry which,
    const ChartSettings &current, const std::string &name);

// The items of a comma-separated list; none for an empty text.
std::vector<std::string> CommaSeparated(const std::string &text);

// "#RRGGBB", or UsageError.
Color OptionColor(const std::string &option, const std::string &text);

// A finite frequency > 0 (rad/s), or UsageError.
double PositiveFrequency(const std::string &option, const std::string &text);

} // namespace velmora
