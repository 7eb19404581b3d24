// ui/exportdialog.h — where and how large to export the chart (ui layer)
#pragma once

#include "ui/prompts.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QSpinBox;

namespace velmora {

// A file name (with a button that opens the file chooser) and a size in pixels; the format
// follows the name's extension, PNG, BMP, SVG or PDF. "OK" stays off until the name has one of
// them, and a line under the name says why.
class ExportDialog : public QDialog {
    Q_OBJECT
public:
    ExportDialog(const ExportChoice &initial, Prompts &prompts, QWidget *parent = nullptr);

    ExportChoice choice() const;

private:
    void check();

    Prompts &m_prompts;
    QLineEdit *m_path;
    QSpinBox *m_width;
    QSpinBox *m_height;
    QLabel *m_problem;
    QPushButton *m_ok;
};

} // namespace velmora
