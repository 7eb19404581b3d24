// ui/compensatoreditor.h — a loop's compensator as a list of elements, edited in place (ui
// layer)
#pragma once

#include "core/compensator.h"

#include <QWidget>

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace velmora {

class ChartDocument;

// One row an element: its type in French and its parameters, each in a field checked as it is
// typed. A value accepted is applied at once (the chart and the figures follow), the keystrokes
// into one field being one undo step; a value refused shows red, with the reason below the
// list, and changes nothing. Elements are added from a menu of the types and removed with the
// row selected; C(s) is written below as a rational expression.
class CompensatorEditor : public QWidget {
    Q_OBJECT
public:
    explicit CompensatorEditor(ChartDocument &document, QWidget *parent = nullptr);

    // The loop whose compensator is shown; none empties the list and turns the editor off.
    void showLoop(std::optional<std::size_t> index);

private:
    using Fields = std::array<QLineEdit *, MaxElementParameters>;

    // The rows made again from the loop's compensator.
    void rebuild();
    // The values shown again, but in the field being typed into.
    void refresh();
    void editParameter(std::size_t row, std::size_t parameter);
    void addElement(ElementKind kind);
    void removeSelected();
    // A changed compensator applied to the loop; the reason shown when it cannot be.
    void apply(const Compensator &compensator, int mergeKey = 0);
    void showProblem(const QString &problem);
    bool eventFilter(QObject *watched, QEvent *event) override;

    ChartDocument &m_document;
    std::optional<std::size_t> m_index;
    std::vector<ElementKind> m_kinds; // what the rows show
    std::vector<Fields> m_fields;
    QTableWidget *m_elements;
    QPushButton *m_addElement;
    QPushButton *m_removeElement;
    QLabel *m_formula;
    QLabel *m_problem;
};

} // namespace velmora
