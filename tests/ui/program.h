// tests/ui/program.h — the program's document and windows with scripted answers, and the
// widgets found by their names, as a user or a script finds them
#pragma once

#include "scriptedprompts.h"
#include "ui/application.h"
#include "ui/programwindows.h"

#include <QCoreApplication>
#include <QImage>

namespace velmora::test {

// The program as main() builds it, its questions answered by a script. The first drawing is
// made as the main window's first activation makes it.
struct Program {
    Program()
        : windows(prompts)
    {
        application()->setPrompts(&prompts);
        windows.chartWindow.redraw();
    }
    ~Program() { application()->setPrompts(nullptr); }

    static Application *application()
    {
        return qobject_cast<Application *>(QCoreApplication::instance());
    }

    // The widget of that objectName in `window`; the test stops when there is none.
    template <typename T> static T *in(QObject &window, const char *name)
    {
        T *found = window.findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no widget named %s", name);
        return found;
    }
    template <typename T> T *main(const char *name) { return in<T>(windows.mainWindow, name); }

    // What went wrong unseen: questions nobody expected and errors reported; empty when none.
    QString trouble() const
    {
        QStringList found = prompts.errors;
        if (prompts.unexpected != 0)
            found.prepend(QStringLiteral("%1 unexpected question(s)").arg(prompts.unexpected));
        return found.join(QStringLiteral(" | "));
    }

    const ChartSettings &settings() const { return windows.document.settings(); }
    QImage chart()
    {
        return windows.chartWindow.chartImage().convertToFormat(QImage::Format_RGB32);
    }

    ScriptedPrompts prompts;
    ProgramWindows windows;
};

} // namespace velmora::test
