// ui/mainwindow.cpp — the main window: value lists, settings commands and menu (ui layer)
#include "ui/mainwindow.h"

#include "core/numbertext.h"
#include "plot/renderchart.h"
#include "render/chartfile.h"
#include "render/fontpolicy.h"
#include "render/paintersurface.h"
#include "render/qtcolor.h"
#include "render/rastersurface.h"
#include "session/session.h"
#include "ui/aboutdialog.h"
#include "ui/application.h"
#include "ui/bitmapsizedialog.h"
#include "ui/chartdocument.h"
#include "ui/chartwindow.h"
#include "ui/clickablelabel.h"
#include "ui/helpwindow.h"
#include "ui/loopswindow.h"
#include "ui/marginswindow.h"
#include "ui/prompts.h"
#include "ui/sessionfile.h"
#include "ui/valuelisteditor.h"
#include "ui_mainwindow.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QSaveFile>
#include <QSignalBlocker>

#include <algorithm>

namespace velmora {

namespace {

const QString valueTitle = QStringLiteral("Entrée valeur");
const QString addTitle = QStringLiteral("Ajout d un gain");

QString text(double v)
{
    return QString::fromStdString(RealToText(v));
}

void setCaption(QLabel &label, const QString &caption)
{
    label.setText(caption);
    label.adjustSize();
}

QStringList initialKeys(int count)
{
    QStringList keys;
    for (int i = 1; i <= count; ++i)
        keys << QString::number(i) + ' '; // the form's keys carry a trailing blank
    return keys;
}

void setFontOf(QLabel &label, int pixelSize, bool bold, bool italic)
{
    QFont font(QString::fromLatin1(DefaultFontFace));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    label.setFont(font);
}

} // namespace

MainWindow::MainWindow(ChartDocument &document, ChartWindow &chartWindow, AboutDialog &aboutDialog,
    HelpWindow &helpWindow, BitmapSizeDialog &bitmapSizeDialog, LoopsWindow &loopsWindow,
    MarginsWindow &marginsWindow, Prompts &prompts, QWidget *parent)
    : QMainWindow(parent)
    , m_document(document)
    , m_chartWindow(chartWindow)
    , m_aboutDialog(aboutDialog)
    , m_helpWindow(helpWindow)
    , m_bitmapSizeDialog(bitmapSizeDialog)
    , m_loopsWindow(loopsWindow)
    , m_marginsWindow(marginsWindow)
    , m_prompts(prompts)
    , m_form(std::make_unique<Ui::MainWindow>())
{
    Ui::MainWindow &f = *m_form;
    f.setupUi(this);
    move(52, 169);
    m_isogains = { f.ValueListEditor1, ValueList::Isogain, Entry::IsogainValue,
        RefusedIsogainStandIn, QStringLiteral("Entrer la -100dB<valeur<100 dB ") };
    m_isophases = { f.ValueListEditor2, ValueList::Isophase, Entry::IsophaseValue,
        RefusedIsophaseStandIn, QStringLiteral("Entrer la -360°<valeur< -1° ") };

    setFontOf(*f.Label3, 13, true, true);
    setFontOf(*f.Label13, 12, true, false);
    setFontOf(*f.Label14, 12, true, false);
    // Labels size themselves to their captions.
    for (QLabel *label : f.centralwidget->findChildren<QLabel *>())
        label->adjustSize();

    f.ValueListEditor1->setTitles(QStringLiteral("N°"), QStringLiteral("Gain"));
    f.ValueListEditor1->setColumnWidth(0, 43);
    f.ValueListEditor1->setColumnWidth(1, 59);
    f.ValueListEditor2->setTitles(QStringLiteral("N°"), QStringLiteral("Phase"));
    f.ValueListEditor2->setColumnWidth(0, 40);
    f.ValueListEditor2->setColumnWidth(1, 62);
    showListsAndCaptions();
    m_startFontCaptionFont = f.Label10->font();

    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *window) {
        m_previousFocus = m_focus;
        m_focus = FocusRecord { window, window && window->modality() != Qt::NonModal };
    });
    connectHandlers();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectHandlers()
{
    Ui::MainWindow &f = *m_form;
    // The signal's own arguments (a checked flag) are ignored.
    const auto on = [this](auto *control, auto signal, void (MainWindow::*handler)()) {
        connect(control, signal, this, Guard([this, handler] { (this->*handler)(); }));
    };
    on(f.Label1, &ClickableLabel::clicked, &MainWindow::chooseIsogainColor);
    on(f.Label2, &ClickableLabel::clicked, &MainWindow::chooseIsophaseColor);
    on(f.Label4, &ClickableLabel::clicked, &MainWindow::editGainMax);
    on(f.Label5, &ClickableLabel::clicked, &MainWindow::editGainMin);
    on(f.Label7, &ClickableLabel::clicked, &MainWindow::editPhaseMin);
    on(f.Label8, &ClickableLabel::clicked, &MainWindow::editGainStep);
    on(f.Label9, &ClickableLabel::clicked, &MainWindow::editPhaseStep);
    on(f.Label10, &ClickableLabel::clicked, &MainWindow::chooseFont);
    on(f.Label12, &ClickableLabel::clicked, &MainWindow::chooseAxisColor);
    on(f.CheckBox3, &QCheckBox::toggled, &MainWindow::setDottedGrid);
    on(f.CheckBox4, &QCheckBox::toggled, &MainWindow::setGrid);
    on(f.Copierdanspressepapiers1, &QAction::triggered, &MainWindow::copyChartToClipboard);
    connect(f.Quitter1, &QAction::triggered, this, &QWidget::close);
    connect(f.aille1, &QAction::triggered, &m_bitmapSizeDialog, &QWidget::show);
    connect(f.Aide2, &QAction::triggered, &m_helpWindow, &QWidget::show);
    connect(f.Apropos1, &QAction::triggered, &m_aboutDialog, &QWidget::show);
    connect(f.FonctionsTransfert1, &QAction::triggered, &m_loopsWindow, &QWidget::show);
    connect(f.Marges1, &QAction::triggered, &m_marginsWindow, &QWidget::show);
    on(f.OuvrirSession1, &QAction::triggered, &MainWindow::openSession);
    on(f.EnregistrerSession1, &QAction::triggered, &MainWindow::saveSession);
    on(f.Exporter1, &QAction::triggered, &MainWindow::exportChart);
    on(f.Imprimer1, &QAction::triggered, &MainWindow::printChart);
    connect(&m_document, &ChartDocument::replaced, this, &MainWindow::showDocument);

    const struct {
        const ListControls *controls;
        QPushButton *addButton;
        QPushButton *deleteButton;
    } lists[] = { { &m_isogains, f.BitBtn1, f.BitBtn2 }, { &m_isophases, f.BitBtn3, f.BitBtn4 } };
    for (const auto &[controls, addButton, deleteButton] : lists) {
        connect(addButton, &QPushButton::clicked, this,
            Guard([this, controls] { addValue(*controls); }));
        connect(deleteButton, &QPushButton::clicked, this,
            Guard([this, controls] { deleteValue(*controls); }));
        connect(controls->editor, &ValueListEditor::keyPressed, this,
            Guard([this, controls](char &key) {
                if (key == '\r')
                    rereadValues(*controls);
            }));
        // A text typed into a cell is the row's text at once, without a reading or a drawing.
        connect(controls->editor, &QTableWidget::itemChanged, this,
            [this, controls](QTableWidgetItem *item) {
                if (item->column() == 1)
                    storeTexts(*controls);
            });
    }
}

