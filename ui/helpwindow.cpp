// ui/helpwindow.cpp — the help window (ui layer)
#include "ui/helpwindow.h"

#include "ui/named.h"
#include "ui/windowframes.h"
#include "ui_helpwindow.h"

namespace velmora {

QStringList HelpLines()
{
    return {
        QStringLiteral("L'abaque"),
        QString(),
        QStringLiteral("A partir du diagramme de Black de la fonction de "),
        QStringLiteral("transfert en boucle ouverte : le gain en ordonnée "),
        QStringLiteral("pour la phase en abscisse, cette abaque permet de "),
        QStringLiteral("visualiser les gains et phase du système en boucle "),
        QStringLiteral("fermée à condition que le retour soit unitaire."),
        QString(),
        QStringLiteral("Dans ce logiciel, les graduations sont en dB pour le "),
        QStringLiteral("gain et en ° pour la phase."),
        QString(),
        QStringLiteral("Le logiciel"),
        QString(),
        QStringLiteral("Les valeurs extrêmes du repère sont modifiables dans "),
        QStringLiteral("les limites suivantes :"),
        QString(),
        QStringLiteral("\u00b7\t100 dB pour le gain maximum (avec la "),
        QStringLiteral("contrainte d'être >0)"),
        QStringLiteral("\u00b7\t-100 dB pour le gain minimum (avec la "),
        QStringLiteral("contrainte d'être <0)"),
        QStringLiteral("\u00b7\t-360° pour la phase minimum (avec la "),
        QStringLiteral("contrainte d'être <-180]"),
        QString(),
        QStringLiteral("La courbe peut être copiée sous forme de bitmap de "),
        QStringLiteral("taille correspondant à une page dans Word."),
        QStringLiteral("Si j'ai beaucoup de demandes (et de motivation) une "),
        QStringLiteral("version avec métafichiers peut être envisagée."),
        QString(),
        QStringLiteral("N'hésitez pas à donner vos avis, remarques et autres "),
        QStringLiteral("en vue d'améliorer le programme."),
        QString(),
    };
}

HelpWindow::HelpWindow(QWidget *parent)
    : QDialog(parent)
    , m_form(std::make_unique<Ui::HelpWindow>())
{
    m_form->setupUi(this);
    move(554, 169);
    setFixedSize(size());
    setWindowFlags(
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    AskFrame(*this, FrameKind::Dialog);
    auto *text = Named<QPlainTextEdit>(*this, "Memo1");
    QPalette face = text->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Window));
    text->setPalette(face);
    text->setPlainText(HelpLines().join('\n'));
    // As designed: no scroll bars; the text scrolls with the caret or the wheel.
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(Named<QPushButton>(*this, "Button1"), &QPushButton::clicked, this, &QWidget::hide);
}

HelpWindow::~HelpWindow() = default;

} // namespace velmora
