// ui/loophelpwindow.h — the help page of what the program does with loops: measured data,
// margins, the response, sessions, export and print (ui layer)
#pragma once

#include <QDialog>

namespace velmora {

// Non-modal; "Vu" hides it. The chart's own help window keeps its text as it always was.
class LoopHelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit LoopHelpWindow(QWidget *parent = nullptr);
};

// F1 in `window` shows `help` through `show`.
void OpenHelpWith(QWidget &window, QWidget &help, void (*show)(QWidget &));

} // namespace velmora
