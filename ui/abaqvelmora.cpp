// ui/abaqvelmora.cpp — the main window: value lists, settings commands and menu (ui layer)
#include "ui/abaqvelmora.h"

#include "core/foncbase.h"
#include "plot/abaque.h"
#include "plot/rastersurface.h"
#include "ui/aideabaq.h"
#include "ui/application.h"
#include "ui/apropo.h"
#include "ui/chgvalbmp.h"
#include "ui/imageabaq.h"
#include "ui/widgets.h"
#include "ui_abaqvelmora.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>

namespace velmora {

ChartSettings Settings;
TFenetvelmora *Fenetvelmora = nullptr;

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

// Rebuilds a value array from its list: one element per row, the title row's included (element
// 0, never a value). Without a test every text is taken as TextToReal reads it; with one, a value
// that fails it is replaced by `fallback`. An overflowing text stops the re-read there.
void readValueList(const ValueListEditor &list, std::vector<double> &values,
    bool (*accepted)(double) = nullptr, double fallback = 0)
{
    values.resize(static_cast<std::size_t>(list.rowCountWithTitle()), 0.0);
    for (int row = 1; row < list.rowCountWithTitle(); ++row) {
        const double v = TextToReal(list.valueText(row).toStdString());
        values[static_cast<std::size_t>(row)] = accepted && !accepted(v) ? fallback : v;
    }
}

// The input box; nothing when cancelled.
std::optional<QString> ask(const QString &title, const QString &prompt, const QString &defaultText)
{
    return ActivePrompts().inputBox(title, prompt, defaultText);
}

// Runs a rendering pass; the image drawn so far is handed over also when drawing fails.
template <typename HandOver> void renderPass(const RenderProfile &profile, HandOver handOver)
{
    abaque->setVisible(true);
    RasterSurface surface(profile.width, profile.height);
    try {
        RenderAbaque(Settings, profile, surface);
    } catch (...) {
        handOver(surface.image());
        throw;
    }
    handOver(surface.image());
}

QStringList initialKeys(int count)
{
    QStringList keys;
    for (int i = 1; i <= count; ++i)
        keys << QString::number(i) + ' '; // the form's keys carry a trailing blank
    return keys;
}

QStringList toStringList(const std::vector<std::string> &texts)
{
    QStringList list;
    for (const std::string &t : texts)
        list << QString::fromStdString(t);
    return list;
}

} // namespace

void DrawAbaque()
{
    renderPass(WindowProfile(), [](const QImage &image) { abaque->setImage(image); });
}

void CopyAbaqueToClipboard()
{
    renderPass(ClipboardProfile(Settings.BitmapWidth, Settings.BitmapHeight),
        [](const QImage &image) { QGuiApplication::clipboard()->setImage(image); });
}

TFenetvelmora::TFenetvelmora(QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::TFenetvelmora>())
{
    Fenetvelmora = this;
    ui->setupUi(this);
    setObjectName("Fenetvelmora");
    move(52, 169);
    m_fontDialog1 = FontChoice { DefaultFontFace, 8 };

    QFont heading(QString::fromLatin1(DefaultFontFace));
    heading.setPixelSize(13);
    heading.setBold(true);
    heading.setItalic(true);
    ui->Label3->setFont(heading);
    QFont listTitle(QString::fromLatin1(DefaultFontFace));
    listTitle.setPixelSize(12);
    listTitle.setBold(true);
    ui->Label13->setFont(listTitle);
    ui->Label14->setFont(listTitle);
    // Labels size themselves to their captions.
    for (QLabel *label : ui->centralwidget->findChildren<QLabel *>())
        label->adjustSize();

    ui->ValueListEditor1->setTitles(QStringLiteral("N°"), QStringLiteral("Gain"));
    ui->ValueListEditor1->setColumnWidth(0, 43);
    ui->ValueListEditor1->setColumnWidth(1, 59);
    ui->ValueListEditor1->setRows(initialKeys(15), toStringList(DefaultIsogainTexts()));
    ui->ValueListEditor2->setTitles(QStringLiteral("N°"), QStringLiteral("Phase"));
    ui->ValueListEditor2->setColumnWidth(0, 40);
    ui->ValueListEditor2->setColumnWidth(1, 62);
    ui->ValueListEditor2->setRows(initialKeys(17), toStringList(DefaultIsophaseTexts()));

    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *window) {
        m_previousFocus = m_focus;
        m_focus = FocusRecord { window, window && window->modality() != Qt::NonModal };
    });
    connectHandlers();
    FormCreate(this);
}