bool MainWindow::activationComesFromOwnWindow() const
{
    // The focus record may or may not have caught up with this activation yet.
    const FocusRecord &before = m_focus.window == windowHandle() ? m_previousFocus : m_focus;
    return before.window && !before.modal;
}

bool MainWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        // At start, and on coming back from another window of the program; not when a modal box
        // opened from here closes, nor on coming back from another program.
        const bool redraw = !m_activatedOnce || activationComesFromOwnWindow();
        m_activatedOnce = true;
        if (redraw)
            Guard([this] { redrawOnActivation(); })();
    }
    return QMainWindow::event(event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // exit(), not quit(): quit() first asks every window to close, and the chart window refuses.
    event->accept();
    QCoreApplication::exit(0);
}

void MainWindow::redrawOnActivation()
{
    m_chartWindow.redraw();
}

void MainWindow::copyChartToClipboard()
{
    m_chartWindow.makeVisible();
    const ChartSettings &s = m_document.settings();
    const RenderProfile profile = ClipboardProfile(s.bitmapWidth, s.bitmapHeight);
    const LociLayer loci = visibleLoci();
    const ChartLayer *overlays[] = { &loci };
    RasterSurface surface(s.bitmapWidth, s.bitmapHeight);
    // The chart drawn so far goes to the clipboard also when drawing fails; then the error.
    try {
        RenderChart(s, profile, surface, overlays);
    } catch (...) {
        QGuiApplication::clipboard()->setImage(surface.image());
        throw;
    }
    // The bitmap, and the same chart as SVG for the programs that take vector images.
    auto *data = new QMimeData;
    data->setImageData(surface.image());
    data->setData(
        QStringLiteral("image/svg+xml"), ChartFileBytes(ChartFormat::Svg, s, profile, overlays));
    QGuiApplication::clipboard()->setMimeData(data);
}

