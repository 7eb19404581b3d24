// ui/programwindows.h — the document and the five windows of the program, made and released
// together (ui layer)
#pragma once

#include "ui/aboutdialog.h"
#include "ui/bitmapsizedialog.h"
#include "ui/chartdocument.h"
#include "ui/chartwindow.h"
#include "ui/filefolders.h"
#include "ui/helpwindow.h"
#include "ui/loophelpwindow.h"
#include "ui/loopswindow.h"
#include "ui/mainwindow.h"
#include "ui/marginswindow.h"
#include "ui/responsewindow.h"

namespace velmora {

class Prompts;

// Built in this order, all hidden: the document at its defaults, the chart window, the About
// box, the help window, the bitmap-size dialog, the loops' help, the loops and margins windows,
// and the main window that edits the document and shows the others. Released in the reverse
// order.
struct ProgramWindows {
    explicit ProgramWindows(Prompts &prompts);

    ChartDocument document;
    FileFolders folders { document };
    ChartWindow chartWindow;
    AboutDialog aboutDialog;
    HelpWindow helpWindow;
    BitmapSizeDialog bitmapSizeDialog;
    LoopHelpWindow loopHelpWindow;
    LoopsWindow loopsWindow;
    MarginsWindow marginsWindow;
    ResponseWindow responseWindow;
    MainWindow mainWindow;
};

} // namespace velmora
