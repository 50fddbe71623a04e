// RECUPERATION_DU_RYTHME: symbol timing recovery of the 10-baud signal.
//
// Runs on the matched-filter output at the decimated rate (every D-th input
// sample: 441 or 1225 steps per second) and raises a short strobe at each
// symbol instant, on whose rising edge the receive chain decides a bit:
//   1. the input is squared (scaled by 10000), which creates a spectral line
//      at the symbol rate;
//   2. a linear-phase FIR band-pass of ten symbols, 0.35 Hz wide around the
//      symbol rate, isolates that line; only the sign c of its output is
//      kept;
//   3. a second-order phase-locked loop (square-wave oscillator in
//      millidegrees, two first-order low-pass arms, phase detector,
//      proportional-integral loop filter) locks onto that +-1 clock;
//   4. A steps after each rising edge of the oscillator's square wave the
//      strobe goes to 1, B steps after it back to 0. An edge that comes
//      while a count is running is ignored.
//
// The FIR (2M + 2 points: 440 or 1224 multiply-adds per step) is the costly
// part. Its delay line is kept twice, as two doubled rings, one running each
// way, so that both halves of the symmetric window are contiguous in the
// direction the taps run: each pair of samples is added before its single
// multiplication, nothing is shifted per step, and the kernel vectorises.
// Sums are taken in wrapping 32-bit arithmetic, which is the exact result of
// the system's 32-bit accumulator.
#pragma once

#include <cstdint>
#include <vector>

namespace talven {

class RecuperationDuRythme {
 public:
  // Capacity of the delay line during the design, and of the taps, entries:
  // L x D may not exceed it.
  static constexpr int32_t Capacite = 23000;

  // Parameters written by the processor-class set-up before
  // Init_recuperation_du_rythme; the defaults are those of class 2.
  // Decimation factor D, input samples per step, >= 1 (25 or 9).
  int32_t Decimation_rythme = 9;
  // Length of the band-pass filter, symbol periods, >= 0 (10.0).
  double Duree_filtre_rythme = 10.0;
  // Half-width of the band-pass, Hz (0.175).
  double Demi_largeur_rythme = 0.175;

  // One output of the square-wave oscillator step.
  struct Pas {
    int32_t phase;  // millidegrees, 0..360000 (360000 itself is not wrapped)
    int8_t s_I;     // in-phase square value, +1 while phase < 180000, else -1
    int8_t s_Q;     // quadrature square value, taken from phase + 90000
  };

  // Set up with the standard class-2 values (r = 10, fs_d = 1225). The
  // strobe value and s_prev start at 0.
  RecuperationDuRythme();

  // Designs the band-pass and restarts the loop at the symbol rate with phase
  // 0; clears the delay line and every filter state. The strobe value and
  // s_prev are kept.
  //   r    : symbol rate, bauds, 1..2000000 (10)
  //   fs_d : decimated sample rate, steps per second, > 0 (11025 div D)
  // Throws std::invalid_argument, leaving the unit as it was, for a rate out
  // of range, D < 1, a filter length that is negative or not finite, or a
  // delay line of L x D entries beyond the 23000 capacity.
  void Init_recuperation_du_rythme(int32_t r, int32_t fs_d);

  // One decimated step: x is the matched-filter output (about -2..2).
  // Returns the strobe, 1 at a symbol instant, else 0. Allocates nothing,
  // throws nothing.
  uint8_t Recuperation_du_rythme(double x);

  // Oscillator step: phase advanced by (f_o x 360) div fs (truncating), then
  // wrapped once if strictly above 360000; the quadrature phase is taken
  // before the wrap and wrapped the same way. A phase still outside
  // 0..360000 after that (only an oscillator running backwards or beyond the
  // step rate) is reduced modulo 360000, so it can never overflow.
  //   phase : millidegrees, 0..360000
  //   f_o   : oscillator frequency, millihertz
  //   fs    : step rate, steps per second, > 0
  static Pas Pas_oscillateur(int32_t phase, int32_t f_o, int32_t fs);

  // Read-only views of the design and of the running state.
  int32_t P() const { return P_; }  // steps per symbol, Round(fs_d / r)
  int32_t L() const { return L_; }  // delay-line length, steps
  int32_t M() const { return M_; }  // last tap used, (L div 2) - 1
  int32_t A() const { return A_; }  // steps from an edge to the strobe's rise
  int32_t B() const { return B_; }  // steps from an edge to the strobe's fall
  double T() const { return T_; }   // sample period after the design, s
  // Taps designed, in order (taps 0..M are used).
  const std::vector<int32_t>& Coefficients_rythme() const { return taps_; }
  // Latest band-pass output acc (32-bit, as the system sums it) and its sign c.
  int32_t Sortie_filtre() const { return acc_; }
  int8_t c() const { return c_; }
  int32_t Phase() const { return phase_; }                // millidegrees
  int32_t Frequence_oscillateur() const { return f_o_; }  // millihertz
  int8_t s_I() const { return s_I_; }
  int8_t s_prev() const { return s_prev_; }

 private:
  // Runs the FIR over the window whose newest value Y[0] is v, before v is
  // stored in the rings.
  int32_t Filtre(int32_t v) const;

  // Rates.
  int32_t r_ = 0;
  double r_reel_ = 0.0;
  double fs_d_ = 0.0;
  int32_t fs_oscillateur_ = 1;
  // Design.
  double T_ = 0.0;
  int32_t P_ = 0;
  int32_t L_ = 0;
  int32_t M_ = -1;
  double f_lo_ = 0.0;
  double f_hi_ = 0.0;
  std::vector<int32_t> taps_;
  int32_t A_ = 0;
  int32_t B_ = 0;
  double K_ = 0.0;
  double a_ = 0.0;
  double b_ = 0.0;
  double tau_ = 0.0;

  // Delay line Y[0..L-1] (Y[0] newest), held in two doubled rings of
  // anneau_ = max(L, 1) positions plus a zero tail that the padded kernel may
  // read. descendant_: Y[j] = descendant_[pos_d_ + j]; montant_:
  // Y[j] = montant_[pos_m_ + anneau_ - j].
  int32_t anneau_ = 1;
  std::vector<int32_t> descendant_;
  std::vector<int32_t> montant_;
  int32_t pos_d_ = 0;
  int32_t pos_m_ = 0;
  // Taps 0..M padded with zeros to a multiple of the kernel's block.
  std::vector<int32_t> taps_bloc_;
  int32_t n_bloc_ = 0;

  // Running state.
  int32_t acc_ = 0;
  int8_t c_ = 1;
  int32_t f_o_ = 0;
  int32_t phase_ = 0;
  int8_t s_I_ = 1;
  int8_t s_prev_ = 0;
  double x_I_ = 0.0, y_I_ = 0.0, x_Q_ = 0.0, y_Q_ = 0.0;
  double l_I_ = 0.0, l_Q_ = 0.0;
  double e_ = 0.0, w_ = 0.0;
  double e_prev_ = 0.0, w_prev_ = 0.0;
  int32_t n_ = 0;
  bool active_ = false;
  uint8_t strobe_ = 0;
};

}  // namespace talven
