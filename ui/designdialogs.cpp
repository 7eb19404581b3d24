// ui/designdialogs.cpp — the gain tuned to a target, a phase lead designed (ui layer)
#include "ui/designdialogs.h"

#include "core/numbertext.h"
#include "core/transferfunction.h"
#include "core/tuning.h"
#include "ui/application.h"
#include "ui/chartdocument.h"
#include "ui/decimalspinbox.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <variant>

namespace velmora {

namespace {

QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString numberText(double value)
{
    return QString::fromStdString(SignificantText(value, 6, '.'));
}

// "Fermer" and the button that acts, which Entrée presses.
QDialogButtonBox *actionButtons(QDialog &dialog, const QString &text, const char *name)
{
    auto *buttons = new QDialogButtonBox(&dialog);
    QPushButton *act = buttons->addButton(text, QDialogButtonBox::AcceptRole);
    act->setObjectName(name);
    act->setDefault(true);
    buttons->addButton(QStringLiteral("Fermer"), QDialogButtonBox::RejectRole)
        ->setObjectName("BoutonFermer");
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

// The value of a field, or the reason, naming the field.
std::variant<double, QString> fieldValue(const QLineEdit &field, const QString &name)
{
    const std::variant<double, QString> read = ReadTypedNumber(field.text());
    if (const QString *problem = std::get_if<QString>(&read))
        return name + QStringLiteral(" : ") + *problem;
    return read;
}

QString loopText(std::size_t index)
{
    return QStringLiteral("boucle %1").arg(index + 1);
}

} // namespace

DesignDialog::DesignDialog(ChartDocument &document, LoopChoice loop, QWidget *parent)
    : QDialog(parent)
    , m_document(document)
    , m_loop(std::move(loop))
    , m_chosen(new QLabel(this))
    , m_reason(new QLabel(this))
{
    m_chosen->setObjectName("BoucleChoisie");
    m_reason->setObjectName("Raison");
    m_reason->setWordWrap(true);
    connect(&document, &ChartDocument::loopsChanged, this, &DesignDialog::showChosenLoop);
    connect(&document, &ChartDocument::replaced, this, &DesignDialog::showChosenLoop);
}

void DesignDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    showChosenLoop();
    m_reason->clear();
}

void DesignDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    // Coming back from the loops window, where another loop may have been chosen.
    if (event->type() == QEvent::ActivationChange)
        showChosenLoop();
}

void DesignDialog::showChosenLoop()
{
    const std::optional<std::size_t> index = m_loop();
    if (!index || *index >= m_document.loops().size())
        m_chosen->setText(QStringLiteral("Aucune boucle n'est choisie : ajoutez-en une dans "
                                         "« Fonctions de transfert »."));
    else
        m_chosen->setText(
            QStringLiteral("Boucle %1 : %2")
                .arg(*index + 1)
                .arg(QString::fromStdString(m_document.loops()[*index].displayName())));
}

std::optional<std::size_t> DesignDialog::chosenLoop()
{
    showChosenLoop();
    std::optional<std::size_t> index = m_loop();
    if (index && *index >= m_document.loops().size())
        index.reset();
    if (!index)
        showOutcome(m_chosen->text(), true);
    return index;
}

void DesignDialog::showOutcome(const QString &text, bool refused)
{
    QPalette palette = m_reason->palette();
    palette.setColor(QPalette::WindowText,
        refused ? QColor(Qt::darkRed) : this->palette().color(QPalette::WindowText));
    m_reason->setPalette(palette);
    m_reason->setText(text);
}

TuningDialog::TuningDialog(ChartDocument &document, LoopChoice loop, QWidget *parent)
    : DesignDialog(document, std::move(loop), parent)
    , m_kind(new QComboBox(this))
    , m_value(new QLineEdit(this))
    , m_unit(new QLabel(this))
{
    setObjectName("ReglageGain");
    setWindowTitle(QStringLiteral("Régler le gain"));
    m_kind->setObjectName("TypeObjectif");
    m_value->setObjectName("ValeurObjectif");
    for (const TargetInfo &info : TargetTable())
        m_kind->addItem(fromView(info.symbol), static_cast<int>(info.kind));
    m_value->setText(QStringLiteral("2.3"));
    auto *valueRow = new QHBoxLayout;
    valueRow->addWidget(m_kind);
    valueRow->addWidget(new QLabel(QStringLiteral("="), this));
    valueRow->addWidget(m_value, 1);
    valueRow->addWidget(m_unit);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_chosen);
    layout->addWidget(
        new QLabel(QStringLiteral("Son gain est réglé pour que l'objectif soit tenu :"), this));
    layout->addLayout(valueRow);
    layout->addWidget(m_reason);
    QDialogButtonBox *buttons = actionButtons(*this, QStringLiteral("Régler"), "BoutonRegler");
    connect(buttons, &QDialogButtonBox::accepted, this, Guard([this] { tune(); }));
    layout->addWidget(buttons);
    const auto showUnit = [this] {
        m_unit->setText(
            fromView(InfoOf(static_cast<TargetKind>(m_kind->currentData().toInt())).unit));
    };
    connect(m_kind, &QComboBox::currentIndexChanged, this, showUnit);
    showUnit();
    resize(380, 150);
}

