// ui/chartdocument.cpp — the one chart document and its undoable changes (ui layer)
#include "ui/chartdocument.h"

#include <algorithm>

namespace velmora {

namespace {

QStringList toStringList(const std::vector<std::string> &texts)
{
    QStringList list;
    for (const std::string &text : texts)
        list << QString::fromStdString(text);
    return list;
}

std::vector<std::string> toStrings(const QStringList &texts)
{
    std::vector<std::string> strings;
    strings.reserve(static_cast<std::size_t>(texts.size()));
    for (const QString &text : texts)
        strings.push_back(text.toStdString());
    return strings;
}

std::vector<std::string> &textsIn(Session &session, ValueList list)
{
    return list == ValueList::Isogain ? session.isogainTexts : session.isophaseTexts;
}

std::vector<double> &valuesIn(Session &session, ValueList list)
{
    return list == ValueList::Isogain ? session.settings.isogainValues
                                      : session.settings.isophaseValues;
}

QString listName(ValueList list)
{
    return list == ValueList::Isogain ? QStringLiteral("isogains") : QStringLiteral("isophases");
}

// The settings but the bitmap size, which the chart window does not draw with.
bool sameChart(const ChartSettings &a, const ChartSettings &b)
{
    ChartSettings aligned = b;
    aligned.bitmapWidth = a.bitmapWidth;
    aligned.bitmapHeight = a.bitmapHeight;
    return a == aligned;
}

// The captions typed for what the chart window draws: the bitmap size's are not.
std::map<Setting, QString> chartTexts(std::map<Setting, QString> typed)
{
    typed.erase(Setting::BitmapWidth);
    typed.erase(Setting::BitmapHeight);
    return typed;
}

} // namespace

// One change of the document: the state before and after it. Changes of the same merge key and
// name that follow one another (a gesture, the keystrokes typed into one list) merge into one
// step; one that ends where it began leaves no step.
class DocumentCommand : public QUndoCommand {
public:
    DocumentCommand(ChartDocument &document, const QString &text, DocumentState before,
        DocumentState after, int mergeKey)
        : QUndoCommand(text)
        , m_document(document)
        , m_before(std::move(before))
        , m_after(std::move(after))
        , m_mergeKey(mergeKey)
    {
    }

    void redo() override { m_document.restore(m_after); }
    void undo() override { m_document.restore(m_before); }
    int id() const override { return m_mergeKey != 0 ? 1 : -1; }
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = static_cast<const DocumentCommand *>(other);
        if (next->m_mergeKey != m_mergeKey || next->text() != text())
            return false;
        m_after = next->m_after;
        setObsolete(m_after == m_before);
        return true;
    }

private:
    ChartDocument &m_document;
    DocumentState m_before;
    DocumentState m_after;
    int m_mergeKey;
};

ChartDocument::ChartDocument(QObject *parent)
    : QObject(parent)
{
    m_undo.setUndoLimit(1000);
    connect(&m_undo, &QUndoStack::cleanChanged, this,
        [this](bool clean) { emit modifiedChanged(!clean); });
}

QStringList ChartDocument::texts(ValueList list) const
{
    return toStringList(
        list == ValueList::Isogain ? session().isogainTexts : session().isophaseTexts);
}

const std::vector<double> &ChartDocument::values(ValueList list) const
{
    return list == ValueList::Isogain ? settings().isogainValues : settings().isophaseValues;
}

std::optional<QString> ChartDocument::typedText(Setting setting) const
{
    const auto found = m_state.typedTexts.find(setting);
    if (found == m_state.typedTexts.end())
        return std::nullopt;
    return found->second;
}

void ChartDocument::change(const QString &what, const DocumentState &after, int mergeKey)
{
    if (after == m_state)
        return;
    m_undo.push(new DocumentCommand(*this, what, m_state, after, m_gesture ? m_gesture : mergeKey));
}

void ChartDocument::restore(const DocumentState &next, bool announce)
{
    const DocumentState before = std::exchange(m_state, next);
    // The view is not part of the steps: it stays as it is.
    m_state.session.view = before.session.view;
    if (!announce)
        return;
    const Session &a = before.session;
    const Session &b = m_state.session;
    if (!sameChart(a.settings, b.settings)
        || chartTexts(before.typedTexts) != chartTexts(m_state.typedTexts) || a.legend != b.legend
        || a.showSensitivity != b.showSensitivity)
        emit chartChanged();
    if (a.settings.bitmapWidth != b.settings.bitmapWidth
        || a.settings.bitmapHeight != b.settings.bitmapHeight)
        emit bitmapSizeChanged();
    if (a.isogainTexts != b.isogainTexts)
        emit textsChanged(ValueList::Isogain);
    if (a.isophaseTexts != b.isophaseTexts)
        emit textsChanged(ValueList::Isophase);
    if (a.loops != b.loops || before.loops != m_state.loops)
        emit loopsChanged();
}

