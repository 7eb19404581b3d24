// ui/apropo.cpp — the About box (ui layer)
#include "ui/apropo.h"

#include "ui/application.h"
#include "ui_apropo.h"

namespace velmora {

TAboutBox *AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TAboutBox>())
{
    AboutBox = this;
    ui->setupUi(this);
    setObjectName("AboutBox");
    setFixedSize(size());
    ui->ProductName->adjustSize(); // labels size themselves to their captions
    ui->Version->adjustSize();
    connect(
        ui->OKButton, &QPushButton::clicked, this, Guard([this] { OKButtonClick(ui->OKButton); }));
}

TAboutBox::~TAboutBox()
{
    if (AboutBox == this)
        AboutBox = nullptr;
}

void TAboutBox::OKButtonClick(QObject *)
{
    AboutBox->setVisible(false);
}

void TAboutBox::showEvent(QShowEvent *event)
{
    CentreOnScreen(*this);
    QDialog::showEvent(event);
}

} // namespace velmora
