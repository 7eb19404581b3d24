// ui/chartoutput.h — the chart sent out of the program: to the clipboard, to a file, to a
// printer (ui layer)
#pragma once

#include <QObject>
#include <QString>

class QPrinter;

namespace velmora {

class ChartDocument;
class ChartWindow;
class FileFolders;
class Prompts;

// Each draws the document's chart scene under the clipboard's rules, loops included.
class ChartOutput : public QObject {
    Q_OBJECT
public:
    ChartOutput(ChartDocument &document, ChartWindow &chartWindow, Prompts &prompts,
        FileFolders &folders, QObject *parent = nullptr);

    // The bitmap of the document's bitmap size, and the same chart as SVG; the chart window is
    // made visible. The chart drawn so far goes to the clipboard also when drawing fails; then
    // the error.
    void copyToClipboard();
    // Asks for a file and a size, and writes the chart there through the one atomic writer.
    void exportChart();
    // Asks for a printer and prints.
    void printChart();
    // The chart scaled to the printer's page, whole and centred, as vector paths and text.
    void printOn(QPrinter &printer);

private:
    ChartDocument &m_document;
    ChartWindow &m_chartWindow;
    Prompts &m_prompts;
    FileFolders &m_folders;
    QString m_exportPath; // the file exported last
};

} // namespace velmora
