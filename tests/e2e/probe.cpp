// tests/e2e/probe.cpp — the end-to-end test's eyes on the X display it shares with velmora.
//   probe layout                   where Label4 and "Quitter" are in the main window, as
//                                  "label4 X Y" and "quitter X Y" (centres, window pixels)
//   probe grab WINID FILE          saves what the X window shows
//   probe caption TEXT FILE        Label4 showing TEXT, drawn as the main window draws it;
//                                  prints where it stands, "X Y W H" in window pixels
//   probe same A B [X Y W H]       exit 0 when the two images (or that part of A, against B
//                                  whole) are identical
#include "ui/abaqvelmora.h"
#include "ui/application.h"
#include "ui/startup.h"
#include "ui_abaqvelmora.h"

#include <QImage>
#include <QMenuBar>
#include <QScreen>

#include <iostream>

using namespace velmora;

namespace {

QRect label4Rect()
{
    Ui::TFenetvelmora &f = Fenetvelmora->form();
    return QRect(f.Label4->mapTo(Fenetvelmora, QPoint(0, 0)), f.Label4->size());
}

int layout()
{
    Fenetvelmora->show();
    Ui::TFenetvelmora &f = Fenetvelmora->form();
    const QPoint label = label4Rect().center();
    const QRect quitter = f.MainMenu1->actionGeometry(f.Quitter1);
    const QPoint quit = f.MainMenu1->mapTo(Fenetvelmora, quitter.center());
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

int caption(const QString &text, const QString &file)
{
    Ui::TFenetvelmora &f = Fenetvelmora->form();
    f.Label4->setText(text);
    f.Label4->adjustSize();
    Fenetvelmora->show();
    const QRect rect = label4Rect();
    std::cout << rect.x() << ' ' << rect.y() << ' ' << rect.width() << ' ' << rect.height() << "\n";
    return Fenetvelmora->grab(rect).toImage().save(file) ? 0 : 1;
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

} // namespace

int main(int argc, char **argv)
{
    TApplication application(argc, argv);
    const QStringList args = application.arguments().mid(1);
    if (args.isEmpty())
        return 2;
    const QString command = args[0];
    if (command == "same" && (args.size() == 3 || args.size() == 7))
        return same(args.mid(1));
    if (command == "grab" && args.size() == 3)
        return grab(args[1], args[2]);
    CreateWindows();
    int status = 2;
    if (command == "layout")
        status = layout();
    else if (command == "caption" && args.size() == 3)
        status = caption(args[1], args[2]);
    DestroyWindows();
    return status;
}
