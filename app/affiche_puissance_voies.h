// AFFICHE_PUISSANCE_VOIES without its window: the level monitor of the
// three sound inputs (line in left, line in right, microphone).
//
// Responsibilities: while the measurement is on, measure the three inputs
// in turn, over and over: select the input on the mixer at the chosen gain,
// record one 1122-byte buffer of it (8-bit, 11025 Hz, mono, the device
// opened and closed for each buffer), and show its level, the RMS deviation
// of 1102 samples (the first and last ten of the buffer left out) as a
// percentage of 90.2, rounded to the nearest integer. A measurement never
// blocks: each tick of the window's timer starts a recording, looks at the
// buffer once, or ends the measurement; a buffer not filled within one
// second ends it with "no sound from the card", the device stopped and
// closed, and the cycle goes on with the next input. The button stops the
// measurement.
// Collaborations: FonctionsWave records (its own messages report the
// device's failures), FonctionsMixer selects the input (the speaker levels
// and other settings are kept; the main window restores the configured
// input once the window has closed), Langue chooses the texts,
// Horloge_datee times the recordings. The window TForm9
// (app/qt/affiche_puissance_voies/) ticks every millisecond and shows the
// texts.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>

#include "app/horloge.h"
#include "audio/fonctions_mixer.h"
#include "audio/fonctions_wave.h"
#include "common/langue.h"
#include "common/texte.h"

namespace talven {

// The three inputs, in the order they are measured.
enum class Entree_son { Ligne_gauche, Ligne_droite, Microphone };
inline constexpr int Nombre_entrees_son = 3;

// The window's captioned components.
enum class ElementMoniteur { Fenetre, Retour_au_menuBouton, Entree_ligne_gauche, Entree_ligne_droite, Entree_micro };

class AffichePuissanceVoies {
 public:
  static constexpr int32_t Echantillons_mesures = 1102;
  // Samples left out at each end of the buffer.
  static constexpr int32_t Echantillons_ignores = 10;
  static constexpr int32_t Taille_tampon = Echantillons_mesures + 20;  // bytes = samples
  static constexpr int32_t Frequence = 11025;                          // Hz
  // RMS deviation, in steps of the 8-bit sample, shown as 100 %.
  static constexpr double Deviation_pleine_echelle = 90.2;
  // Longest a recording may take before the input counts as silent.
  static constexpr std::chrono::milliseconds Attente_maximale{1000};

  // All four must outlive this object.
  AffichePuissanceVoies(FonctionsWave& wave, FonctionsMixer& mixer, const Langue& langue, Horloge_datee& horloge);
  // A recording in progress is stopped and its device closed.
  ~AffichePuissanceVoies();
  AffichePuissanceVoies(const AffichePuissanceVoies&) = delete;
  AffichePuissanceVoies& operator=(const AffichePuissanceVoies&) = delete;

  // Recording volume of the measured input, percent (0..100), set by the
  // main window before each showing.
  int32_t Gain_choisi = 100;
  // The measurement runs.
  bool Mesure_active = false;
  // Level of the last buffer measured, percent (0 for silence, about 100
  // for a full-scale sine, 141 for a full-scale square wave).
  double Niveau_mesure = 0.0;
  // Next sample of the buffer to read, 0..Taille_tampon.
  int32_t Index_lecture = 0;

  // Each showing of the window: the three labels emptied, the measurement
  // on, starting with the left line input.
  void A_l_activation_de_la_fiche();
  // One tick of the window's timer: starts a recording, looks at the one in
  // progress, or ends it and shows the input's level. Nothing once the
  // measurement is off.
  void Timer1Timer();
  // The measurement off (a recording in progress stopped, its device
  // closed); the window closes.
  void Retour_au_menuBoutonClick();

  // The caption of a component in the current language.
  Texte Legende(ElementMoniteur element) const;
  // The label of an input: "" before its first measurement, then its level
  // ("99 %") or the no-sound text.
  const Texte& Affichage(Entree_son entree) const { return affichages_[static_cast<std::size_t>(entree)]; }
  // The no-sound text in the current language.
  Texte Texte_sans_son() const;

  // The input measured now or next.
  Entree_son Entree_mesuree() const { return entree_; }
  // A buffer is being recorded.
  bool Acquisition_en_cours() const { return etat_ == Etat::Acquisition; }

  // The level of a buffer of Taille_tampon samples (0..255), as
  // Niveau_mesure holds it.
  double Mesure_niveau(const uint8_t* echantillons);
  // A level as its label shows it: nearest integer (halves to even), " %".
  static Texte Texte_niveau(double niveau);

 private:
  enum class Etat {
    Repos,        // the next tick starts a recording
    Acquisition,  // a buffer is queued, started at debut_
    Pause         // a recording could not start at debut_: the next waits out its second
  };

  void Selection_entree();
  void Acquisition_niveau();
  void Suivi_acquisition();
  // Stops, unprepares and closes the input.
  void Arret_acquisition();
  void Liberation_niveau();
  void Resultat(Texte texte);

  FonctionsWave& wave_;
  FonctionsMixer& mixer_;
  const Langue& langue_;
  Horloge_datee& horloge_;

  Etat etat_ = Etat::Repos;
  Entree_son entree_ = Entree_son::Ligne_gauche;
  std::chrono::milliseconds debut_{0};
  // An opening failure is shown once; the later ones are silent until an
  // opening succeeds again.
  bool rapport_ouverture_ = true;
  std::array<Texte, Nombre_entrees_son> affichages_;
};

}  // namespace talven
