// tests/e2e/probe.cpp — the end-to-end test's eyes on the X display it shares with velmora.
//   probe layout                   where Label4 and "Quitter" are in the main window, as
//                                  "label4 X Y" and "quitter X Y" (centres, window pixels)
//   probe grab WINID FILE          saves what the X window shows
//   probe caption TEXT FILE        Label4 showing TEXT, drawn as the main window draws it;
//                                  prints where it stands, "X Y W H" in window pixels
//   probe same A B [X Y W H]       exit 0 when the two images (or that part of A, against B
//                                  whole) are identical
//   probe locus SESSION            a point of the first loop's locus in the chart window at
//                                  start, "X Y" in window pixels, where a drag can grip it
#include "plot/chartmapping.h"
#include "ui/application.h"
#include "ui/programwindows.h"
#include "ui/prompts.h"
#include "ui/sessionfile.h"

#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>

#include <cmath>
#include <iostream>

using namespace velmora;

namespace {

QLabel &label4(QWidget &mainWindow)
{
    return *mainWindow.findChild<QLabel *>("Label4");
}

QRect label4Rect(QWidget &mainWindow)
{
    return QRect(label4(mainWindow).mapTo(&mainWindow, QPoint(0, 0)), label4(mainWindow).size());
}

int layout(QWidget &mainWindow)
{
    mainWindow.show();
    const QPoint label = label4Rect(mainWindow).center();
    auto *menuBar = mainWindow.findChild<QMenuBar *>("MainMenu1");
    const QRect quitter = menuBar->actionGeometry(mainWindow.findChild<QAction *>("Quitter1"));
    const QPoint quit = menuBar->mapTo(&mainWindow, quitter.center());
    std::cout << "label4 " << label.x() << ' ' << label.y() << "\n"
              << "quitter " << quit.x() << ' ' << quit.y() << "\n";
    return 0;
}

int grab(const QString &window, const QString &file)
{
    bool ok = false;
    const WId id = window.toULongLong(&ok, 0);
    if (!ok)
        return 2;
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(id);
    return !shot.isNull() && shot.save(file) ? 0 : 1;
}

int caption(QWidget &mainWindow, const QString &text, const QString &file)
{
    label4(mainWindow).setText(text);
    label4(mainWindow).adjustSize();
    mainWindow.show();
    const QRect rect = label4Rect(mainWindow);
    std::cout << rect.x() << ' ' << rect.y() << ' ' << rect.width() << ' ' << rect.height() << "\n";
    return mainWindow.grab(rect).toImage().save(file) ? 0 : 1;
}

int same(const QStringList &args)
{
    QImage a(args[0]);
    const QImage b(args[1]);
    if (args.size() == 6)
        a = a.copy(args[2].toInt(), args[3].toInt(), args[4].toInt(), args[5].toInt());
    const bool equal = !a.isNull()
        && a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
    return equal ? 0 : 1;
}

int locus(ChartDocument &document, const QString &session)
{
    OpenSessionFile(document, session);
    const LoopAnalysis &analysis = *document.analysis(0);
    const ChartMapping map = MappingOf(FrameOf(300, 475), document.settings());
    // The point of the locus nearest the middle of the frame: well within the chart.
    const ResponsePoint *best = nullptr;
    double bestDistance = 1e300;
    for (const ResponsePoint &p : analysis.locus) {
        const double dx = map.columnOf(p.phaseDeg + analysis.phaseShiftDeg) - 150;
        const double dy = map.rowOf(p.gainDb) - 237;
        if (dx * dx + dy * dy < bestDistance) {
            bestDistance = dx * dx + dy * dy;
            best = &p;
        }
    }
    if (!best)
        return 1;
    std::cout << std::lround(map.columnOf(best->phaseDeg + analysis.phaseShiftDeg)) << ' '
              << std::lround(map.rowOf(best->gainDb)) << "\n";
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    Application application(argc, argv);
    const QStringList args = application.arguments().mid(1);
    if (args.isEmpty())
        return 2;
    const QString command = args[0];
    if (command == "same" && (args.size() == 3 || args.size() == 7))
        return same(args.mid(1));
    if (command == "grab" && args.size() == 3)
        return grab(args[1], args[2]);
    DialogPrompts prompts;
    ProgramWindows windows(prompts);
    if (command == "layout")
        return layout(windows.mainWindow);
    if (command == "caption" && args.size() == 3)
        return caption(windows.mainWindow, args[1], args[2]);
    if (command == "locus" && args.size() == 2)
        return locus(windows.document, args[1]);
    return 2;
}
