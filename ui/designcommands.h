// ui/designcommands.h — the Boucle menu's designs and chart options: the gain tuned to a
// target, a phase lead, the target cleared, the legend and the sensitivity contours (ui layer)
#pragma once

#include <QObject>

class QMainWindow;

namespace velmora {

class ChartDocument;
class LeadDialog;
class LoopsWindow;
class TuningDialog;

// The designs act on the loop selected in the loops window. The legend's choice and the
// sensitivity contours' check follow the document, undo included.
class DesignCommands : public QObject {
    Q_OBJECT
public:
    DesignCommands(QMainWindow &mainWindow, ChartDocument &document, LoopsWindow &loopsWindow,
        QObject *parent = nullptr);

    TuningDialog &tuningDialog() { return *m_tuning; }
    LeadDialog &leadDialog() { return *m_lead; }

private:
    // The menu's checks and what may be done, as the document stands.
    void showDocument();

    QMainWindow &m_window;
    ChartDocument &m_document;
    LoopsWindow &m_loopsWindow;
    TuningDialog *m_tuning;
    LeadDialog *m_lead;
};

} // namespace velmora
