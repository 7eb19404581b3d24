// Undo and redo of every kind of change, one step a gesture, the modified mark in the title, and
// the question about unsaved changes, driven through the windows with scripted answers.
#include "core/settingfields.h"
#include "program.h"
#include "render/chartfile.h"
#include "session/session.h"
#include "ui/chartview.h"
#include "ui/valuelisteditor.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

using namespace velmora;
using velmora::test::Program;

namespace {

const char *const ThirdOrder = "4/(s*(s+1)*(s+2))";

} // namespace

class UndoTest : public QObject {
    Q_OBJECT

private:
    ChartDocument &document() { return program->windows.document; }
    QAction *action(const char *name) { return program->main<QAction>(name); }
    QWidget &loopsWindow() { return program->windows.loopsWindow; }
    template <typename T> T *loops(const char *name) { return Program::in<T>(loopsWindow(), name); }
    void addLoop(const char *expression)
    {
        loops<QLineEdit>("Expression")->setText(expression);
        QTest::mouseClick(loops<QPushButton>("BoutonAjouter"), Qt::LeftButton);
    }
    void undo() { action("Annuler1")->trigger(); }
    void redo() { action("Retablir1")->trigger(); }
    QString title() { return program->windows.mainWindow.windowTitle(); }
    QString writeSession(const char *name, const char *json)
    {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the session");
        file.write(json);
        return file.fileName();
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

    // Settings, lists and loops: each change undone gives back the chart, the captions and the
    // controls as they were, and redone gives the change again.
    void everyKindOfChangeIsUndoneAndRedone()
    {
        QVERIFY(!action("Annuler1")->isEnabled());
        const QImage start = program->chart();
        QLabel *gainMin = program->main<QLabel>("Label5");
        program->prompts.inputs = { QString("-20.0") };
        QTest::mouseClick(gainMin, Qt::LeftButton);
        QCOMPARE(gainMin->text(), QString("gain mini= -20.0dB"));
        QCOMPARE(action("Annuler1")->text().remove('&'), QString("Annuler : gain mini"));
        const QImage changed = program->chart();
        QVERIFY(changed != start);

        program->main<QCheckBox>("CheckBox4")->click();
        QVERIFY(program->settings().axisStyle.grid);
        undo();
        QVERIFY(!program->settings().axisStyle.grid);
        QVERIFY(!program->main<QCheckBox>("CheckBox4")->isChecked());
        QCOMPARE(program->chart(), changed);
        undo();
        QCOMPARE(program->settings().gainMin, -30.0);
        QCOMPARE(gainMin->text(), QString("gain mini= -30dB"));
        QCOMPARE(program->chart(), start);
        QVERIFY(!action("Annuler1")->isEnabled());
        QCOMPARE(action("Retablir1")->text().remove('&'), QString("Rétablir : gain mini"));
        redo();
        QCOMPARE(gainMin->text(), QString("gain mini= -20.0dB"));
        QCOMPARE(program->chart(), changed);

        // A value added to a list: its row and its contour go together.
        auto *isogains = program->main<ValueListEditor>("ValueListEditor1");
        program->prompts.inputs = { QString("9") };
        QTest::mouseClick(program->main<QPushButton>("BitBtn1"), Qt::LeftButton);
        QCOMPARE(isogains->dataRowCount(), 16);
        QCOMPARE(program->settings().isogainValues.back(), 9.0);
        undo();
        QCOMPARE(isogains->dataRowCount(), 15);
        QCOMPARE(program->settings().isogainValues.size(), 15u);
        QCOMPARE(program->chart(), changed);

        // A loop added, its colour changed, removed: each a step, named after the loop.
        program->main<QAction>("FonctionsTransfert1")->trigger();
        addLoop(ThirdOrder);
        QCOMPARE(action("Annuler1")->text().remove('&'), QString("Annuler : ajout de la boucle 1"));
        const QImage withLoop = program->chart();
        document().setLoopColor(0, RgbColor(0, 0, 255));
        QCOMPARE(
            action("Annuler1")->text().remove('&'), QString("Annuler : couleur de la boucle 1"));
        document().removeLoop(0);
        QVERIFY(document().loops().empty());
        undo();
        undo();
        QCOMPARE(document().loops().size(), std::size_t(1));
        QCOMPARE(program->chart(), withLoop);
        QCOMPARE(loops<QTableWidget>("ListeBoucles")->rowCount(), 1);
    }

    // A whole drag of a locus is one step; so is one movement of the slider.
    void aDragOrASliderMovementIsOneStep()
    {
        program->main<QAction>("FonctionsTransfert1")->trigger();
        addLoop(ThirdOrder);
        auto *view = Program::in<ChartView>(program->windows.chartWindow, "Image1");
        const LoopAnalysis &analysis = *document().analysis(0);
        const ResponsePoint &p = analysis.locus[analysis.locus.size() / 2];
        const ChartMapping map = MappingOf(FrameOf(300, 475), program->settings());
        const QPoint grip(static_cast<int>(map.columnOf(p.phaseDeg + analysis.phaseShiftDeg)),
            static_cast<int>(map.rowOf(p.gainDb)));
        const int before = document().undoStack().count();
        QTest::mousePress(view, Qt::LeftButton, {}, grip);
        for (int dy = 5; dy <= 40; dy += 5)
            QTest::mouseMove(view, grip - QPoint(0, dy));
        QTest::mouseRelease(view, Qt::LeftButton, {}, grip - QPoint(0, 40));
        QVERIFY(document().loops()[0].gainDb > 5);
        QCOMPARE(document().undoStack().count(), before + 1);
        QCOMPARE(action("Annuler1")->text().remove('&'), QString("Annuler : gain de la boucle 1"));
        undo();
        QCOMPARE(document().loops()[0].gainDb, 0.0);
        QCOMPARE(loops<QDoubleSpinBox>("GainDb")->value(), 0.0);

        auto *slider = loops<QSlider>("CurseurGain");
        emit slider->sliderPressed();
        for (int steps : { 10, 25, 60 })
            slider->setValue(steps);
        emit slider->sliderReleased();
        QCOMPARE(document().loops()[0].gainDb, 6.0);
        QCOMPARE(document().undoStack().count(), before + 1); // the drag's step was undone
        undo();
        QCOMPARE(document().loops()[0].gainDb, 0.0);
    }

    // The title names the session and marks changes; opening a session starts the stack anew.
    void theTitleMarksChangesAndASessionStartsClean()
    {
        QCOMPARE(title(), QString("Velmora"));
        program->main<QCheckBox>("CheckBox4")->click();
        // Without loops or a session nothing is marked: the classic chart asks nothing.
        QCOMPARE(title(), QString("Velmora"));
        program->main<QAction>("FonctionsTransfert1")->trigger();
        addLoop(ThirdOrder);
        QCOMPARE(title(), QString("Velmora*"));

        const QString path = writeSession("essai.velmora",
            R"J({"format": "velmora-session", "loops": [{"expression": "2/(s*(s+1))"}]})J");
        program->prompts.saveAnswers = { SaveAnswer::Discard };
        program->windows.mainWindow.openSessionFile(path);
        QCOMPARE(program->prompts.saveQuestions, QStringList { "Sans titre" });
        QCOMPARE(title(), QString("Velmora — essai.velmora"));
        QVERIFY(!action("Annuler1")->isEnabled());
        QCOMPARE(document().loops()[0].expression, std::string("2/(s*(s+1))"));

        loops<QDoubleSpinBox>("GainDb")->setValue(-3);
        QCOMPARE(title(), QString("Velmora — essai.velmora*"));
        undo();
        QCOMPARE(title(), QString("Velmora — essai.velmora"));
        redo();
        // Ctrl+S writes to the session in use without asking.
        action("EnregistrerSession1")->trigger();
        QCOMPARE(title(), QString("Velmora — essai.velmora"));
        QCOMPARE(ReadSessionFile(path).loops[0].gainDb, -3.0);
    }

    // Quitting with unsaved changes asks first; Annuler keeps everything, Enregistrer saves.
    void quittingAsksAboutUnsavedChanges()
    {
        QMainWindow &main = program->windows.mainWindow;
        main.show();
        program->main<QAction>("FonctionsTransfert1")->trigger();
        addLoop(ThirdOrder);
        program->prompts.saveAnswers = { SaveAnswer::Cancel };
        action("Quitter1")->trigger();
        QVERIFY(main.isVisible());
        QCOMPARE(document().loops().size(), std::size_t(1));

        program->prompts.saveAnswers = { SaveAnswer::Save };
        program->prompts.saveFiles = { dir.filePath("fin") };
        action("Quitter1")->trigger();
        QVERIFY(!main.isVisible());
        QCOMPARE(ReadSessionFile(dir.filePath("fin.velmora")).loops[0].expression,
            std::string(ThirdOrder));
        QCOMPARE(program->prompts.saveQuestions.size(), 2);
    }

    void theClassicChartQuitsAtOnce()
    {
        QMainWindow &main = program->windows.mainWindow;
        main.show();
        program->main<QCheckBox>("CheckBox4")->click();
        action("Quitter1")->trigger();
        QVERIFY(!main.isVisible());
        QVERIFY(program->prompts.saveQuestions.isEmpty());
    }
};

QObject *NewUndoTest()
{
    return new UndoTest;
}

#include "undo_test.moc"
