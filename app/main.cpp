// app/main.cpp — program entry: the application, the document and its windows, the event loop
#include "core/memorytuning.h"
#include "ui/application.h"
#include "ui/programwindows.h"
#include "ui/prompts.h"

#include <QTimer>

int main(int argc, char **argv)
{
    velmora::KeepFreedMemoryForReuse();
    velmora::Application application(argc, argv);
    velmora::DialogPrompts prompts;
    application.setPrompts(&prompts);
    velmora::ProgramWindows windows(prompts);
    windows.mainWindow.show();
    // Without a window manager nothing else would give it the focus, and its activation is what
    // draws the first chart.
    windows.mainWindow.activateWindow();
    // "velmora FILE.velmora" opens the session once the windows stand; a refused file is
    // reported and the program goes on from the defaults.
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!arguments.isEmpty()) {
        QTimer::singleShot(0, &windows.mainWindow,
            [&windows, path = arguments.front()] { windows.mainWindow.openSessionFile(path); });
    }
    return application.exec();
}
