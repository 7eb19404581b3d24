// session/sessionview.cpp — what a session keeps of the windows and of the chart's view (session
// layer, Qt Core)
#include "session/sessionview.h"

#include "core/numbertext.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace velmora {

namespace {

// The keys, each written here once.
namespace Key {
constexpr const char *Windows = "windows";
constexpr const char *Chart = "chart";
constexpr const char *LoopsWindow = "loops";
constexpr const char *MarginsWindow = "margins";
constexpr const char *ResponseWindow = "response";
constexpr const char *Legend = "legend";
constexpr const char *SensitivityContour = "sensitivity_contour";
constexpr const char *View = "view";
constexpr const char *ViewPhase = "phase";
constexpr const char *ViewGain = "gain";
} // namespace Key

// The legend's kinds as a session writes them, in the order of LegendKind.
constexpr const char *LegendNames[] = { "none", "names", "margins" };

WindowLayout readWindows(const JsonReader &r)
{
    WindowLayout layout;
    if (r.has(Key::Chart)) {
        const QJsonArray chart = r.array(Key::Chart);
        std::array<int, 4> geometry {};
        const bool whole
            = chart.size() == 4 && std::all_of(chart.begin(), chart.end(), [](const QJsonValue &v) {
                  return v.isDouble() && v.toDouble() == std::floor(v.toDouble())
                      && std::fabs(v.toDouble()) < 100000;
              });
        if (!whole)
            RefuseKey(
                r.name(Key::Chart), QStringLiteral("doit être [x, y, largeur, hauteur] en pixels"));
        for (int i = 0; i < 4; ++i)
            geometry[static_cast<std::size_t>(i)] = chart[i].toInt();
        layout.chart = geometry;
    }
    layout.loops = r.boolean(Key::LoopsWindow, false);
    layout.margins = r.boolean(Key::MarginsWindow, false);
    layout.response = r.boolean(Key::ResponseWindow, false);
    return layout;
}

LegendKind readLegend(const JsonReader &r)
{
    const QString text = r.text(Key::Legend, QLatin1String(LegendNames[1]));
    for (std::size_t i = 0; i < std::size(LegendNames); ++i)
        if (text == QLatin1String(LegendNames[i]))
            return static_cast<LegendKind>(i);
    RefuseKey(r.name(Key::Legend), QStringLiteral("doit être « none », « names » ou « margins »"));
}

// [low, high] within [min, max], low < high.
std::pair<double, double> readInterval(
    const JsonReader &r, const char *key, double min, double max, const char *unit)
{
    const QJsonArray pair = r.array(key);
    const bool numbers = pair.size() == 2 && pair[0].isDouble() && pair[1].isDouble();
    const double low = numbers ? pair[0].toDouble() : 0;
    const double high = numbers ? pair[1].toDouble() : 0;
    if (!numbers || !(low < high) || low < min || high > max)
        RefuseKey(r.name(key),
            QStringLiteral("doit être [début, fin] en %1, début < fin, de %2 à %3")
                .arg(QLatin1String(unit), QString::fromStdString(PlainDecimal(min)),
                    QString::fromStdString(PlainDecimal(max))));
    return { low, high };
}

ViewExtents readView(const JsonReader &r, const ChartSettings &settings)
{
    ViewExtents view;
    std::tie(view.phaseMin, view.phaseMax)
        = readInterval(r, Key::ViewPhase, settings.phaseMin, settings.phaseMax, "degrés");
    std::tie(view.gainMin, view.gainMax)
        = readInterval(r, Key::ViewGain, settings.gainMin, settings.gainMax, "dB");
    return view;
}

QJsonObject windowsObject(const WindowLayout &layout)
{
    QJsonObject object;
    if (layout.chart) {
        QJsonArray chart;
        for (const int v : *layout.chart)
            chart.append(v);
        object[QLatin1String(Key::Chart)] = chart;
    }
    object[QLatin1String(Key::LoopsWindow)] = layout.loops;
    object[QLatin1String(Key::MarginsWindow)] = layout.margins;
    object[QLatin1String(Key::ResponseWindow)] = layout.response;
    return object;
}

} // namespace

void ReadViewKeys(const JsonReader &root, Session &session)
{
    if (root.has(Key::Windows))
        session.windows
            = readWindows(JsonReader(root.object(Key::Windows), QLatin1String(Key::Windows) + '.'));
    session.legend = readLegend(root);
    session.showSensitivity = root.boolean(Key::SensitivityContour, false);
    if (root.has(Key::View))
        session.view = readView(
            JsonReader(root.object(Key::View), QLatin1String(Key::View) + '.'), session.settings);
}

void WriteViewKeys(const Session &session, QJsonObject &root)
{
    if (session.windows)
        root[QLatin1String(Key::Windows)] = windowsObject(*session.windows);
    root[QLatin1String(Key::Legend)]
        = QLatin1String(LegendNames[static_cast<std::size_t>(session.legend)]);
    root[QLatin1String(Key::SensitivityContour)] = session.showSensitivity;
    if (session.view)
        root[QLatin1String(Key::View)] = QJsonObject {
            { QLatin1String(Key::ViewPhase),
                QJsonArray { session.view->phaseMin, session.view->phaseMax } },
            { QLatin1String(Key::ViewGain),
                QJsonArray { session.view->gainMin, session.view->gainMax } },
        };
}

} // namespace velmora
