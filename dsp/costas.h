// COSTAS: the carrier loop of the receiver.
//
// Responsibilities: keeps the local oscillator locked in phase to the PSK
// carrier. It owns the oscillator phase the complex demodulator uses, turns
// the demodulated pair I, Q into a phase error (insensitive to the 180-degree
// reversals of the modulation), filters it with a proportional-integral loop
// filter and sets the oscillator frequency to the tuned reference plus the
// loop's correction. While the decoder reports a locked signal it averages the
// oscillator frequency over about two seconds, which gives the tracked
// carrier frequency; once per second of samples it hands the received and
// transmitted frequencies and their difference to its observer.
// It also holds the tuned frequency itself (Frequence_reference and
// Frequence_centrale), written by click tuning, by the window's activation
// and, in slave mode, by the start of a transmission.
//
// Collaborations: the receive chain calls Boucle_costas once per sample right
// after the demodulator and reads Phase_oscillateur (divided by 100) as the
// demodulator's phase index at the next sample; the transmitter reads
// Frequence_moyenne and Frequence_suivie; the spectrum display writes
// Rapport_signal_bruit; the character decoder writes Signal_verrouille; the
// window implements ObservateurCostas to show the labels.
#pragma once

#include <array>
#include <cstdint>
#include <limits>

#include "common/diviseur_fixe.h"
#include "common/texte.h"

namespace talven {

// Receives the three frequency labels of the transceiver window, once per
// second of samples. The views are valid only during the call.
class ObservateurCostas {
 public:
  virtual ~ObservateurCostas() = default;
  //   F_reception : received (averaged) frequency, e.g. " 500.0 Hz"
  //   F_emission  : transmit frequency, same form
  //   delta       : their difference, same form, or "0 Hz" in slave mode
  virtual void Etiquettes_frequences(VueTexte F_reception, VueTexte F_emission, VueTexte delta) = 0;
};

// A frequency label held without allocation: at most 10 characters of the
// number and " Hz".
struct EtiquetteFrequence {
  std::array<char, 16> caracteres{};
  uint8_t longueur = 0;
  VueTexte Vue() const { return VueTexte(caracteres.data(), longueur); }
};

class Costas {
 public:
  // Positions of the averager's ring (1..N used, 0 and N+1..600 never read).
  static constexpr int32_t Taille_moyenneur = 601;
  // Values averaged, N: 550 values taken every 40 samples, about 2 s.
  static constexpr int32_t N_moyenne = 550;
  // Samples between two values taken by the averager.
  static constexpr int32_t Periode_moyenne = 40;

  // Tuned carrier frequency, tenths of a hertz (e.g. 5000 for 500.0 Hz).
  int32_t Frequence_reference = 0;
  // The same frequency in hertz.
  double Frequence_centrale = 0.0;
  // Oscillator phase, millidegrees, 0..360000 (360000 held for at most one
  // sample).
  int32_t Phase_oscillateur = 0;
  // Oscillator frequency, millihertz.
  int32_t Frequence_oscillateur = 0;
  // Averaged oscillator frequency, Hz.
  double Frequence_moyenne = 0.0;
  // Round(10 x Frequence_moyenne), tenths of a hertz.
  int32_t Frequence_suivie = 0;
  // Signal-to-noise ratio measured on the spectrum (linear, >= 0); raises the
  // gain of the phase error.
  double Rapport_signal_bruit = 0.0;
  // Offset of the error gain (5.0 in both processor classes).
  double Decalage_gain_costas = 5.0;
  // Set by the decoder while characters decode; gates the averaging.
  bool Signal_verrouille = false;
  // Master mode: the transmit frequency is the tuned one, not the tracked one.
  bool Mode_maitre_actif = false;
  // Who shows the labels; not owned; nullptr: nobody.
  ObservateurCostas* Observateur = nullptr;

  // Set up for 11025 Hz with a reference of 0.
  Costas();

  // Restarts the oscillator at zero phase and frequency, clears the loop
  // filter and fills the averager with the current Frequence_reference, so
  // that Frequence_moyenne and Frequence_suivie start at the reference. The
  // averaging and display counters run on.
  //   fs : sample rate, Hz, > 0 (11025); also the display period, samples.
  // Throws std::invalid_argument for fs <= 0, leaving the unit as it was.
  void Init_costas(int32_t fs);

  // One sample.
  //   f_ref : tuned frequency, tenths of a hertz (Frequence_reference)
  //   I, Q  : the demodulator's pair for this sample (about -2..2)
  // Allocates nothing, throws nothing (the observer is called once per
  // display period).
  void Boucle_costas(int32_t f_ref, double I, double Q);

  // The label of a frequency: right-aligned in a field of 6 with one decimal,
  // cut to 10 characters, then " Hz" (500 gives " 500.0 Hz").
  static EtiquetteFrequence Etiquette_frequence(double hertz);
  static Texte Texte_frequence(double hertz) { return Texte(Etiquette_frequence(hertz).Vue()); }

  // Gain applied to the latest phase error, 5..20.
  double Gain() const { return g_; }
  // Next averager position to be replaced, N, N-1, ..., 1, then N again.
  uint16_t Position_moyenneur() const { return j_; }

 private:
  int32_t fs_ = 0;
  DiviseurFixe<int64_t> pas_fs_;  // division by fs_
  double fs_reel_ = 0.0;
  double T_ = 0.0;
  double K_ = 0.0;
  double a_ = 0.0;
  double b_ = 0.0;
  // The loop filter's previous error and output (kept apart in memory: the
  // two are written together every sample and read back separately).
  double e_prev_ = 0.0;
  double g_ = 5.0;
  // The S/N and offset g_ was worked out from (NaN: not yet, so the first
  // sample works it out).
  double rsb_gain_ = std::numeric_limits<double>::quiet_NaN();
  double decalage_gain_ = std::numeric_limits<double>::quiet_NaN();
  double w_prev_ = 0.0;
  std::array<double, Taille_moyenneur> anneau_{};
  int32_t N_ = N_moyenne;
  uint16_t j_ = N_moyenne;
  double S_ = 0.0;
  // Averaging and display counters and the display period, samples.
  int32_t c40_ = 0;
  int32_t cD_ = 0;
  int32_t periode_affichage_ = 0;
};

}  // namespace talven
