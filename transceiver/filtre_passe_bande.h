// Band-pass FIR filter shared by transmission and reception.
//
// A windowed-sinc (Hamming) band-pass filter with an even number of taps L.
// The transmitter passes its phase-switched carrier through it with 80 taps,
// a 50 Hz band and the divisor 45525 (gain about 0.43 at the band centre);
// the receive chain passes every received sample through it with the length,
// band and divisor of the processor class (60 taps and 11635, or 200 taps
// and 28836). Only one direction is active at a time, and each start of
// transmission or reception sets the filter up again: L, f_lo, f_hi and
// Diviseur, then `Effacement_historique` and `Calcul_filtre_passe_bande`.
//
// The taps are symmetric, so the step folds each pair of history values
// around the centre and multiplies once per pair. The history is a ring kept
// twice over, so the window of the last L inputs is always contiguous and no
// value moves per sample. The sum is formed in wrapping unsigned 32-bit
// arithmetic: exactly the signed 32-bit sum wherever that does not overflow,
// the same wrapped value where it would, and never undefined behaviour.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "common/diviseur_fixe.h"

namespace talven {

class FiltrePasseBande {
 public:
  // Divisor of the step in transmission (gain about 0.43 with 80 taps and a 50 Hz band).
  static constexpr int32_t Diviseur_emission = 45525;
  // Largest number of taps the history holds.
  static constexpr int32_t Longueur_max = 256;

  // Number of taps L: even, 2..`Longueur_max` (80 in transmission, 60 or 200 in reception).
  int32_t L = 80;
  // Lower and upper band edges in hertz (transmission: F - 25 and F + 25, F
  // the transmit frequency in whole hertz).
  double f_lo = 975.0;
  double f_hi = 1025.0;
  // Sample rate in samples per second, > 0 (11025).
  int32_t Frequence_echantillonnage = 11025;
  // Divisor of the step, > 0: `Diviseur_emission` in transmission, the
  // processor class's receive divisor (11635 or 28836) in reception. Set it
  // before `Calcul_filtre_passe_bande`, which checks it.
  int32_t Diviseur = Diviseur_emission;

  FiltrePasseBande();

  // Clears the history of inputs (every stored value, including the word
  // ahead of the newest one), so that zero input gives zero output.
  void Effacement_historique();

  // Computes the L/2 coefficients from L, f_lo, f_hi and
  // `Frequence_echantillonnage`:
  //   c[k] = Round(w x a x 100000) (half to even), p = k + 0.5,
  //   a = sin(2 pi f_hi p / fs) / (pi p) - sin(2 pi f_lo p / fs) / (pi p),
  //   w = 0.54 + 0.46 cos(2 pi p / L),
  // evaluated in extended precision. Throws std::invalid_argument when L is
  // odd or outside 2..`Longueur_max`, the sample rate or the divisor is not
  // positive, or a band edge is not finite; the filter is then unchanged.
  void Calcul_filtre_passe_bande();

  // One filter step: x (signed 32-bit) becomes the newest history value;
  // returns s div `Diviseur` (truncating toward zero), where
  //   s = sum over k = 0..L/2-1 of (h[L/2-1-k] + h[L/2+k]) x c[k]
  // in 32-bit arithmetic, h[0] being x. Allocates nothing, throws nothing;
  // a divisor that is not positive (never accepted by the set-up) gives 0.
  int32_t Filtre_passe_bande(int32_t x);

  // The coefficients c[0..L/2-1] of the last set-up; c[k] weighs the tap
  // pair at k + 0.5 samples from the centre.
  std::span<const int32_t> Coefficients() const { return {coefficients.data(), static_cast<size_t>(demi)}; }

 private:
  // Each ring is 2 x Longueur_max words plus a block of slack, so that the
  // step may read whole blocks of 8 past the last coefficient (whose padding
  // coefficients are 0).
  static constexpr int32_t Taille_anneau = 2 * Longueur_max + 8;

  // Number of coefficients N = L/2, and N rounded up to a multiple of 8.
  int32_t demi = 0;
  int32_t demi_bloc = 0;
  // c[0..demi_bloc-1], zero from c[demi] on (read as unsigned words by the
  // wrapping sum, which the signed and unsigned forms of a type may share).
  alignas(32) std::array<int32_t, Longueur_max / 2 + 8> coefficients{};
  // Ring of the newest-first history: h[i] = recent[tete_recent + i].
  alignas(32) std::array<uint32_t, Taille_anneau> recent{};
  // Ring of the oldest-first history: h[i] = ancien[tete_ancien + Longueur_max - i].
  alignas(32) std::array<uint32_t, Taille_anneau> ancien{};
  int32_t tete_recent = 0;
  int32_t tete_ancien = 0;
  // Division by `Diviseur`, prepared for the value it was last seen with.
  DiviseurFixe<int32_t> division_{Diviseur_emission};
};

}  // namespace talven
