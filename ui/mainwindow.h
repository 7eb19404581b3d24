// ui/mainwindow.h — the main window: value lists, settings commands and menu (ui layer)
#pragma once

#include "core/chartsettings.h"

#include <QMainWindow>
#include <QPointer>
#include <QWindow>

#include <functional>
#include <memory>

class QLabel;
class QPrinter;

namespace Ui {
class MainWindow;
}

namespace velmora {

class AboutDialog;
class BitmapSizeDialog;
class LociLayer;
class LoopsWindow;
class MarginsWindow;
class ChartDocument;
class ChartWindow;
class HelpWindow;
class Prompts;
class ValueListEditor;
enum class ValueList;

// Edits the document: the two contour-value lists, the axis extents and intervals, the font, the
// colours and the grid, each through its control; the menu shows the other windows and copies the
// chart to the clipboard. Coming back to it from another window of the program draws the chart
// again.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(ChartDocument &document, ChartWindow &chartWindow, AboutDialog &aboutDialog,
        HelpWindow &helpWindow, BitmapSizeDialog &bitmapSizeDialog, LoopsWindow &loopsWindow,
        MarginsWindow &marginsWindow, Prompts &prompts, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Opens a session into the document; a refused file changes nothing and is reported.
    void openSessionFile(const QString &path);
    // Prints the chart, loops included, scaled to the printer's page as vector paths and text.
    void printChartOn(QPrinter &printer);

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // One of the two lists with what its commands need.
    struct ListControls {
        ValueListEditor *editor;
        ValueList list;
        Entry entry; // the test an added value must pass
        double fallback; // what Enter reads for a value that fails the test
        QString addPrompt;
    };

    struct FocusRecord {
        QPointer<QWindow> window;
        bool modal = false;
    };

    void connectHandlers();
    bool activationComesFromOwnWindow() const;

    void redrawOnActivation();
    void copyChartToClipboard();
    void openSession();
    void saveSession();
    void exportChart();
    void printChart();
    // The visible loops as the clipboard, export and print draw them over the chart.
    LociLayer visibleLoci() const;
    // A file of that name in the folder where files are suggested.
    QString suggestedPath(const QString &name) const;
    // The value lists' rows and the value captions, from the document.
    void showListsAndCaptions();
    // Shows the document anew after it was replaced: lists, captions, check boxes, colours.
    void showDocument();
    void addValue(const ListControls &controls);
    void deleteValue(const ListControls &controls);
    void rereadValues(const ListControls &controls);
    void storeTexts(const ListControls &controls);
    void readValues(const ListControls &controls, bool tested);
    void editGainMax();
    void editGainMin();
    void editGainStep();
    void editPhaseMin();
    void editPhaseStep();
    void chooseAxisColor();
    void chooseIsogainColor();
    void chooseIsophaseColor();
    void chooseFont();
    void setGrid();
    void setDottedGrid();

    // Asks for a setting, its current value as the default text; an accepted answer is stored
    // and shown as typed between `prefix` and `unit`. A refused or cancelled one changes nothing.
    void askSetting(QLabel &label, const QString &prompt, Entry entry, double current,
        const std::function<void(double)> &store, const QString &prefix, const QString &unit);
    void chooseColor(QLabel &label, const std::function<void(Color)> &store);

    ChartDocument &m_document;
    QFont m_startFontCaptionFont; // Label10's font before any face is chosen
    ChartWindow &m_chartWindow;
    AboutDialog &m_aboutDialog;
    HelpWindow &m_helpWindow;
    BitmapSizeDialog &m_bitmapSizeDialog;
    LoopsWindow &m_loopsWindow;
    MarginsWindow &m_marginsWindow;
    Prompts &m_prompts;
    std::unique_ptr<Ui::MainWindow> m_form;
    ListControls m_isogains;
    ListControls m_isophases;
    // The colour chooser opens on the colour last confirmed, for any of the three commands.
    Color m_chooserColor = Black;
    QString m_sessionPath; // the session opened or saved last
    QString m_exportPath;
    FocusRecord m_focus;
    FocusRecord m_previousFocus;
    bool m_activatedOnce = false;
};

} // namespace velmora
