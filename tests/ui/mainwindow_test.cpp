// The main window: start-up, value lists, settings commands, chart window, clipboard and the
// auxiliary windows, driven as a user would through their controls, with the questions answered
// by a script.
#include "plot/renderchart.h"
#include "program.h"
#include "render/chartfile.h"
#include "ui/clickablelabel.h"
#include "ui/inputbox.h"
#include "ui/valuelisteditor.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace velmora;
using velmora::test::Program;

namespace {

QImage render(const ChartSettings &settings, const RenderProfile &profile, ImageSize size = {})
{
    return ChartImage({ settings }, profile, size).convertToFormat(QImage::Format_RGB32);
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
    void click(QWidget *widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    void answer(std::optional<QString> text) { prompts->inputs.push_back(std::move(text)); }
    QLabel *label(const char *name) { return program->main<QLabel>(name); }
    ValueListEditor *list(const char *name) { return program->main<ValueListEditor>(name); }
    QPushButton *button(const char *name) { return program->main<QPushButton>(name); }
    QCheckBox *checkBox(const char *name) { return program->main<QCheckBox>(name); }
    QAction *action(const char *name) { return program->main<QAction>(name); }
    const ChartSettings &settings() { return program->settings(); }
    QImage chartWindowImage() { return program->chart(); }
    QWidget &mainWindow() { return program->windows.mainWindow; }
    QWidget &chartWindow() { return program->windows.chartWindow; }
    QWidget &helpWindow() { return program->windows.helpWindow; }
    QWidget &aboutDialog() { return program->windows.aboutDialog; }
    QWidget &bitmapSizeDialog() { return program->windows.bitmapSizeDialog; }

    std::unique_ptr<Program> program;
    velmora::test::ScriptedPrompts *prompts = nullptr;

private slots:
    void init()
    {
        program = std::make_unique<Program>();
        prompts = &program->prompts;
    }

    void cleanup()
    {
        QCOMPARE(prompts->unexpected, 0);
        program.reset();
        prompts = nullptr;
    }

    void startUpState()
    {
        QCOMPARE(label("Label4")->text(), QString("gain maxi= 40dB"));
        QCOMPARE(label("Label8")->text(), QString("intervalle graduation= 2dB"));
        QCOMPARE(label("Label5")->text(), QString("gain mini= -30dB"));
        QCOMPARE(label("Label6")->text(), QString("phase maxi= 10°"));
        QCOMPARE(label("Label9")->text(), QString("intervalle graduation= 30°"));
        QCOMPARE(label("Label7")->text(), QString("phase mini= -260°"));
        QCOMPARE(list("ValueListEditor1")->rowCountWithTitle(), 16);
        QCOMPARE(list("ValueListEditor2")->rowCountWithTitle(), 18);
        QCOMPARE(list("ValueListEditor1")->keyText(1), QString("1 "));
        QCOMPARE(list("ValueListEditor1")->valueText(7), QString("0.5"));
        QCOMPARE(list("ValueListEditor2")->valueText(17), QString("-358"));
        QCOMPARE(list("ValueListEditor1")->horizontalHeaderItem(0)->text(), QString("N°"));
        QCOMPARE(list("ValueListEditor2")->horizontalHeaderItem(1)->text(), QString("Phase"));
        QCOMPARE(settings().isogainValues.size(), 15u);
        QCOMPARE(settings().isophaseValues.size(), 17u);
        QCOMPARE(settings().isophaseValues[16], -358.0);
        QCOMPARE(settings().bitmapWidth, 600);
        QCOMPARE(settings().bitmapHeight, 950);
        QVERIFY(!checkBox("CheckBox3")->isChecked());
        QVERIFY(!checkBox("CheckBox4")->isChecked());
        QCOMPARE(mainWindow().windowTitle(), QString("Velmora"));
        QCOMPARE(mainWindow().objectName(), QString("Fenetvelmora"));
        QCOMPARE(
            program->main<QMenu>("Copiereimage1")->title().remove('&'), QString("Copier image "));
        QCOMPARE(program->main<QMenu>("Aide1")->title().remove('&'), QString("Divers"));
        QCOMPARE(action("Copierdanspressepapiers1")->text().remove('&'),
            QString("Copier dans presse-papiers"));
        QCOMPARE(Program::in<QLabel>(bitmapSizeDialog(), "label1")->text(),
            QString("Largeur: 600 pixels"));
        QCOMPARE(Program::in<QLabel>(bitmapSizeDialog(), "Label2")->text(),
            QString("Hauteur: 950 pixels"));
        QCOMPARE(chartWindow().pos(), QPoint(619, 137));
        QVERIFY(chartWindow().isVisible());
        QCOMPARE(label("Label1")->toolTip(), QString("Changement couleur"));
        QCOMPARE(label("Label2")->toolTip(), QString("changement couleur"));
        QCOMPARE(button("BitBtn2")->toolTip(), QString("Supprimer la valeur"));
        QCOMPARE(label("Label4")->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(label("Label6")->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(!helpWindow().isVisible() && !aboutDialog().isVisible()
            && !bitmapSizeDialog().isVisible());
        QCOMPARE(chartWindowImage().size(), QSize(300, 475));
        QCOMPARE(chartWindowImage(), render(DefaultChartSettings(), WindowProfile()));
    }

    void addValueRules()
    {
        ValueListEditor &gains = *list("ValueListEditor1");
        // Bounds are excluded; cancel changes nothing.
        for (const char *refused : { "100", "-100", "1e3" })
            answer(QString(refused));
        answer(std::nullopt);
        for (int i = 0; i < 4; ++i)
            click(button("BitBtn1"));
        QCOMPARE(gains.dataRowCount(), 15);
        QCOMPARE(settings().isogainValues.size(), 15u);
        QCOMPARE(prompts->questions.front().title, QString("Ajout d un gain"));
        QCOMPARE(prompts->questions.front().prompt, QString("Entrer la -100dB<valeur<100 dB "));
        QCOMPARE(prompts->questions.front().defaultText, QString("0"));

        // The new row shows the answer as typed; the row that was last before stays current.
        answer(QString("+2.50"));
        click(button("BitBtn1"));
        QCOMPARE(gains.dataRowCount(), 16);
        QCOMPARE(gains.keyText(16), QString("16"));
        QCOMPARE(gains.valueText(16), QString("+2.50"));
        QCOMPARE(settings().isogainValues.size(), 16u);
        QCOMPARE(settings().isogainValues[15], 2.5);
        QCOMPARE(gains.currentDataRow(), 15);

        // Deleting right after the add removes that former last row.
        click(button("BitBtn2"));
        QCOMPARE(gains.dataRowCount(), 15);
        QCOMPARE(gains.valueText(15), QString("+2.50"));
        QCOMPARE(gains.keyText(15), QString("15"));
        QCOMPARE(settings().isogainValues.back(), 2.5);

        ValueListEditor &phases = *list("ValueListEditor2");
        answer(QString("-1"));
        answer(QString("-360"));
        answer(QString("-359.5"));
        for (int i = 0; i < 3; ++i)
            click(button("BitBtn3"));
        QCOMPARE(prompts->questions.back().title, QString("Ajout d un gain"));
        QCOMPARE(prompts->questions.back().prompt, QString("Entrer la -360°<valeur< -1° "));
        QCOMPARE(phases.dataRowCount(), 18);
        QCOMPARE(settings().isophaseValues.back(), -359.5);
    }

    void deleteRules()
    {
        ValueListEditor &gains = *list("ValueListEditor1");
        // A middle row: the current index stays, the rows above keep their key texts (the
        // form's keys carry a trailing blank), the rows from the current one are renumbered.
        gains.setCurrentDataRow(5);
        click(button("BitBtn2"));
        QCOMPARE(gains.currentDataRow(), 5);
        QCOMPARE(gains.valueText(5), QString("1"));
        QCOMPARE(gains.keyText(4), QString("4 "));
        QCOMPARE(gains.keyText(5), QString("5"));
        QCOMPARE(gains.keyText(14), QString("14"));
        QCOMPARE(settings().isogainValues.size(), 14u);
        QCOMPARE(settings().isogainValues[4], 1.0);

        // Row 1 (12 dB) goes; the keys run 1 to 13 again.
        gains.setCurrentDataRow(1);
        click(button("BitBtn2"));
        QCOMPARE(gains.valueText(1), QString("6"));
        QCOMPARE(keysOf(gains).size(), 13);
        for (int row = 1; row <= 13; ++row)
            QCOMPARE(gains.keyText(row), QString::number(row));
        QCOMPARE(settings().isogainValues[0], 6.0);
        QCOMPARE(gains.currentDataRow(), 1);

        // Deleting the last row while current makes the new last row current.
        gains.setCurrentDataRow(13);
        click(button("BitBtn2"));
        QCOMPARE(gains.currentDataRow(), 12);
        QCOMPARE(gains.valueText(12), QString("-18"));
        QCOMPARE(settings().isogainValues.size(), 12u);
    }

    void rightAfterStartDeleteRemovesTheFirstRow()
    {
        click(button("BitBtn4"));
        QCOMPARE(list("ValueListEditor2")->valueText(1), QString("-5"));
        QCOMPARE(list("ValueListEditor2")->dataRowCount(), 16);
        ChartSettings expected = DefaultChartSettings();
        expected.isophaseValues.erase(expected.isophaseValues.begin());
        QCOMPARE(chartWindowImage(), render(expected, WindowProfile()));
    }

    void deletingTheOnlyRowThenAddingAndEnter()
    {
        ValueListEditor &phases = *list("ValueListEditor2");
        for (int i = 0; i < 17; ++i)
            click(button("BitBtn4"));
        QCOMPARE(phases.rowCountWithTitle(), 2);
        QCOMPARE(phases.keyText(1), QString("1"));
        QCOMPARE(phases.valueText(1), QString());
        QCOMPARE(settings().isophaseValues, (std::vector<double> { 0 }));
        // The 0 left there draws nothing and raises nothing: the chart is complete otherwise.
        QVERIFY(prompts->errors.isEmpty());
        ChartSettings expected = DefaultChartSettings();
        expected.isophaseValues = { 0 };
        QCOMPARE(chartWindowImage(), render(expected, WindowProfile()));
        program->windows.chartWindow.redraw();
        QVERIFY(prompts->errors.isEmpty());

        // Deleting the only row again keeps it.
        click(button("BitBtn4"));
        QCOMPARE(phases.rowCountWithTitle(), 2);

        // Enter puts the fallback -180 in the array; the text stays empty.
        phases.setFocus();
        QTest::keyClick(&phases, Qt::Key_Return);
        QCOMPARE(settings().isophaseValues, (std::vector<double> { -180 }));
        QCOMPARE(phases.valueText(1), QString());

        // Adding appends row 2; the empty row 1 stays and reads 0 again.
        answer(QString("-45"));
        click(button("BitBtn3"));
        QCOMPARE(phases.rowCountWithTitle(), 3);
        QCOMPARE(settings().isophaseValues, (std::vector<double> { 0, -45 }));
        QVERIFY(prompts->errors.isEmpty());
    }

    void editingInPlaceAndEnter()
    {
        ValueListEditor &gains = *list("ValueListEditor1");
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
        QCOMPARE(settings().isogainValues[0], 12.0);
        QCOMPARE(chartWindowImage(), before);

        // One Enter is one key press for the handler, whether a cell is being edited or not.
        int enters = 0;
        connect(&gains, &ValueListEditor::keyPressed, this,
            [&enters](char &key) { enters += key == '\r' ? 1 : 0; });
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(enters, 1);
        QCOMPARE(settings().isogainValues[0], 0.0); // outside -100 < v < 100: the fallback
        QCOMPARE(gains.valueText(1), QString("150"));
        ChartSettings expected = DefaultChartSettings();
        expected.isogainValues[0] = 0;
        QCOMPARE(settings().isogainValues, expected.isogainValues);
        QCOMPARE(chartWindowImage(), render(expected, WindowProfile()));
        QTest::keyClick(&gains, Qt::Key_Return);
        QCOMPARE(enters, 2);

        // A character typed on the grid opens the cell editor with it, reported once.
        int typed = 0;
        connect(&gains, &ValueListEditor::keyPressed, this, [&typed](char &) { ++typed; });
        gains.setCurrentCell(1, 1);
        QTest::keyClick(&gains, Qt::Key_7);
        QCOMPARE(typed, 1);
        QCOMPARE(settings().isogainValues[1], 6.0);

        // A later delete elsewhere in the list re-reads without the test: 150 itself.
        gains.setCurrentDataRow(15);
        click(button("BitBtn2"));
        QCOMPARE(settings().isogainValues[0], 150.0);
        QVERIFY(prompts->errors.isEmpty());
    }

    void overflowInACellIsReportedAndKeepsWhatWasDone()
    {
        ValueListEditor &gains = *list("ValueListEditor1");
        gains.setValueText(3, "1e400");
        gains.setCurrentDataRow(15);
        const QImage before = chartWindowImage();
        click(button("BitBtn2"));
        QCOMPARE(prompts->errors, QStringList { "Débordement en virgule flottante." });
        QCOMPARE(gains.dataRowCount(), 14);
        QCOMPARE(settings().isogainValues.size(), 14u);
        QCOMPARE(chartWindowImage(), before);
    }

    void gainMaxCommand()
    {
        answer(QString("100"));
        click(label("Label4"));
        QCOMPARE(prompts->questions.back().title, QString("Entrée valeur"));
        QCOMPARE(prompts->questions.back().prompt, QString("Entrez G max>0"));
        QCOMPARE(prompts->questions.back().defaultText, QString("40"));
        QCOMPARE(settings().gainMax, 100.0);
        QCOMPARE(label("Label4")->text(), QString("gain maxi= 100dB"));

        // Refused: the caption is written again from the kept value, and the chart drawn.
        for (const char *refused : { "100.5", "0", "" }) {
            answer(QString(refused));
            click(label("Label4"));
            QCOMPARE(settings().gainMax, 100.0);
            QCOMPARE(label("Label4")->text(), QString("gain maxi= 100dB"));
        }
        answer(QString("40.0"));
        click(label("Label4"));
        QCOMPARE(label("Label4")->text(), QString("gain maxi= 40dB"));

        // Cancel changes nothing; overflow is reported and changes nothing.
        answer(std::nullopt);
        answer(QString("1e400"));
        click(label("Label4"));
        click(label("Label4"));
        QCOMPARE(prompts->errors, QStringList { "Débordement en virgule flottante." });
        QCOMPARE(settings().gainMax, 40.0);
    }

    void extentAndStepCommands()
    {
        answer(QString("-100"));
        answer(QString("0"));
        answer(QString("-20.0"));
        for (int i = 0; i < 3; ++i)
            click(label("Label5"));
        QCOMPARE(settings().gainMin, -20.0);
        QCOMPARE(label("Label5")->text(), QString("gain mini= -20.0dB"));
        QCOMPARE(prompts->questions.back().prompt, QString("Entrez G min>0"));

        answer(QString("-179.9"));
        answer(QString("-360.1"));
        answer(QString("-360"));
        for (int i = 0; i < 3; ++i)
            click(label("Label7"));
        QCOMPARE(settings().phaseMin, -360.0);
        QCOMPARE(label("Label7")->text(), QString("phase mini= -360°"));
        answer(QString("-180"));
        click(label("Label7"));
        QCOMPARE(settings().phaseMin, -180.0);

        // GainStep against the current GainMax (40): 20 refused, 19.9 taken.
        answer(QString("20"));
        answer(QString("19.9"));
        click(label("Label8"));
        click(label("Label8"));
        QCOMPARE(settings().gainStep, 19.9);
        QCOMPARE(label("Label8")->text(), QString("Intervalle graduation= 19.9dB"));
        QCOMPARE(label("Label9")->text(), QString("intervalle graduation= 30°"));
        QCOMPARE(prompts->questions.back().prompt, QString("Entrez intervalle graduation>0"));

        // Lowering GainMax leaves the step alone; a cancel then changes nothing either.
        answer(QString("10"));
        click(label("Label4"));
        QCOMPARE(settings().gainStep, 19.9);
        answer(std::nullopt);
        click(label("Label8"));
        QCOMPARE(settings().gainStep, 19.9);
        // Confirming the default text re-reads it: 19.9 no longer passes 19.9 < 10 / 2.
        answer(QString("19.9"));
        click(label("Label8"));
        QCOMPARE(label("Label8")->text(), QString("Intervalle graduation= 19.9dB"));

        // PhaseStep against |PhaseMin| / 2 with PhaseMin back at -260.
        answer(QString("-260"));
        click(label("Label7"));
        answer(QString("130"));
        answer(QString("129.9"));
        click(label("Label9"));
        click(label("Label9"));
        QCOMPARE(settings().phaseStep, 129.9);
        QCOMPARE(label("Label9")->text(), QString("Intervalle graduation= 129.9°"));

        click(label("Label6")); // no handler, no question
        QVERIFY(prompts->errors.isEmpty());
    }

    void colourCommandsShareTheChooser()
    {
        const Color red = RgbColor(255, 0, 0);
        prompts->colours.push_back(red);
        click(label("Label12"));
        QCOMPARE(prompts->colourOpenedWith.back(), Black);
        QCOMPARE(settings().axisStyle.axisColor, red);
        QCOMPARE(label("Label12")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(label("Label12")->text(), QString("Couleur axes"));

        // The iso-gain chooser opens on the colour last confirmed; a cancel stores nothing.
        const QImage before = chartWindowImage();
        prompts->colours.push_back(std::nullopt);
        click(label("Label1"));
        QCOMPARE(prompts->colourOpenedWith.back(), red);
        QCOMPARE(settings().isogainColor, Black);
        QCOMPARE(chartWindowImage(), before);

        const Color blue = RgbColor(0, 0, 255);
        prompts->colours.push_back(blue);
        click(label("Label2"));
        QCOMPARE(settings().isophaseColor, blue);
        ChartSettings expected = DefaultChartSettings();
        expected.axisStyle.axisColor = red;
        expected.isophaseColor = blue;
        QCOMPARE(chartWindowImage(), render(expected, WindowProfile()));
    }

    void fontCommand()
    {
        prompts->fonts.push_back(std::nullopt);
        click(label("Label10"));
        QCOMPARE(prompts->fontOpenedWith.back().face, std::string("MS Sans Serif"));
        QCOMPARE(prompts->fontOpenedWith.back().points, 8);
        QCOMPARE(label("Label10")->text(), QString("Fonte employée et taille"));
        QVERIFY(settings().axisStyle.fontName.empty());

        prompts->fonts.push_back(FontChoice { "DejaVu Serif", 12 });
        click(label("Label10"));
        QCOMPARE(settings().axisStyle.fontName, std::string("DejaVu Serif"));
        QCOMPARE(settings().axisStyle.fontSize, 12);
        QCOMPARE(label("Label10")->text(), QString("Fonte + tailleDejaVu Serif 12"));
        QCOMPARE(label("Label10")->font().pixelSize(), 16);
        ChartSettings expected = DefaultChartSettings();
        expected.axisStyle.fontName = "DejaVu Serif";
        expected.axisStyle.fontSize = 12;
        QCOMPARE(chartWindowImage(), render(expected, WindowProfile()));

        prompts->fonts.push_back(std::nullopt);
        click(label("Label10"));
        QCOMPARE(prompts->fontOpenedWith.back().face, std::string("DejaVu Serif"));
    }

    void gridToggledTwiceGivesThePreviousChart()
    {
        const QImage plain = chartWindowImage();
        checkBox("CheckBox4")->click();
        QVERIFY(settings().axisStyle.grid);
        const QImage grid = chartWindowImage();
        QVERIFY(grid != plain);
        checkBox("CheckBox3")->click();
        QVERIFY(settings().axisStyle.dottedGrid);
        QVERIFY(chartWindowImage() != grid);
        checkBox("CheckBox3")->click();
        QCOMPARE(chartWindowImage(), grid);
        checkBox("CheckBox4")->click();
        QCOMPARE(chartWindowImage(), plain);
    }

    void chartWindowMatchesTheHeadlessRenderer()
    {
        answer(QString("60"));
        click(label("Label4"));
        answer(QString("-45"));
        click(label("Label5"));
        checkBox("CheckBox4")->click();
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
        action("Copierdanspressepapiers1")->trigger();
        QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), QSize(600, 950));
        QCOMPARE(copied.convertToFormat(QImage::Format_RGB32),
            render(DefaultChartSettings(), ClipboardProfile(), { 600, 950 }));
        QCOMPARE(chartWindowImage(), window);

        action("aille1")->trigger();
        QVERIFY(bitmapSizeDialog().isVisible());
        QWidget &size = bitmapSizeDialog();
        answer(QString("450.7"));
        click(Program::in<QLabel>(size, "label1"));
        QCOMPARE(Program::in<QLabel>(size, "label1")->text(), QString("Largeur:450 pixels"));
        QCOMPARE(prompts->questions.back().title, QString("entrée taille bitmap"));
        QCOMPARE(prompts->questions.back().prompt, QString("entrée de la 400<=largeur<=600"));
        QCOMPARE(prompts->questions.back().defaultText, QString("600"));
        for (const char *refused : { "399", "601", "", "abc" }) {
            answer(QString(refused));
            click(Program::in<QLabel>(size, "label1"));
        }
        QCOMPARE(settings().bitmapWidth, 450);
        answer(std::nullopt);
        click(Program::in<QLabel>(size, "label1"));
        QCOMPARE(settings().bitmapWidth, 450);
        answer(QString("599"));
        answer(QString("951"));
        answer(QString("600"));
        for (int i = 0; i < 3; ++i)
            click(Program::in<QLabel>(size, "Label2"));
        QCOMPARE(prompts->questions.back().prompt, QString("entrée de la 600<=longueur<=950"));
        QCOMPARE(Program::in<QLabel>(size, "Label2")->text(), QString("Hauteur:600 pixels"));
        action("Copierdanspressepapiers1")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(450, 600));
        click(Program::in<QPushButton>(size, "Button1"));
        QVERIFY(!bitmapSizeDialog().isVisible());
    }

    void auxiliaryWindows()
    {
        action("Aide2")->trigger();
        QVERIFY(helpWindow().isVisible());
        QCOMPARE(helpWindow().windowTitle(), QString("aide"));
        const QStringList lines
            = Program::in<QPlainTextEdit>(helpWindow(), "Memo1")->toPlainText().split('\n');
        QCOMPARE(lines.size(), 31);
        QCOMPARE(lines, HelpLines());
        QCOMPARE(lines[16], QString("\u00b7\t100 dB pour le gain maximum (avec la "));
        QCOMPARE(lines[2], QString("A partir du diagramme de Black de la fonction de "));
        click(Program::in<QPushButton>(helpWindow(), "Button1"));
        QVERIFY(!helpWindow().isVisible());

        action("Apropos1")->trigger();
        QVERIFY(aboutDialog().isVisible());
        QCOMPARE(aboutDialog().windowTitle(), QString("A propos"));
        QCOMPARE(Program::in<QLabel>(aboutDialog(), "ProductName")->text(),
            QString("Abaque de Velmora"));
        QVERIFY(Program::in<QLabel>(aboutDialog(), "Comments")->text().startsWith("Contact:  "));
        QVERIFY(Program::in<QPushButton>(aboutDialog(), "OKButton")->isDefault());
        action("Apropos1")->trigger(); // already open: unchanged
        QVERIFY(aboutDialog().isVisible());
        click(Program::in<QPushButton>(aboutDialog(), "OKButton"));
        QVERIFY(!aboutDialog().isVisible());
        // The close box hides as the button does.
        action("aille1")->trigger();
        bitmapSizeDialog().close();
        QVERIFY(!bitmapSizeDialog().isVisible());
    }

    void activationRendersOnlyWhenComingBackFromAnotherWindow()
    {
        mainWindow().show();
        mainWindow().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow()));
        // Changed behind the program's back: only a new rendering shows it.
        {
            const QSignalBlocker quiet(&program->windows.document);
            program->windows.document.setSetting(Setting::GainMax, 20.0);
        }
        const QImage before = chartWindowImage();

        // Back from a modal box: no rendering.
        QDialog modal;
        modal.setModal(true);
        modal.show();
        modal.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&modal));
        modal.hide();
        mainWindow().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow()));
        QCOMPARE(chartWindowImage(), before);

        // Back from the help window: the chart is drawn again.
        helpWindow().show();
        helpWindow().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&helpWindow()));
        mainWindow().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow()));
        QVERIFY(chartWindowImage() != before);
        ChartSettings expected = DefaultChartSettings();
        expected.gainMax = 20;
        QCOMPARE(chartWindowImage(), render(expected, WindowProfile()));
    }

    void chartWindowCannotBeLostAndDoesNotTakeTheFocus()
    {
        const Qt::WindowFlags flags = chartWindow().windowFlags();
        QVERIFY(flags & Qt::CustomizeWindowHint);
        QVERIFY(flags & Qt::WindowTitleHint);
        QVERIFY(!(flags
            & (Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)));
        chartWindow().close();
        QVERIFY(chartWindow().isVisible());

        mainWindow().show();
        mainWindow().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow()));
        chartWindow().showMinimized();
        QVERIFY(chartWindow().isMinimized());
        checkBox("CheckBox4")->click(); // any change draws the chart again
        QVERIFY(!chartWindow().isMinimized());
        QVERIFY(chartWindow().isVisible());
        QCOMPARE(QApplication::activeWindow(), &mainWindow());
        QCOMPARE(chartWindowImage(), render(settings(), WindowProfile()));
    }

    void quitClosesTheProgram()
    {
        mainWindow().show();
        helpWindow().show();
        action("Quitter1")->trigger();
        QVERIFY(!mainWindow().isVisible());
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

// Qt's own dialogs, in French, opening where the program asks.
class QtDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void standardButtonsAreFrench()
    {
        QVERIFY(Program::application()->frenchInstalled());
        QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text().remove('&'), QString("Annuler"));
        QCOMPARE(box.button(QDialogButtonBox::Yes)->text().remove('&'), QString("Oui"));
    }

    void fontChooserOpensOnTheChartFontAndGivesItBackUnchanged()
    {
        const struct {
            FontChoice initial;
            const char *family;
        } cases[] = { { { "MS Sans Serif", 8 }, "DejaVu Sans" },
            { { "DejaVu Serif", 12 }, "DejaVu Serif" } };
        for (const auto &c : cases) {
            QString opened;
            int points = 0;
            QTimer::singleShot(0, [&] {
                auto *chooser = qobject_cast<QFontDialog *>(QApplication::activeModalWidget());
                if (!chooser)
                    return;
                opened = chooser->currentFont().family();
                points = chooser->currentFont().pointSize();
                chooser->accept();
            });
            DialogPrompts dialogs;
            const std::optional<FontChoice> chosen = dialogs.chooseFont(c.initial);
            QCOMPARE(opened, QString(c.family));
            QCOMPARE(points, c.initial.points);
            QVERIFY(chosen);
            QCOMPARE(chosen->face, c.initial.face);
            QCOMPARE(chosen->points, c.initial.points);
        }
    }
};

