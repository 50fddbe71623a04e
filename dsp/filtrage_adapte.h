// FILTRAGE_ADAPTE: the matched filter of the receiver for rectangular
// symbols, a running mean over exactly one symbol period.
//
// The sum is updated recursively (one subtraction, one addition and one
// division per sample whatever the length), never recomputed from the delay
// line, so rounding residue in it persists until the next set-up.
#pragma once

#include <array>
#include <cstdint>

namespace talven {

class FiltrageAdapte {
 public:
  // Largest length the delay line holds, samples.
  static constexpr int32_t Capacite = 1200;

  // Set up for the standard reception (10 Bd, 11025 Hz): N = 1102.
  FiltrageAdapte();

  // Clears the delay line and the sum.
  //   r  : symbol rate, bauds, > 0 (10)
  //   fs : sample rate, Hz, > 0 (11025)
  // N = Round(fs / r), half to even (1102.5 gives 1102), must lie in
  // 1..1200. Throws std::invalid_argument otherwise, leaving the unit as it
  // was.
  void Init_filtrage_adapte(int32_t r, int32_t fs);

  // One sample: x is the in-phase value I (about -2..2); returns the mean of
  // the last N inputs, y = S / N (the first N outputs after a set-up ramp up
  // from 0). Allocates nothing, throws nothing.
  double Filtrage_adapte(double x);

  // Number of samples averaged, N (1..1200).
  int32_t Longueur_filtre_adapte() const { return N_; }
  // Next position written, N, N-1, ..., 1, then N again (never 0).
  uint16_t Position() const { return k_; }
  // Running sum S.
  double Somme() const { return S_; }

 private:
  // Positions 1..N are used; position 0 never is.
  std::array<double, Capacite + 1> ligne_{};
  int32_t N_ = 1;
  uint16_t k_ = 1;
  double S_ = 0.0;
  // The rates given to the set-up (the sample rate also as a real).
  int32_t r_ = 0;
  int32_t fs_entier_ = 0;
  double fs_ = 0.0;
};

}  // namespace talven
