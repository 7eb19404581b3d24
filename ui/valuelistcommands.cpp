// ui/valuelistcommands.cpp — the commands of the two contour-value lists (ui layer)
#include "ui/valuelistcommands.h"

#include "core/numbertext.h"
#include "ui/application.h"
#include "ui/chartdocument.h"
#include "ui/named.h"
#include "ui/prompts.h"
#include "ui/valuelisteditor.h"

#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

namespace velmora {

namespace {

const QString AddTitle = QStringLiteral("Ajout d un gain");

QStringList keysOf(int count)
{
    QStringList keys;
    for (int i = 1; i <= count; ++i)
        keys << QString::number(i) + ' '; // the form's keys carry a trailing blank
    return keys;
}

} // namespace

ValueListCommands::ValueListCommands(
    QWidget &form, ChartDocument &document, Prompts &prompts, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_prompts(prompts)
    , m_isogains { Named<ValueListEditor>(form, "ValueListEditor1"), ValueList::Isogain,
        Entry::IsogainValue, RefusedIsogainStandIn,
        QStringLiteral("Entrer la -100dB<valeur<100 dB ") }
    , m_isophases { Named<ValueListEditor>(form, "ValueListEditor2"), ValueList::Isophase,
        Entry::IsophaseValue, RefusedIsophaseStandIn,
        QStringLiteral("Entrer la -360°<valeur< -1° ") }
{
    m_isogains.editor->setTitles(QStringLiteral("N°"), QStringLiteral("Gain"));
    m_isogains.editor->setColumnWidth(0, 43);
    m_isogains.editor->setColumnWidth(1, 59);
    m_isophases.editor->setTitles(QStringLiteral("N°"), QStringLiteral("Phase"));
    m_isophases.editor->setColumnWidth(0, 40);
    m_isophases.editor->setColumnWidth(1, 62);
    connectList(
        m_isogains, Named<QPushButton>(form, "BitBtn1"), Named<QPushButton>(form, "BitBtn2"));
    connectList(
        m_isophases, Named<QPushButton>(form, "BitBtn3"), Named<QPushButton>(form, "BitBtn4"));
    connect(&document, &ChartDocument::textsChanged, this, [this](ValueList list) {
        showList(list == ValueList::Isogain ? m_isogains : m_isophases);
    });
    showLists();
}

void ValueListCommands::connectList(
    const ListControls &controls, QPushButton *add, QPushButton *remove)
{
    const ListControls *c = &controls;
    connect(add, &QPushButton::clicked, this, Guard([this, c] { addValue(*c); }));
    connect(remove, &QPushButton::clicked, this, Guard([this, c] { deleteValue(*c); }));
    connect(c->editor, &ValueListEditor::keyPressed, this, Guard([this, c](char &key) {
        if (key == '\r')
            m_document.setValues(c->list, readValues(*c, true));
    }));
    // A text typed into a cell is the row's text at once, without a reading or a drawing.
    connect(c->editor, &QTableWidget::itemChanged, this, [this, c](QTableWidgetItem *item) {
        if (item->column() == 1)
            storeTexts(*c);
    });
}

void ValueListCommands::showLists()
{
    showList(m_isogains);
    showList(m_isophases);
}

void ValueListCommands::showList(const ListControls &controls)
{
    ValueListEditor &editor = *controls.editor;
    const QStringList texts = m_document.texts(controls.list);
    if (editor.valueTexts() == texts)
        return;
    const int current = editor.currentDataRow();
    const QSignalBlocker quiet(&editor);
    editor.setRows(keysOf(static_cast<int>(texts.size())), texts);
    editor.setCurrentDataRow(std::clamp(current, 1, std::max(1, editor.dataRowCount())));
}

void ValueListCommands::storeTexts(const ListControls &controls)
{
    m_document.setTexts(controls.list, controls.editor->valueTexts());
}

std::vector<double> ValueListCommands::readValues(const ListControls &controls, bool tested)
{
    const ValueListEditor &list = *controls.editor;
    std::vector<double> values = m_document.values(controls.list);
    values.resize(static_cast<std::size_t>(list.dataRowCount()), 0.0);
    for (int row = 1; row <= list.dataRowCount(); ++row) {
        double v = 0;
        try {
            v = TextToReal(list.valueText(row).toStdString());
        } catch (...) {
            m_document.setList(controls.list, list.valueTexts(), std::move(values), true);
            throw;
        }
        const bool refused = tested && !Accepted(controls.entry, v, m_document.settings());
        values[static_cast<std::size_t>(row - 1)] = refused ? controls.fallback : v;
    }
    return values;
}

void ValueListCommands::addValue(const ListControls &controls)
{
    const std::optional<QString> answer
        = m_prompts.inputBox(AddTitle, controls.addPrompt, QStringLiteral("0"));
    if (!answer)
        return;
    if (!Accepted(controls.entry, TextToReal(answer->toStdString()), m_document.settings()))
        return;
    ValueListEditor &list = *controls.editor;
    const int n = list.dataRowCount();
    {
        const QSignalBlocker quiet(&list);
        list.appendDataRow(QString::number(n + 1), *answer);
        list.setCurrentDataRow(n);
    }
    m_document.setList(controls.list, list.valueTexts(), readValues(controls, false));
}

void ValueListCommands::deleteValue(const ListControls &controls)
{
    ValueListEditor &list = *controls.editor;
    const int n = list.dataRowCount();
    const int r = std::clamp(list.currentDataRow(), 1, n);
    {
        const QSignalBlocker quiet(&list);
        if (n == 1) {
            // The list keeps one row: key 1, empty value.
            list.setValueText(1, QString());
            list.setCurrentDataRow(1);
        } else {
            list.removeDataRow(r);
            list.setCurrentDataRow(r == n ? r - 1 : r);
        }
        for (int row = list.currentDataRow(); row <= list.dataRowCount(); ++row)
            list.setKeyText(row, QString::number(row));
    }
    m_document.setList(controls.list, list.valueTexts(), readValues(controls, false));
}

} // namespace velmora
