// ui/aboutdialog.cpp — the About box (ui layer)
#include "ui/aboutdialog.h"

#include "ui/application.h"
#include "ui_aboutdialog.h"

namespace velmora {

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent)
    , m_form(std::make_unique<Ui::AboutDialog>())
{
    m_form->setupUi(this);
    setFixedSize(size());
    m_form->ProductName->adjustSize(); // labels size themselves to their captions
    m_form->Version->adjustSize();
    // Never run modally: the button hides the box.
    connect(m_form->OKButton, &QPushButton::clicked, this, &QWidget::hide);
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::showEvent(QShowEvent *event)
{
    CentreOnScreen(*this);
    QDialog::showEvent(event);
}

} // namespace velmora
