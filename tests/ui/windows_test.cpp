// The windows as a desktop user relies on them: a window chosen from a menu comes back, the
// chart window is never maximised nor drawn beyond a bounded size, the help of the loops, a drag
// that selects its loop, a readable margins window, the windows kept in a session, and Qt's own
// dialogs in French.
#include "program.h"
#include "session/session.h"
#include "ui/chartview.h"
#include "ui/frenchdialogs.h"
#include "ui/plotview.h"

#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTreeView>
#include <QtTest>

using namespace velmora;
using velmora::test::Program;

class WindowsTest : public QObject {
    Q_OBJECT

private:
    ChartDocument &document() { return program->windows.document; }
    template <typename T> T *loops(const char *name)
    {
        return Program::in<T>(program->windows.loopsWindow, name);
    }
    void addLoop(const char *expression)
    {
        loops<QLineEdit>("Expression")->setText(expression);
        QTest::mouseClick(loops<QPushButton>("BoutonAjouter"), Qt::LeftButton);
    }

    std::unique_ptr<Program> program;
    QTemporaryDir dir;

private slots:
    void init() { program = std::make_unique<Program>(); }

    void cleanup()
    {
        QVERIFY2(program->trouble().isEmpty(), qPrintable(program->trouble()));
        program.reset();
    }

    void aWindowChosenFromTheMenuComesBackNormal()
    {
        ProgramWindows &w = program->windows;
        const std::pair<const char *, QWidget *> chosen[]
            = { { "Aide2", &w.helpWindow }, { "aille1", &w.bitmapSizeDialog },
                  { "Apropos1", &w.aboutDialog }, { "Marges1", &w.marginsWindow } };
        for (const auto &[action, window] : chosen) {
            program->main<QAction>(action)->trigger();
            QVERIFY2(window->isVisible(), action);
            window->showMinimized();
            QVERIFY(window->isMinimized());
            program->main<QAction>(action)->trigger();
            QVERIFY2(!window->isMinimized() && window->isVisible(), action);
        }
    }

    void theChartWindowIsNeverMaximisedAndDrawsABoundedImage()
    {
        ChartWindow &chart = program->windows.chartWindow;
        chart.showMaximized();
        QVERIFY(!chart.isMaximized());
        // However large the window, the image drawn stays within 4096 pixels either way.
        chart.resize(20000, 20000);
        const QSize drawn = program->chart().size();
        QVERIFY2(drawn.width() <= 4096 && drawn.height() <= 4096,
            qPrintable(QStringLiteral("%1 x %2").arg(drawn.width()).arg(drawn.height())));
        QVERIFY(drawn.width() >= 4000);
    }

    void theLoopsHelpOpensFromItsMenuAndWithF1()
    {
        QWidget &help = program->windows.loopHelpWindow;
        program->main<QAction>("AideBoucle1")->trigger();
        QVERIFY(help.isVisible());
        QVERIFY(Program::in<QTextBrowser>(help, "TexteAide")->toPlainText().contains("Mesures"));
        help.hide();
        QWidget &margins = program->windows.marginsWindow;
        margins.show();
        QVERIFY(QTest::qWaitForWindowExposed(&margins));
        margins.activateWindow();
        QTest::keyClick(&margins, Qt::Key_F1);
        QVERIFY(help.isVisible());
    }

    void draggingALocusSelectsItsLoop()
    {
        program->main<QAction>("FonctionsTransfert1")->trigger();
        addLoop("2/(s*(s+1))");
        addLoop("4/(s*(s+1)*(s+2))");
        loops<QTableWidget>("ListeBoucles")->selectRow(0);
        auto *view = Program::in<ChartView>(program->windows.chartWindow, "Image1");
        const LoopAnalysis &analysis = *document().analysis(1);
        const ResponsePoint *grip = nullptr;
        const ChartMapping map = MappingOf(FrameOf(300, 475), program->settings());
        // A point of the second locus far from the first one.
        for (const ResponsePoint &p : analysis.locus)
            if (p.gainDb > 10 && p.gainDb < 20)
                grip = &p;
        QVERIFY(grip);
        const QPoint at(static_cast<int>(map.columnOf(grip->phaseDeg + analysis.phaseShiftDeg)),
            static_cast<int>(map.rowOf(grip->gainDb)));
        QTest::mousePress(view, Qt::LeftButton, {}, at);
        QTest::mouseMove(view, at - QPoint(0, 13));
        QTest::mouseRelease(view, Qt::LeftButton, {}, at - QPoint(0, 13));
        QCOMPARE(loops<QTableWidget>("ListeBoucles")->currentRow(), 1);
        QCOMPARE(loops<QDoubleSpinBox>("GainDb")->value(), document().loops()[1].gainDb);
        QVERIFY(document().loops()[1].gainDb > 1);
    }

