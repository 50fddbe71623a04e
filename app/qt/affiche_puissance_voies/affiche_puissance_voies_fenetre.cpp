#include "app/qt/affiche_puissance_voies/affiche_puissance_voies_fenetre.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "common/qt/polices_qt.h"
#include "common/qt/texte_qt.h"

namespace talven {

namespace {

constexpr int Police_normale = 12;  // pixels
constexpr int Police_valeur = 36;

}  // namespace

TForm9::TForm9(AffichePuissanceVoies& moniteur, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), moniteur_(moniteur) {
  setObjectName(QStringLiteral("TForm9"));
  setFixedSize(Largeur, Hauteur);
  setSizeGripEnabled(false);
  setModal(true);

  const char* groupes[] = {"Entree_ligne_gauche", "Entree_ligne_droite", "Entree_micro"};
  const char* etiquettes[] = {"affichage_entree_gauche", "affichage_entree_droite", "affichage_entree_micro"};
  const char* noms[] = {"Level of the left line input", "Level of the right line input",
                        "Level of the microphone input"};
  std::array<QGroupBox*, Nombre_entrees_son> boites{};
  for (int i = 0; i < Nombre_entrees_son; ++i) {
    auto* g = new QGroupBox(this);
    g->setObjectName(QString::fromLatin1(groupes[i]));
    g->setGeometry(8 + i * 178, 8, 174, 130);
    g->setFont(Police(Police_normale));
    auto* l = new QLabel(g);
    l->setObjectName(QString::fromLatin1(etiquettes[i]));
    l->setGeometry(6, 24, 162, 98);
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignCenter);
    l->setWordWrap(true);
    l->setFont(Police(Police_valeur, true));
    l->setAccessibleName(QString::fromLatin1(noms[i]));
    l->setAccessibleDescription(
        QStringLiteral("Level of the input in percent of a full-scale sine wave, or a note that no sound "
                       "came from the card"));
    boites[static_cast<size_t>(i)] = g;
    affichages_[static_cast<size_t>(i)] = l;
  }
  Entree_ligne_gauche = boites[0];
  Entree_ligne_droite = boites[1];
  Entree_micro = boites[2];

  Retour_au_menuBouton = new QPushButton(this);
  Retour_au_menuBouton->setObjectName(QStringLiteral("Retour_au_menuBouton"));
  Retour_au_menuBouton->setGeometry(173, 152, 200, 34);
  Retour_au_menuBouton->setAutoDefault(false);
  Retour_au_menuBouton->setAccessibleDescription(QStringLiteral("Stop measuring and close this window"));
  connect(Retour_au_menuBouton, &QPushButton::clicked, this, [this] {
    moniteur_.Retour_au_menuBoutonClick();
    fermeture_ = true;
    QDialog::done(QDialog::Accepted);
  });

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(1);
  Timer1->setTimerType(Qt::PreciseTimer);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

void TForm9::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  fermeture_ = false;
  setWindowTitle(Vers_qstring(moniteur_.Legende(ElementMoniteur::Fenetre)));
  const std::pair<QWidget*, ElementMoniteur> legendes[] = {
      {Entree_ligne_gauche, ElementMoniteur::Entree_ligne_gauche},
      {Entree_ligne_droite, ElementMoniteur::Entree_ligne_droite},
      {Entree_micro, ElementMoniteur::Entree_micro},
      {Retour_au_menuBouton, ElementMoniteur::Retour_au_menuBouton}};
  for (const auto& [w, element] : legendes) {
    const QString texte = Sans_raccourci(moniteur_.Legende(element));
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
      g->setTitle(texte);
      Ajustement_police(g, texte, Police_normale, false, 20);
    } else if (auto* b = qobject_cast<QPushButton*>(w)) {
      b->setText(texte);
      Ajustement_police(b, texte, Police_normale, false, 16);
    }
  }
  moniteur_.A_l_activation_de_la_fiche();
  Affichages();
  Timer1->start();
}

void TForm9::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (event->spontaneous()) return;
  Timer1->stop();
  // However the window goes, the device is not left recording.
  if (moniteur_.Mesure_active) moniteur_.Retour_au_menuBoutonClick();
}

void TForm9::Timer1Timer() {
  moniteur_.Timer1Timer();
  Affichages();
}

void TForm9::Affichages() {
  for (int i = 0; i < Nombre_entrees_son; ++i) {
    const Texte& t = moniteur_.Affichage(static_cast<Entree_son>(i));
    Texte& montre = montres_[static_cast<size_t>(i)];
    QLabel* l = affichages_[static_cast<size_t>(i)];
    if (t == montre) continue;
    montre = t;
    const QString texte = Vers_qstring(t);
    l->setText(texte);
    Ajustement_police(l, texte, Police_valeur, true, 0);
  }
}

void TForm9::closeEvent(QCloseEvent* event) {
  // Only the button closes the window.
  if (fermeture_ || !isVisible()) {
    event->accept();
  } else {
    event->ignore();
  }
}

void TForm9::keyPressEvent(QKeyEvent* event) {
  // Not QDialog's: <Esc> must not close the window.
  QWidget::keyPressEvent(event);
}

void TForm9::reject() {}

void TForm9::done(int resultat) {
  if (fermeture_) QDialog::done(resultat);
}

}  // namespace talven
