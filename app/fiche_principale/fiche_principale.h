// FICHE_PRINCIPALE without its window: the main window's menu, settings,
// start-up and exit.
//
// Responsibilities: the start-up sequence (delay calibration, sound-card
// test, configuration, mixer test, the apply operations, the processor
// class, the eight sequence checks); the menu's captions and hints in the
// current language, with the chosen item of each choice menu marked by
// "..." and "selected" / "choisi" (and the exceptions of the language items,
// the English microphone and the French sound inputs); every menu handler:
// a setting is written into its byte of the configuration, applied at once
// (mixer, gain, keying port, language) and saved; opening the transceiver
// window (keying port opened, sound card available, screen saver inhibited
// for as long as it is open, processor class saved when it changed); the
// port check in the status line; the "Sound card" menu: the devices present
// by their stable names, the chosen one marked (and listed as not connected
// when it is missing), a choice applied and kept in talven.conf; the exit
// sequence (the QSO written when it
// holds more than 8 characters, the mixer given back).
// Collaborations: the `Station` (configuration, mixer, keying, engine, QSO
// record, files), `VerificationsDemarrage`, `JournalQso`, an
// `Economiseur_ecran`; it implements the configuration's
// `Application_reglages` and the checks' `Ligne_etat`; the window
// implements `VueFichePrincipale` (captions, hints, status line, and the
// modal windows it shows).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/economiseur_ecran.h"
#include "app/emission_morse.h"
#include "app/fichier_ports.h"
#include "app/station/station.h"
#include "app/verifications_demarrage.h"
#include "files/configuration_sequences.h"
#include "files/journal_qso.h"

namespace talven {

// The items of the main menu, in display order.
enum class ElementMenu {
  Language1,
  English1,
  Francais1,
  Aide,
  A_propos_de,
  Help,
  Portserie,
  Aucun_port_serie,
  COM1,
  COM2,
  COM3,
  COM4,
  // Keying devices and CAT keying, in the serial-port menu.
  Manipulation_cat,
  Attribution_ports,
  Mixer,
  Software_adjustment,
  User_adjustment,
  Carte_son,  // its items are the devices present, listed when it opens
  EntreGD1,
  Entree_Gauche,
  Entree_Droite,
  Microphon,
  Niveau_d_entree,
  x0_2,
  x0_4,
  x0_6,
  x0_8,
  x1,
  AGC,
  Niveau_de_sortie,
  DIV1,
  DIV2,
  DIV4,
  DIV8,
  DIV16,
  DIV32,
  DIV64,
  DIV128,
  DIV256,
  Actions,
  Traducteur_Editeur_Slave,
  Traducteur_Editeur_Master,
  Creation_sequence_1,
  Creation_sequence_2,
  Creation_sequence_3,
  Creation_sequence_4,
  Creation_sequence_5,
  Creation_sequence_6,
  Creation_sequence_7,
  Creation_sequence_8,
  Lecture_fichier_QSO,
  Verification_port_serie,
  Niveau_sur_les_entrees_son,
  CW_transmission_of_sequence_7,
  CW_transmission_of_sequence_8,
  Abandon,
};
inline constexpr int Nombre_elements_menu = static_cast<int>(ElementMenu::Abandon) + 1;

// What the main window shows and the windows it opens.
class VueFichePrincipale : public Ligne_etat {
 public:
  // The caption of a menu item (Windows-1252, with '&' marking its
  // shortcut), and its hint (empty for none).
  virtual void Legende_menu(ElementMenu element, VueTexte legende) = 0;
  virtual void Bulle_menu(ElementMenu element, VueTexte bulle) = 0;
  // The window caption.
  virtual void Legende_fenetre(VueTexte legende) = 0;
  // The modal windows: each returns once its window has closed.
  virtual void Fenetre_transceiver() = 0;
  virtual void Fenetre_editeur_sequence(VueTexte fichier) = 0;
  virtual void Fenetre_visionneuse_qso() = 0;
  virtual void Fenetre_a_propos() = 0;
  virtual void Fenetre_moniteur_niveau() = 0;
  // The big label over the history: shown with `texte`, hidden when empty.
  virtual void Label2(VueTexte texte) = 0;
  // A Morse sending has started: block the menus and call
  // `FichePrincipale::Pas_morse` from the event loop until it returns false
  // (then unblock them), and `Arret_morse_demande` on <Esc>.
  virtual void Debut_emission_morse() = 0;
  // Opens the help document of the language with the desktop's viewer.
  virtual void Aide(const Langue& langue) = 0;
  // The main window closes: the program ends.
  virtual void Fermeture() = 0;

