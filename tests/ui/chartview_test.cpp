// The chart window on a screen of density 2 (QT_SCALE_FACTOR=2, offscreen): the chart drawn for
// its pixels as velmora-render --scale 2 draws it, the read-out and the zoom in the window's own
// coordinates, the wheel zooming about the pointer, the right button panning, the whole chart
// back on a double-click or from the context menu, and the view kept out of the undo steps; a
// loop named in the loops window.
#include "core/loopspec.h"
#include "render/chartfile.h"
#include "scriptedprompts.h"
#include "ui/application.h"
#include "ui/chartdocument.h"
#include "ui/chartview.h"
#include "ui/chartwindow.h"
#include "ui/filefolders.h"
#include "ui/loopswindow.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

using namespace velmora;

class ChartViewTest : public QObject {
    Q_OBJECT

private:
    ChartView *view() { return window->findChild<ChartView *>("Image1"); }
    void addLoop(const char *expression)
    {
        LoopSpec spec;
        spec.expression = expression;
        spec.color = DefaultLoopColor(document->loops().size());
        document->addLoop(spec, LoadLoop(spec));
    }
    void wheel(QPoint at, int eighths)
    {
        QWheelEvent event(at, view()->mapToGlobal(at), QPoint(), QPoint(0, eighths), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view(), &event);
    }
    ViewExtents shown() const
    {
        const ChartSettings &s = document->settings();
        return document->session().view.value_or(
            ViewExtents { s.phaseMin, s.phaseMax, s.gainMin, s.gainMax });
    }

    std::unique_ptr<ChartDocument> document;
    std::unique_ptr<ChartWindow> window;

private slots:
    void init()
    {
        document = std::make_unique<ChartDocument>();
        window = std::make_unique<ChartWindow>(*document);
        window->redraw();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        addLoop("4/(s*(s+1)*(s+2))");
    }

    void cleanup()
    {
        window.reset();
        document.reset();
    }

    void theChartIsDrawnForTheScreensPixels()
    {
        QCOMPARE(window->devicePixelRatioF(), 2.0);
        QCOMPARE(view()->size(), QSize(300, 475));
        const QImage image = window->chartImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(image.size(), QSize(600, 950));
        QCOMPARE(image,
            ChartImage(document->scene(), WindowProfile(), { 600, 950 }, 2)
                .convertToFormat(QImage::Format_RGB32));
        // The chart under the loops is kept while only the loops change, and drawn again when
        // the chart changes: either way the window shows what a drawing afresh gives.
        const auto drawnAfresh = [this] {
            return window->chartImage().convertToFormat(QImage::Format_RGB32)
                == ChartImage(document->scene(), WindowProfile(), { 600, 950 }, 2)
                       .convertToFormat(QImage::Format_RGB32);
        };
        document->setLoopGain(0, 6);
        QVERIFY(drawnAfresh());
        document->setValues(ValueList::Isogain, { 1, 3 });
        QVERIFY(drawnAfresh());
        document->setLoopGain(0, -3);
        QVERIFY(drawnAfresh());
        // The read-out reads the window's own coordinates: (150, 237) is the middle of the
        // 600 x 950 chart's frame.
        const QString readOut = view()->readOutAt(QPointF(150, 237.5));
        const ChartMapping map = MappingOf(FrameOf(600, 950, 2), document->settings());
        QVERIFY2(readOut.startsWith(QStringLiteral("G : %1°").arg(map.phaseAt(300), 0, 'f', 1)),
            qPrintable(readOut));
    }

