// ui/helpwindow.h — the help window (ui layer)
#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class HelpWindow;
}

namespace velmora {

// The 31 lines of the help text, as the window first shows them.
QStringList HelpLines();

// The help text in a box the user may type into (never read); "Vu" hides the window.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);
    ~HelpWindow() override;

private:
    std::unique_ptr<Ui::HelpWindow> m_form;
};

} // namespace velmora
