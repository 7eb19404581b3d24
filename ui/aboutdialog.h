// ui/aboutdialog.h — the About box (ui layer)
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class AboutDialog;
}

namespace velmora {

// Product label; centred on the screen each time it is shown; "OK" hides it.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);
    ~AboutDialog() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::AboutDialog> m_form;
};

} // namespace velmora
