// ui/aideabaq.h — the help window (ui layer)
#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class Taide;
}

namespace velmora {

// The 31 lines of the help text, as the window first shows them.
const QStringList &HelpLines();

// The help text in a box the user may type into (never read); "Vu" hides the window.
class Taide : public QDialog {
    Q_OBJECT
public:
    explicit Taide(QWidget *parent = nullptr);
    ~Taide() override;

    Ui::Taide &form() { return *ui; }

    void Button1Click(QObject *sender);

private:
    std::unique_ptr<Ui::Taide> ui;
};

extern Taide *aide;

} // namespace velmora
