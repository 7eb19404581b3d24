// ui/programwindows.cpp — the document and the five windows of the program (ui layer)
#include "ui/programwindows.h"

namespace velmora {

ProgramWindows::ProgramWindows(Prompts &prompts)
    : chartWindow(document)
    , bitmapSizeDialog(document, prompts)
    , loopsWindow(document, prompts, folders)
    , marginsWindow(document)
    , mainWindow(document, folders, chartWindow, aboutDialog, helpWindow, bitmapSizeDialog,
          loopsWindow, marginsWindow, prompts)
{
}

} // namespace velmora
