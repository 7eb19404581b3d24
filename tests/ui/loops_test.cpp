// The loop in the desktop program: the loops window, live gain, the margins window, the read-out
// and the locus drag, the resizable chart window, sessions, export, print and the clipboard's
// SVG, driven through the windows' controls with the questions answered by a script.
#include "core/closedloop.h"
#include "core/loopreport.h"
#include "core/numbertext.h"
#include "plot/chartmapping.h"
#include "program.h"
#include "render/chartfile.h"
#include "ui/chartview.h"
#include "ui/valuelisteditor.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace velmora;
using velmora::test::Program;

namespace {

const char *const ThirdOrder = "4/(s*(s+1)*(s+2))"; // GM 3.522 dB at 1.414 rad/s

// The chart as velmora-render draws it for these loops, at this profile.
QImage headless(const ChartSettings &settings, const RenderProfile &profile,
    const std::vector<std::pair<std::string, double>> &loops, ImageSize size = {})
{
    const AnalysisOptions options = AnalysisOptionsFor(settings);
    ChartScene scene { settings };
    for (std::size_t i = 0; i < loops.size(); ++i)
        scene.loops.push_back(
            { std::make_shared<const LoopAnalysis>(
                  AnalyseLoop(TransferFunction::parse(loops[i].first), loops[i].second, options)),
                DefaultLoopColor(i), loops[i].first });
    return ChartImage(scene, profile, size).convertToFormat(QImage::Format_RGB32);
}

} // namespace

class LoopsTest : public QObject {
    Q_OBJECT

private:
    ChartDocument &document() { return program->windows.document; }
    QWidget &loopsWindow() { return program->windows.loopsWindow; }
    template <typename T> T *loops(const char *name) { return Program::in<T>(loopsWindow(), name); }
    ChartView *view() { return Program::in<ChartView>(program->windows.chartWindow, "Image1"); }
    QTableWidget *margins()
    {
        return Program::in<QTableWidget>(program->windows.marginsWindow, "TableMarges");
    }
    QString marginsRow(int loop, const char *name)
    {
        QTableWidget *table = margins();
        for (int row = 0; row < table->rowCount(); ++row)
            if (table->verticalHeaderItem(row)->text() == QString::fromUtf8(name))
                return table->item(row, loop)->text();
        return QStringLiteral("(pas de ligne %1)").arg(name);
    }
    void typeAndAdd(const QString &expression)
    {
        loops<QLineEdit>("Expression")->clear();
        QTest::keyClicks(loops<QLineEdit>("Expression"), expression);
        QTest::mouseClick(loops<QPushButton>("BoutonAjouter"), Qt::LeftButton);
    }
    QPointF pixelOf(double phaseDeg, double gainDb)
    {
        const ChartMapping map = MappingOf(FrameOf(300, 475), program->settings());
        return { map.columnOf(phaseDeg), map.rowOf(gainDb) };
    }

    std::unique_ptr<Program> program;
    QTemporaryDir dir;

private slots:
    void init()
    {
        program = std::make_unique<Program>();
        program->main<QAction>("FonctionsTransfert1")->trigger();
        QVERIFY(loopsWindow().isVisible());
    }

    void cleanup()
    {
        QVERIFY2(program->trouble().isEmpty(), qPrintable(program->trouble()));
        program.reset();
    }

    void menusAreFrenchAndFileComesFirst()
    {
        QStringList titles;
        for (QAction *menu : program->windows.mainWindow.menuBar()->actions())
            titles << QString(menu->text()).remove('&');
        QCOMPARE(titles.mid(0, 3), (QStringList { "Fichier", "Édition", "Quitter" }));
        QVERIFY(titles.contains("Boucle"));
        QCOMPARE(program->main<QAction>("OuvrirSession1")->text().remove('&'),
            QString("Ouvrir une session..."));
        QCOMPARE(program->main<QAction>("EnregistrerSession1")->text().remove('&'),
            QString("Enregistrer la session"));
        QCOMPARE(program->main<QAction>("EnregistrerSessionSous1")->text().remove('&'),
            QString("Enregistrer la session sous..."));
        QCOMPARE(program->main<QAction>("Exporter1")->text().remove('&'),
            QString("Exporter l'abaque..."));
        QCOMPARE(program->main<QAction>("Imprimer1")->text().remove('&'), QString("Imprimer..."));
        QCOMPARE(program->main<QAction>("FonctionsTransfert1")->text().remove('&'),
            QString("Fonctions de transfert..."));
        QCOMPARE(program->main<QAction>("Marges1")->text().remove('&'), QString("Marges"));
        // Without a session the program starts as it always has: no loop, the plain chart.
        QVERIFY(document().loops().empty());
        QCOMPARE(program->chart(), headless(DefaultChartSettings(), WindowProfile(), {}));
    }

