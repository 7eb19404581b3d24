// The main window: start-up, value lists, settings commands, chart window, clipboard and the
// auxiliary windows, driven as a user would through their controls, with the questions answered
// by a script.
#include "plot/abaque.h"
#include "plot/rastersurface.h"
#include "scriptedprompts.h"
#include "ui/abaqvelmora.h"
#include "ui/aideabaq.h"
#include "ui/application.h"
#include "ui/apropo.h"
#include "ui/chgvalbmp.h"
#include "ui/imageabaq.h"
#include "ui/startup.h"
#include "ui/widgets.h"
#include "ui_abaqvelmora.h"
#include "ui_aideabaq.h"
#include "ui_apropo.h"
#include "ui_chgvalbmp.h"
#include "ui_imageabaq.h"

#include <QClipboard>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace velmora;
using velmora::test::ScriptedPrompts;

namespace {

QImage render(const ChartSettings &settings, const RenderProfile &profile)
{
    RasterSurface surface(profile.width, profile.height);
    RenderAbaque(settings, profile, surface);
    return surface.image().convertToFormat(QImage::Format_RGB32);
}

QImage chartWindowImage()
{
    return abaque->image().convertToFormat(QImage::Format_RGB32);
}

QStringList keysOf(const ValueListEditor &list)
{
    QStringList keys;
    for (int row = 1; row <= list.dataRowCount(); ++row)
        keys << list.keyText(row);
    return keys;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    Ui::TFenetvelmora &f() { return Fenetvelmora->form(); }
    void click(QWidget *widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    void answer(std::optional<QString> text) { prompts->inputs.push_back(std::move(text)); }

    std::unique_ptr<ScriptedPrompts> prompts;

private slots:
    void init()
    {
        prompts = std::make_unique<ScriptedPrompts>();
        CreateWindows();
        Fenetvelmora->init(Fenetvelmora);
    }

    void cleanup()
    {
        QCOMPARE(prompts->unexpected, 0);
        DestroyWindows();
        prompts.reset();
    }

    void startUpState()
    {
        QCOMPARE(f().Label4->text(), QString("gain maxi= 40dB"));
        QCOMPARE(f().Label8->text(), QString("intervalle graduation= 2dB"));
        QCOMPARE(f().Label5->text(), QString("gain mini= -30dB"));
        QCOMPARE(f().Label6->text(), QString("phase maxi= 10°"));
        QCOMPARE(f().Label9->text(), QString("intervalle graduation= 30°"));
        QCOMPARE(f().Label7->text(), QString("phase mini= -260°"));
        QCOMPARE(f().ValueListEditor1->rowCountWithTitle(), 16);
        QCOMPARE(f().ValueListEditor2->rowCountWithTitle(), 18);
        QCOMPARE(f().ValueListEditor1->keyText(1), QString("1 "));
        QCOMPARE(f().ValueListEditor1->valueText(7), QString("0.5"));
        QCOMPARE(f().ValueListEditor2->valueText(17), QString("-358"));
        QCOMPARE(f().ValueListEditor1->horizontalHeaderItem(0)->text(), QString("N°"));
        QCOMPARE(f().ValueListEditor2->horizontalHeaderItem(1)->text(), QString("Phase"));
        QCOMPARE(Settings.IsogainValues.size(), 16u);
        QCOMPARE(Settings.IsophaseValues.size(), 18u);
        QCOMPARE(Settings.IsophaseValues[17], -358.0);
        QCOMPARE(Settings.BitmapWidth, 600);
        QCOMPARE(Settings.BitmapHeight, 950);
        QVERIFY(!f().CheckBox3->isChecked());
        QVERIFY(!f().CheckBox4->isChecked());
        QCOMPARE(Fenetvelmora->windowTitle(), QString("Velmora"));
        QCOMPARE(f().Copiereimage1->title(), QString("Copier image "));
        QCOMPARE(f().Aide1->title(), QString("Divers"));
        QCOMPARE(f().Copierdanspressepapiers1->text(), QString("Copier dans presse-papiers"));
        QCOMPARE(valbmp->form().label1->text(), QString("Largeur: 600 pixels"));
        QCOMPARE(valbmp->form().Label2->text(), QString("Hauteur: 950 pixels"));
        QCOMPARE(abaque->pos(), QPoint(619, 137));
        QVERIFY(abaque->isVisible());
        QCOMPARE(f().Label1->toolTip(), QString("Changement couleur"));
        QCOMPARE(f().Label2->toolTip(), QString("changement couleur"));
        QCOMPARE(f().BitBtn2->toolTip(), QString("Supprimer la valeur"));
        QCOMPARE(f().Label4->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(f().Label6->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(!aide->isVisible() && !AboutBox->isVisible() && !valbmp->isVisible());
        QCOMPARE(chartWindowImage().size(), QSize(300, 475));
        QCOMPARE(chartWindowImage(), render(DefaultChartSettings(), WindowProfile()));
    }

    void addValueRules()
    {
        ValueListEditor &gains = *f().ValueListEditor1;
        // Bounds are excluded; cancel changes nothing.
        for (const char *refused : { "100", "-100", "1e3" })
            answer(QString(refused));
        answer(std::nullopt);
        for (int i = 0; i < 4; ++i)
            click(f().BitBtn1);
        QCOMPARE(gains.dataRowCount(), 15);
        QCOMPARE(Settings.IsogainValues.size(), 16u);
        QCOMPARE(prompts->questions.front().title, QString("Ajout d un gain"));
        QCOMPARE(prompts->questions.front().prompt, QString("Entrer la -100dB<valeur<100 dB "));
        QCOMPARE(prompts->questions.front().defaultText, QString("0"));

        // The new row shows the answer as typed; the row that was last before stays current.
        answer(QString("+2.50"));
        click(f().BitBtn1);
        QCOMPARE(gains.dataRowCount(), 16);
        QCOMPARE(gains.keyText(16), QString("16"));
        QCOMPARE(gains.valueText(16), QString("+2.50"));
        QCOMPARE(Settings.IsogainValues.size(), 17u);
        QCOMPARE(Settings.IsogainValues[16], 2.5);
        QCOMPARE(gains.currentDataRow(), 15);

        // Deleting right after the add removes that former last row.
        click(f().BitBtn2);
        QCOMPARE(gains.dataRowCount(), 15);
        QCOMPARE(gains.valueText(15), QString("+2.50"));
        QCOMPARE(gains.keyText(15), QString("15"));
        QCOMPARE(Settings.IsogainValues.back(), 2.5);

        ValueListEditor &phases = *f().ValueListEditor2;
        answer(QString("-1"));
        answer(QString("-360"));
        answer(QString("-359.5"));
        for (int i = 0; i < 3; ++i)
            click(f().BitBtn3);
        QCOMPARE(prompts->questions.back().title, QString("Ajout d un gain"));
        QCOMPARE(prompts->questions.back().prompt, QString("Entrer la -360°<valeur< -1° "));
        QCOMPARE(phases.dataRowCount(), 18);
        QCOMPARE(Settings.IsophaseValues.back(), -359.5);
    }

    void deleteRules()
    {
        ValueListEditor &gains = *f().ValueListEditor1;
        // A middle row: the current index stays, the rows above keep their key texts (the
        // form's keys carry a trailing blank), the rows from the current one are renumbered.
        gains.setCurrentDataRow(5);
        click(f().BitBtn2);
        QCOMPARE(gains.currentDataRow(), 5);
        QCOMPARE(gains.valueText(5), QString("1"));
        QCOMPARE(gains.keyText(4), QString("4 "));
        QCOMPARE(gains.keyText(5), QString("5"));
        QCOMPARE(gains.keyText(14), QString("14"));
        QCOMPARE(Settings.IsogainValues.size(), 15u);
        QCOMPARE(Settings.IsogainValues[5], 1.0);

        // Row 1 (12 dB) goes; the keys run 1 to 13 again.
        gains.setCurrentDataRow(1);
        click(f().BitBtn2);
        QCOMPARE(gains.valueText(1), QString("6"));
        QCOMPARE(keysOf(gains).size(), 13);
        for (int row = 1; row <= 13; ++row)
            QCOMPARE(gains.keyText(row), QString::number(row));
        QCOMPARE(Settings.IsogainValues[1], 6.0);
        QCOMPARE(gains.currentDataRow(), 1);

        // Deleting the last row while current makes the new last row current.
        gains.setCurrentDataRow(13);
        click(f().BitBtn2);
        QCOMPARE(gains.currentDataRow(), 12);
        QCOMPARE(gains.valueText(12), QString("-18"));
        QCOMPARE(Settings.IsogainValues.size(), 13u);
    }

    void rightAfterStartDeleteRemovesTheFirstRow()
    {
        click(f().BitBtn4);
        QCOMPARE(f().ValueListEditor2->valueText(1), QString("-5"));
        QCOMPARE(f().ValueListEditor2->dataRowCount(), 16);
        ChartSettings expected = DefaultChartSettings();
        expected.IsophaseValues.erase(expected.IsophaseValues.begin() + 1);
        QCOMPARE(chartWindowImage(), render(expected, WindowProfile()));
    }

    void deletingTheOnlyRowThenAddingAndEnter()
    {
        ValueListEditor &phases = *f().ValueListEditor2;
        for (int i = 0; i < 17; ++i)
            click(f().BitBtn4);
        QCOMPARE(phases.rowCountWithTitle(), 2);
        QCOMPARE(phases.keyText(1), QString("1"));
        QCOMPARE(phases.valueText(1), QString());
        QCOMPARE(Settings.IsophaseValues, (std::vector<double> { 0, 0 }));
        // The 0 left there draws nothing and raises nothing: the chart is complete otherwise.
        QVERIFY(prompts->errors.isEmpty());
        ChartSettings expected = DefaultChartSettings();
        expected.IsophaseValues = { 0, 0 };
        QCOMPARE(chartWindowImage(), render(expected, WindowProfile()));
        Fenetvelmora->init(Fenetvelmora);
        QVERIFY(prompts->errors.isEmpty());

        // Deleting the only row again keeps it.
        click(f().BitBtn4);
        QCOMPARE(phases.rowCountWithTitle(), 2);

        // Enter puts the fallback -180 in the array; the text stays empty.
        phases.setFocus();
        QTest::keyClick(&phases, Qt::Key_Return);
        QCOMPARE(Settings.IsophaseValues, (std::vector<double> { 0, -180 }));
        QCOMPARE(phases.valueText(1), QString());

        // Adding appends row 2; the empty row 1 stays and reads 0 again.
        answer(QString("-45"));
        click(f().BitBtn3);
        QCOMPARE(phases.rowCountWithTitle(), 3);
        QCOMPARE(Settings.IsophaseValues, (std::vector<double> { 0, 0, -45 }));
        QVERIFY(prompts->errors.isEmpty());
    }

    void editingInPlaceAndEnter()
    {
        ValueListEditor &gains = *f().ValueListEditor1;
        gains.setFocus();
        gains.setCurrentCell(0, 1);
        gains.editItem(gains.item(0, 1));
        auto *editor = gains.findChild<QLineEdit *>("CellEditor");
        QVERIFY(editor);
        editor->selectAll();
        const QImage before = chartWindowImage();
        QTest::keyClicks(editor, "150");
        // Committed at each keystroke, neither read nor drawn.
        QCOMPARE(gains.valueText(1), QString("150"));
        QCOMPARE(Settings.IsogainValues[1], 12.0);
        QCOMPARE(chartWindowImage(), before);

        // One Enter is one key press for the handler, whether a cell is being edited or not.
        int enters = 0;
        connect(&gains, &ValueListEditor::keyPressed, this,
            [&enters](char &key) { enters += key == '\r' ? 1 : 0; });
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(enters, 1);
        QCOMPARE(Settings.IsogainValues[1], 0.0); // outside -100 < v < 100: the fallback
        QCOMPARE(gains.valueText(1), QString("150"));
        ChartSettings expected = DefaultChartSettings();
        expected.IsogainValues[1] = 0;
        QCOMPARE(Settings.IsogainValues, expected.IsogainValues);
        QCOMPARE(chartWindowImage(), render(expected, WindowProfile()));
        QTest::keyClick(&gains, Qt::Key_Return);
        QCOMPARE(enters, 2);

        // A character typed on the grid opens the cell editor with it, reported once.
        int typed = 0;
        connect(&gains, &ValueListEditor::keyPressed, this, [&typed](char &) { ++typed; });
        gains.setCurrentCell(1, 1);
        QTest::keyClick(&gains, Qt::Key_7);
        QCOMPARE(typed, 1);
        QCOMPARE(Settings.IsogainValues[2], 6.0);

        // A later delete elsewhere in the list re-reads without the test: 150 itself.
        gains.setCurrentDataRow(15);
        click(f().BitBtn2);
        QCOMPARE(Settings.IsogainValues[1], 150.0);
        QVERIFY(prompts->errors.isEmpty());
    }

    void overflowInACellIsReportedAndKeepsWhatWasDone()
    {
        ValueListEditor &gains = *f().ValueListEditor1;
        gains.setValueText(3, "1e400");
        gains.setCurrentDataRow(15);
        const QImage before = chartWindowImage();
        click(f().BitBtn2);
        QCOMPARE(prompts->errors, QStringList { "Débordement en virgule flottante." });
        QCOMPARE(gains.dataRowCount(), 14);
        QCOMPARE(Settings.IsogainValues.size(), 15u);
        QCOMPARE(chartWindowImage(), before);
    }

    void gainMaxCommand()
    {
        answer(QString("100"));
        click(f().Label4);
        QCOMPARE(prompts->questions.back().title, QString("Entrée valeur"));
        QCOMPARE(prompts->questions.back().prompt, QString("Entrez G max>0"));
        QCOMPARE(prompts->questions.back().defaultText, QString("40"));
        QCOMPARE(Settings.GainMax, 100.0);
        QCOMPARE(f().Label4->text(), QString("gain maxi= 100dB"));

        // Refused: the caption is written again from the kept value, and the chart drawn.
        for (const char *refused : { "100.5", "0", "" }) {
            answer(QString(refused));
            click(f().Label4);
            QCOMPARE(Settings.GainMax, 100.0);
            QCOMPARE(f().Label4->text(), QString("gain maxi= 100dB"));
        }
        answer(QString("40.0"));
        click(f().Label4);
        QCOMPARE(f().Label4->text(), QString("gain maxi= 40dB"));

        // Cancel changes nothing; overflow is reported and changes nothing.
        answer(std::nullopt);
        answer(QString("1e400"));
        click(f().Label4);
        click(f().Label4);
        QCOMPARE(prompts->errors, QStringList { "Débordement en virgule flottante." });
        QCOMPARE(Settings.GainMax, 40.0);
    }

    void extentAndStepCommands()
    {
        answer(QString("-100"));
        answer(QString("0"));
        answer(QString("-20.0"));
        for (int i = 0; i < 3; ++i)
            click(f().Label5);
        QCOMPARE(Settings.GainMin, -20.0);
        QCOMPARE(f().Label5->text(), QString("gain mini= -20.0dB"));
        QCOMPARE(prompts->questions.back().prompt, QString("Entrez G min>0"));

        answer(QString("-179.9"));
        answer(QString("-360.1"));
        answer(QString("-360"));
        for (int i = 0; i < 3; ++i)
            click(f().Label7);
        QCOMPARE(Settings.PhaseMin, -360.0);
        QCOMPARE(f().Label7->text(), QString("phase mini= -360°"));
        answer(QString("-180"));
        click(f().Label7);
        QCOMPARE(Settings.PhaseMin, -180.0);

        // GainStep against the current GainMax (40): 20 refused, 19.9 taken.
        answer(QString("20"));
        answer(QString("19.9"));
        click(f().Label8);
        click(f().Label8);
        QCOMPARE(Settings.GainStep, 19.9);
        QCOMPARE(f().Label8->text(), QString("Intervalle graduation= 19.9dB"));
        QCOMPARE(f().Label9->text(), QString("intervalle graduation= 30°"));
        QCOMPARE(prompts->questions.back().prompt, QString("Entrez intervalle graduation>0"));

        // Lowering GainMax leaves the step alone; a cancel then changes nothing either.
        answer(QString("10"));
        click(f().Label4);
        QCOMPARE(Settings.GainStep, 19.9);
        answer(std::nullopt);
        click(f().Label8);
        QCOMPARE(Settings.GainStep, 19.9);
        // Confirming the default text re-reads it: 19.9 no longer passes 19.9 < 10 / 2.
        answer(QString("19.9"));
        click(f().Label8);
        QCOMPARE(f().Label8->text(), QString("Intervalle graduation= 19.9dB"));

        // PhaseStep against |PhaseMin| / 2 with PhaseMin back at -260.
        answer(QString("-260"));
        click(f().Label7);
        answer(QString("130"));
        answer(QString("129.9"));
        click(f().Label9);
        click(f().Label9);
        QCOMPARE(Settings.PhaseStep, 129.9);
        QCOMPARE(f().Label9->text(), QString("Intervalle graduation= 129.9°"));

        click(f().Label6); // no handler, no question
        QVERIFY(prompts->errors.isEmpty());
    }

    void colourCommandsShareTheChooser()
    {
        const Color red = RgbColor(255, 0, 0);
        prompts->colours.push_back(red);
        click(f().Label12);
        QCOMPARE(prompts->colourOpenedWith.back(), Black);
        QCOMPARE(Settings.style.AxisColor, red);
        QCOMPARE(f().Label12->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(f().Label12->text(), QString("Couleur axes"));

        // The iso-gain chooser opens on the colour last confirmed; a cancel stores nothing.
        const QImage before = chartWindowImage();
        prompts->colours.push_back(std::nullopt);
        click(f().Label1);
        QCOMPARE(prompts->colourOpenedWith.back(), red);
        QCOMPARE(Settings.IsogainColor, Black);
        QCOMPARE(chartWindowImage(), before);

        const Color blue = RgbColor(0, 0, 255);
        prompts->colours.push_back(blue);
        click(f().Label2);
        QCOMPARE(Settings.IsophaseColor, blue);
        ChartSettings expected = DefaultChartSettings();
        expected.style.AxisColor = red;
        expected.IsophaseColor = blue;
        QCOMPARE(chartWindowImage(), render(expected, WindowProfile()));
    }

    void fontCommand()
    {
        prompts->fonts.push_back(std::nullopt);
        click(f().Label10);
        QCOMPARE(prompts->fontOpenedWith.back().face, std::string("MS Sans Serif"));
        QCOMPARE(prompts->fontOpenedWith.back().points, 8);
        QCOMPARE(f().Label10->text(), QString("Fonte employée et taille"));
        QVERIFY(Settings.style.FontName.empty());

        prompts->fonts.push_back(FontChoice { "DejaVu Serif", 12 });
        click(f().Label10);
        QCOMPARE(Settings.style.FontName, std::string("DejaVu Serif"));
        QCOMPARE(Settings.style.FontSize, 12);
        QCOMPARE(f().Label10->text(), QString("Fonte + tailleDejaVu Serif 12"));
        QCOMPARE(f().Label10->font().pixelSize(), 16);
        ChartSettings expected = DefaultChartSettings();
        expected.style.FontName = "DejaVu Serif";
        expected.style.FontSize = 12;
        QCOMPARE(chartWindowImage(), render(expected, WindowProfile()));

        prompts->fonts.push_back(std::nullopt);
        click(f().Label10);
        QCOMPARE(prompts->fontOpenedWith.back().face, std::string("DejaVu Serif"));
    }

    void gridToggledTwiceGivesThePreviousChart()
    {
        const QImage plain = chartWindowImage();
        f().CheckBox4->click();
        QVERIFY(Settings.style.Grid);
        const QImage grid = chartWindowImage();
        QVERIFY(grid != plain);
        f().CheckBox3->click();
        QVERIFY(Settings.style.DottedGrid);
        QVERIFY(chartWindowImage() != grid);
        f().CheckBox3->click();
        QCOMPARE(chartWindowImage(), grid);
        f().CheckBox4->click();
        QCOMPARE(chartWindowImage(), plain);
    }

    void chartWindowMatchesTheHeadlessRenderer()
    {
        answer(QString("60"));
        click(f().Label4);
        answer(QString("-45"));
        click(f().Label5);
        f().CheckBox4->click();
        QTemporaryDir dir;
        const QString path = dir.filePath("chart.png");
        QProcess process;
        process.start(QStringLiteral(VELMORA_RENDER_PATH),
            { "--gain-max", "60", "--gain-min", "-45", "--grid", "-o", path });
        QVERIFY(process.waitForFinished(60'000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(chartWindowImage(), QImage(path).convertToFormat(QImage::Format_RGB32));
    }

    void clipboardCopyAndBitmapSize()
    {
        const QImage window = chartWindowImage();
        f().Copierdanspressepapiers1->trigger();
        QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), QSize(600, 950));
        QCOMPARE(copied.convertToFormat(QImage::Format_RGB32),
            render(DefaultChartSettings(), ClipboardProfile(600, 950)));
        QCOMPARE(chartWindowImage(), window);

        f().aille1->trigger();
        QVERIFY(valbmp->isVisible());
        Ui::Tvalbmp &size = valbmp->form();
        answer(QString("450.7"));
        click(size.label1);
        QCOMPARE(size.label1->text(), QString("Largeur:450 pixels"));
        QCOMPARE(prompts->questions.back().title, QString("entrée taille bitmap"));
        QCOMPARE(prompts->questions.back().prompt, QString("entrée de la 400<=largeur<=600"));
        QCOMPARE(prompts->questions.back().defaultText, QString("600"));
        for (const char *refused : { "399", "601", "", "abc" }) {
            answer(QString(refused));
            click(size.label1);
        }
        QCOMPARE(Settings.BitmapWidth, 450);
        answer(std::nullopt);
        click(size.label1);
        QCOMPARE(Settings.BitmapWidth, 450);
        answer(QString("599"));
        answer(QString("951"));
        answer(QString("600"));
        for (int i = 0; i < 3; ++i)
            click(size.Label2);
        QCOMPARE(prompts->questions.back().prompt, QString("entrée de la 600<=longueur<=950"));
        QCOMPARE(size.Label2->text(), QString("Hauteur:600 pixels"));
        f().Copierdanspressepapiers1->trigger();
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(450, 600));
        click(size.Button1);
        QVERIFY(!valbmp->isVisible());
    }

    void auxiliaryWindows()
    {
        f().Aide2->trigger();
        QVERIFY(aide->isVisible());
        QCOMPARE(aide->windowTitle(), QString("aide"));
        const QStringList lines = aide->form().Memo1->toPlainText().split('\n');
        QCOMPARE(lines.size(), 31);
        QCOMPARE(lines, HelpLines());
        QCOMPARE(lines[16], QString("\u00b7\t100 dB pour le gain maximum (avec la "));
        QCOMPARE(lines[2], QString("A partir du diagramme de Black de la fonction de "));
        click(aide->form().Button1);
        QVERIFY(!aide->isVisible());

        f().Apropos1->trigger();
        QVERIFY(AboutBox->isVisible());
        QCOMPARE(AboutBox->windowTitle(), QString("A propos"));
        QCOMPARE(AboutBox->form().ProductName->text(), QString("Abaque de Velmora"));
        QVERIFY(AboutBox->form().Comments->text().startsWith("Contact:  "));
        QVERIFY(AboutBox->form().OKButton->isDefault());
        f().Apropos1->trigger(); // already open: unchanged
        QVERIFY(AboutBox->isVisible());
        click(AboutBox->form().OKButton);
        QVERIFY(!AboutBox->isVisible());
        // The close box hides as the button does.
        f().aille1->trigger();
        valbmp->close();
        QVERIFY(!valbmp->isVisible());
        QVERIFY(valbmp != nullptr);
    }

    void activationRendersOnlyWhenComingBackFromAnotherWindow()
    {
        Fenetvelmora->show();
        Fenetvelmora->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Fenetvelmora));
        // Changed behind the program's back: only a new rendering shows it.
        Settings.GainMax = 20;
        const QImage before = chartWindowImage();

        // Back from a modal box: no rendering.
        QDialog modal;
        modal.setModal(true);
        modal.show();
        modal.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&modal));
        modal.hide();
        Fenetvelmora->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Fenetvelmora));
        QCOMPARE(chartWindowImage(), before);

        // Back from the help window: the chart is drawn again.
        aide->show();
        aide->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(aide));
        Fenetvelmora->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Fenetvelmora));
        QVERIFY(chartWindowImage() != before);
        ChartSettings expected = DefaultChartSettings();
        expected.GainMax = 20;
        QCOMPARE(chartWindowImage(), render(expected, WindowProfile()));
    }

    void quitClosesTheProgram()
    {
        Fenetvelmora->show();
        aide->show();
        f().Quitter1->trigger();
        QVERIFY(!Fenetvelmora->isVisible());
    }
};

