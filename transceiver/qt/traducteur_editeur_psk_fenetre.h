// TRADUCTEUR_EDITEUR_PSK on screen: the transceiver window `TForm3`.
//
// Responsibilities: the window's components under their object names and
// fixed places (634 x 430 logical pixels, fixed border, no border icons),
// in fonts chosen so that every caption fits; mirror everything the engine
// reports (captions, visibility, focus, labels, lamps, memos, spectrum);
// hand every operator action to the engine: buttons, the keys of the
// typing window and of `RETOUR_MENU`, clicks on the spectrum and in the
// typing window, <Esc> anywhere in the window (which never closes it), and
// the window manager's close (which asks the engine to return to the menu
// and is refused while a transmission is not drained); run the real-time
// loop: `Timer1` ticks every millisecond while the engine has work, and
// sleeps on the sound card's wake descriptor while the engine waits for a
// buffer, so an idle loop costs nothing; show the notice of a transmission
// ended by the transmit watchdog in a message box, once the engine's tick
// is over (the loop goes on while the box waits for its OK).
// Collaborations: the engine `TraducteurEditeurPsk` is its only door: it
// calls the engine's operations and implements `ObservateurTransceiver`,
// attached while the window is shown; the notices go to a `Boite_messages`.
// Text crosses into the widgets through `Vers_qstring` / `Depuis_qstring`
// and nowhere else.
#pragma once

#include <QDialog>
#include <QTimer>
#include <array>
#include <memory>

#include "common/langue.h"
#include "common/messages.h"
#include "transceiver/observateur_transceiver.h"
#include "transceiver/traducteur_editeur_psk.h"

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSocketNotifier;
class QAbstractButton;

namespace talven {

class ImageSpectre;
class MemoSaisie;
class BoutonRetourMenu;

class TForm3 final : public QDialog, private ObservateurTransceiver {
 public:
  static constexpr int Largeur = 634;  // client area, logical pixels
  static constexpr int Hauteur = 430;

  // `moteur` and `langue` must outlive the window, and so must `boite`, the
  // message box of the operator's notices (nullptr: a Qt message box of the
  // window's own). Nothing runs until the window is shown: each showing
  // activates the engine (reception at 500 Hz) and each closing detaches
  // the window from it.
  TForm3(TraducteurEditeurPsk& moteur, const Langue& langue, QWidget* parent = nullptr,
         Boite_messages* boite = nullptr);
  ~TForm3() override;

  // One tick of `Timer1` (tests drive the loop with it).
  void Timer1Timer();
  // Whether `Timer1` is ticking now (false while the loop sleeps until the
  // sound card or the operator wakes it).
  bool Boucle_active() const;

  ImageSpectre& Image() const { return *Image_spectre; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* objet, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void reject() override;
  void done(int resultat) override;

 private:
  // --- ObservateurTransceiver ---
  void Etiquettes_frequences(VueTexte reception, VueTexte emission, VueTexte delta) override;
  void Lettre(VueTexte texte) override;
  void Label8(bool visible) override;
  void S_sur_B(VueTexte texte) override;
  void Spectre_a_redessiner() override;
  void Focus(ZoneFocus zone) override;
  void Arret_sequence(bool visible, VueTexte legende) override;
  void Niveau_gain(VueTexte niveau, VueTexte gain) override;
  void Saturation(bool rouge) override;
  void Retour_focus() override;
  void Memo_caractere(MemoFenetre memo, uint8_t c) override;
  void Memo_texte(MemoFenetre memo, VueTexte texte) override;
  void Label5(bool rouge) override;
  void Etiquettes_etat(VueTexte edition, VueTexte arret, VueTexte traduction) override;
  void Legende(ElementFenetre element, VueTexte texte) override;
  void Visibilite(ElementFenetre element, bool visible) override;
  void Focus_controle(ControleFocus controle) override;
  void Fermeture_fenetre() override;
  void Fin_emission_garde(int32_t minutes, VueTexte message) override;

  void Construction();
  // After every operator action: the loop ticks again (it may have slept).
  void Relance_boucle();
  // Runs an operator action on the engine, then wakes the loop.
  template <typename Action>
  void Action_operateur(Action action);
  void Reveil();
  QPlainTextEdit* Memo(MemoFenetre memo) const;
  QWidget* Element(ElementFenetre element) const;
  // The mode and class radio buttons show the engine's choice again (a
  // swallowed or refused click leaves them as they were).
  void Synchronisation_choix();
  // Largest font (down to 8 pixels) in which `bouton`'s or the group's
  // caption fits its width.
  static void Ajustement_police(QWidget* controle, const QString& texte);
  static void Lampe(QLabel* lampe, const QColor& couleur);
  void Accessibilite();

  TraducteurEditeurPsk& moteur_;
  const Langue& langue_;
  std::unique_ptr<Boite_messages> boite_propre_;  // when none was given
  Boite_messages* boite_;
  bool ouverte_ = false;           // shown and attached to the engine
  bool fermeture_moteur_ = false;  // the engine closed the window

  QTimer* Timer1 = nullptr;
  QSocketNotifier* reveil_ = nullptr;

  // The components, under their object names.
  QPlainTextEdit* Memo1 = nullptr;
  MemoSaisie* Memo2 = nullptr;
  QPlainTextEdit* Memo3 = nullptr;
  ImageSpectre* Image_spectre = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QGroupBox* GroupBox3 = nullptr;
  QGroupBox* GroupBox4 = nullptr;
  QGroupBox* GroupBox5 = nullptr;
  QGroupBox* GroupBox6 = nullptr;
  QGroupBox* GroupBox7 = nullptr;
  QGroupBox* GroupBox8 = nullptr;
  QGroupBox* GroupBox9 = nullptr;
  QGroupBox* GroupBox10 = nullptr;
  QGroupBox* Mode = nullptr;
  QGroupBox* Pentium = nullptr;
  QLabel* Lettre_ = nullptr;  // `Lettre`
  QPushButton* Bouton_Edition = nullptr;
  QPushButton* Bouton_Arret = nullptr;
  QPushButton* Bouton_traduction = nullptr;
  BoutonRetourMenu* RETOUR_MENU = nullptr;
  QPushButton* Nettoyage = nullptr;
  QRadioButton* FOIS_0_2 = nullptr;
  QRadioButton* FOIS_0_4 = nullptr;
  QRadioButton* FOIS_0_6 = nullptr;
  QRadioButton* FOIS_0_8 = nullptr;
  QRadioButton* FOIS_1 = nullptr;
  QRadioButton* AGC = nullptr;
  std::array<QPushButton*, 8> Sequences{};  // `Sequence1` .. `Sequence8`
  QPushButton* Arret_sequence_ = nullptr;   // `Arret_sequence`
  QRadioButton* Mode_esclave = nullptr;
  QRadioButton* mode_maitre = nullptr;
  QRadioButton* P166 = nullptr;
  QRadioButton* P66 = nullptr;
  QLabel* S_SUR_B = nullptr;
  QLabel* F_reception = nullptr;
  QLabel* F_emission = nullptr;
  QLabel* delta = nullptr;
  QLabel* Niveau = nullptr;
  QLabel* Gain = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label5_ = nullptr;  // `Label5`
  QLabel* Label7 = nullptr;
  QLabel* Label8_ = nullptr;  // `Label8`
  QLabel* Label9 = nullptr;
  QLabel* transmission_a_faire = nullptr;
};

}  // namespace talven
