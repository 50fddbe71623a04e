// FICHE_PRINCIPALE on screen: the main window `TForm1`.
//
// Responsibilities: the menu tree under the items' names, with the captions
// and hints the model sets (a hint shows in the status line `Label1` while
// the pointer is over its item); the history memo `Memo1` headed
// "MODIFICATIONS:"; the large hidden `Label2`; a fixed size without border
// icons; the "Sound card" menu filled with the model's devices each time it
// opens; the modal windows the model opens; the way out: the `Abandon` item,
// and any other way a desktop ends a program (the window manager's close,
// the end of the session, the application quitting) runs the same exit
// sequence once.
// Collaborations: implements `VueFichePrincipale` for its `FichePrincipale`,
// which it owns; is given the other windows (About, QSO viewer, transceiver)
// once they are created; text crosses into the widgets through
// `Vers_qstring` only.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <string>

#include "app/fiche_principale/fiche_principale.h"

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QShortcut;
class QTimer;

namespace talven {

class TForm1 final : public QMainWindow, private VueFichePrincipale {
 public:
  static constexpr int Largeur = 640;  // logical pixels
  static constexpr int Hauteur = 320;

  // The other windows, shown modally from the menu; any may be missing.
  struct Fenetres {
    QDialog* TForm2 = nullptr;  // About
    QDialog* TForm3 = nullptr;  // transceiver
    QDialog* TForm5 = nullptr;  // sequence editor
    QDialog* TForm7 = nullptr;  // QSO viewer
    QDialog* TForm9 = nullptr;  // level monitor
  };

  // `station` and `economiseur` must outlive the window. `demonstration`
  // marks the captions. `executable`: the program's path, to find the help
  // documents.
  TForm1(Station& station, Economiseur_ecran& economiseur, bool demonstration, std::string executable);
  ~TForm1() override;

  // The start-up sequence; false when the program must end.
  bool A_la_creation_de_la_fiche() { return fiche.A_la_creation_de_la_fiche(); }
  void Attache_fenetres(const Fenetres& fenetres) { fenetres_ = fenetres; }
  // Opens the sequence editor on a file ("F13.SER" .. "F20.SER"); set by
  // the program once the editor exists.
  std::function<void(VueTexte fichier)> Ouverture_editeur;

  QAction* Action(ElementMenu element) const { return actions_[static_cast<size_t>(element)]; }

  FichePrincipale fiche;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // --- VueFichePrincipale ---
  void Label1(VueTexte texte) override;
  void Legende_menu(ElementMenu element, VueTexte legende) override;
  void Bulle_menu(ElementMenu element, VueTexte bulle) override;
  void Legende_fenetre(VueTexte legende) override;
  void Fenetre_transceiver() override;
  void Fenetre_editeur_sequence(VueTexte fichier) override;
  void Fenetre_visionneuse_qso() override;
  void Fenetre_a_propos() override;
  void Fenetre_moniteur_niveau() override;
  void Label2(VueTexte texte) override;
  void Debut_emission_morse() override;
  void Aide(const Langue& langue) override;
  void Fermeture() override;

  // --- Keying devices and CAT ---
  void Fenetre_attribution_ports() override;
  void Fenetre_manipulation_cat() override;

  void Construction_menu();
  QAction* Element(QMenu* menu, ElementMenu element, const char* nom, std::function<void()> action);
  void Survol(QAction* action);
  // Fills the "Sound card" menu with the devices present now.
  void Liste_cartes_son(QMenu* menu);
  void Ajustement_barre();
  // One tick of a Morse sending: the steps the card allows, a few at most.
  void Minuterie_morse();

  bool demonstration_;
  std::string executable_;
  bool fermee_ = false;
  Fenetres fenetres_;
  std::array<QAction*, Nombre_elements_menu> actions_{};
  std::array<QMenu*, Nombre_elements_menu> menus_{};
  QLabel* Label1_ = nullptr;  // `Label1`
  QLabel* Label2_ = nullptr;  // `Label2`
  QPlainTextEdit* Memo1 = nullptr;
  QTimer* morse_ = nullptr;     // drives a Morse sending
  QShortcut* echap_ = nullptr;  // <Esc> while Morse is sent
};

}  // namespace talven
