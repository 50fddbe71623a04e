// Per-sample receive chain: from one recorded 8-bit sample to the decided
// bits of the character code.
//
// Responsibilities: the set-up of the whole chain for a processor class
// (`Init_traitement_reception`, `Init_filtre_reception`) and the step for one
// sample (`Traitement_echantillon`): signed conversion, level meter, receive
// band-pass filter, hard limiter, complex demodulation driven by the carrier
// loop's phase, Costas loop, matched filter, decimation, symbol timing and
// the differential bit decision.
// Collaborations: owns the demodulator, the Costas loop, the matched filter
// and the symbol timing recovery; shares the band-pass filter with the
// transmitter (one filter serves whichever direction is active); hands each
// decided bit with its soft value to `DecodageCaracteres::Traitement_bit`
// and keeps the Costas loop's frequency tracking gated by the decoder's lock.
// The pending-sample store and the buffer taking belong to the engine that
// drives this chain.
#pragma once

#include <cstdint>

#include "common/diviseur_fixe.h"
#include "dsp/costas.h"
#include "dsp/demodulation_complexe.h"
#include "dsp/filtrage_adapte.h"
#include "dsp/recuperation_du_rythme.h"
#include "transceiver/decodage_caracteres.h"
#include "transceiver/filtre_passe_bande.h"

namespace talven {

// The receive parameter set of a processor class: class 1 is the cheaper
// chain (short filter, symbol stages every 25th sample), class 2 the costlier.
struct Parametres_classe {
  int32_t Longueur_filtre;      // receive band-pass filter length, taps
  int32_t Demi_largeur_bande;   // receive band half-width, Hz
  int32_t Diviseur_filtre;      // receive filter divisor
  int32_t Decimation;           // symbol stages run on every Decimation-th sample
  double Decalage_gain_costas;  // added to the Costas loop's error gain
  double Duree_filtre_rythme;   // timing filter length, symbol periods
  double Demi_largeur_rythme;   // timing filter half-width, Hz
  bool Spectre_second_tampon;   // the spectrum is also computed on the second input buffer
};

inline constexpr Parametres_classe Parametres_classe_1{60, 20, 11635, 25, 5.0, 10.0, 0.175, false};
inline constexpr Parametres_classe Parametres_classe_2{200, 15, 28836, 9, 5.0, 10.0, 0.175, true};

// The parameter set of class 1 or 2; any other class is refused.
const Parametres_classe& Parametres_de_classe(int32_t classe);

class ChaineReception {
 public:
  static constexpr int32_t Frequence_echantillonnage = 11025;  // samples per second
  static constexpr int32_t Rapidite = 10;                      // bauds

  ChaineReception(FiltrePasseBande& filtre, DecodageCaracteres& decodeur);

  // Selects the processor class (1 or 2) and writes its parameters into the
  // units; the chain must then be set up again with `Init_traitement_reception`.
  // Throws std::invalid_argument for any other class.
  void Application_classe(int32_t classe);

  // Set-up of the whole chain around the tuned frequency
  // (`costas.Frequence_reference`, `costas.Frequence_centrale`): counters and
  // strobes cleared, receive filter, Costas loop, demodulator, symbol timing
  // and matched filter set up, the decoder's bit window cleared. The
  // demodulator's filter memory, `Signe_precedent`, the level meter's counter
  // and the decoder's bit string run on.
  void Init_traitement_reception();

  // Receive band-pass filter of the class's length around the tuned
  // frequency rounded to whole hertz (ties to even), class divisor.
  void Init_filtre_reception();

  // One recorded sample (unsigned 8-bit) through the chain. May deliver a
  // bit to the decoder. Allocates nothing.
  void Traitement_echantillon(uint8_t c);

  // The carrier loop: tuned frequency, tracked frequency, labels, S/N input.
  Costas costas;
  DemodulationComplexe demodulation;
  FiltrageAdapte filtrage_adapte;
  RecuperationDuRythme rythme;

  int32_t Classe_processeur = 2;      // 1 or 2
  int32_t Facteur_decimation = 9;     // 25 (class 1) or 9 (class 2)
  int32_t Compteur_echantillons = 0;  // samples since the last set-up
  uint8_t Top_symbole = 0;            // symbol strobe of the timing recovery, 0 or 1
  uint8_t Top_symbole_precedent = 0;  // its value at the previous decimated sample
  uint8_t Signe_precedent = 0;        // 1 if the matched filter was positive at the last decision
  int32_t Compteur_niveau = 0;        // level meter: samples counted up to 10
  int32_t Crete_niveau = 0;           // level meter peak, 0..5100
  int32_t Niveau_signal = 0;          // input level, 0..100 %

  // Last matched-filter output, for tracing.
  double Sortie_filtre_adapte() const { return m_; }

 private:
  FiltrePasseBande* filtre_;
  DecodageCaracteres* decodeur_;
  const Parametres_classe* parametres_ = &Parametres_classe_2;
  double m_ = 0.0;
  // Division by Facteur_decimation, prepared for the value last seen.
  DiviseurFixe<int32_t> decimation_{9};
};

}  // namespace talven