    void theMarginsWindowStaysReadableWithLongLists()
    {
        program->main<QAction>("FonctionsTransfert1")->trigger();
        // A delay: phase crossovers go on and on.
        addLoop("2*exp(-10*s)/(s+0.01)");
        addLoop("4/(s*(s+1)*(s+2))");
        QWidget &margins = program->windows.marginsWindow;
        margins.show();
        auto *table = Program::in<QTableWidget>(margins, "TableMarges");
        const QRect screen = margins.screen()->availableGeometry();
        QVERIFY(margins.frameGeometry().width() <= screen.width());
        // The long list is elided in a column of bounded width (the last column stretches to
        // the window).
        QVERIFY2(table->columnWidth(0) <= 260, qPrintable(QString::number(table->columnWidth(0))));
        // The whole list stays at hand.
        for (int row = 0; row < table->rowCount(); ++row)
            if (const QTableWidgetItem *item = table->item(row, 0))
                QCOMPARE(item->toolTip(), item->text());
    }

    void aSessionKeepsTheWindows()
    {
        program->main<QAction>("FonctionsTransfert1")->trigger();
        addLoop("4/(s*(s+1)*(s+2))");
        program->windows.chartWindow.resize(420, 600);
        program->windows.marginsWindow.show();
        program->prompts.saveFiles = { dir.filePath("fenetres.velmora") };
        program->main<QAction>("EnregistrerSession1")->trigger();
        const Session saved = ReadSessionFile(dir.filePath("fenetres.velmora"));
        QVERIFY(saved.windows);
        QVERIFY(saved.windows->chart);
        QVERIFY(saved.windows->loops);
        QVERIFY(saved.windows->margins);
        QVERIFY(!saved.windows->response);

        program.reset();
        program = std::make_unique<Program>();
        program->windows.mainWindow.openSessionFile(dir.filePath("fenetres.velmora"));
        QVERIFY(program->windows.loopsWindow.isVisible());
        QVERIFY(program->windows.marginsWindow.isVisible());
        const QRect frame = program->windows.chartWindow.frameGeometry();
        QCOMPARE(frame.size(), QSize((*saved.windows->chart)[2], (*saved.windows->chart)[3]));
        QCOMPARE(program->chart().width(), 420);
    }

    // The Réponse window shows each visible loop's closed loop and follows its gain live.
    void theResponseWindowFollowsTheGain()
    {
        program->main<QAction>("FonctionsTransfert1")->trigger();
        addLoop("4/(s*(s+1)*(s+2))");
        program->main<QAction>("Reponse1")->trigger();
        QWidget &response = program->windows.responseWindow;
        QVERIFY(response.isVisible());
        auto *step = Program::in<PlotView>(response, "ReponseIndicielle");
        auto *bode = Program::in<PlotView>(response, "BodeBoucleFermee");
        const QImage before = step->image();
        const QImage bodeBefore = bode->image();
        QVERIFY(!before.isNull());
        loops<QDoubleSpinBox>("GainDb")->setValue(-9.6);
        QVERIFY(step->image() != before);
        QVERIFY(bode->image() != bodeBefore);
        // The read-out under the pointer names the loop and its value there.
        QLabel *line = Program::in<QLabel>(response, "LectureReponse");
        QTest::mouseMove(step, QPoint(step->width() / 3, step->height() / 2));
        QTRY_VERIFY2(line->text().startsWith("t ") && line->text().contains("Boucle 1 : y "),
            qPrintable(line->text()));
        const QPointF middle(bode->width() / 2.0, bode->height() / 2.0);
        QMouseEvent move(QEvent::MouseMove, middle, bode->mapToGlobal(middle), Qt::NoButton,
            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(bode, &move);
        QTRY_VERIFY2(
            line->text().contains("|T|") && line->text().contains("|S|"), qPrintable(line->text()));
    }

    void theFileChooserIsFrench()
    {
        QFile file(dir.filePath("mesures.csv"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("1,0,-90\n2,-6,-120\n");
        file.close();
        QDir(dir.path()).mkdir("sous-dossier");
        QFileDialog dialog(nullptr, "Ouvrir", dir.path());
        MakeFrench(dialog);
        dialog.setViewMode(QFileDialog::Detail);
        dialog.show();
        auto *view = dialog.findChild<QTreeView *>("treeView");
        QVERIFY(view);
        QAbstractItemModel *model = view->model();
        QTRY_VERIFY(model->rowCount(view->rootIndex()) >= 2);
        QStringList types;
        QStringList sizes;
        for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
            types << model->index(row, 2, view->rootIndex()).data().toString();
            sizes << model->index(row, 1, view->rootIndex()).data().toString();
        }
        QVERIFY2(types.contains("Dossier"), qPrintable(types.join(", ")));
        QVERIFY2(sizes.contains("18 octets"), qPrintable(sizes.join(", ")));
        for (const QString &text : types + sizes)
            QVERIFY2(!text.contains("Folder") && !text.contains("bytes"), qPrintable(text));
    }

    void theFontChooserOpensOnTheRegularStyle()
    {
        for (const QString &family : QFontDatabase::families()) {
            if (!family.startsWith("DejaVu"))
                continue;
            const QFont font = RegularFont(family, 8);
            QVERIFY2(!QFontDatabase::italic(family, font.styleName()), qPrintable(family));
            QCOMPARE(QFontDatabase::weight(family, font.styleName()), int(QFont::Normal));
            QVERIFY2(!font.styleName().contains("Condensed"), qPrintable(font.styleName()));
        }
    }
};

QObject *NewWindowsTest()
{
    return new WindowsTest;
}

#include "windows_test.moc"
