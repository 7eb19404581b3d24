// ui/designcommands.cpp — the Boucle menu's designs and chart options (ui layer)
#include "ui/designcommands.h"

#include "ui/application.h"
#include "ui/chartdocument.h"
#include "ui/designdialogs.h"
#include "ui/loopswindow.h"
#include "ui/named.h"
#include "ui/windowframes.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>

#include <utility>

namespace velmora {

namespace {

// The legend's choices, by the action that makes each.
constexpr std::pair<const char *, LegendKind> LegendActions[] = {
    { "LegendeAucune1", LegendKind::None },
    { "LegendeNoms1", LegendKind::Names },
    { "LegendeMarges1", LegendKind::Margins },
};

} // namespace

DesignCommands::DesignCommands(
    QMainWindow &mainWindow, ChartDocument &document, LoopsWindow &loopsWindow, QObject *parent)
    : QObject(parent)
    , m_window(mainWindow)
    , m_document(document)
    , m_loopsWindow(loopsWindow)
{
    const LoopChoice chosen = [this] { return m_loopsWindow.selected(); };
    m_tuning = new TuningDialog(document, chosen, &mainWindow);
    m_lead = new LeadDialog(document, chosen, &mainWindow);
    m_tuning->setWindowFlag(Qt::Window);
    m_lead->setWindowFlag(Qt::Window);
    connect(Named<QAction>(mainWindow, "ReglerGain1"), &QAction::triggered, m_tuning,
        [this] { ShowNormalAndOnTop(*m_tuning); });
    connect(Named<QAction>(mainWindow, "AvancePhase1"), &QAction::triggered, m_lead,
        [this] { ShowNormalAndOnTop(*m_lead); });
    connect(
        Named<QAction>(mainWindow, "EffacerObjectif1"), &QAction::triggered, this, Guard([this] {
            if (const std::optional<std::size_t> index = m_loopsWindow.selected())
                m_document.setLoopTarget(*index, std::nullopt);
        }));
    auto *legends = new QActionGroup(this);
    for (const auto &[name, kind] : LegendActions) {
        QAction *action = Named<QAction>(mainWindow, name);
        action->setCheckable(true);
        legends->addAction(action);
        connect(action, &QAction::triggered, this, Guard([this, kind = kind] {
            if (m_document.session().legend != kind)
                m_document.setLegend(kind);
        }));
    }
    QAction *sensitivity = Named<QAction>(mainWindow, "ContoursSensibilite1");
    sensitivity->setCheckable(true);
    connect(sensitivity, &QAction::triggered, this,
        Guard([this](bool checked) { m_document.setShowSensitivity(checked); }));
    connect(&document, &ChartDocument::chartChanged, this, &DesignCommands::showDocument);
    connect(&document, &ChartDocument::loopsChanged, this, &DesignCommands::showDocument);
    connect(&document, &ChartDocument::replaced, this, &DesignCommands::showDocument);
    showDocument();
}

void DesignCommands::showDocument()
{
    for (const auto &[name, kind] : LegendActions)
        Named<QAction>(m_window, name)->setChecked(m_document.session().legend == kind);
    Named<QAction>(m_window, "ContoursSensibilite1")
        ->setChecked(m_document.session().showSensitivity);
    bool targets = false;
    for (const LoopSpec &loop : m_document.loops())
        targets = targets || loop.target.has_value();
    Named<QAction>(m_window, "EffacerObjectif1")->setEnabled(targets);
}

} // namespace velmora