    // Every menu and entry has a mnemonic, and none is used twice at the same level: Alt+F opens
    // "Fichier".
    void menusAndEntriesHaveDistinctMnemonics()
    {
        const auto mnemonicOf = [](const QString &text) {
            const qsizetype at = text.indexOf('&');
            return at >= 0 && at + 1 < text.size() ? text[at + 1].toLower() : QChar();
        };
        const auto check = [&](const QList<QAction *> &actions, const QString &where) {
            QList<QChar> seen;
            for (QAction *action : actions) {
                if (action->isSeparator())
                    continue;
                const QChar key = mnemonicOf(action->text());
                QVERIFY2(!key.isNull(), qPrintable(where + " : " + action->text()));
                QVERIFY2(!seen.contains(key), qPrintable(where + " : " + action->text()));
                seen << key;
            }
        };
        QMenuBar *bar = program->windows.mainWindow.menuBar();
        check(bar->actions(), QStringLiteral("barre"));
        for (QAction *menu : bar->actions())
            if (menu->menu())
                check(menu->menu()->actions(), menu->text());
        QCOMPARE(mnemonicOf(program->main<QMenu>("Fichier1")->title()), QChar('f'));
    }

    void expressionIsCheckedAsTypedAndNothingChangesUntilItIsValid()
    {
        QTest::keyClicks(loops<QLineEdit>("Expression"), "4/(s*(s+1)");
        QCOMPARE(loops<QLabel>("ErreurExpression")->text(), QString("colonne 11 : « ) » attendue"));
        QVERIFY(!loops<QPushButton>("BoutonAjouter")->isEnabled());
        QTest::keyClick(loops<QLineEdit>("Expression"), Qt::Key_Return);
        QVERIFY(document().loops().empty());

        QTest::keyClicks(loops<QLineEdit>("Expression"), "*(s+2))");
        QVERIFY(loops<QLabel>("ErreurExpression")->text().isEmpty());
        QTest::keyClick(loops<QLineEdit>("Expression"), Qt::Key_Return);
        QCOMPARE(document().loops().size(), std::size_t(1));
        QCOMPARE(loops<QTableWidget>("ListeBoucles")->rowCount(), 1);
        QCOMPARE(loops<QTableWidget>("ListeBoucles")->item(0, 1)->text(), QString(ThirdOrder));
        QCOMPARE(program->chart(),
            headless(DefaultChartSettings(), WindowProfile(), { { ThirdOrder, 0 } }));

        for (const char *refused : { "1/(s-s)", "exp(0.2*s)/s", "2^s" }) {
            loops<QLineEdit>("Expression")->setText(refused);
            QVERIFY2(!loops<QLabel>("ErreurExpression")->text().isEmpty(), refused);
            QVERIFY(!loops<QPushButton>("BoutonAjouter")->isEnabled());
            QVERIFY(!loops<QPushButton>("BoutonModifier")->isEnabled());
        }
        QCOMPARE(document().loops().size(), std::size_t(1));
    }

