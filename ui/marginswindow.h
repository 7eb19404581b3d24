// ui/marginswindow.h — the margins window: what the loops read on the chart, live (ui layer)
#pragma once

#include <QDialog>

class QLabel;
class QTableWidget;

namespace velmora {

class ChartDocument;

// Non-modal. A column a loop: closed-loop stability and its unstable poles, gain and phase
// margins with their frequencies, the resonance peak Mr and its frequency, the bandwidth, the
// crossovers; French number text. It follows the document as the gains are tuned.
class MarginsWindow : public QDialog {
    Q_OBJECT
public:
    explicit MarginsWindow(const ChartDocument &document, QWidget *parent = nullptr);

    // Shows the document's loops as they stand.
    void showMargins();

private:
    // The window made to show the whole table, as far as the screen allows.
    void fitTable();

    const ChartDocument &m_document;
    QTableWidget *m_table;
    QLabel *m_empty;
};

} // namespace velmora
