// ui/chartdocument.h — the one chart document: a session, its loops loaded and analysed, and
// every change to it an undoable command (ui layer)
#pragma once

#include "core/loopresponse.h"
#include "core/sessionmodel.h"
#include "core/settingfields.h"
#include "plot/chartscene.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUndoStack>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace velmora {

// The two lists of contour values.
enum class ValueList { Isogain, Isophase };

// What the document keeps of a loop beside its spec: a lasting id (what a view holds on to
// while the list changes) and what the spec was loaded into.
struct DocumentLoop {
    std::uint64_t id = 0;
    LoadedLoop loaded;

    bool operator==(const DocumentLoop &) const = default;
};

// What a design sets on a loop at once: its compensator, its gain and its target.
struct LoopDesign {
    Compensator compensator;
    double gainDb = 0;
    std::optional<LoopTarget> target;
};

// Everything an undo step restores.
struct DocumentState {
    Session session;
    std::vector<DocumentLoop> loops; // one a loop of the session, in its order
    // The value captions written as typed, by setting (the main window shows the answer as the
    // user typed it until the document is replaced).
    std::map<Setting, QString> typedTexts;

    bool operator==(const DocumentState &) const = default;
};

// Everything the program edits and draws. The windows change it through its edits, each one a
// command on the undo stack named for what it changes ("gain de la boucle 1"); each says what
// changed by its signals, and the views follow. The value lists are kept twice: the texts as the
// user typed them (the list rows), and the values last read from them, which are what the chart
// draws.
class ChartDocument : public QObject {
    Q_OBJECT
public:
    explicit ChartDocument(QObject *parent = nullptr);

    const Session &session() const { return m_state.session; }
    const ChartSettings &settings() const { return m_state.session.settings; }
    QStringList texts(ValueList list) const;
    const std::vector<double> &values(ValueList list) const;
    std::optional<QString> typedText(Setting setting) const;

    // Stores the value (the windows test entries first) as one undoable change, with the text
    // the user typed for its caption; emits chartChanged() (or bitmapSizeChanged()) even when
    // the value is the one already stored: the chart is drawn again.
    void setSetting(Setting setting, const SettingValue &value,
        const std::optional<QString> &typed = std::nullopt);
    // Face and size, one change.
    void setFont(const std::string &face, int points);
    void setValues(ValueList list, std::vector<double> values);
    // The texts of a list's rows: nothing is drawn from them until their values are read.
    void setTexts(ValueList list, const QStringList &texts);
    // A row added or deleted: texts and values at once. `quietly`: without a signal, for the
    // values read before a reading failed, which stay undrawn.
    void setList(
        ValueList list, const QStringList &texts, std::vector<double> values, bool quietly = false);

    // The loops, in order.
    const std::vector<LoopSpec> &loops() const { return m_state.session.loops; }
    std::uint64_t loopId(std::size_t index) const { return m_state.loops.at(index).id; }
    std::optional<std::size_t> indexOfLoop(std::uint64_t id) const;
    // What the loop's spec was loaded into: its plant and the loop with its compensator.
    const LoadedLoop &loaded(std::size_t index) const { return m_state.loops.at(index).loaded; }
    // False, and nothing added, when the document holds MaxLoops already.
    bool addLoop(LoopSpec spec, LoadedLoop loaded);
    // Replaces what the loop is (expression or data), keeping its colour, gain, visibility, name.
    void replaceLoop(std::size_t index, const LoopSpec &source, LoadedLoop loaded);
    void removeLoop(std::size_t index);
    void setLoopGain(std::size_t index, double gainDb);
    void setLoopColor(std::size_t index, Color color);
    void setLoopVisible(std::size_t index, bool visible);
    // The name the legend shows; empty for the default name.
    void setLoopName(std::size_t index, const std::string &name);