  // --- Keying devices and CAT ---
  // The dialog mapping COM 1 .. COM 4 to devices (it calls
  // `FichePrincipale::Attribution_port`), and the one choosing CAT keying's
  // rig model and port (`FichePrincipale::Choix_manipulation_cat`).
  virtual void Fenetre_attribution_ports() {}
  virtual void Fenetre_manipulation_cat() {}
};

// One item of the "Sound card" menu.
struct Element_carte_son {
  std::string Nom;  // the ALSA name it chooses
  Texte Legende;    // Windows-1252, '&' doubled: the name, what it is, the marks
  bool Choisi = false;
  bool Absent = false;      // the chosen device, not connected now
  bool Utilisable = false;  // records and plays: it may be chosen
};

class FichePrincipale final : public Application_reglages {
 public:
  // Configuration bytes of the choices.
  static constexpr uint8_t Octet_cag = 120;  // byte 2: automatic gain
  static constexpr uint8_t Aucun_port = 5;   // byte 5: no serial port

  // Every collaborator must outlive this object. Attaches itself to the
  // station's configuration as the one that applies the settings.
  FichePrincipale(Station& station, Economiseur_ecran& economiseur, VueFichePrincipale& vue);
  ~FichePrincipale() override;
  FichePrincipale(const FichePrincipale&) = delete;
  FichePrincipale& operator=(const FichePrincipale&) = delete;

  // The start-up sequence; false when the sound card cannot be used (its
  // message shown): the program ends.
  bool A_la_creation_de_la_fiche();

  // --- Menu handlers ---
  void English1Click();
  void Francais1Click();
  void Aucun_port_serieClick();
  void COMClick(int n);  // COM1Click .. COM4Click, n = 1..4
  void Software_adjustmentClick();
  void User_adjustmentClick();
  void Entree_GaucheClick();
  void Entree_DroiteClick();
  void MicrophonClick();
  // x0_2Click .. x1Click (20, 40, 60, 80, 100) and AGCClick (120).
  void Niveau_entreeClick(uint8_t octet);
  // DIV1Click .. DIV256Click: byte 1..6, 8..10 ("/ 1" .. "/ 256").
  void Niveau_sortieClick(uint8_t octet);
  void AproposdeClick();
  void HelpClick();
  void Traducteur_Editeur_MasterClick();
  void Traducteur_Editeur_SlaveClick();
  void Creation_sequenceClick(int n);  // n = 1..8
  void Lecture_fichier_QSOClick();
  void Verification_port_serieClick();
  void Niveau_sur_les_entrees_sonClick();
  // The "Sound card" menu opens: the devices present now, in the list's
  // order, then the chosen one when it is missing. Kept until the next call.
  const std::vector<Element_carte_son>& Ouverture_menu_carte_son();
  // An item of it: the device is in force for every later opening (a
  // stream open now keeps its device) and kept in talven.conf; the status
  // line says so, or that it could not be kept.
  void Carte_sonClick(const std::string& nom);
  void CW_transmission_of_sequenceClick(int n);  // n = 7 or 8
  // Morse sending of `texte`: the big label shown, the keying port opened
  // and the sound card checked (either failing ends it before keying),
  // then the sending started; the view drives it. False when it did not
  // start (the label hidden again).
  bool Emission_morse_sequence(VueTexte texte);
  // One step of a Morse sending, never waiting for the card; once it is
  // over (played out or stopped), the output closed, the transmitter
  // released and the label hidden: false.
  bool Pas_morse();
  // <Esc> during a Morse sending: it stops within one buffer.
  void Arret_morse_demande() { morse.Demande_arret(); }
  // The exit sequence: the QSO written (more than 8 characters), the mixer
  // given back, the window closed. Runs once; later calls do nothing.
  void Abandon_du_logicielClick();

