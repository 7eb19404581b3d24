// ui/designdialogs.h — the designs of the Boucle menu: the gain tuned to a target, a phase
// lead for a margin at a crossover (ui layer)
#pragma once

#include <QDialog>

#include <cstddef>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {

class ChartDocument;

// The loop a design acts on: the one selected in the loops window.
using LoopChoice = std::function<std::optional<std::size_t>()>;

// A design's dialog: it names the loop it will act on, kept up to date as the loop chosen
// changes, and says what the design did or why it did nothing.
class DesignDialog : public QDialog {
    Q_OBJECT
public:
    DesignDialog(ChartDocument &document, LoopChoice loop, QWidget *parent);

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showChosenLoop();
    // The loop to act on, or none, with the reason shown.
    std::optional<std::size_t> chosenLoop();
    void showOutcome(const QString &text, bool refused);

    ChartDocument &m_document;
    LoopChoice m_loop;
    QLabel *m_chosen;
    QLabel *m_reason;
};

// Non-modal. "Régler" sets the chosen loop's gain so that the target holds (Mr, MP, MG, ωb or
// ωc at the value typed), one undo step that also keeps the target, drawn on the chart for Mr;
// a target that cannot be reached changes nothing, and the dialog says why.
class TuningDialog : public DesignDialog {
    Q_OBJECT
public:
    TuningDialog(ChartDocument &document, LoopChoice loop, QWidget *parent = nullptr);

    // Applies the target typed; false, with the reason shown, when nothing changed.
    bool tune();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QComboBox *m_kind;
    QLineEdit *m_value;
    QLabel *m_unit;
};

// Non-modal. "Appliquer" adds a phase lead to the chosen loop's compensator, or sets the one it
// has, and the gain, so that the phase margin is the one typed at the crossover typed: one undo
// step. When one lead cannot give the phase needed, nothing changes and the dialog says why.
class LeadDialog : public DesignDialog {
    Q_OBJECT
public:
    LeadDialog(ChartDocument &document, LoopChoice loop, QWidget *parent = nullptr);

    // Applies the design typed; false, with the reason shown, when nothing changed.
    bool design();

private:
    QLineEdit *m_margin;
    QLineEdit *m_crossover;
};

} // namespace velmora
