// AFFICHE_PUISSANCE_VOIES on screen: the level monitor `TForm9`.
//
// Responsibilities: the three group boxes `Entree_ligne_gauche`,
// `Entree_ligne_droite` and `Entree_micro`, each with its large value label
// (`affichage_entree_gauche`, `affichage_entree_droite`,
// `affichage_entree_micro`), and the button `Retour_au_menuBouton`, in a
// fixed 546 x 196 layout (logical pixels), captions fitted to their room;
// at each showing the monitor's activation and the 1 ms `Timer1`, whose
// every tick steps the measurement and shows the labels; the button stops
// the measurement and closes the window, which closes no other way (no
// border icons, the window manager's close and <Esc> refused).
// Collaborations: AffichePuissanceVoies, whose `Gain_choisi` the main
// window sets before exec() (and which restores the configured input after
// it); text crosses into the widgets through common/qt/texte_qt.h only.
#pragma once

#include <QDialog>
#include <array>

#include "app/affiche_puissance_voies.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;

namespace talven {

class TForm9 final : public QDialog {
 public:
  static constexpr int Largeur = 546;  // client area, logical pixels
  static constexpr int Hauteur = 196;

  // `moniteur` must outlive the window.
  explicit TForm9(AffichePuissanceVoies& moniteur, QWidget* parent = nullptr);

  // One tick of `Timer1` (tests may drive it).
  void Timer1Timer();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void reject() override;
  void done(int resultat) override;

 private:
  void Affichages();

  AffichePuissanceVoies& moniteur_;
  bool fermeture_ = false;  // the button closes the window

  QTimer* Timer1 = nullptr;
  QGroupBox* Entree_ligne_gauche = nullptr;
  QGroupBox* Entree_ligne_droite = nullptr;
  QGroupBox* Entree_micro = nullptr;
  std::array<QLabel*, Nombre_entrees_son> affichages_{};  // in the order of Entree_son
  std::array<Texte, Nombre_entrees_son> montres_;         // what they show
  QPushButton* Retour_au_menuBouton = nullptr;
};

}  // namespace talven
