// ui/loophelpwindow.cpp — the help page of what the program does with loops (ui layer)
#include "ui/loophelpwindow.h"

#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace velmora {

namespace {

const char *const Page = R"HTML(
<h3>Boucles sur l'abaque</h3>
<p><b>Boucle &gt; Fonctions de transfert...</b> ouvre la fenêtre des boucles : jusqu'à 8
boucles ouvertes G(s), chacune une expression ou un fichier de mesures, avec sa couleur, son
gain ajouté en dB et une case « Visible ».</p>
<p>Une expression s'écrit en <i>s</i> : nombres (<tt>0.5</tt>, <tt>2e-3</tt> ; la virgule entre
deux chiffres vaut un point), <tt>+ - * /</tt>, <tt>^</tt> entier, parenthèses, produits
implicites (<tt>2s</tt>, <tt>(s+1)(s+2)</tt>) et retard <tt>exp(-0.2*s)</tt>. Par exemple
<tt>4/(s*(s+1)*(s+2))</tt>. Elle est vérifiée à la frappe : la raison d'un refus et sa colonne
s'affichent sous le champ.</p>
<h3>Mesures</h3>
<p><b>Charger un CSV...</b> lit une réponse mesurée : fréquence, gain (dB) et phase (°) par
ligne, séparés par des virgules, des points-virgules ou des tabulations. Une première ligne sans
aucun nombre est un en-tête ; les lignes commençant par <tt>#</tt> sont des commentaires.
Cochez « Fréquences en Hz » si les fréquences ne sont pas en rad/s.</p>
<h3>Réglage du gain</h3>
<p>Le gain de la boucle choisie se règle au curseur, dans la case du gain, ou en faisant glisser
son lieu vers le haut ou le bas dans la fenêtre de l'abaque. Chaque réglage se défait par
<b>Édition &gt; Annuler</b> (Ctrl+Z) : un glissement entier est une seule étape.</p>
<h3>Marges et lecture</h3>
<p><b>Boucle &gt; Marges</b> donne pour chaque boucle la stabilité en boucle fermée, les marges
de gain (MG) et de phase (MP) avec leurs pulsations, la résonance Mr, la bande passante ωb et
tous les croisements. Sur l'abaque, les marges sont tracées en segments, le point de Mr porte le
contour isogain qui le traverse, et ωb est marquée sur le contour à -3 dB. Sous le pointeur, la
ligne du bas de la fenêtre de l'abaque lit la boucle ouverte et la boucle fermée.</p>
<h3>Réponse en boucle fermée</h3>
<p><b>Boucle &gt; Réponse</b> montre, pour chaque boucle visible, la réponse indicielle en boucle
fermée avec son dépassement, son temps de pic, son temps de montée (10 à 90 %) et son temps de
réponse à 5 %, et le diagramme de Bode de |T| et |S| avec Mr, ωb et Ms.</p>
<h3>Sessions</h3>
<p><b>Fichier &gt; Enregistrer la session</b> (Ctrl+S) garde les réglages, les listes de valeurs
et les boucles dans un fichier <tt>.velmora</tt> ; <b>Ouvrir une session...</b> (Ctrl+O) le
relit. Le titre de la fenêtre principale porte une étoile tant que des modifications ne sont pas
enregistrées, et « Quitter » propose alors de les enregistrer.</p>
<h3>Export et impression</h3>
<p><b>Fichier &gt; Exporter l'abaque...</b> écrit l'abaque avec ses lieux en PNG, BMP, SVG ou PDF
(selon l'extension), à la taille choisie. <b>Imprimer...</b> (Ctrl+P) l'imprime à l'échelle de la
page, en vectoriel. Un fichier existant n'est remplacé qu'une fois le nouveau entièrement écrit.</p>
)HTML";

} // namespace

LoopHelpWindow::LoopHelpWindow(QWidget *parent)
    : QDialog(parent)
{
    setObjectName("aideBoucles");
    setWindowTitle(QStringLiteral("Aide des boucles"));
    auto *text = new QTextBrowser(this);
    text->setObjectName("TexteAide");
    text->setHtml(QString::fromUtf8(Page));
    auto *seen = new QPushButton(QStringLiteral("Vu"), this);
    seen->setObjectName("BoutonVu");
    connect(seen, &QPushButton::clicked, this, &QWidget::hide);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text, 1);
    layout->addWidget(seen, 0, Qt::AlignHCenter);
    resize(520, 560);
    move(554, 169);
}

void OpenHelpWith(QWidget &window, QWidget &help, void (*show)(QWidget &))
{
    auto *f1 = new QShortcut(QKeySequence::HelpContents, &window);
    f1->setContext(Qt::WindowShortcut);
    QObject::connect(f1, &QShortcut::activated, &help, [&help, show] { show(help); });
}

} // namespace velmora
