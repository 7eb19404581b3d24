// ui/mainwindow.h — the main window: value lists, settings commands and menu (ui layer)
#pragma once

#include "core/sessionmodel.h"

#include <QMainWindow>
#include <QPointer>
#include <QWindow>

#include <memory>

class QAction;
class QPrinter;

namespace Ui {
class MainWindow;
}

namespace velmora {

class AboutDialog;
class BitmapSizeDialog;
class ChartDocument;
class ChartOutput;
class ChartWindow;
class FileFolders;
class HelpWindow;
class LoopsWindow;
class MarginsWindow;
class Prompts;
class ResponseWindow;
class SettingsCommands;
class ValueListCommands;

// Edits the document: the two contour-value lists, the axis extents and intervals, the font, the
// colours and the grid, each through its control; the menu opens and saves sessions, exports and
// prints, undoes and redoes, shows the other windows and copies the chart to the clipboard.
// Coming back to it from another window of the program draws the chart again. Its title names
// the session in use and marks unsaved changes.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(ChartDocument &document, FileFolders &folders, ChartWindow &chartWindow,
        AboutDialog &aboutDialog, HelpWindow &helpWindow, BitmapSizeDialog &bitmapSizeDialog,
        LoopsWindow &loopsWindow, MarginsWindow &marginsWindow, ResponseWindow &responseWindow,
        Prompts &prompts, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Opens a session into the document, once unsaved changes are dealt with; a refused file
    // changes nothing and is reported.
    void openSessionFile(const QString &path);
    // Prints the chart, loops included, scaled to the printer's page as vector paths and text.
    void printChartOn(QPrinter &printer);

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct FocusRecord {
        QPointer<QWindow> window;
        bool modal = false;
    };

    void connectMenus();
    void addEditMenu();
    bool activationComesFromOwnWindow() const;
    void showTitle();
    void openSession();
    // Saves to the session file in use, or asks for one; false when cancelled.
    bool saveSession();
    bool saveSessionAs();
    // Where the windows stand, as a session saves it; and put back as a session opened says.
    WindowLayout windowLayout() const;
    void restoreWindows(const WindowLayout &layout);
    // Unsaved changes that matter: those of a document with loops or from a session. The title
    // marks them; quitting or opening another session asks about them.
    bool changesWorthAsking() const;
    // Asks what to do with unsaved changes that matter (a document with loops or from a
    // session); false when the user cancels what was under way.
    bool settleUnsavedChanges();

    ChartDocument &m_document;
    ChartWindow &m_chartWindow;
    QWidget &m_loopsWindow;
    QWidget &m_marginsWindow;
    QWidget &m_responseWindow;
    Prompts &m_prompts;
    std::unique_ptr<Ui::MainWindow> m_form;
    FileFolders *m_folders;
    SettingsCommands *m_settings;
    ValueListCommands *m_lists;
    ChartOutput *m_output;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    FocusRecord m_focus;
    FocusRecord m_previousFocus;
    bool m_activatedOnce = false;
};

} // namespace velmora
