// The squelch of a front-end: the received characters shown only while the
// S/N around the tuned frequency says a station is there.
//
// Responsibilities: take the characters as Memo1 receives them and the S/N
// of each spectrum (as the S/N label shows it), hold every character for
// `Retard` spectra, and hand on only those decoded while a station was
// present:
// - it opens when the S/N reaches the threshold, and closes once the S/N
//   has stayed below half the threshold for `Tenue` spectra in a row
//   (hysteresis and hold time: a short fade does not chop words);
// - the S/N is the sum of the 9 latest spectra, so it rises over the first
//   seconds of a station and falls over the seconds after it stops. At an
//   opening the characters decoded since the start of the rise (the run of
//   spectra up to `Remontee_max` back whose S/N was at least a quarter of
//   the threshold) are kept, the older ones dropped, and so are those of
//   the station's first `Accrochage` spectra: a transmitter opens with two
//   thirds of a second of carrier and idle marks, and what the chain
//   decodes while it locks on is not text; at a closing the
//   characters decoded after the last spectrum whose S/N was still at least
//   `Part_niveau` of the station's mean (since the opening, over about the
//   latest `Memoire_niveau` spectra once there are more) are dropped: they
//   come from the noise or a neighbour once the station had gone (the sum of 9
//   spectra loses a fifth of a station's share one spectrum after it
//   stops, while a steady station's S/N wanders by about a tenth);
// - at the end of reception a station still there keeps all its
//   characters; one already below half the threshold is cut as at a
//   closing;
// - an S/N label of no energy at all ("???", digital silence) counts as no
//   station.
// Time is counted in spectra (one per input buffer in processor class 2,
// one every other buffer in class 1); a character belongs to the latest
// spectrum before it.
// Collaborations: none; the front-end feeds it from the engine's observer
// (`Memo_caractere` of Memo1 and `S_sur_B`) and prints what `Sortie` gets.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

#include "common/texte.h"

namespace talven {

class Silencieux {
 public:
  // Threshold when none is given: a station at about -16 dB of S/N in
  // 2500 Hz (where about 1 % of its characters are lost) reads 0.009 to
  // 0.018; white noise alone never read above 0.006 over 30 minutes.
  static constexpr double Seuil_defaut = 0.010;
  static constexpr double Seuil_maximal = 100.0;  // the label's ">100"
  // Spectra below half the threshold before the squelch closes (1 s in
  // class 2).
  static constexpr int32_t Tenue = 3;
  // Spectra a character is held before it is handed on (3 s in class 2):
  // long enough for the S/N to show a station has gone.
  static constexpr int32_t Retard = 9;
  // Spectra looked back at an opening: the S/N sums 9 spectra.
  static constexpr int32_t Remontee_max = 9;
  // Share of the mean S/N since the opening under which the station is
  // taken to have gone.
  static constexpr double Part_niveau = 0.85;
  static constexpr int64_t Memoire_niveau = 16;
  // Spectra at the start of a station whose characters are dropped (the
  // receive chain locking on).
  static constexpr int32_t Accrochage = 2;
  // Characters held at most; older ones are dropped (a bound, never reached
  // at 10 bauds).
  static constexpr size_t Retenus_max = 4096;

  using Sortie = std::function<void(uint8_t)>;

  // `seuil`: the S/N, in the units of the label, at which it opens, above 0
  // and at most `Seuil_maximal`; throws std::invalid_argument otherwise.
  // `sortie` gets each character handed on, in order.
  Silencieux(double seuil, Sortie sortie);

  // The S/N of a new spectrum (>= 0; 0 for a label of no energy).
  void Mesure(double s_sur_b);
  // A character received (as Memo1 gets it).
  void Caractere(uint8_t c);
  // End of reception: the characters held that belong to the station still
  // present are handed on, the others dropped.
  void Fin();

  bool Ouvert() const { return ouvert_; }
  double Seuil() const { return seuil_; }

  // The S/N value of an S/N label ("S/N= 3.250", "S/B>100", "S/N=???"): the
  // number, 100 for ">100", 0 for "???"; nullopt for any other text.
  static std::optional<double> Lecture_s_sur_b(VueTexte etiquette);

 private:
  struct Retenu {
    int64_t spectre;  // the latest spectrum before the character
    uint8_t c;
  };

  void Fermeture();
  // Hands on the characters held up to spectrum `fin` included.
  void Remise(int64_t fin);

  double seuil_;
  Sortie sortie_;
  std::deque<Retenu> retenus_;
  std::deque<double> mesures_;  // the latest `Remontee_max` S/N, newest last
  int64_t horloge_ = 0;         // spectra seen
  bool ouvert_ = false;
  int32_t sous_seuil_ = 0;      // spectra in a row below half the threshold
  double niveau_ = 0.0;         // the station's mean S/N
  int64_t mesures_ouvert_ = 0;  // spectra since the opening
  int64_t dernier_fort_ = 0;    // latest spectrum at `Part_niveau` of the mean or more
  int64_t debut_ = 0;           // first spectrum whose characters are kept
};

}  // namespace talven