    // The loop's compensator: the loop is loaded again with it, its plant as loaded (a data
    // file is not read again). Throws CompensatorError or ExpressionError, and nothing changes,
    // when it cannot be used. Changes of one nonzero `mergeKey` that follow one another (the
    // keystrokes typed into one parameter) are one step.
    void setLoopCompensator(std::size_t index, const Compensator &compensator, int mergeKey = 0);
    // A design applied as one step named `what` ("réglage de la boucle 1"); throws as above.
    void setLoopDesign(std::size_t index, const LoopDesign &design, const QString &what);
    // The target drawn for the loop; none clears it.
    void setLoopTarget(std::size_t index, const std::optional<LoopTarget> &target);

    // What the legend shows, and whether the sensitivity contours are drawn: undoable changes
    // of the chart.
    void setLegend(LegendKind kind);
    void setShowSensitivity(bool show);
    // The part of the chart shown (none: the whole chart). Not an undo step and not a change to
    // save for: undo and redo keep it, a session opened brings its own. Emits viewChanged() when
    // it differs.
    void setView(const std::optional<ViewExtents> &view);

    // The changes made between these two calls (a drag of a locus, one movement of a slider)
    // are one undo step.
    void beginGesture();
    void endGesture();

    // A loop analysed at its gain for the chart as it stands; kept until the loop or the
    // chart's extents change, so that the views share the work.
    std::shared_ptr<const LoopAnalysis> analysis(std::size_t index) const;
    // The closed loop of a loop at its gain, its step response and |T| and |S|; kept with the
    // loop's analysis, which it follows.
    std::shared_ptr<const LoopResponse> response(std::size_t index) const;
    // The settings and the visible loops, analysed, as every chart of the document draws them.
    ChartScene scene() const;

    // Everything at once, from a session read from `path`: the undo stack is cleared and the
    // document is as saved. `loaded` holds one entry a loop of the session.
    void replace(Session session, std::vector<LoadedLoop> loaded, const QString &path);
    // The session file in use, empty when none was opened or saved.
    const QString &filePath() const { return m_filePath; }
    // The document was saved to `path` as it stands.
    void markSaved(const QString &path);
    // Whether it differs from what was last opened or saved.
    bool isModified() const { return !m_undo.isClean(); }

    QUndoStack &undoStack() { return m_undo; }

signals:
    // Anything the chart is drawn from, but the loops.
    void chartChanged();
    void textsChanged(ValueList list);
    void bitmapSizeChanged();
    void loopsChanged();
    void viewChanged();
    // The whole document was replaced: every view shows it anew.
    void replaced();
    void modifiedChanged(bool modified);
    void filePathChanged();

private:
    friend class DocumentCommand;
    // Pushes the change from the state as it stands to `after`, named `what`; a change of the
    // same nonzero merge key as the step before it joins that step. Changes within a gesture take
    // the gesture's key.
    void change(const QString &what, const DocumentState &after, int mergeKey = 0);
    // Puts a state in place and says what differs; `announce` false says nothing.
    void restore(const DocumentState &next, bool announce = true);
    std::uint64_t newLoopId() { return ++m_lastLoopId; }
    QString loopName(std::size_t index) const;
    SceneLoop sceneLoop(std::size_t index) const;
    // The state with the loop's compensator replaced, and the loop loaded again with it.
    DocumentState withCompensator(std::size_t index, const Compensator &compensator) const;

    DocumentState m_state;
    QUndoStack m_undo;
    QString m_filePath;
    std::uint64_t m_lastLoopId = 0;
    int m_gesture = 0; // the serial of the gesture under way, 0 for none
    int m_lastGesture = 0;
    bool m_forceSignals = false; // the change being pushed announces itself even when unchanged
    struct CachedAnalysis {
        LoadedLoop loaded;
        double gainDb = 0;
        double gainMin = 0, gainMax = 0, phaseMin = 0, phaseMax = 0;
        std::shared_ptr<const LoopAnalysis> analysis;
        std::shared_ptr<const LoopResponse> response; // of that analysis, once asked for
    };
    mutable std::map<std::uint64_t, CachedAnalysis> m_analyses;
};

} // namespace velmora
