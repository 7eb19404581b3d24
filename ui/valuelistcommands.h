// ui/valuelistcommands.h — the commands of the two contour-value lists: add, delete, read on
// Entrée, and the texts typed in place (ui layer)
#pragma once

#include "core/chartsettings.h"

#include <QObject>
#include <QString>

class QPushButton;
class QWidget;

namespace velmora {

class ChartDocument;
class Prompts;
class ValueListEditor;
enum class ValueList;

class ValueListCommands : public QObject {
    Q_OBJECT
public:
    // The lists and their buttons are found in `form` by their names.
    ValueListCommands(
        QWidget &form, ChartDocument &document, Prompts &prompts, QObject *parent = nullptr);

    // The lists' rows as the document holds them: numbered keys, the texts as typed. A list that
    // shows them already is left as it is, its current row and any cell being edited included.
    void showLists();

private:
    // One of the two lists with what its commands need.
    struct ListControls {
        ValueListEditor *editor;
        ValueList list;
        Entry entry; // the test an added value must pass
        double fallback; // what Entrée reads for a value that fails the test
        QString addPrompt;
    };

    void showList(const ListControls &controls);
    void addValue(const ListControls &controls);
    void deleteValue(const ListControls &controls);
    void storeTexts(const ListControls &controls);
    // The values of the list's rows read with TextToReal; `tested` puts the fallback in place of
    // a value that fails the test. A text that overflows stops the reading: what was read
    // stays, undrawn, and the error goes on.
    std::vector<double> readValues(const ListControls &controls, bool tested);
    void connectList(const ListControls &controls, QPushButton *add, QPushButton *remove);

    ChartDocument &m_document;
    Prompts &m_prompts;
    ListControls m_isogains;
    ListControls m_isophases;
};

} // namespace velmora
