// Start-up checks of the sound card and the mixer.
//
// Responsibilities: tell whether the chosen sound device is there, and
// report it by name when it is not (never trying another card instead);
// decide whether the sound card can be used (a card exists and offers 11025 Hz, mono, 8 bits; for a window
// about to stream, the input and the output really open now) and whether the mixer has every control the
// program sets; report each problem in the operator's language after the warning beep (1000 Hz, 300 ms):
// sound-card problems in a message box, mixer problems in the main window's status line. Collaborations:
// FonctionsWave (capabilities, silent probe opens), FonctionsMixer (set-up and its result flags),
// FonctionsPascal (beep), Boite_messages, and the main window through `Ligne_etat`.
#pragma once

#include "app/fonctions_pascal.h"
#include "audio/fonctions_mixer.h"
#include "audio/fonctions_wave.h"
#include "common/langue.h"
#include "common/messages.h"

namespace talven {

// The main window's status line.
class Ligne_etat {
 public:
  virtual ~Ligne_etat() = default;
  // Shows `texte` (Windows-1252) in the status line `Label1`.
  virtual void Label1(VueTexte texte) = 0;
};

class VerificationsDemarrage {
 public:
  // Warning beep before every report.
  static constexpr int32_t Frequence_bip = 1000;  // Hz
  static constexpr uint16_t Duree_bip = 300;      // ms

  // Every collaborator must outlive this object; `langue` is read at each
  // report, so a change of language takes effect at once.
  VerificationsDemarrage(FonctionsWave& wave, FonctionsMixer& mixer, FonctionsPascal& pascal,
                         Boite_messages& boite, Ligne_etat& ligne_etat, const Langue& langue)
      : wave_(wave),
        mixer_(mixer),
        pascal_(pascal),
        boite_(boite),
        ligne_etat_(ligne_etat),
        langue_(langue) {}

  // Whether the chosen sound device is there now; silent.
  bool Peripherique_present();
  // Beep, then the report naming the chosen device that is missing and
  // saying what to do.
  void Rapport_peripherique_absent();

  // A sound card exists and one direction offers 11025 Hz mono 8 bits.
  // Run once at start-up; false ends the program.
  bool Verification_carte_son();
  // The chosen device is there (else its report), the same tests, then the
  // input and the output open at 11025 Hz now (each is closed again). Run
  // before a streaming window opens; false keeps it shut.
  bool Disponibilite_carte_son();
  // Sets the mixer up with test levels (wave 100 %, speaker 20 %, recording
  // 100 %, speaker unsigned gain 0 %) and shows the first missing element in
  // the status line. With "User adjustment" there is nothing to check.
  void Verification_mixer();

 private:
  // Beep, then the message box.
  void Probleme(VueTexte anglais_utf8, VueTexte francais_utf8);
  // Device and format tests shared by both sound-card checks.
  bool Carte_et_format(VueTexte sans_carte_fr, VueTexte sans_format_fr);

  FonctionsWave& wave_;
  FonctionsMixer& mixer_;
  FonctionsPascal& pascal_;
  Boite_messages& boite_;
  Ligne_etat& ligne_etat_;
  const Langue& langue_;
};

}  // namespace talven
