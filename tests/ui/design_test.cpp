// Designing a loop through the windows: the compensator edited in the loops window, the gain
// tuned to a target, a phase lead, a handle dragged on the chart, and the Boucle menu's chart
// options, each one undo step.
#include "core/numbertext.h"
#include "program.h"
#include "ui/chartview.h"
#include "ui/designdialogs.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <cmath>

using namespace velmora;
using velmora::test::Program;

namespace {

const char *const ThirdOrder = "4/(s*(s+1)*(s+2))";

} // namespace

class DesignTest : public QObject {
    Q_OBJECT

private:
    ChartDocument &document() { return program->windows.document; }
    QWidget &loopsWindow() { return program->windows.loopsWindow; }
    template <typename T> T *loops(const char *name) { return Program::in<T>(loopsWindow(), name); }
    void addLoop(const char *expression)
    {
        program->main<QAction>("FonctionsTransfert1")->trigger();
        loops<QLineEdit>("Expression")->setText(expression);
        QTest::mouseClick(loops<QPushButton>("BoutonAjouter"), Qt::LeftButton);
    }
    void addElement(const QString &type)
    {
        auto *menu = Program::in<QMenu>(loopsWindow(), "MenuElements");
        for (QAction *action : menu->actions())
            if (action->text() == type)
                action->trigger();
    }
    // Types into a parameter's field, key by key, as a user does.
    void type(const char *field, const QString &text)
    {
        QLineEdit *edit = loops<QLineEdit>(field);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    template <typename T> T *in(QWidget &window, const char *name)
    {
        return Program::in<T>(window, name);
    }
    void undo() { program->main<QAction>("Annuler1")->trigger(); }
    QString undoText() { return program->main<QAction>("Annuler1")->text().remove('&'); }

    std::unique_ptr<Program> program;

private slots:
    void init() { program = std::make_unique<Program>(); }

    void cleanup()
    {
        QVERIFY2(program->trouble().isEmpty(), qPrintable(program->trouble()));
        program.reset();
    }

    // Elements added from the menu take their default parameters; a parameter typed is checked
    // at each key, a refused one changes nothing and says why, the keys typed into one field are
    // one step; C(s) follows.
    void theCompensatorIsEditedInTheLoopsWindow()
    {
        addLoop(ThirdOrder);
        addElement(QStringLiteral("Avance de phase"));
        QCOMPARE(document().loops()[0].compensator.size(), std::size_t(1));
        QCOMPARE(document().loops()[0].compensator[0].kind, ElementKind::Lead);
        QCOMPARE(
            loops<QTableWidget>("ListeElements")->item(0, 0)->text(), QString("Avance de phase"));
        QVERIFY(loops<QLabel>("TexteCorrecteur")->text().startsWith("C(s) = "));
        QVERIFY(loops<QLabel>("TexteCorrecteur")->text().contains("(1+"));
        const double analysedBefore = *document().analysis(0)->quantities.phaseMarginDeg;

        const int steps = document().undoStack().count();
        type("Parametre1_2", "95");
        QCOMPARE(document().loops()[0].compensator[0].parameters[1], 9.0); // "9" was accepted
        QVERIFY(loops<QLabel>("ErreurCorrecteur")->text().contains("φm doit être dans"));
        QVERIFY(
            loops<QLabel>("ErreurCorrecteur")->text().startsWith("élément 1 (Avance de phase)"));
        type("Parametre1_2", "40,5"); // a decimal comma reads as the point
        QCOMPARE(document().loops()[0].compensator[0].parameters[1], 40.5);
        QVERIFY(loops<QLabel>("ErreurCorrecteur")->text().isEmpty());
        QCOMPARE(document().undoStack().count(), steps + 1);
        QCOMPARE(undoText(), QString("Annuler : correcteur de la boucle 1"));
        QVERIFY(*document().analysis(0)->quantities.phaseMarginDeg != analysedBefore);
        type("Parametre1_1", "abc");
        QVERIFY(loops<QLabel>("ErreurCorrecteur")->text().contains("« abc » n'est pas un nombre"));
        undo();
        QCOMPARE(document().loops()[0].compensator[0].parameters[1],
            InfoOf(ElementKind::Lead).parameters[1].defaultValue);

        addElement(QStringLiteral("Intégrateur"));
        QCOMPARE(document().loops()[0].compensator.size(), std::size_t(2));
        QVERIFY(loops<QLabel>("TexteCorrecteur")->text().contains("s"));
        loops<QTableWidget>("ListeElements")->selectRow(0);
        QTest::mouseClick(loops<QPushButton>("BoutonRetirerElement"), Qt::LeftButton);
        QCOMPARE(document().loops()[0].compensator.size(), std::size_t(1));
        QCOMPARE(document().loops()[0].compensator[0].kind, ElementKind::Integrator);
    }

    // "Régler le gain..." sets the gain for the target, keeps the target and draws its contour;
    // one step undoes both. An unreachable target changes nothing and says why.
    void theGainIsTunedToATarget()
    {
        addLoop(ThirdOrder);
        const QImage untuned = program->chart();
        program->main<QAction>("ReglerGain1")->trigger();
        auto *dialog = in<TuningDialog>(program->windows.mainWindow, "ReglageGain");
        QVERIFY(dialog->isVisible());
        QCOMPARE(in<QLabel>(*dialog, "BoucleChoisie")->text(), QString("Boucle 1 : ") + ThirdOrder);
        in<QComboBox>(*dialog, "TypeObjectif")->setCurrentIndex(0); // Mr
        in<QLineEdit>(*dialog, "ValeurObjectif")->setText("2,3");
        QTest::mouseClick(in<QPushButton>(*dialog, "BoutonRegler"), Qt::LeftButton);
        QVERIFY(std::fabs(document().loops()[0].gainDb - -9.63) < 0.01);
        QVERIFY(std::fabs(*document().analysis(0)->quantities.peakDb - 2.3) < 1e-6);
        QCOMPARE(document().loops()[0].target, (LoopTarget { TargetKind::Mr, 2.3 }));
        QVERIFY(in<QLabel>(*dialog, "Raison")->text().startsWith("Gain de la boucle 1 : -9.63"));
        QCOMPARE(undoText(), QString("Annuler : réglage de la boucle 1"));
        // The contour of the target is drawn: clearing it leaves the tuned chart without it.
        const QImage tuned = program->chart();
        program->main<QAction>("EffacerObjectif1")->trigger();
        QVERIFY(!document().loops()[0].target);
        QVERIFY(program->chart() != tuned);
        undo();
        undo();
        QCOMPARE(document().loops()[0].gainDb, 0.0);
        QVERIFY(!document().loops()[0].target);
        QCOMPARE(program->chart(), untuned);

        const int steps = document().undoStack().count();
        in<QLineEdit>(*dialog, "ValeurObjectif")->setText("-1");
        QVERIFY(!dialog->tune());
        QVERIFY(in<QLabel>(*dialog, "Raison")->text().startsWith("Mr = -1 dB inaccessible"));
        in<QLineEdit>(*dialog, "ValeurObjectif")->setText("deux");
        QVERIFY(!dialog->tune());
        QCOMPARE(
            in<QLabel>(*dialog, "Raison")->text(), QString("Mr : « deux » n'est pas un nombre"));
        QCOMPARE(document().undoStack().count(), steps);
    }

    // "Avance de phase..." adds a lead and sets the gain for the margin at the crossover; more
    // phase than one lead gives is refused.
    void aLeadGivesTheMarginAtTheCrossover()
    {
        addLoop(ThirdOrder);
        program->main<QAction>("AvancePhase1")->trigger();
        auto *dialog = in<LeadDialog>(program->windows.mainWindow, "AvancePhase");
        in<QLineEdit>(*dialog, "MargePhase")->setText("50");
        in<QLineEdit>(*dialog, "PulsationCoupure")->setText("1");
        QVERIFY(dialog->design());
        QCOMPARE(document().loops()[0].compensator.size(), std::size_t(1));
        QCOMPARE(document().loops()[0].compensator[0].kind, ElementKind::Lead);
        const LoopQuantities &q = document().analysis(0)->quantities;
        QVERIFY(std::fabs(*q.gainCrossover - 1) < 1e-6);
        QVERIFY(std::fabs(*q.phaseMarginDeg - 50) < 1e-6);
        QCOMPARE(undoText(), QString("Annuler : avance de phase de la boucle 1"));
        QCOMPARE(loops<QTableWidget>("ListeElements")->rowCount(), 1);

        const Compensator designed = document().loops()[0].compensator;
        in<QLineEdit>(*dialog, "MargePhase")->setText("89");
        in<QLineEdit>(*dialog, "PulsationCoupure")->setText("3");
        QVERIFY(!dialog->design());
        QVERIFY(in<QLabel>(*dialog, "Raison")->text().contains("70"));
        QCOMPARE(document().loops()[0].compensator, designed);
        undo();
        QVERIFY(document().loops()[0].compensator.empty());
    }

    // A handle dragged along the locus moves its element's frequency, live; the whole drag is
    // one step. The locus elsewhere still drags the gain.
    void aHandleIsDraggedAlongTheLocus()
    {
        addLoop(ThirdOrder);
        addElement(QStringLiteral("Avance de phase"));
        const double omegaBefore = document().loops()[0].compensator[0].parameters[0];
        auto *view = Program::in<ChartView>(program->windows.chartWindow, "Image1");
        ChartScene scene = document().scene();
        scene.showHandles = true;
        const PreparedChart chart = PrepareChart(scene, 300, 475);
        const auto pixelOf = [&](double omega) {
            const std::optional<ResponsePoint> p
                = DrawnPointAt(*scene.loops[0].analysis, chart.loci[0], omega);
            return QPoint(static_cast<int>(std::lround(
                              chart.mapping.columnOf(p->phaseDeg + chart.loci[0].shiftDeg))),
                static_cast<int>(std::lround(chart.mapping.rowOf(p->gainDb))));
        };
        const QPoint handle = pixelOf(omegaBefore);
        const QPoint target = pixelOf(omegaBefore * 3);
        const int steps = document().undoStack().count();
        QTest::mousePress(view, Qt::LeftButton, {}, handle);
        for (int k = 1; k <= 4; ++k)
            QTest::mouseMove(view, handle + (target - handle) * k / 4);
        QTest::mouseRelease(view, Qt::LeftButton, {}, target);
        const double omegaAfter = document().loops()[0].compensator[0].parameters[0];
        QVERIFY2(omegaAfter > omegaBefore * 1.5, qPrintable(QString::number(omegaAfter)));
        QCOMPARE(document().loops()[0].gainDb, 0.0);
        QCOMPARE(document().undoStack().count(), steps + 1);
        QCOMPARE(undoText(), QString("Annuler : correcteur de la boucle 1"));
        QCOMPARE(loops<QLineEdit>("Parametre1_1")->text(),
            QString::fromStdString(SignificantText(omegaAfter, 6, '.')));
        undo();
        QCOMPARE(document().loops()[0].compensator[0].parameters[0], omegaBefore);
    }

    // The legend's choice and the sensitivity contours from the Boucle menu, their checks
    // following undo.
    void theChartOptionsAreInTheLoopMenu()
    {
        addLoop(ThirdOrder);
        QVERIFY(program->main<QAction>("LegendeNoms1")->isChecked());
        program->main<QAction>("LegendeMarges1")->trigger();
        QCOMPARE(document().session().legend, LegendKind::Margins);
        program->main<QAction>("ContoursSensibilite1")->trigger();
        QVERIFY(document().session().showSensitivity);
        undo();
        QVERIFY(!program->main<QAction>("ContoursSensibilite1")->isChecked());
        undo();
        QVERIFY(program->main<QAction>("LegendeNoms1")->isChecked());
        QVERIFY(!program->main<QAction>("LegendeMarges1")->isChecked());
    }
};

QObject *NewDesignTest()
{
    return new DesignTest;
}

#include "design_test.moc"