void ChartDocument::setSetting(
    Setting setting, const SettingValue &value, const std::optional<QString> &typed)
{
    const SettingField &field = FieldOf(setting);
    DocumentState after = m_state;
    field.set(after.session.settings, value);
    if (typed)
        after.typedTexts[setting] = *typed;
    if (after == m_state) {
        // Nothing changes, but the chart is drawn again, as after any command.
        if (setting == Setting::BitmapWidth || setting == Setting::BitmapHeight)
            emit bitmapSizeChanged();
        else
            emit chartChanged();
        return;
    }
    change(QString::fromUtf8(field.change), after);
}

void ChartDocument::setFont(const std::string &face, int points)
{
    DocumentState after = m_state;
    FieldOf(Setting::FontName).set(after.session.settings, face);
    FieldOf(Setting::FontSize).set(after.session.settings, static_cast<double>(points));
    if (after == m_state)
        emit chartChanged();
    else
        change(QString::fromUtf8(FieldOf(Setting::FontName).change), after);
}

void ChartDocument::setValues(ValueList list, std::vector<double> values)
{
    DocumentState after = m_state;
    valuesIn(after.session, list) = std::move(values);
    if (after == m_state)
        emit chartChanged();
    else
        change(QStringLiteral("valeurs des %1").arg(listName(list)), after);
}

void ChartDocument::setTexts(ValueList list, const QStringList &texts)
{
    DocumentState after = m_state;
    textsIn(after.session, list) = toStrings(texts);
    // The keystrokes typed into one list, one after another, are one step.
    change(QStringLiteral("texte de la liste des %1").arg(listName(list)), after,
        list == ValueList::Isogain ? -1 : -2);
}

void ChartDocument::setList(
    ValueList list, const QStringList &texts, std::vector<double> values, bool quietly)
{
    DocumentState after = m_state;
    textsIn(after.session, list) = toStrings(texts);
    valuesIn(after.session, list) = std::move(values);
    const QSignalBlocker quiet(quietly ? this : nullptr);
    if (after == m_state)
        emit chartChanged();
    else
        change(QStringLiteral("liste des %1").arg(listName(list)), after);
}

std::optional<std::size_t> ChartDocument::indexOfLoop(std::uint64_t id) const
{
    for (std::size_t i = 0; i < m_state.loops.size(); ++i)
        if (m_state.loops[i].id == id)
            return i;
    return std::nullopt;
}

QString ChartDocument::loopName(std::size_t index) const
{
    return QStringLiteral("boucle %1").arg(index + 1);
}

bool ChartDocument::addLoop(LoopSpec spec, LoadedLoop loaded)
{
    if (loops().size() >= MaxLoops)
        return false;
    DocumentState after = m_state;
    after.session.loops.push_back(std::move(spec));
    after.loops.push_back({ newLoopId(), std::move(loaded) });
    change(QStringLiteral("ajout de la %1").arg(loopName(loops().size())), after);
    return true;
}

void ChartDocument::replaceLoop(std::size_t index, const LoopSpec &source, LoadedLoop loaded)
{
    DocumentState after = m_state;
    LoopSpec &spec = after.session.loops.at(index);
    spec.expression = source.expression;
    spec.csvPath = source.csvPath;
    spec.csvHertz = source.csvHertz;
    after.loops.at(index).loaded = std::move(loaded);
    change(QStringLiteral("modification de la %1").arg(loopName(index)), after);
}

void ChartDocument::removeLoop(std::size_t index)
{
    DocumentState after = m_state;
    after.session.loops.erase(after.session.loops.begin() + static_cast<std::ptrdiff_t>(index));
    after.loops.erase(after.loops.begin() + static_cast<std::ptrdiff_t>(index));
    change(QStringLiteral("suppression de la %1").arg(loopName(index)), after);
}

void ChartDocument::setLoopGain(std::size_t index, double gainDb)
{
    DocumentState after = m_state;
    after.session.loops.at(index).gainDb = gainDb;
    change(QStringLiteral("gain de la %1").arg(loopName(index)), after);
}

void ChartDocument::setLoopColor(std::size_t index, Color color)
{
    DocumentState after = m_state;
    after.session.loops.at(index).color = color;
    change(QStringLiteral("couleur de la %1").arg(loopName(index)), after);
}

void ChartDocument::setLoopVisible(std::size_t index, bool visible)
{
    DocumentState after = m_state;
    after.session.loops.at(index).visible = visible;
    change(QStringLiteral("visibilité de la %1").arg(loopName(index)), after);
}

void ChartDocument::setLoopName(std::size_t index, const std::string &name)
{
    DocumentState after = m_state;
    after.session.loops.at(index).name = name;
    change(QStringLiteral("nom de la %1").arg(loopName(index)), after);
}

DocumentState ChartDocument::withCompensator(
    std::size_t index, const Compensator &compensator) const
{
    DocumentState after = m_state;
    if (after.session.loops.at(index).compensator != compensator) {
        after.loops.at(index).loaded = WithCompensator(after.loops.at(index).loaded, compensator);
        after.session.loops.at(index).compensator = compensator;
    }
    return after;
}

