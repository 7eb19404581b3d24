// core/chartsettings.cpp — defaults and entry tests of the chart settings (core layer)
#include "core/chartsettings.h"

#include "core/foncbase.h"

#include <cmath>

namespace velmora {

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
    std::vector<double> values(texts.size() + 1, 0.0);
    for (std::size_t i = 0; i < texts.size(); ++i)
        values[i + 1] = TextToReal(texts[i]);
    return values;
}

ChartSettings DefaultChartSettings()
{
    ChartSettings settings;
    settings.IsogainValues = ValuesFromTexts(DefaultIsogainTexts());
    settings.IsophaseValues = ValuesFromTexts(DefaultIsophaseTexts());
    return settings;
}

bool GainMaxAccepted(double v)
{
    return 0 < v && v <= 100;
}
bool GainMinAccepted(double v)
{
    return -100 < v && v < 0;
}
bool PhaseMinAccepted(double v)
{
    return -360 <= v && v <= -180;
}
bool GainStepAccepted(double v, double gainMax)
{
    return 0 < v && v < gainMax / 2;
}
bool PhaseStepAccepted(double v, double phaseMin)
{
    return 0 < v && v < std::fabs(phaseMin) / 2;
}
bool IsogainValueAccepted(double v)
{
    return -100 < v && v < 100;
}
bool IsophaseValueAccepted(double v)
{
    return -360 < v && v < -1;
}
bool BitmapWidthAccepted(double v)
{
    return 399 < v && v < 601;
}
bool BitmapHeightAccepted(double v)
{
    return 599 < v && v < 951;
}

} // namespace velmora
