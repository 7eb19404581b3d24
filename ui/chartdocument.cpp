// ui/chartdocument.cpp — the one chart document (ui layer)
#include "ui/chartdocument.h"

namespace velmora {

namespace {

QStringList toStringList(const std::vector<std::string> &texts)
{
    QStringList list;
    for (const std::string &text : texts)
        list << QString::fromStdString(text);
    return list;
}

} // namespace

ChartDocument::ChartDocument(QObject *parent)
    : QObject(parent)
    , m_settings(DefaultChartSettings())
    , m_isogainTexts(toStringList(DefaultIsogainTexts()))
    , m_isophaseTexts(toStringList(DefaultIsophaseTexts()))
{
}

const QStringList &ChartDocument::texts(ValueList list) const
{
    return list == ValueList::Isogain ? m_isogainTexts : m_isophaseTexts;
}

const std::vector<double> &ChartDocument::values(ValueList list) const
{
    return list == ValueList::Isogain ? m_settings.isogainValues : m_settings.isophaseValues;
}

template <typename T> void ChartDocument::set(T &field, T value)
{
    field = std::move(value);
    emit chartChanged();
}

void ChartDocument::setGainMax(double dB)
{
    set(m_settings.gainMax, dB);
}

void ChartDocument::setGainMin(double dB)
{
    set(m_settings.gainMin, dB);
}

void ChartDocument::setGainStep(double dB)
{
    set(m_settings.gainStep, dB);
}

void ChartDocument::setPhaseMin(double degrees)
{
    set(m_settings.phaseMin, degrees);
}

void ChartDocument::setPhaseStep(double degrees)
{
    set(m_settings.phaseStep, degrees);
}

void ChartDocument::setAxisColor(Color color)
{
    set(m_settings.axisStyle.axisColor, color);
}

void ChartDocument::setIsogainColor(Color color)
{
    set(m_settings.isogainColor, color);
}

void ChartDocument::setIsophaseColor(Color color)
{
    set(m_settings.isophaseColor, color);
}

void ChartDocument::setFont(const std::string &face, int points)
{
    m_settings.axisStyle.fontName = face;
    set(m_settings.axisStyle.fontSize, points);
}

void ChartDocument::setGrid(bool grid)
{
    set(m_settings.axisStyle.grid, grid);
}

void ChartDocument::setDottedGrid(bool dotted)
{
    set(m_settings.axisStyle.dottedGrid, dotted);
}

void ChartDocument::setValues(ValueList list, std::vector<double> values)
{
    set(list == ValueList::Isogain ? m_settings.isogainValues : m_settings.isophaseValues,
        std::move(values));
}

void ChartDocument::setTexts(ValueList list, const QStringList &texts)
{
    (list == ValueList::Isogain ? m_isogainTexts : m_isophaseTexts) = texts;
    emit textsChanged(list);
}

void ChartDocument::setBitmapSize(int width, int height)
{
    m_settings.bitmapWidth = width;
    m_settings.bitmapHeight = height;
    emit bitmapSizeChanged();
}

} // namespace velmora