void ChartDocument::setLoopCompensator(
    std::size_t index, const Compensator &compensator, int mergeKey)
{
    change(QStringLiteral("correcteur de la %1").arg(loopName(index)),
        withCompensator(index, compensator), mergeKey);
}

void ChartDocument::setLoopDesign(std::size_t index, const LoopDesign &design, const QString &what)
{
    DocumentState after = withCompensator(index, design.compensator);
    after.session.loops.at(index).gainDb = design.gainDb;
    after.session.loops.at(index).target = design.target;
    change(what, after);
}

void ChartDocument::setLoopTarget(std::size_t index, const std::optional<LoopTarget> &target)
{
    DocumentState after = m_state;
    after.session.loops.at(index).target = target;
    change(QStringLiteral("objectif de la %1").arg(loopName(index)), after);
}

void ChartDocument::setLegend(LegendKind kind)
{
    DocumentState after = m_state;
    after.session.legend = kind;
    change(QStringLiteral("légende"), after);
}

void ChartDocument::setShowSensitivity(bool show)
{
    DocumentState after = m_state;
    after.session.showSensitivity = show;
    change(QStringLiteral("contours de sensibilité"), after);
}

void ChartDocument::setView(const std::optional<ViewExtents> &view)
{
    if (view == m_state.session.view)
        return;
    m_state.session.view = view;
    emit viewChanged();
}

void ChartDocument::beginGesture()
{
    m_gesture = ++m_lastGesture;
}

void ChartDocument::endGesture()
{
    m_gesture = 0;
}

std::shared_ptr<const LoopAnalysis> ChartDocument::analysis(std::size_t index) const
{
    const LoopSpec &spec = loops().at(index);
    const DocumentLoop &loop = m_state.loops.at(index);
    const ChartSettings &s = settings();
    CachedAnalysis &cached = m_analyses[loop.id];
    if (!cached.analysis || !(cached.loaded == loop.loaded) || cached.gainDb != spec.gainDb
        || cached.gainMin != s.gainMin || cached.gainMax != s.gainMax
        || cached.phaseMin != s.phaseMin || cached.phaseMax != s.phaseMax) {
        cached = { loop.loaded, spec.gainDb, s.gainMin, s.gainMax, s.phaseMin, s.phaseMax,
            std::make_shared<const LoopAnalysis>(
                AnalyseLoadedLoop(loop.loaded, spec.gainDb, AnalysisOptionsFor(s))),
            nullptr };
    }
    return cached.analysis;
}

std::shared_ptr<const LoopResponse> ChartDocument::response(std::size_t index) const
{
    const std::shared_ptr<const LoopAnalysis> analysed = analysis(index);
    CachedAnalysis &cached = m_analyses[m_state.loops.at(index).id];
    if (!cached.response)
        cached.response = std::make_shared<const LoopResponse>(
            ClosedLoopResponseOf(m_state.loops.at(index).loaded, *analysed));
    return cached.response;
}

SceneLoop ChartDocument::sceneLoop(std::size_t index) const
{
    const LoopSpec &spec = loops().at(index);
    SceneLoop loop { analysis(index), spec.color, spec.displayName() };
    for (const CompensatorElement &element : spec.compensator)
        if (const std::optional<double> omega = CharacteristicFrequency(element))
            loop.handles.push_back(*omega);
    if (spec.target && spec.target->kind == TargetKind::Mr)
        loop.targetDb = spec.target->value;
    return loop;
}

ChartScene ChartDocument::scene() const
{
    ChartScene scene;
    scene.settings = settings();
    scene.legend = session().legend;
    scene.showSensitivity = session().showSensitivity;
    scene.view = session().view;
    for (std::size_t i = 0; i < loops().size(); ++i)
        if (loops()[i].visible)
            scene.loops.push_back(sceneLoop(i));
    // Loops gone from the document are forgotten; those an undo may bring back are analysed
    // again then.
    std::erase_if(m_analyses, [this](const auto &entry) { return !indexOfLoop(entry.first); });
    return scene;
}

void ChartDocument::replace(Session session, std::vector<LoadedLoop> loaded, const QString &path)
{
    DocumentState state;
    state.session = std::move(session);
    for (LoadedLoop &loop : loaded)
        state.loops.push_back({ newLoopId(), std::move(loop) });
    m_undo.clear();
    restore(state, false);
    m_state.session.view = state.session.view;
    m_analyses.clear();
    m_undo.setClean();
    m_filePath = path;
    emit filePathChanged();
    emit replaced();
    emit modifiedChanged(false);
}

void ChartDocument::markSaved(const QString &path)
{
    m_undo.setClean();
    if (m_filePath != path) {
        m_filePath = path;
        emit filePathChanged();
    }
}

} // namespace velmora