class ErrorReportTest : public QObject {
    Q_OBJECT
private slots:
    void appendsAPointAfterCharactersSortingAfterIt()
    {
        QCOMPARE(ErrorReportText("Débordement en virgule flottante"),
            QString("Débordement en virgule flottante."));
        QCOMPARE(ErrorReportText("Fin."), QString("Fin."));
        QCOMPARE(ErrorReportText("Quoi !"), QString("Quoi !"));
        QCOMPARE(ErrorReportText("x-"), QString("x-"));
        QCOMPARE(ErrorReportText("x/"), QString("x/."));
        QCOMPARE(ErrorReportText(""), QString(""));
    }
};

// The real input box, typed into and answered with its two buttons.
class InputBoxTest : public QObject {
    Q_OBJECT
private:
    static void answerWhenOpen(const std::function<void(TInputBox &)> &act)
    {
        QTimer::singleShot(0, [act] {
            auto *box = qobject_cast<TInputBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            act(*box);
        });
    }

private slots:
    void okReturnsTheTypedTextAndAnnulerNothing()
    {
        DialogPrompts dialogs;
        answerWhenOpen([](TInputBox &box) {
            QCOMPARE(box.windowTitle(), QString("Entrée valeur"));
            QCOMPARE(box.findChild<QLabel *>("Prompt")->text(), QString("Entrez G max>0"));
            auto *edit = box.findChild<QLineEdit *>("Edit");
            QCOMPARE(edit->text(), QString("40"));
            QCOMPARE(edit->selectedText(), QString("40"));
            QCOMPARE(edit->maxLength(), 255);
            QVERIFY(box.findChild<QPushButton *>("OKButton")->isDefault());
            QTest::keyClicks(edit, "60");
            QTest::mouseClick(box.findChild<QPushButton *>("OKButton"), Qt::LeftButton);
        });
        QCOMPARE(dialogs.inputBox("Entrée valeur", "Entrez G max>0", "40"), QString("60"));

        answerWhenOpen([](TInputBox &box) {
            QTest::keyClicks(box.findChild<QLineEdit *>("Edit"), "75");
            QTest::mouseClick(box.findChild<QPushButton *>("CancelButton"), Qt::LeftButton);
        });
        QVERIFY(!dialogs.inputBox("Entrée valeur", "Entrez G max>0", "40"));

        answerWhenOpen([](TInputBox &box) {
            QCOMPARE(box.findChild<QPushButton *>("CancelButton")->text(), QString("Annuler"));
            QTest::keyClick(box.findChild<QLineEdit *>("Edit"), Qt::Key_Return);
        });
        QCOMPARE(dialogs.inputBox("t", "p", "0"), QString("0"));
    }
};

QObject *NewRandomUseTest();

int RunMainWindowTests(int argc, char **argv)
{
    int failures = 0;
    {
        ErrorReportTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        InputBoxTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        MainWindowTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        std::unique_ptr<QObject> test(NewRandomUseTest());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures;
}

#include "mainwindow_test.moc"