    void gainIsTunedLiveAndTheMarginsFollow()
    {
        typeAndAdd(ThirdOrder);
        program->main<QAction>("Marges1")->trigger();
        QCOMPARE(marginsRow(0, "marge de gain"), QString("3.522 dB à 1.414 rad/s"));
        QCOMPARE(
            marginsRow(0, "boucle fermée"), QString("stable, aucun pôle à partie réelle positive"));

        loops<QDoubleSpinBox>("GainDb")->setValue(-6);
        QCOMPARE(document().loops()[0].gainDb, -6.0);
        QCOMPARE(loops<QSlider>("CurseurGain")->value(), -60);
        QCOMPARE(program->chart(),
            headless(DefaultChartSettings(), WindowProfile(), { { ThirdOrder, -6 } }));
        const LoopQuantities tuned
            = AnalyseLoop(TransferFunction::parse(ThirdOrder), -6, {}).quantities;
        QCOMPARE(marginsRow(0, "marge de gain"),
            QString::fromStdString(ReportRows({ ThirdOrder, tuned })[1].second));
        // The step response's figures, as computed for the same loop.
        const std::optional<StepResponse> step
            = ClosedLoopStep(TransferFunction::parse(ThirdOrder), -6);
        QVERIFY(step && step->figures.overshootPercent);
        QCOMPARE(marginsRow(0, "dépassement"),
            QString::fromStdString(FigureText(*step->figures.overshootPercent)) + " %");
        QVERIFY(marginsRow(0, "sensibilité Ms").endsWith("rad/s"));
        QCOMPARE(marginsRow(0, "gain ajouté"), QString("-6 dB"));

        // Past the gain margin the closed loop is unstable: no peak, no bandwidth.
        loops<QSlider>("CurseurGain")->setValue(40);
        QCOMPARE(document().loops()[0].gainDb, 4.0);
        QCOMPARE(loops<QDoubleSpinBox>("GainDb")->value(), 4.0);
        QVERIFY(marginsRow(0, "boucle fermée").startsWith("instable, 2 pôles"));
        QCOMPARE(marginsRow(0, "résonance Mr"), QString("sans objet (boucle fermée instable)"));
    }

    void loopsAreHiddenReplacedRecolouredAndRemoved()
    {
        typeAndAdd(ThirdOrder);
        loops<QDoubleSpinBox>("GainDb")->setValue(-3);
        QTableWidget *list = loops<QTableWidget>("ListeBoucles");
        list->item(0, 0)->setCheckState(Qt::Unchecked);
        QVERIFY(!document().loops()[0].visible);
        QCOMPARE(program->chart(), headless(DefaultChartSettings(), WindowProfile(), {}));
        list->item(0, 0)->setCheckState(Qt::Checked);

        program->prompts.colours.push_back(RgbColor(0, 128, 0));
        QTest::mouseClick(loops<QPushButton>("BoutonCouleur"), Qt::LeftButton);
        QCOMPARE(document().loops()[0].color, RgbColor(0, 128, 0));
        QCOMPARE(program->prompts.colourOpenedWith.back(), DefaultLoopColor(0));

        // "Modifier" changes what the loop is and keeps its gain, colour and visibility.
        loops<QLineEdit>("Expression")->setText("2/(s*(s+1))");
        QTest::mouseClick(loops<QPushButton>("BoutonModifier"), Qt::LeftButton);
        QCOMPARE(document().loops()[0].expression, std::string("2/(s*(s+1))"));
        QCOMPARE(document().loops()[0].gainDb, -3.0);
        QCOMPARE(document().loops()[0].color, RgbColor(0, 128, 0));

        QTest::mouseClick(loops<QPushButton>("BoutonSupprimer"), Qt::LeftButton);
        QVERIFY(document().loops().empty());
        QCOMPARE(list->rowCount(), 0);
        QVERIFY(!loops<QDoubleSpinBox>("GainDb")->isEnabled());
        QCOMPARE(program->chart(), headless(DefaultChartSettings(), WindowProfile(), {}));
    }

    void eightLoopsAtMost()
    {
        for (int i = 1; i <= 8; ++i)
            typeAndAdd(QStringLiteral("%1/(s*(s+1))").arg(i));
        QCOMPARE(document().loops().size(), std::size_t(8));
        loops<QLineEdit>("Expression")->setText("9/(s*(s+1))");
        QVERIFY(!loops<QPushButton>("BoutonAjouter")->isEnabled());
        QVERIFY(!loops<QPushButton>("BoutonCsv")->isEnabled());
        LoopSpec ninth;
        ninth.expression = "1/s";
        QVERIFY(!document().addLoop(ninth, LoadLoop(ninth)));
        QCOMPARE(document().loops().size(), std::size_t(8));
    }

