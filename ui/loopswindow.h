// ui/loopswindow.h — the loops window: the document's loops listed, added, edited, removed,
// hidden, coloured and tuned (ui layer)
#pragma once

#include <QDialog>

#include <cstdint>
#include <optional>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTableWidget;

namespace velmora {

class ChartDocument;
class CompensatorEditor;
class FileFolders;
class Prompts;

// Non-modal. The list shows each loop: visible, its expression or data file, its colour and its
// gain. An expression is checked as it is typed: the reason and its column show beside the
// field, and "Ajouter" and "Modifier" stay off until it is valid. The selected loop's gain is
// tuned live with a slider and a spin box (dB); its name in the legend is typed in a field and
// taken on Entrée or on leaving it (empty: the default name, shown greyed in the field). Below,
// the selected loop's compensator (see CompensatorEditor).
class LoopsWindow : public QDialog {
    Q_OBJECT
public:
    LoopsWindow(
        ChartDocument &document, Prompts &prompts, FileFolders &folders, QWidget *parent = nullptr);

    // Selects the loop of that id, if it is in the document.
    void selectLoop(std::uint64_t id);
    // The loop chosen in the list, if any: the one the Boucle menu's designs act on.
    std::optional<std::size_t> selected() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showLoops();
    void showSelected();
    void checkExpression();
    void addExpression();
    void replaceExpression();
    void removeSelected();
    void loadCsv();
    void chooseColor();
    void setGain(double gainDb);
    void takeName();

    ChartDocument &m_document;
    Prompts &m_prompts;
    FileFolders &m_folders;
    QTableWidget *m_list;
    QLineEdit *m_expression;
    QLabel *m_problem;
    QPushButton *m_add;
    QPushButton *m_replace;
    QPushButton *m_remove;
    QPushButton *m_csv;
    QCheckBox *m_hertz;
    QPushButton *m_color;
    QSlider *m_gainSlider;
    QDoubleSpinBox *m_gainBox;
    QLineEdit *m_name;
    CompensatorEditor *m_compensator;
    bool m_showing = false; // the widgets are being filled from the document
};

} // namespace velmora