  // The menu item of a choice menu for a configuration byte value, and the
  // byte of a speaker-level item.
  static ElementMenu Element_niveau_entree(uint8_t octet);
  static ElementMenu Element_niveau_sortie(uint8_t octet);

  // --- Keying devices and CAT ---
  void Attribution_portsClick();
  void Manipulation_catClick();
  // The devices offered for a COM port or the CAT port, found under
  // `Racine_peripheriques`.
  std::vector<Peripherique_serie> Peripheriques_proposes() const;
  std::string Racine_peripheriques = "/dev";
  // Maps COM n (1 .. 4) to `peripherique`, in force at once and written to
  // ports.conf (its other lines kept); when n is the selected port it is
  // checked and the outcome shown in the status line. False, with a
  // message box, when ports.conf could not be written (the mapping holds
  // for this run all the same).
  bool Attribution_port(int n, const std::string& peripherique);
  // CAT keying through rig `modele` on `port`: KEYING=CAT, CAT_MODEL and
  // CAT_PORT written to ports.conf, no serial port in the configuration,
  // the rig checked in the status line. False as above.
  bool Choix_manipulation_cat(int modele, const std::string& port);
  // "Maker Model" of a Hamlib rig model number, empty when unknown.
  static std::string Nom_modele_cat(int modele);

  // --- Application_reglages ---
  void Application_langue() override;
  void Application_mixer() override;
  void Application_entree_son() override;
  void Application_niveau_entree() override;
  void Application_niveau_sortie() override;
  void Choix_port_serie() override;

  // --- State (the names the other windows share) ---
  Texte Mot_choisi;  // "selected" or "choisi"
  bool Choix_entree_gauche = true;
  bool Choix_entree_droite = false;
  bool Choix_microphone = false;
  int32_t Gain_choisi = 100;
  bool CAG_active = true;
  int32_t Classe_processeur_sauvee = 2;
  Texte Fichier_sequence_edite;
  bool Sortie_faite = false;

  // The captions and hints as last set (for the window and the tests).
  const Texte& Legende(ElementMenu e) const { return legendes_[static_cast<size_t>(e)]; }
  const Texte& Bulle(ElementMenu e) const { return bulles_[static_cast<size_t>(e)]; }
  const Texte& Legende_fenetre() const { return legende_fenetre_; }

  Station& station;
  VerificationsDemarrage verifications;
  JournalQso journal;
  EmissionMorse morse;

 private:
  uint8_t Octet(int n) const { return station.configuration.Octet(n); }
  void Ecriture_octet(int n, uint8_t valeur);
  void Legende_element(ElementMenu e, VueTexte legende);
  void Bulle_element(ElementMenu e, VueTexte bulle);
  // Caption of item e: its own caption, followed by "..." and the chosen
  // word when it is the chosen one.
  void Marquage(ElementMenu e, bool choisi);
  // Input levels handed to the mixer from the input choice and the gain,
  // then the engine's gain state and the mixer set-up.
  void Niveaux_entree();
  bool Ouverture_port_avant_fenetre();
  // Opening the transceiver window in master or slave mode.
  void Ouverture_transceiver(bool maitre);
  // Writes `valeurs` into ports.conf; false with a message box on failure.
  bool Ecriture_ports(const Valeurs_ports& valeurs);
  // CAT keying turned off (a serial port or none chosen), ports.conf told.
  void Fin_manipulation_cat();

  Economiseur_ecran& economiseur_;
  VueFichePrincipale& vue_;
  std::array<Texte, Nombre_elements_menu> legendes_;
  std::array<Texte, Nombre_elements_menu> bulles_;
  std::vector<Element_carte_son> cartes_son_;
  Texte legende_fenetre_;
};

}  // namespace talven