    void measuredDataAreLoadedOrRefusedWithTheLine()
    {
        QFile good(dir.filePath("bode.csv"));
        QVERIFY(good.open(QIODevice::WriteOnly));
        good.write("# f (Hz), gain, phase\n0.01,30,-92\n0.1,10,-110\n1,-5,-170\n10,-40,-260\n");
        good.close();
        QFile bad(dir.filePath("bad.csv"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("1,0,-90\n0.5,-1,-100\n");
        bad.close();

        program->prompts.openFiles.push_back(bad.fileName());
        QTest::mouseClick(loops<QPushButton>("BoutonCsv"), Qt::LeftButton);
        QVERIFY(document().loops().empty());
        QVERIFY(loops<QLabel>("ErreurExpression")->text().contains("ligne 2"));

        loops<QCheckBox>("CaseHz")->setChecked(true);
        program->prompts.openFiles.push_back(good.fileName());
        QTest::mouseClick(loops<QPushButton>("BoutonCsv"), Qt::LeftButton);
        QCOMPARE(document().loops().size(), std::size_t(1));
        QVERIFY(document().loops()[0].csvHertz);
        QCOMPARE(document().loops()[0].displayName(), std::string("bode.csv"));
        QVERIFY(loops<QTableWidget>("ListeBoucles")->item(0, 1)->text().contains("bode.csv"));
        QVERIFY(program->chart() != headless(DefaultChartSettings(), WindowProfile(), {}));
    }

    void readOutFollowsThePointer()
    {
        ChartView &chart = *view();
        QCOMPARE(chart.readOutAt({ 2, 2 }), QString()); // outside the plot frame
        const QString plain = chart.readOutAt(pixelOf(-135.2, 3.1));
        const GainPhase closed = ClosedLoopOf({ 3.1, -135.2 });
        QVERIFY2(plain.startsWith("G : -135.2° 3.1 dB   T : "), qPrintable(plain));
        QVERIFY2(plain.endsWith(QString::fromStdString(FixedDecimalText(closed.gainDb, 1)) + " dB "
                     + QString::fromStdString(FixedDecimalText(closed.phaseDeg, 1)) + "°"),
            qPrintable(plain));

        // On a locus: the loop, its frequency and the closed loop at that frequency.
        typeAndAdd(ThirdOrder);
        const LoopAnalysis &analysis = *document().analysis(0);
        const ResponsePoint &p = analysis.locus[analysis.locus.size() / 3];
        const QPointF onLocus = pixelOf(p.phaseDeg + analysis.phaseShiftDeg, p.gainDb);
        const QString near = chart.readOutAt(onLocus);
        QVERIFY2(near.startsWith("Boucle 1, ω "), qPrintable(near));

        // The window's line follows the mouse and is emptied when the pointer leaves the frame.
        QLabel *line = Program::in<QLabel>(program->windows.chartWindow, "ReadOut");
        QTest::mouseMove(&chart, onLocus.toPoint());
        QTRY_VERIFY(line->text().startsWith("Boucle 1, ω "));
        QTest::mouseMove(&chart, QPoint(2, 2));
        QTRY_COMPARE(line->text(), QString());
    }

    void draggingTheLocusTunesItsGain()
    {
        typeAndAdd(ThirdOrder);
        const LoopAnalysis &analysis = *document().analysis(0);
        const ResponsePoint &p = analysis.locus[analysis.locus.size() / 2];
        const QPoint grip = pixelOf(p.phaseDeg + analysis.phaseShiftDeg, p.gainDb).toPoint();
        QTest::mousePress(view(), Qt::LeftButton, {}, grip);
        QTest::mouseMove(view(), grip - QPoint(0, 26));
        QTest::mouseRelease(view(), Qt::LeftButton, {}, grip - QPoint(0, 26));
        // 26 pixels up on a 455-pixel frame of 70 dB.
        QVERIFY2(std::abs(document().loops()[0].gainDb - 26 * 70.0 / 455) < 1e-9,
            qPrintable(QString::number(document().loops()[0].gainDb)));
        QCOMPARE(loops<QDoubleSpinBox>("GainDb")->value(), 4.0);
        // Far from any locus, a drag changes nothing.
        QTest::mousePress(view(), Qt::LeftButton, {}, QPoint(30, 440));
        QTest::mouseMove(view(), QPoint(30, 400));
        QTest::mouseRelease(view(), Qt::LeftButton, {}, QPoint(30, 400));
        QVERIFY(std::abs(document().loops()[0].gainDb - 4) < 1e-9);
    }

    void aDragFollowsItsLoopWhenAnotherIsRemoved()
    {
        typeAndAdd("2/(s*(s+1))");
        typeAndAdd(ThirdOrder);
        document().setLoopVisible(0, false); // out of the pointer's reach
        const LoopAnalysis &analysis = *document().analysis(1);
        const ResponsePoint &p = analysis.locus[analysis.locus.size() / 2];
        const QPoint grip = pixelOf(p.phaseDeg + analysis.phaseShiftDeg, p.gainDb).toPoint();
        QTest::mousePress(view(), Qt::LeftButton, {}, grip);
        document().removeLoop(0); // the dragged loop is now the first
        QTest::mouseMove(view(), grip - QPoint(0, 13));
        QCOMPARE(document().loops()[0].expression, std::string(ThirdOrder));
        QVERIFY(std::abs(document().loops()[0].gainDb - 13 * 70.0 / 455) < 1e-9);
        // Its loop removed, the drag ends: moving changes nothing and raises nothing.
        document().removeLoop(0);
        typeAndAdd("2/(s*(s+1))");
        QTest::mouseMove(view(), grip - QPoint(0, 40));
        QTest::mouseRelease(view(), Qt::LeftButton, {}, grip - QPoint(0, 40));
        QCOMPARE(document().loops()[0].gainDb, 0.0);
    }

    void aGainTypedInTheBoxAppliesWhenEntered()
    {
        typeAndAdd(ThirdOrder);
        QDoubleSpinBox *box = loops<QDoubleSpinBox>("GainDb");
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, "1,5");
        QCOMPARE(document().loops()[0].gainDb, 0.0); // nothing while typing
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(document().loops()[0].gainDb, 1.5);
        QCOMPARE(loops<QSlider>("CurseurGain")->value(), 15);
        // A point reads as the decimal point too, never as a group separator.
        box->selectAll();
        QTest::keyClicks(box, "-9.7");
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(document().loops()[0].gainDb, -9.7);
        QCOMPARE(box->text(), QString("-9.7 dB"));
    }

    void resizedChartWindowDrawsAtItsSize()
    {
        ChartWindow &window = program->windows.chartWindow;
        QCOMPARE(program->chart().size(), QSize(300, 475));
        window.resize(520, 700);
        const QSize drawn = program->chart().size();
        QCOMPARE(drawn.width(), 520);
        QVERIFY(drawn.height() > 600 && drawn.height() < 700); // the read-out line is below
        QCOMPARE(program->chart(),
            headless(
                DefaultChartSettings(), WindowProfile(), {}, { drawn.width(), drawn.height() }));
        // Never below the smallest chart the window's rules draw.
        window.resize(60, 60);
        QCOMPARE(program->chart().size(), QSize(150, 200));
    }

    void sessionIsSavedAndOpenedWhole()
    {
        program->main<QCheckBox>("CheckBox4")->click();
        document().setSetting(Setting::BitmapWidth, 450.0);
        document().setSetting(Setting::BitmapHeight, 700.0);
        typeAndAdd(ThirdOrder);
        loops<QDoubleSpinBox>("GainDb")->setValue(-2.5);
        typeAndAdd("0.5*exp(-0.2*s)/(s*(0.5*s+1))");
        loops<QTableWidget>("ListeBoucles")->item(1, 0)->setCheckState(Qt::Unchecked);
        const QImage saved = program->chart();

        program->prompts.saveFiles.push_back(dir.filePath("réglage"));
        program->main<QAction>("EnregistrerSession1")->trigger();
        QVERIFY(QFile::exists(dir.filePath("réglage.velmora")));

        program.reset(); // the old program lets go of the error report before the new one
        program = std::make_unique<Program>();
        program->prompts.openFiles.push_back(dir.filePath("réglage.velmora"));
        program->main<QAction>("OuvrirSession1")->trigger();
        QVERIFY(program->settings().axisStyle.grid);
        QVERIFY(program->main<QCheckBox>("CheckBox4")->isChecked());
        QCOMPARE(document().loops().size(), std::size_t(2));
        QCOMPARE(document().loops()[0].gainDb, -2.5);
        QVERIFY(!document().loops()[1].visible);
        QCOMPARE(program->chart(), saved);
        QCOMPARE(Program::in<QTableWidget>(loopsWindow(), "ListeBoucles")->rowCount(), 2);
        QCOMPARE(Program::in<QLabel>(program->windows.bitmapSizeDialog, "label1")->text(),
            QString("Largeur:450 pixels"));

        // A refused file names the key, and nothing changes.
        QFile bad(dir.filePath("mauvais.velmora"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(R"J({"format": "velmora-session", "settings": {"gain_max": 500}})J");
        bad.close();
        program->prompts.openFiles.push_back(bad.fileName());
        program->main<QAction>("OuvrirSession1")->trigger();
        QCOMPARE(program->prompts.errors.size(), 1);
        QVERIFY(program->prompts.errors.front().contains("« settings.gain_max »"));
        program->prompts.errors.clear();
        QCOMPARE(document().loops().size(), std::size_t(2));
        QCOMPARE(program->chart(), saved);
    }

    void exportWritesEachFormatAtTheChosenSize()
    {
        typeAndAdd(ThirdOrder);
        auto &prompts = program->prompts;
        prompts.exports.push_back(ExportChoice { dir.filePath("abaque.png"), 500, 800 });
        program->main<QAction>("Exporter1")->trigger();
        QCOMPARE(prompts.exportOpenedWith.back().path, QDir::home().filePath("abaque.png"));
        QCOMPARE(prompts.exportOpenedWith.back().width, 600); // the bitmap size by default
        QCOMPARE(prompts.exportOpenedWith.back().height, 950);
        QCOMPARE(QImage(dir.filePath("abaque.png")).convertToFormat(QImage::Format_RGB32),
            headless(
                DefaultChartSettings(), ClipboardProfile(), { { ThirdOrder, 0 } }, { 500, 800 }));

        for (const char *name : { "abaque.svg", "abaque.pdf", "abaque.bmp" }) {
            prompts.exports.push_back(ExportChoice { dir.filePath(name), 600, 950 });
            program->main<QAction>("Exporter1")->trigger();
            QFile file(dir.filePath(name));
            QVERIFY2(file.open(QIODevice::ReadOnly), name);
            const QByteArray head = file.read(256);
            QVERIFY2(
                head.contains("<svg") || head.startsWith("%PDF") || head.startsWith("BM"), name);
        }
        // The dialog proposes the last file exported.
        QCOMPARE(prompts.exportOpenedWith.back().path, dir.filePath("abaque.pdf"));

        prompts.exports.push_back(ExportChoice { dir.filePath("abaque.gif"), 600, 950 });
        program->main<QAction>("Exporter1")->trigger();
        QCOMPARE(prompts.errors.size(), 1);
        QVERIFY(prompts.errors.front().contains(".png, .bmp, .svg ou .pdf"));
        prompts.errors.clear();
        QVERIFY(!QFile::exists(dir.filePath("abaque.gif")));
    }

    void printAndClipboardAreVector()
    {
        typeAndAdd(ThirdOrder);
        program->prompts.printTo = dir.filePath("page.pdf");
        program->main<QAction>("Imprimer1")->trigger();
        QFile page(dir.filePath("page.pdf"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        QVERIFY(page.read(4) == "%PDF");
        QVERIFY(page.size() > 10000);

        program->main<QAction>("Copierdanspressepapiers1")->trigger();
        const QMimeData *copied = QGuiApplication::clipboard()->mimeData();
        QVERIFY(copied->hasImage());
        QVERIFY(copied->data("image/svg+xml").contains("<svg"));
        QCOMPARE(qvariant_cast<QImage>(copied->imageData()).convertToFormat(QImage::Format_RGB32),
            headless(
                DefaultChartSettings(), ClipboardProfile(), { { ThirdOrder, 0 } }, { 600, 950 }));
    }
};

QObject *NewLoopsTest()
{
    return new LoopsTest;
}

#include "loops_test.moc"
