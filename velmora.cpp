// velmora.cpp — program entry: the application, its five windows, the event loop
#include "ui/abaqvelmora.h"
#include "ui/application.h"
#include "ui/startup.h"

int main(int argc, char **argv)
{
    velmora::TApplication application(argc, argv);
    velmora::CreateWindows();
    velmora::Fenetvelmora->show();
    // Without a window manager nothing else would give it the focus, and its activation is what
    // draws the first chart.
    velmora::Fenetvelmora->activateWindow();
    const int status = application.exec();
    velmora::DestroyWindows();
    return status;
}
