// ui/chartdocument.h — the one chart document: settings, contour value lists (ui layer)
#pragma once

#include "core/chartsettings.h"
#include "plot/locus.h"
#include "ui/documentloop.h"

#include <QObject>
#include <QStringList>

#include <optional>
#include <vector>

namespace velmora {

// The two lists of contour values.
enum class ValueList { Isogain, Isophase };

// The most loops a document holds.
constexpr std::size_t MaxDocumentLoops = 8;

// Everything the program edits and draws. The windows change it through its setters; each setter
// says what changed by its signal, and the views follow. The value lists are kept twice: the
// texts as the user typed them (the list rows), and the values last read from them, which are
// what the chart draws.
class ChartDocument : public QObject {
    Q_OBJECT
public:
    // The defaults and the default lists.
    explicit ChartDocument(QObject *parent = nullptr);

    const ChartSettings &settings() const { return m_settings; }

    const QStringList &texts(ValueList list) const;
    const std::vector<double> &values(ValueList list) const;

    // Each of these stores the value as given (the windows test entries first) and emits
    // chartChanged(), even when the value is the one already stored: the chart is drawn again.
    void setGainMax(double dB);
    void setGainMin(double dB);
    void setGainStep(double dB);
    void setPhaseMin(double degrees);
    void setPhaseStep(double degrees);
    void setAxisColor(Color color);
    void setIsogainColor(Color color);
    void setIsophaseColor(Color color);
    void setFont(const std::string &face, int points);
    void setGrid(bool grid);
    void setDottedGrid(bool dotted);
    void setValues(ValueList list, std::vector<double> values);

    // The texts of a list's rows: nothing is drawn from them until their values are read.
    void setTexts(ValueList list, const QStringList &texts);

    // The size of the next clipboard image; the chart window's is not concerned.
    void setBitmapSize(int width, int height);

    // The loops, in order; each change emits loopsChanged().
    const std::vector<DocumentLoop> &loops() const { return m_loops; }
    // False, and nothing added, when the document holds MaxDocumentLoops already.
    bool addLoop(DocumentLoop loop);
    // Replaces what the loop is (expression or data), keeping its colour, gain and visibility.
    void replaceLoop(std::size_t index, DocumentLoop loop);
    void removeLoop(std::size_t index);
    void setLoopGain(std::size_t index, double gainDb);
    void setLoopColor(std::size_t index, Color color);
    void setLoopVisible(std::size_t index, bool visible);
    // The index of the loop of that id, if it is still in the document.
    std::optional<std::size_t> indexOfLoop(std::uint64_t id) const;

    // A loop analysed at its gain for the chart as it stands; kept until the loop or the chart's
    // extents change, so that the chart window and the margins window share the work.
    const LoopAnalysis &analysis(std::size_t index) const;

    // The visible loops, analysed, as the chart draws them.
    std::vector<DrawnLoop> visibleLoops() const;

    // Everything at once, from a session: settings, value lists (texts and their values) and
    // loops; emits replaced().
    void replace(const ChartSettings &settings, const QStringList &isogainTexts,
        const QStringList &isophaseTexts, std::vector<DocumentLoop> loops);

signals:
    // Anything the chart is drawn from, but the loops.
    void chartChanged();
    void textsChanged(ValueList list);
    void bitmapSizeChanged();
    void loopsChanged();
    // The whole document was replaced: every view shows it anew.
    void replaced();

private:
    template <typename T> void set(T &field, T value);
    void loopChanged(std::size_t index);

    ChartSettings m_settings;
    QStringList m_isogainTexts;
    QStringList m_isophaseTexts;
    std::vector<DocumentLoop> m_loops;
    std::uint64_t m_lastLoopId = 0;
    // The analyses, with the extents each was sampled for.
    struct CachedAnalysis {
        std::optional<LoopAnalysis> analysis;
        double gainMin = 0, gainMax = 0, phaseMin = 0, phaseMax = 0;
    };
    mutable std::vector<CachedAnalysis> m_analyses;
};

} // namespace velmora