LociLayer MainWindow::visibleLoci() const
{
    return LociLayer(m_document.visibleLoops(), {}, m_document.settings().axisStyle.axisColor);
}

QString MainWindow::suggestedPath(const QString &name) const
{
    // Beside the session in use, else in the home folder: never the working directory, which
    // for a program started from a menu is anywhere.
    const QString folder
        = m_sessionPath.isEmpty() ? QDir::homePath() : QFileInfo(m_sessionPath).absolutePath();
    return QDir(folder).filePath(name);
}

void MainWindow::openSession()
{
    const std::optional<QString> path
        = m_prompts.chooseOpenFile(QStringLiteral("Ouvrir une session"),
            QStringLiteral("Sessions Velmora (*.velmora);;Tous les fichiers (*)"));
    if (path)
        openSessionFile(*path);
}

void MainWindow::openSessionFile(const QString &path)
{
    Guard([&] {
        OpenSessionFile(m_document, path);
        m_sessionPath = path;
    })();
}

void MainWindow::saveSession()
{
    std::optional<QString> path = m_prompts.chooseSaveFile(QStringLiteral("Enregistrer la session"),
        QStringLiteral("Sessions Velmora (*.velmora)"),
        m_sessionPath.isEmpty() ? suggestedPath(QStringLiteral("abaque.velmora")) : m_sessionPath);
    if (!path)
        return;
    if (!path->endsWith(QString::fromLatin1(SessionExtension), Qt::CaseInsensitive))
        *path += QString::fromLatin1(SessionExtension);
    SaveSessionFile(m_document, *path);
    m_sessionPath = *path;
}

void MainWindow::exportChart()
{
    const ChartSettings &s = m_document.settings();
    const std::optional<ExportChoice> choice = m_prompts.chooseExport(
        { m_exportPath.isEmpty() ? suggestedPath(QStringLiteral("abaque.png")) : m_exportPath,
            s.bitmapWidth, s.bitmapHeight });
    if (!choice)
        return;
    const std::optional<ChartFormat> format = FormatOfFileName(choice->path.toStdString());
    if (!format)
        throw std::runtime_error(
            QStringLiteral("« %1 » : extension .png, .bmp, .svg ou .pdf attendue")
                .arg(choice->path)
                .toStdString());
    const LociLayer loci = visibleLoci();
    const ChartLayer *overlays[] = { &loci };
    const QByteArray bytes
        = ChartFileBytes(*format, s, ClipboardProfile(choice->width, choice->height), overlays);
    QSaveFile file(choice->path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0 || !file.commit())
        throw std::runtime_error(QStringLiteral("impossible d'écrire « %1 » : %2")
                                     .arg(choice->path, file.errorString())
                                     .toStdString());
    m_exportPath = choice->path;
}

void MainWindow::printChart()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Abaque"));
    if (m_prompts.setUpPrinter(printer))
        printChartOn(printer);
}

void MainWindow::printChartOn(QPrinter &printer)
{
    const ChartSettings &s = m_document.settings();
    const RenderProfile profile = ClipboardProfile(s.bitmapWidth, s.bitmapHeight);
    const LociLayer loci = visibleLoci();
    const ChartLayer *overlays[] = { &loci };
    QPainter painter;
    if (!painter.begin(&printer))
        throw std::runtime_error("impossible d'imprimer : l'imprimante ne répond pas");
    // The chart scaled to the page, whole, centred.
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = std::min(page.width() / profile.width, page.height() / profile.height);
    painter.translate(
        (page.width() - scale * profile.width) / 2, (page.height() - scale * profile.height) / 2);
    painter.scale(scale, scale);
    try {
        PainterSurface surface(painter, profile.width, profile.height);
        RenderChart(s, profile, surface, overlays);
    } catch (...) {
        painter.end();
        throw;
    }
    painter.end();
}

