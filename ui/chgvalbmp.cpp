// ui/chgvalbmp.cpp — bitmap-size dialog (ui layer)
#include "ui/chgvalbmp.h"

#include "core/foncbase.h"
#include "ui/abaqvelmora.h"
#include "ui/application.h"
#include "ui/prompts.h"
#include "ui_chgvalbmp.h"

namespace velmora {

Tvalbmp *valbmp = nullptr;

namespace {

const QString sizeTitle = QStringLiteral("entrée taille bitmap");

// Asks for a size; stores it with its fraction dropped and writes the caption when it passes
// the test. A cancelled box changes nothing.
void askSize(QLabel &label, const QString &prompt, const QString &defaultText,
    bool (*accepted)(double), int &setting, const QString &captionPrefix)
{
    const std::optional<QString> answer = ActivePrompts().inputBox(sizeTitle, prompt, defaultText);
    if (!answer)
        return;
    const double v = TextToReal(answer->toStdString());
    if (!accepted(v))
        return;
    setting = static_cast<int>(v);
    label.setText(captionPrefix + QString::number(setting) + QStringLiteral(" pixels"));
    label.adjustSize();
}

} // namespace

Tvalbmp::Tvalbmp(QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::Tvalbmp>())
{
    valbmp = this;
    ui->setupUi(this);
    setObjectName("valbmp");
    move(251, 120);
    setFixedSize(size());
    ui->label1->setText(QStringLiteral("Largeur: %1 pixels").arg(Settings.BitmapWidth));
    ui->Label2->setText(QStringLiteral("Hauteur: %1 pixels").arg(Settings.BitmapHeight));
    ui->label1->adjustSize();
    ui->Label2->adjustSize();
    connect(ui->label1, &ClickableLabel::clicked, this, Guard([this] { label1Click(ui->label1); }));
    connect(ui->Label2, &ClickableLabel::clicked, this, Guard([this] { Label2Click(ui->Label2); }));
    connect(ui->Button1, &QPushButton::clicked, this, Guard([this] { Button1Click(ui->Button1); }));
}

Tvalbmp::~Tvalbmp()
{
    if (valbmp == this)
        valbmp = nullptr;
}

void Tvalbmp::label1Click(QObject *)
{
    askSize(*ui->label1, QStringLiteral("entrée de la 400<=largeur<=600"), QStringLiteral("600"),
        BitmapWidthAccepted, Settings.BitmapWidth, QStringLiteral("Largeur:"));
}

void Tvalbmp::Label2Click(QObject *)
{
    askSize(*ui->Label2, QStringLiteral("entrée de la 600<=longueur<=950"), QStringLiteral("950"),
        BitmapHeightAccepted, Settings.BitmapHeight, QStringLiteral("Hauteur:"));
}

void Tvalbmp::Button1Click(QObject *)
{
    valbmp->setVisible(false);
}

} // namespace velmora
