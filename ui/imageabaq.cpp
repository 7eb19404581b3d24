// ui/imageabaq.cpp — the chart window (ui layer)
#include "ui/imageabaq.h"

#include "ui_imageabaq.h"

#include <QCloseEvent>
#include <QImage>
#include <QPixmap>

namespace velmora {

Tabaque *abaque = nullptr;

Tabaque::Tabaque(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , ui(std::make_unique<Ui::Tabaque>())
{
    abaque = this;
    ui->setupUi(this);
    setObjectName("abaque");
    move(619, 137);
    setAttribute(Qt::WA_ShowWithoutActivating);
}

Tabaque::~Tabaque()
{
    if (abaque == this)
        abaque = nullptr;
}

void Tabaque::setImage(const QImage &image)
{
    ui->Image1->setPixmap(QPixmap::fromImage(image));
    ui->Image1->resize(image.size());
}

QImage Tabaque::image() const
{
    return ui->Image1->pixmap().toImage();
}

void Tabaque::closeEvent(QCloseEvent *event)
{
    // Nothing hides the chart window; it ends with the program.
    event->ignore();
}

} // namespace velmora