// The real input box, typed into and answered with its two buttons.
class InputBoxTest : public QObject {
    Q_OBJECT
private:
    static void answerWhenOpen(const std::function<void(InputBox &)> &act)
    {
        QTimer::singleShot(0, [act] {
            auto *box = qobject_cast<InputBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            act(*box);
        });
    }

private slots:
    void okReturnsTheTypedTextAndAnnulerNothing()
    {
        DialogPrompts dialogs;
        answerWhenOpen([](InputBox &box) {
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

        answerWhenOpen([](InputBox &box) {
            QTest::keyClicks(box.findChild<QLineEdit *>("Edit"), "75");
            QTest::mouseClick(box.findChild<QPushButton *>("CancelButton"), Qt::LeftButton);
        });
        QVERIFY(!dialogs.inputBox("Entrée valeur", "Entrez G max>0", "40"));

        answerWhenOpen([](InputBox &box) {
            QCOMPARE(box.findChild<QPushButton *>("CancelButton")->text(), QString("Annuler"));
            QTest::keyClick(box.findChild<QLineEdit *>("Edit"), Qt::Key_Return);
        });
        QCOMPARE(dialogs.inputBox("t", "p", "0"), QString("0"));
    }
};

QObject *NewRandomUseTest();
QObject *NewLoopsTest();
QObject *NewUndoTest();
QObject *NewWindowsTest();
QObject *NewDesignTest();

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
        QtDialogsTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        MainWindowTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    for (QObject *(*make)() :
        { &NewLoopsTest, &NewRandomUseTest, &NewUndoTest, &NewWindowsTest, &NewDesignTest }) {
        std::unique_ptr<QObject> test(make());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures;
}

#include "mainwindow_test.moc"
