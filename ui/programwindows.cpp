// ui/programwindows.cpp — the document and the five windows of the program (ui layer)
#include "ui/programwindows.h"

#include "ui/windowframes.h"

#include <QAction>

namespace velmora {

ProgramWindows::ProgramWindows(Prompts &prompts)
    : chartWindow(document)
    , bitmapSizeDialog(document, prompts)
    , loopsWindow(document, prompts, folders)
    , marginsWindow(document)
    , responseWindow(document, prompts, folders)
    , mainWindow(document, folders, chartWindow, aboutDialog, helpWindow, bitmapSizeDialog,
          loopsWindow, marginsWindow, responseWindow, prompts)
{
    for (QWidget *window : { static_cast<QWidget *>(&loopsWindow),
             static_cast<QWidget *>(&marginsWindow), static_cast<QWidget *>(&responseWindow) })
        OpenHelpWith(*window, loopHelpWindow, &ShowNormalAndOnTop);
    QObject::connect(mainWindow.findChild<QAction *>(QStringLiteral("AideBoucle1")),
        &QAction::triggered, &loopHelpWindow, [this] { ShowNormalAndOnTop(loopHelpWindow); });
    // Dragging a locus selects its loop, so that the gain controls show the gain being dragged.
    QObject::connect(
        &chartWindow, &ChartWindow::loopPicked, &loopsWindow, &LoopsWindow::selectLoop);
}

} // namespace velmora