void MainWindow::showListsAndCaptions()
{
    Ui::MainWindow &f = *m_form;
    // The lists' rows as at start: numbered keys, the texts as typed.
    for (const ListControls *controls : { &m_isogains, &m_isophases }) {
        const QStringList &texts = m_document.texts(controls->list);
        const QSignalBlocker quiet(controls->editor);
        controls->editor->setRows(initialKeys(static_cast<int>(texts.size())), texts);
    }
    const ChartSettings &s = m_document.settings();
    setCaption(*f.Label4, "gain maxi= " + text(s.gainMax) + "dB");
    setCaption(*f.Label8, "intervalle graduation= " + text(s.gainStep) + "dB");
    setCaption(*f.Label5, "gain mini= " + text(s.gainMin) + "dB");
    setCaption(*f.Label6, "phase maxi= " + text(s.phaseMax) + "°");
    setCaption(*f.Label9, "intervalle graduation= " + text(s.phaseStep) + "°");
    setCaption(*f.Label7, "phase mini= " + text(s.phaseMin) + "°");
}

void MainWindow::showDocument()
{
    Ui::MainWindow &f = *m_form;
    showListsAndCaptions();
    const ChartSettings &s = m_document.settings();
    for (auto [box, checked] : { std::pair { f.CheckBox4, s.axisStyle.grid },
             std::pair { f.CheckBox3, s.axisStyle.dottedGrid } }) {
        const QSignalBlocker quiet(box);
        box->setChecked(checked);
    }
    for (auto [label, color] : { std::pair { f.Label12, s.axisStyle.axisColor },
             std::pair { f.Label1, s.isogainColor }, std::pair { f.Label2, s.isophaseColor } }) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(ToRgb(color)));
        label->setPalette(palette);
    }
    if (!s.axisStyle.fontName.empty()) {
        const QString face = QString::fromStdString(s.axisStyle.fontName);
        QFont font = f.Label10->font();
        font.setFamily(face);
        font.setPixelSize(PointsToPixels(s.axisStyle.fontSize));
        f.Label10->setFont(font);
        setCaption(
            *f.Label10, "Fonte + taille" + face + ' ' + QString::number(s.axisStyle.fontSize));
    } else {
        // The default face: the caption and its font as at start.
        f.Label10->setFont(m_startFontCaptionFont);
        setCaption(*f.Label10, QStringLiteral("Fonte employée et taille"));
    }
}

void MainWindow::storeTexts(const ListControls &controls)
{
    m_document.setTexts(controls.list, controls.editor->valueTexts());
}

void MainWindow::readValues(const ListControls &controls, bool tested)
{
    const ValueListEditor &list = *controls.editor;
    std::vector<double> values = m_document.values(controls.list);
    values.resize(static_cast<std::size_t>(list.dataRowCount()), 0.0);
    for (int row = 1; row <= list.dataRowCount(); ++row) {
        double v = 0;
        try {
            v = TextToReal(list.valueText(row).toStdString());
        } catch (...) {
            // The reading stops at an overflowing text: what was read stays, and nothing is
            // drawn before the error is reported.
            const QSignalBlocker quiet(&m_document);
            m_document.setValues(controls.list, std::move(values));
            throw;
        }
        const bool refused = tested && !Accepted(controls.entry, v, m_document.settings());
        values[static_cast<std::size_t>(row - 1)] = refused ? controls.fallback : v;
    }
    m_document.setValues(controls.list, std::move(values));
}

void MainWindow::addValue(const ListControls &controls)
{
    const std::optional<QString> answer
        = m_prompts.inputBox(addTitle, controls.addPrompt, QStringLiteral("0"));
    if (!answer)
        return;
    if (!Accepted(controls.entry, TextToReal(answer->toStdString()), m_document.settings()))
        return;
    ValueListEditor &list = *controls.editor;
    const int n = list.dataRowCount();
    {
        const QSignalBlocker quiet(&list);
        list.appendDataRow(QString::number(n + 1), *answer);
        list.setCurrentDataRow(n);
    }
    storeTexts(controls);
    readValues(controls, false);
}

void MainWindow::deleteValue(const ListControls &controls)
{
    ValueListEditor &list = *controls.editor;
    const int n = list.dataRowCount();
    const int r = std::clamp(list.currentDataRow(), 1, n);
    {
        const QSignalBlocker quiet(&list);
        if (n == 1) {
            // The list keeps one row: key 1, empty value.
            list.setValueText(1, QString());
            list.setCurrentDataRow(1);
        } else {
            list.removeDataRow(r);
            list.setCurrentDataRow(r == n ? r - 1 : r);
        }
        for (int row = list.currentDataRow(); row <= list.dataRowCount(); ++row)
            list.setKeyText(row, QString::number(row));
    }
    storeTexts(controls);
    readValues(controls, false);
}

