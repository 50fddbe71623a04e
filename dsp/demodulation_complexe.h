// DEMODULATION_COMPLEXE: the complex demodulator of the receiver.
//
// Each limited audio sample (+255 or -255) is multiplied by the cosine and the
// sine of the carrier loop's oscillator phase, and each product is smoothed by
// a first-order low-pass filter computed in integers. The in-phase value I
// feeds the matched filter; I and Q together feed the Costas loop.
//
// Sign convention: for a carrier of amplitude A x 255 whose phase leads the
// oscillator by phi, I ~ A cos(phi) and Q ~ -A sin(phi) once the low-pass has
// removed the double-frequency term. A steady carrier of amplitude 255 in phase
// with the oscillator gives I = 1; a constant +255 at phase 0 gives I ~ 2 (the
// factor 2 of the mixer is kept).
#pragma once

#include <array>
#include <cstdint>

#include "common/diviseur_fixe.h"

namespace talven {

class DemodulationComplexe {
 public:
  // Entries of the cosine table: tenths of a degree from 0 to 450.0 degrees,
  // so that the entry 900 places further on (90 degrees) never wraps.
  static constexpr int32_t Taille_table = 4501;
  // One full turn of the phase index, tenths of a degree.
  static constexpr int32_t Tour_complet = 3600;

  // Set up for the standard reception (11025 Hz, 10 Bd). The filter state
  // starts at zero.
  DemodulationComplexe();

  // Computes the filter coefficient d and fills the cosine table.
  //   fs : sample rate, Hz, > 0 (11025)
  //   r  : symbol rate, bauds, > 0 (10)
  // d = (fs x 100) div (r x 157) must lie in 1..100000 (702 for the standard
  // values). Throws std::invalid_argument otherwise, leaving the unit as it
  // was. The filter state (x_I, y_I, x_Q, y_Q) is NOT cleared: a new
  // reception runs on from the values left by the previous one.
  void Init_demodulation_complexe(int32_t fs, int32_t r);

  // One sample.
  //   s : limited sample, +255 or -255 (any 32-bit value is computed without
  //       overflow)
  //   k : oscillator phase index, tenths of a degree, 0..3600 (3600, a phase
  //       of exactly 360 degrees, is valid). An index outside 0..3600 is
  //       reduced modulo 3600 to the same angle, so the table is never read
  //       out of bounds.
  //   I : in-phase value (about -2..2)
  //   Q : quadrature value (about -2..2)
  // Allocates nothing, throws nothing.
  void Demodulation_complexe(int32_t s, int32_t k, double& I, double& Q);

  // Read-only views for the owner and the tests.
  int32_t d() const { return d_I_; }
  const std::array<int32_t, Taille_table>& Table_cosinus_demodulation() const { return table_; }
  int64_t y_I() const { return y_I_; }
  int64_t y_Q() const { return y_Q_; }

  // The filter's divisor 2d + b, in the 32-bit and the 64-bit width.
  struct Diviseur_filtre {
    Diviseur_filtre() = default;
    explicit Diviseur_filtre(int32_t v) : court(v), long_(v) {}
    DiviseurFixe<int32_t> court;
    DiviseurFixe<int64_t> long_;
  };

 private:
  // Round(2550 x cos(i tenths of a degree)), i = 0..4500.
  std::array<int32_t, Taille_table> table_{};
  // Filter coefficients: b = 100, d_I = d_Q = d.
  int32_t b_ = 100;
  int32_t d_I_ = 0;
  int32_t d_Q_ = 0;
  Diviseur_filtre diviseur_I_;
  Diviseur_filtre diviseur_Q_;
  // Filter state: previous input x and previous output y of each branch. The
  // system keeps them in 32 bits; they are held in 64 bits so that the sums
  // of the step cannot overflow. Wherever the 32-bit sums stay in range
  // (always for |s| <= 255) the values are the same.
  int64_t x_I_ = 0;
  int64_t y_I_ = 0;
  int64_t x_Q_ = 0;
  int64_t y_Q_ = 0;
};

}  // namespace talven
