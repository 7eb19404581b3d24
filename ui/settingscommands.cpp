// ui/settingscommands.cpp — the main window's settings commands (ui layer)
#include "ui/settingscommands.h"

#include "core/numbertext.h"
#include "render/fontpolicy.h"
#include "render/qtcolor.h"
#include "ui/application.h"
#include "ui/chartdocument.h"
#include "ui/chartwindow.h"
#include "ui/clickablelabel.h"
#include "ui/named.h"
#include "ui/prompts.h"

#include <QCheckBox>
#include <QSignalBlocker>

namespace velmora {

namespace {

const QString ValueTitle = QStringLiteral("Entrée valeur");

QString text(double v)
{
    return QString::fromStdString(RealToText(v));
}

} // namespace

SettingsCommands::SettingsCommands(QWidget &form, ChartDocument &document, ChartWindow &chartWindow,
    Prompts &prompts, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_chartWindow(chartWindow)
    , m_prompts(prompts)
    , m_fontCaption(Named<QLabel>(form, "Label10"))
    , m_axisColorCaption(Named<QLabel>(form, "Label12"))
    , m_isogainColorCaption(Named<QLabel>(form, "Label1"))
    , m_isophaseColorCaption(Named<QLabel>(form, "Label2"))
    , m_grid(Named<QCheckBox>(form, "CheckBox4"))
    , m_dottedGrid(Named<QCheckBox>(form, "CheckBox3"))
    , m_startFontCaptionFont(m_fontCaption->font())
{
    const QString dB = QStringLiteral("dB");
    const QString degrees = QStringLiteral("°");
    const QString interval = QStringLiteral("intervalle graduation= ");
    const QString typedInterval = QStringLiteral("Intervalle graduation= ");
    m_gainMax = { Named<QLabel>(form, "Label4"), Setting::GainMax, "gain maxi= ", {}, dB };
    m_gainStep = { Named<QLabel>(form, "Label8"), Setting::GainStep, interval, typedInterval, dB };
    m_gainMin
        = { Named<QLabel>(form, "Label5"), Setting::GainMin, "gain mini= ", "gain mini= ", dB };
    m_phaseMax = { Named<QLabel>(form, "Label6"), std::nullopt, "phase maxi= ", {}, degrees };
    m_phaseStep
        = { Named<QLabel>(form, "Label9"), Setting::PhaseStep, interval, typedInterval, degrees };
    m_phaseMin = { Named<QLabel>(form, "Label7"), Setting::PhaseMin,
        "phase mini= ", "phase mini= ", degrees };

    const auto on = [this](ClickableLabel *label, void (SettingsCommands::*handler)()) {
        connect(
            label, &ClickableLabel::clicked, this, Guard([this, handler] { (this->*handler)(); }));
    };
    on(static_cast<ClickableLabel *>(m_isogainColorCaption), &SettingsCommands::chooseIsogainColor);
    on(static_cast<ClickableLabel *>(m_isophaseColorCaption),
        &SettingsCommands::chooseIsophaseColor);
    on(static_cast<ClickableLabel *>(m_gainMax.label), &SettingsCommands::editGainMax);
    on(static_cast<ClickableLabel *>(m_gainMin.label), &SettingsCommands::editGainMin);
    on(static_cast<ClickableLabel *>(m_phaseMin.label), &SettingsCommands::editPhaseMin);
    on(static_cast<ClickableLabel *>(m_gainStep.label), &SettingsCommands::editGainStep);
    on(static_cast<ClickableLabel *>(m_phaseStep.label), &SettingsCommands::editPhaseStep);
    on(static_cast<ClickableLabel *>(m_fontCaption), &SettingsCommands::chooseFont);
    on(static_cast<ClickableLabel *>(m_axisColorCaption), &SettingsCommands::chooseAxisColor);
    connect(m_dottedGrid, &QCheckBox::toggled, this, Guard([this] { setDottedGrid(); }));
    connect(m_grid, &QCheckBox::toggled, this, Guard([this] { setGrid(); }));
}

void SettingsCommands::writeCaption(const ValueCaption &caption)
{
    const ChartSettings &s = m_document.settings();
    const std::optional<QString> typed
        = caption.setting ? m_document.typedText(*caption.setting) : std::nullopt;
    const double value
        = caption.setting ? std::get<double>(FieldOf(*caption.setting).get(s)) : s.phaseMax;
    caption.label->setText(
        (typed ? caption.typedPrefix + *typed : caption.prefix + text(value)) + caption.unit);
    caption.label->adjustSize();
}

void SettingsCommands::showCaptions()
{
    for (const ValueCaption *caption :
        { &m_gainMax, &m_gainStep, &m_gainMin, &m_phaseMax, &m_phaseStep, &m_phaseMin })
        writeCaption(*caption);
}

void SettingsCommands::showDocument()
{
    showCaptions();
    const ChartSettings &s = m_document.settings();
    for (auto [box, checked] : { std::pair { m_grid, s.axisStyle.grid },
             std::pair { m_dottedGrid, s.axisStyle.dottedGrid } }) {
        const QSignalBlocker quiet(box);
        box->setChecked(checked);
    }
    showColor(*m_axisColorCaption, s.axisStyle.axisColor);
    showColor(*m_isogainColorCaption, s.isogainColor);
    showColor(*m_isophaseColorCaption, s.isophaseColor);
    showFont();
}

void SettingsCommands::showColor(QLabel &label, Color color)
{
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, QColor(ToRgb(color)));
    label.setPalette(palette);
}

void SettingsCommands::showFont()
{
    const AxisStyle &style = m_document.settings().axisStyle;
    if (style.fontName.empty()) {
        // The default face: the caption and its font as at start.
        m_fontCaption->setFont(m_startFontCaptionFont);
        m_fontCaption->setText(QStringLiteral("Fonte employée et taille"));
    } else {
        const QString face = QString::fromStdString(style.fontName);
        QFont font = m_fontCaption->font();
        font.setFamily(face);
        font.setPixelSize(PointsToPixels(style.fontSize));
        m_fontCaption->setFont(font);
        m_fontCaption->setText("Fonte + taille" + face + ' ' + QString::number(style.fontSize));
    }
    m_fontCaption->adjustSize();
}

void SettingsCommands::editGainMax()
{
    const ChartSettings &s = m_document.settings();
    const std::optional<QString> answer
        = m_prompts.inputBox(ValueTitle, QStringLiteral("Entrez G max>0"), text(s.gainMax));
    if (!answer)
        return;
    const double v = TextToReal(answer->toStdString());
    // Written and drawn again also when the value was refused.
    if (Accepted(Entry::GainMax, v, s))
        m_document.setSetting(Setting::GainMax, v);
    else
        m_chartWindow.redraw();
    writeCaption(m_gainMax);
}

void SettingsCommands::askSetting(Setting setting, const QString &prompt)
{
    const SettingField &field = FieldOf(setting);
    const double current = std::get<double>(field.get(m_document.settings()));
    const std::optional<QString> answer = m_prompts.inputBox(ValueTitle, prompt, text(current));
    if (!answer)
        return;
    const double v = TextToReal(answer->toStdString());
    // The bounds of a step are taken from the extents as they stand now.
    if (!Accepted(*field.entry, v, m_document.settings()))
        return;
    m_document.setSetting(setting, v, *answer);
    showCaptions();
}

void SettingsCommands::editGainMin()
{
    askSetting(Setting::GainMin, QStringLiteral("Entrez G min>0"));
}

void SettingsCommands::editPhaseMin()
{
    askSetting(Setting::PhaseMin, QStringLiteral("Entrez Phase min>0"));
}

void SettingsCommands::editGainStep()
{
    askSetting(Setting::GainStep, QStringLiteral("Entrez intervalle graduation>0"));
}

void SettingsCommands::editPhaseStep()
{
    askSetting(Setting::PhaseStep, QStringLiteral("Entrez intervalle graduation>0"));
}

void SettingsCommands::chooseColor(Setting setting)
{
    const std::optional<Color> chosen = m_prompts.chooseColor(m_chooserColor);
    if (!chosen)
        return;
    m_chooserColor = *chosen;
    m_document.setSetting(setting, *chosen);
    showDocument();
}

void SettingsCommands::chooseAxisColor()
{
    chooseColor(Setting::AxisColor);
}

void SettingsCommands::chooseIsogainColor()
{
    chooseColor(Setting::IsogainColor);
}

void SettingsCommands::chooseIsophaseColor()
{
    chooseColor(Setting::IsophaseColor);
}

void SettingsCommands::chooseFont()
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
    showFont();
}

void SettingsCommands::setGrid()
{
    m_document.setSetting(Setting::Grid, m_grid->isChecked());
}

void SettingsCommands::setDottedGrid()
{
    m_document.setSetting(Setting::DottedGrid, m_dottedGrid->isChecked());
}

} // namespace velmora