void MainWindow::rereadValues(const ListControls &controls)
{
    readValues(controls, true);
}

void MainWindow::editGainMax()
{
    const ChartSettings &s = m_document.settings();
    const std::optional<QString> answer
        = m_prompts.inputBox(valueTitle, QStringLiteral("Entrez G max>0"), text(s.gainMax));
    if (!answer)
        return;
    const double v = TextToReal(answer->toStdString());
    // Written and drawn again also when the value was refused.
    if (Accepted(Entry::GainMax, v, s))
        m_document.setGainMax(v);
    else
        m_chartWindow.redraw();
    setCaption(*m_form->Label4, "gain maxi= " + text(m_document.settings().gainMax) + "dB");
}

void MainWindow::askSetting(QLabel &label, const QString &prompt, Entry entry, double current,
    const std::function<void(double)> &store, const QString &prefix, const QString &unit)
{
    const std::optional<QString> answer = m_prompts.inputBox(valueTitle, prompt, text(current));
    if (!answer)
        return;
    const double v = TextToReal(answer->toStdString());
    if (!Accepted(entry, v, m_document.settings()))
        return;
    store(v);
    setCaption(label, prefix + *answer + unit);
}

void MainWindow::editGainMin()
{
    askSetting(
        *m_form->Label5, QStringLiteral("Entrez G min>0"), Entry::GainMin,
        m_document.settings().gainMin, [this](double v) { m_document.setGainMin(v); },
        QStringLiteral("gain mini= "), QStringLiteral("dB"));
}

void MainWindow::editPhaseMin()
{
    askSetting(
        *m_form->Label7, QStringLiteral("Entrez Phase min>0"), Entry::PhaseMin,
        m_document.settings().phaseMin, [this](double v) { m_document.setPhaseMin(v); },
        QStringLiteral("phase mini= "), QStringLiteral("°"));
}

void MainWindow::editGainStep()
{
    // The bound is taken from the gain maximum as it stands now.
    askSetting(
        *m_form->Label8, QStringLiteral("Entrez intervalle graduation>0"), Entry::GainStep,
        m_document.settings().gainStep, [this](double v) { m_document.setGainStep(v); },
        QStringLiteral("Intervalle graduation= "), QStringLiteral("dB"));
}

void MainWindow::editPhaseStep()
{
    askSetting(
        *m_form->Label9, QStringLiteral("Entrez intervalle graduation>0"), Entry::PhaseStep,
        m_document.settings().phaseStep, [this](double v) { m_document.setPhaseStep(v); },
        QStringLiteral("Intervalle graduation= "), QStringLiteral("°"));
}

void MainWindow::chooseColor(QLabel &label, const std::function<void(Color)> &store)
{
    const std::optional<Color> chosen = m_prompts.chooseColor(m_chooserColor);
    if (!chosen)
        return;
    m_chooserColor = *chosen;
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, QColor(ToRgb(*chosen)));
    label.setPalette(palette);
    store(*chosen);
}

void MainWindow::chooseAxisColor()
{
    chooseColor(*m_form->Label12, [this](Color c) { m_document.setAxisColor(c); });
}

void MainWindow::chooseIsogainColor()
{
    chooseColor(*m_form->Label1, [this](Color c) { m_document.setIsogainColor(c); });
}

void MainWindow::chooseIsophaseColor()
{
    chooseColor(*m_form->Label2, [this](Color c) { m_document.setIsophaseColor(c); });
}

void MainWindow::chooseFont()
{
    const AxisStyle &style = m_document.settings().axisStyle;
    // The chooser opens on the chart's font: its face, or the default face until one is chosen.
    const FontChoice current {
        style.fontName.empty() ? std::string(DefaultFontFace) : style.fontName, style.fontSize
    };
    const std::optional<FontChoice> chosen = m_prompts.chooseFont(current);
    if (!chosen)
        return;
    m_document.setFont(chosen->face, chosen->points);
    const QString face = QString::fromStdString(chosen->face);
    QFont font = m_form->Label10->font();
    font.setFamily(face);
    font.setPixelSize(PointsToPixels(chosen->points));
    m_form->Label10->setFont(font);
    setCaption(*m_form->Label10, "Fonte + taille" + face + ' ' + QString::number(chosen->points));
}

void MainWindow::setGrid()
{
    m_document.setGrid(m_form->CheckBox4->isChecked());
}

void MainWindow::setDottedGrid()
{
    m_document.setDottedGrid(m_form->CheckBox3->isChecked());
}

} // namespace velmora
