// ui/aboutdialog.cpp — the About box (ui layer)
#include "ui/aboutdialog.h"

#include "ui/application.h"
#include "ui/named.h"
#include "ui/windowframes.h"
#include "ui_aboutdialog.h"

namespace velmora {

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent)
    , m_form(std::make_unique<Ui::AboutDialog>())
{
    m_form->setupUi(this);
    setFixedSize(size());
    setWindowFlags(
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    AskFrame(*this, FrameKind::Dialog);
    // Labels size themselves to their captions.
    Named<QLabel>(*this, "ProductName")->adjustSize();
    Named<QLabel>(*this, "Version")->adjustSize();
    // Never run modally: the button hides the box.
    connect(Named<QPushButton>(*this, "OKButton"), &QPushButton::clicked, this, &QWidget::hide);
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::showEvent(QShowEvent *event)
{
    CentreOnScreen(*this);
    QDialog::showEvent(event);
}

} // namespace velmora
