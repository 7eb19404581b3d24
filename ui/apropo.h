// ui/apropo.h — the About box (ui layer)
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TAboutBox;
}

namespace velmora {

// Product label; centred on the screen each time it is shown; "OK" hides it.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);
    ~TAboutBox() override;

    Ui::TAboutBox &form() { return *ui; }

    void OKButtonClick(QObject *sender);

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TAboutBox> ui;
};

extern TAboutBox *AboutBox;

} // namespace velmora
