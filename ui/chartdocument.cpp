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

bool ChartDocument::addLoop(DocumentLoop loop)
{
    if (m_loops.size() >= MaxDocumentLoops)
        return false;
    loop.id = ++m_lastLoopId;
    m_loops.push_back(std::move(loop));
    m_analyses.emplace_back();
    emit loopsChanged();
    return true;
}

void ChartDocument::replaceLoop(std::size_t index, DocumentLoop loop)
{
    DocumentLoop &kept = m_loops.at(index);
    loop.color = kept.color;
    loop.gainDb = kept.gainDb;
    loop.visible = kept.visible;
    loop.id = kept.id;
    kept = std::move(loop);
    loopChanged(index);
}

std::optional<std::size_t> ChartDocument::indexOfLoop(std::uint64_t id) const
{
    for (std::size_t i = 0; i < m_loops.size(); ++i)
        if (m_loops[i].id == id)
            return i;
    return std::nullopt;
}

void ChartDocument::removeLoop(std::size_t index)
{
    m_loops.erase(m_loops.begin() + static_cast<std::ptrdiff_t>(index));
    m_analyses.erase(m_analyses.begin() + static_cast<std::ptrdiff_t>(index));
    emit loopsChanged();
}

void ChartDocument::setLoopGain(std::size_t index, double gainDb)
{
    m_loops.at(index).gainDb = gainDb;
    loopChanged(index);
}

void ChartDocument::setLoopColor(std::size_t index, Color color)
{
    m_loops.at(index).color = color;
    emit loopsChanged(); // the analysis stays
}

void ChartDocument::setLoopVisible(std::size_t index, bool visible)
{
    m_loops.at(index).visible = visible;
    emit loopsChanged();
}

void ChartDocument::loopChanged(std::size_t index)
{
    m_analyses.at(index).analysis.reset();
    emit loopsChanged();
}

const LoopAnalysis &ChartDocument::analysis(std::size_t index) const
{
    CachedAnalysis &cached = m_analyses.at(index);
    const ChartSettings &s = m_settings;
    if (!cached.analysis || cached.gainMin != s.gainMin || cached.gainMax != s.gainMax
        || cached.phaseMin != s.phaseMin || cached.phaseMax != s.phaseMax) {
        cached.analysis = m_loops.at(index).analyse(s);
        cached.gainMin = s.gainMin;
        cached.gainMax = s.gainMax;
        cached.phaseMin = s.phaseMin;
        cached.phaseMax = s.phaseMax;
    }
    return *cached.analysis;
}

std::vector<DrawnLoop> ChartDocument::visibleLoops() const
{
    std::vector<DrawnLoop> drawn;
    for (std::size_t i = 0; i < m_loops.size(); ++i)
        if (m_loops[i].visible)
            drawn.push_back({ analysis(i), m_loops[i].color });
    return drawn;
}

void ChartDocument::replace(const ChartSettings &settings, const QStringList &isogainTexts,
    const QStringList &isophaseTexts, std::vector<DocumentLoop> loops)
{
    m_settings = settings;
    m_isogainTexts = isogainTexts;
    m_isophaseTexts = isophaseTexts;
    m_loops = std::move(loops);
    for (DocumentLoop &loop : m_loops)
        loop.id = ++m_lastLoopId;
    m_analyses.assign(m_loops.size(), {});
    emit replaced();
}

} // namespace velmora
