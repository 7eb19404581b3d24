// ui/responsewindow.h — the "Réponse" window: the closed loop of every visible loop, in time
// and in frequency, following the tuning live (ui layer)
#pragma once

#include <QDialog>

class QLabel;

namespace velmora {

class ChartDocument;
class FileFolders;
class PlotView;
class Prompts;

// Non-modal. Above, the step responses with their figures; below, |T| and |S| in dB against
// log ω with Mr, ωb and Ms; under both, a read-out of the curves under the pointer. Each plot
// exports from its context menu.
class ResponseWindow : public QDialog {
    Q_OBJECT
public:
    ResponseWindow(
        ChartDocument &document, Prompts &prompts, FileFolders &folders, QWidget *parent = nullptr);

    // Shows the document's loops as they stand (only while the window is visible).
    void showResponses();

protected:
    void showEvent(QShowEvent *event) override;

private:
    ChartDocument &m_document;
    PlotView *m_step;
    PlotView *m_bode;
    QLabel *m_readOut;
};

} // namespace velmora