TFenetvelmora::~TFenetvelmora()
{
    if (Fenetvelmora == this)
        Fenetvelmora = nullptr;
}

void TFenetvelmora::connectHandlers()
{
    Ui::TFenetvelmora &f = *ui;
    // Each handler gets its control; the signal's own arguments (a checked flag) are ignored.
    const auto on = [this](auto *control, auto signal, void (TFenetvelmora::*handler)(QObject *)) {
        connect(
            control, signal, this, Guard([this, control, handler] { (this->*handler)(control); }));
    };
    on(f.Label1, &ClickableLabel::clicked, &TFenetvelmora::Label1Click);
    on(f.Label2, &ClickableLabel::clicked, &TFenetvelmora::Label2Click);
    on(f.Label4, &ClickableLabel::clicked, &TFenetvelmora::Label4Click);
    on(f.Label5, &ClickableLabel::clicked, &TFenetvelmora::Label5Click);
    on(f.Label7, &ClickableLabel::clicked, &TFenetvelmora::Label7Click);
    on(f.Label8, &ClickableLabel::clicked, &TFenetvelmora::Label8Click);
    on(f.Label9, &ClickableLabel::clicked, &TFenetvelmora::Label9Click);
    on(f.Label10, &ClickableLabel::clicked, &TFenetvelmora::Label10Click);
    on(f.Label12, &ClickableLabel::clicked, &TFenetvelmora::Label12Click);
    on(f.BitBtn1, &QPushButton::clicked, &TFenetvelmora::BitBtn1Click);
    on(f.BitBtn2, &QPushButton::clicked, &TFenetvelmora::BitBtn2Click);
    on(f.BitBtn3, &QPushButton::clicked, &TFenetvelmora::BitBtn3Click);
    on(f.BitBtn4, &QPushButton::clicked, &TFenetvelmora::BitBtn4Click);
    on(f.CheckBox3, &QCheckBox::toggled, &TFenetvelmora::CheckBox3Click);
    on(f.CheckBox4, &QCheckBox::toggled, &TFenetvelmora::CheckBox4Click);
    on(f.Quitter1, &QAction::triggered, &TFenetvelmora::Quitter1Click);
    on(f.aille1, &QAction::triggered, &TFenetvelmora::aille1Click);
    on(f.Copierdanspressepapiers1, &QAction::triggered,
        &TFenetvelmora::Copierdanspressepapiers1Click);
    on(f.Aide2, &QAction::triggered, &TFenetvelmora::Aide2Click);
    on(f.Apropos1, &QAction::triggered, &TFenetvelmora::Apropos1Click);

    connect(f.ValueListEditor1, &ValueListEditor::keyPressed, this,
        Guard([this](char &key) { ValueListEditor1KeyPress(ui->ValueListEditor1, key); }));
    connect(f.ValueListEditor2, &ValueListEditor::keyPressed, this,
        Guard([this](char &key) { ValueListEditor2KeyPress(ui->ValueListEditor2, key); }));
}

void TFenetvelmora::FormCreate(QObject *)
{
    Ui::TFenetvelmora &f = Fenetvelmora->form();
    ChartSettings defaults;
    readValueList(*f.ValueListEditor1, defaults.IsogainValues);
    readValueList(*f.ValueListEditor2, defaults.IsophaseValues);
    Settings = std::move(defaults);

    setCaption(*f.Label4, "gain maxi= " + text(Settings.GainMax) + "dB");
    setCaption(*f.Label8, "intervalle graduation= " + text(Settings.GainStep) + "dB");
    setCaption(*f.Label5, "gain mini= " + text(Settings.GainMin) + "dB");
    setCaption(*f.Label6, "phase maxi= " + text(Settings.PhaseMax) + "°");
    setCaption(*f.Label9, "intervalle graduation= " + text(Settings.PhaseStep) + "°");
    setCaption(*f.Label7, "phase mini= " + text(Settings.PhaseMin) + "°");

    Settings.BitmapHeight = 950;
    Settings.BitmapWidth = 600;
}