    void theWheelZoomsAboutThePointer()
    {
        const QPoint at(100, 300);
        const auto [phase, gain] = view()->valueAt(at);
        const int steps = document->undoStack().count();
        wheel(at, 120);
        // A view is not an undo step.
        QCOMPARE(document->undoStack().count(), steps);
        QVERIFY(document->session().view);
        const ViewExtents v = shown();
        QVERIFY(qAbs((v.phaseMax - v.phaseMin) - 270 / 1.25) < 1e-9);
        const auto [phaseAfter, gainAfter] = view()->valueAt(at);
        QVERIFY(qAbs(phaseAfter - phase) < 1e-9);
        QVERIFY(qAbs(gainAfter - gain) < 1e-9);
        // The window shows the view as velmora-render draws it.
        QCOMPARE(window->chartImage().convertToFormat(QImage::Format_RGB32),
            ChartImage(document->scene(), WindowProfile(), { 600, 950 }, 2)
                .convertToFormat(QImage::Format_RGB32));
        // Back out, the whole chart: no view.
        wheel(at, -240);
        QVERIFY(!document->session().view);
    }

    void theRightButtonPansAndItsClickOpensTheMenu()
    {
        wheel(QPoint(150, 237), 360);
        const ViewExtents before = shown();
        const QPoint from(120, 200);
        const auto [phase, gain] = view()->valueAt(from);
        QTest::mousePress(view(), Qt::RightButton, {}, from);
        QTest::mouseMove(view(), from + QPoint(30, 20));
        QTest::mouseRelease(view(), Qt::RightButton, {}, from + QPoint(30, 20));
        // What was under the pointer is under it still.
        const auto [phaseAfter, gainAfter] = view()->valueAt(from + QPoint(30, 20));
        QVERIFY(qAbs(phaseAfter - phase) < 1e-9);
        QVERIFY(qAbs(gainAfter - gain) < 1e-9);
        const ViewExtents after = shown();
        QVERIFY(
            qAbs((after.phaseMax - after.phaseMin) - (before.phaseMax - before.phaseMin)) < 1e-9);
        QVERIFY(after.phaseMin < before.phaseMin);
        // A right click without a drag: the menu, whose "Vue d'ensemble" shows the whole chart.
        QTest::mouseClick(view(), Qt::RightButton, {}, QPoint(150, 150));
        QMenu *menu = view()->findChild<QMenu *>();
        QVERIFY(menu);
        QTRY_VERIFY(menu->isVisible());
        view()->findChild<QAction *>("VueEnsemble")->trigger();
        menu->hide();
        QVERIFY(!document->session().view);
    }

    void aDoubleClickShowsTheWholeChart()
    {
        wheel(QPoint(150, 237), 240);
        QVERIFY(document->session().view);
        QTest::mouseDClick(view(), Qt::LeftButton, {}, QPoint(40, 40));
        QVERIFY(!document->session().view);
    }

    void undoAndRedoKeepTheView()
    {
        wheel(QPoint(150, 237), 240);
        const std::optional<ViewExtents> zoomed = document->session().view;
        QVERIFY(zoomed);
        document->setLegend(LegendKind::Margins);
        wheel(QPoint(200, 100), 120);
        const std::optional<ViewExtents> again = document->session().view;
        document->undoStack().undo();
        QCOMPARE(document->session().legend, LegendKind::Names);
        QVERIFY(document->session().view == again);
        document->undoStack().redo();
        QCOMPARE(document->session().legend, LegendKind::Margins);
        QVERIFY(document->session().view == again);
        QVERIFY(document->session().view != zoomed);
    }

    void aLoopIsNamedInTheLoopsWindow()
    {
        test::ScriptedPrompts prompts;
        FileFolders folders(*document);
        LoopsWindow loops(*document, prompts, folders);
        auto *name = loops.findChild<QLineEdit *>("NomBoucle");
        QVERIFY(name);
        QCOMPARE(name->placeholderText(), QStringLiteral("4/(s*(s+1)*(s+2))"));
        name->setText(QStringLiteral("  procédé  "));
        emit name->editingFinished();
        QCOMPARE(document->loops()[0].name, std::string("procédé"));
        QCOMPARE(document->scene().loops[0].name, std::string("procédé"));
        document->undoStack().undo();
        QCOMPARE(document->loops()[0].name, std::string());
        QCOMPARE(name->text(), QString());
    }
};

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "2");
    Application application(argc, argv);
    ChartViewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "chartview_test.moc"
