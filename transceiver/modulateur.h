// The transmitter's signal: a carrier at the transmit frequency whose phase
// is reversed by 180 degrees for every bit "1" of the character code, passed
// through the 80-tap band-pass filter and scaled to unsigned 8-bit samples
// centred on 127.5.
//
// Responsibilities: the cosine table (millidegree steps), the carrier phase,
// the transmitted phase state, the transmit filter set-up, and turning one
// character into the samples of its symbols (1102 per symbol at 11025 Hz).
// Collaborations: shares the band-pass filter with the receive chain (one
// filter serves whichever direction is active); takes the bits of a
// character from `Code_caractere`. The transmit queue, the output buffers and
// what the window shows belong to the transmitter that drives it.
#pragma once

#include <cstdint>
#include <vector>

#include "transceiver/filtre_passe_bande.h"

namespace talven {

// Samples waiting for an output buffer: unsigned 8-bit, mono, 11025 Hz.
using Echantillons = std::vector<uint8_t>;

class Modulateur {
 public:
  static constexpr int32_t Rapidite = 10;          // bauds
  static constexpr int32_t Taille_table = 360001;  // cosine entries, 0..360000 millidegrees
  static constexpr int32_t Longueur_filtre_emission = 80;
  static constexpr int32_t Frequence_minimale = 260;    // tenths of a hertz
  static constexpr int32_t Frequence_maximale = 54870;  // tenths of a hertz

  explicit Modulateur(FiltrePasseBande& filtre);

  // Start of a transmission on `frequence` tenths of a hertz. The operator
  // tunes within 200.0..2200.0 Hz, but a frequency tracked in slave mode can
  // lie a little outside, so anything whose 50 Hz band fits between 0 Hz and
  // half the sample rate is taken (260..54870); other values are refused
  // with std::invalid_argument. Carrier phase and phase state to 0, the filter
  // set up with 80 taps around the frequency in whole hertz (truncated) +-25 Hz
  // and the transmit divisor, its history cleared.
  void Init_modulation(int32_t frequence);

  // The next output sample with the carrier's sign (+1 or -1).
  uint8_t Echantillon_module(int32_t signe);

  // Appends one symbol's samples ((duree x 11025) div 10000 of them, duree in
  // tenths of a millisecond) with the given sign.
  void Emission_symbole(int32_t signe, uint16_t duree, Echantillons& sortie);

  // Appends the symbols of character c: for each bit of its code, a "1"
  // toggles the phase state, then one symbol of `Duree_symbole` is sent with
  // sign +1 at phase 0 and -1 at phase 180. A character without a code
  // appends nothing; the idle mark ">" appends the three symbols of the
  // separator.
  void Modulation_caractere(uint8_t c, Echantillons& sortie);

  int32_t Frequence_emission = 5000;  // tenths of a hertz
  int32_t Frequence_echantillonnage = 11025;
  uint16_t Duree_symbole = 10000 / Rapidite;  // tenths of a millisecond (1000)
  int32_t Phase_porteuse = 0;                 // millidegrees, 0..360000 (360000 is not wrapped)
  int32_t Etat_phase = 0;                     // transmitted phase, 0 or 180 degrees

  // Entry i is Round(1000 x cos(i millidegrees)), i = 0..360000.
  const std::vector<int32_t>& Table_cosinus() const { return *table_cosinus_; }

 private:
  FiltrePasseBande* filtre_;
  const std::vector<int32_t>* table_cosinus_;
};

}  // namespace talven