void TuningDialog::showEvent(QShowEvent *event)
{
    DesignDialog::showEvent(event);
    // The chosen loop's target, if it has one, to start from.
    const std::optional<std::size_t> index = m_loop();
    if (index && *index < m_document.loops().size())
        if (const std::optional<LoopTarget> &target = m_document.loops()[*index].target) {
            m_kind->setCurrentIndex(m_kind->findData(static_cast<int>(target->kind)));
            m_value->setText(numberText(target->value));
        }
}

bool TuningDialog::tune()
{
    m_reason->clear();
    const std::optional<std::size_t> index = chosenLoop();
    if (!index)
        return false;
    const TargetKind kind = static_cast<TargetKind>(m_kind->currentData().toInt());
    const std::variant<double, QString> read = fieldValue(*m_value, fromView(InfoOf(kind).symbol));
    if (const QString *problem = std::get_if<QString>(&read)) {
        showOutcome(*problem, true);
        return false;
    }
    const double *value = std::get_if<double>(&read);
    const LoopSpec &spec = m_document.loops()[*index];
    try {
        const TuningResult tuned
            = TuneGain(m_document.loaded(*index).model, spec.gainDb, kind, *value);
        m_document.setLoopDesign(*index,
            { spec.compensator, tuned.gainDb, LoopTarget { kind, *value } },
            QStringLiteral("réglage de la %1").arg(loopText(*index)));
        showOutcome(QStringLiteral("Gain de la %1 : %2 dB")
                        .arg(loopText(*index), QString::fromStdString(FigureText(tuned.gainDb))),
            false);
        return true;
    } catch (const TuningError &error) {
        showOutcome(QString::fromUtf8(error.what()), true);
    }
    return false;
}

LeadDialog::LeadDialog(ChartDocument &document, LoopChoice loop, QWidget *parent)
    : DesignDialog(document, std::move(loop), parent)
    , m_margin(new QLineEdit(QStringLiteral("50"), this))
    , m_crossover(new QLineEdit(QStringLiteral("1"), this))
{
    setObjectName("AvancePhase");
    setWindowTitle(QStringLiteral("Avance de phase"));
    m_margin->setObjectName("MargePhase");
    m_crossover->setObjectName("PulsationCoupure");
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Avance de phase pour MP ="), this));
    row->addWidget(m_margin, 1);
    row->addWidget(new QLabel(QStringLiteral("° à ωc ="), this));
    row->addWidget(m_crossover, 1);
    row->addWidget(new QLabel(QStringLiteral("rad/s"), this));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_chosen);
    layout->addWidget(new QLabel(
        QStringLiteral("Une avance de phase et son gain sont réglés pour cette marge :"), this));
    layout->addLayout(row);
    layout->addWidget(m_reason);
    QDialogButtonBox *buttons
        = actionButtons(*this, QStringLiteral("Appliquer"), "BoutonAppliquerAvance");
    connect(buttons, &QDialogButtonBox::accepted, this, Guard([this] { design(); }));
    layout->addWidget(buttons);
    resize(440, 150);
}

bool LeadDialog::design()
{
    m_reason->clear();
    const std::optional<std::size_t> index = chosenLoop();
    if (!index)
        return false;
    const std::variant<double, QString> readMargin = fieldValue(*m_margin, QStringLiteral("MP"));
    const std::variant<double, QString> readCrossover
        = fieldValue(*m_crossover, QStringLiteral("ωc"));
    for (const auto *read : { &readMargin, &readCrossover })
        if (const QString *problem = std::get_if<QString>(read)) {
            showOutcome(*problem, true);
            return false;
        }
    const double *margin = std::get_if<double>(&readMargin);
    const double *crossover = std::get_if<double>(&readCrossover);
    if (!(*margin > 0 && *margin < 180)) {
        showOutcome(QStringLiteral("MP doit être dans ]0 ; 180[ °"), true);
        return false;
    }
    if (!(*crossover > 0)) {
        showOutcome(QStringLiteral("ωc doit être positive"), true);
        return false;
    }
    const LoopSpec &spec = m_document.loops()[*index];
    try {
        const LeadDesign lead
            = DesignLead(m_document.loaded(*index).plant, spec.compensator, *margin, *crossover);
        m_document.setLoopDesign(*index,
            { lead.compensator, lead.gainDb, LoopTarget { TargetKind::PhaseMargin, *margin } },
            QStringLiteral("avance de phase de la %1").arg(loopText(*index)));
        showOutcome(QStringLiteral("Avance de %1° à %2 rad/s, gain de la %3 : %4 dB")
                        .arg(QString::fromStdString(FigureText(lead.leadPhaseDeg)),
                            QString::fromStdString(FigureText(*crossover)), loopText(*index),
                            QString::fromStdString(FigureText(lead.gainDb))),
            false);
        return true;
    } catch (const TuningError &error) {
        showOutcome(QString::fromUtf8(error.what()), true);
    } catch (const CompensatorError &error) {
        showOutcome(QString::fromUtf8(error.what()), true);
    } catch (const ExpressionError &error) {
        showOutcome(QString::fromUtf8(error.what()), true);
    }
    return false;
}

} // namespace velmora