void TFenetvelmora::init(QObject *)
{
    DrawAbaque();
}

bool TFenetvelmora::activationComesFromOwnWindow() const
{
    // The focus record may or may not have caught up with this activation yet.
    const FocusRecord &before = m_focus.window == windowHandle() ? m_previousFocus : m_focus;
    return before.window && !before.modal;
}

bool TFenetvelmora::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        // At start, and on coming back from another window of the program; not when a modal box
        // opened from here closes, nor on coming back from another program.
        const bool render = !m_activatedOnce || activationComesFromOwnWindow();
        m_activatedOnce = true;
        if (render)
            Guard([this] { init(this); })();
    }
    return QMainWindow::event(event);
}

void TFenetvelmora::closeEvent(QCloseEvent *event)
{
    // exit(), not quit(): quit() first asks every window to close, and the chart window refuses.
    event->accept();
    QCoreApplication::exit(0);
}

void TFenetvelmora::Quitter1Click(QObject *)
{
    Fenetvelmora->close();
}

void TFenetvelmora::aille1Click(QObject *)
{
    valbmp->setVisible(true);
}

void TFenetvelmora::Copierdanspressepapiers1Click(QObject *)
{
    CopyAbaqueToClipboard();
}

void TFenetvelmora::Aide2Click(QObject *)
{
    aide->setVisible(true);
}

void TFenetvelmora::Apropos1Click(QObject *)
{
    AboutBox->setVisible(true);
}

void TFenetvelmora::addValue(ValueListEditor &list, std::vector<double> &values,
    const QString &prompt, bool (*accepted)(double))
{
    const std::optional<QString> answer = ask(addTitle, prompt, QStringLiteral("0"));
    if (!answer)
        return;
    const double v = TextToReal(answer->toStdString());
    if (!accepted(v))
        return;
    const int n = list.dataRowCount();
    list.appendDataRow(QString::number(n + 1), *answer);
    list.setCurrentDataRow(n);
    readValueList(list, values);
    DrawAbaque();
}

void TFenetvelmora::deleteValue(ValueListEditor &list, std::vector<double> &values)
{
    const int n = list.dataRowCount();
    const int r = std::clamp(list.currentDataRow(), 1, n);
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
    readValueList(list, values);
    DrawAbaque();
}

void TFenetvelmora::BitBtn1Click(QObject *)
{
    addValue(*ui->ValueListEditor1, Settings.IsogainValues,
        QStringLiteral("Entrer la -100dB<valeur<100 dB "), IsogainValueAccepted);
}

void TFenetvelmora::BitBtn2Click(QObject *)
{
    deleteValue(*ui->ValueListEditor1, Settings.IsogainValues);
}

void TFenetvelmora::BitBtn3Click(QObject *)
{
    addValue(*ui->ValueListEditor2, Settings.IsophaseValues,
        QStringLiteral("Entrer la -360°<valeur< -1° "), IsophaseValueAccepted);
}

void TFenetvelmora::BitBtn4Click(QObject *)
{
    deleteValue(*ui->ValueListEditor2, Settings.IsophaseValues);
}

void TFenetvelmora::ValueListEditor1KeyPress(QObject *, char &key)
{
    if (key != '\r')
        return;
    readValueList(*ui->ValueListEditor1, Settings.IsogainValues, IsogainValueAccepted, 0);
    DrawAbaque();
}

void TFenetvelmora::ValueListEditor2KeyPress(QObject *, char &key)
{
    if (key != '\r')
        return;
    readValueList(*ui->ValueListEditor2, Settings.IsophaseValues, IsophaseValueAccepted, -180);
    DrawAbaque();
}

void TFenetvelmora::Label4Click(QObject *)
{
    const std::optional<QString> answer
        = ask(valueTitle, QStringLiteral("Entrez G max>0"), text(Settings.GainMax));
    if (!answer)
        return;
    const double v = TextToReal(answer->toStdString());
    if (GainMaxAccepted(v))
        Settings.GainMax = v;
    // Written and drawn again also when the value was refused.
    setCaption(*ui->Label4, "gain maxi= " + text(Settings.GainMax) + "dB");
    DrawAbaque();
}

void TFenetvelmora::Label5Click(QObject *)
{
    askSetting(*ui->Label5, QStringLiteral("Entrez G min>0"), Settings.GainMin, GainMinAccepted,
        QStringLiteral("gain mini= "), QStringLiteral("dB"));
}

void TFenetvelmora::Label7Click(QObject *)
{
    askSetting(*ui->Label7, QStringLiteral("Entrez Phase min>0"), Settings.PhaseMin,
        PhaseMinAccepted, QStringLiteral("phase mini= "), QStringLiteral("°"));
}

void TFenetvelmora::Label8Click(QObject *)
{
    // The bound is taken from GainMax as it stands now.
    askSetting(
        *ui->Label8, QStringLiteral("Entrez intervalle graduation>0"), Settings.GainStep,
        [](double v) { return GainStepAccepted(v, Settings.GainMax); },
        QStringLiteral("Intervalle graduation= "), QStringLiteral("dB"));
}

void TFenetvelmora::Label9Click(QObject *)
{
    askSetting(
        *ui->Label9, QStringLiteral("Entrez intervalle graduation>0"), Settings.PhaseStep,
        [](double v) { return PhaseStepAccepted(v, Settings.PhaseMin); },
        QStringLiteral("Intervalle graduation= "), QStringLiteral("°"));
}

void TFenetvelmora::askSetting(QLabel &label, const QString &prompt, double &setting,
    const std::function<bool(double)> &accepted, const QString &prefix, const QString &unit)
{
    const std::optional<QString> answer = ask(valueTitle, prompt, text(setting));
    if (!answer)
        return;
    const double v = TextToReal(answer->toStdString());
    if (!accepted(v))
        return;
    setting = v;
    setCaption(label, prefix + *answer + unit);
    DrawAbaque();
}

void TFenetvelmora::chooseColour(QWidget &label, Color &setting)
{
    const std::optional<Color> chosen = ActivePrompts().chooseColor(m_colorDialog1);
    if (!chosen)
        return;
    m_colorDialog1 = *chosen;
    setting = *chosen;
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, QColor(ToRgb(*chosen)));
    label.setPalette(palette);
    DrawAbaque();
}

void TFenetvelmora::Label12Click(QObject *)
{
    chooseColour(*ui->Label12, Settings.style.AxisColor);
}

void TFenetvelmora::Label1Click(QObject *)
{
    chooseColour(*ui->Label1, Settings.IsogainColor);
}

void TFenetvelmora::Label2Click(QObject *)
{
    chooseColour(*ui->Label2, Settings.IsophaseColor);
}

void TFenetvelmora::Label10Click(QObject *)
{
    const std::optional<FontChoice> chosen = ActivePrompts().chooseFont(m_fontDialog1);
    if (!chosen)
        return;
    m_fontDialog1 = *chosen;
    Settings.style.FontName = chosen->face;
    Settings.style.FontSize = chosen->points;
    const QString face = QString::fromStdString(chosen->face);
    QFont font = ui->Label10->font();
    font.setFamily(face);
    font.setPixelSize(PointsToPixels(chosen->points));
    ui->Label10->setFont(font);
    setCaption(*ui->Label10, "Fonte + taille" + face + ' ' + QString::number(chosen->points));
    DrawAbaque();
}

void TFenetvelmora::CheckBox4Click(QObject *)
{
    Settings.style.Grid = ui->CheckBox4->isChecked();
    DrawAbaque();
}

void TFenetvelmora::CheckBox3Click(QObject *)
{
    Settings.style.DottedGrid = ui->CheckBox3->isChecked();
    DrawAbaque();
}

} // namespace velmora
