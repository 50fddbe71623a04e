#include "dsp/demodulation_complexe.h"

#include <cmath>
#include <stdexcept>

#include "common/arrondi.h"

namespace talven {
namespace {

// One tenth of a degree in radians, the constant the table is built with.
constexpr Etendu Dixieme_de_degre = 0.001745329251994221L;

// Normalisation: 1/650250 = 1/(255 x 2550), applied in extended precision.
constexpr Etendu Normalisation = 1.0L / 650250.0L;

// Largest d accepted: keeps 2d + b below 2^18, so that with any 32-bit sample
// the 64-bit sums of the filter step stay far from overflow.
constexpr int64_t D_maximal = 100000;

// Bilinear first-order low-pass step: (u b + x b - (b - 2d) y) div (2d + b),
// truncating toward zero. The numerator nearly always fits in 32 bits, and
// the 32-bit form of the division is then used; both give the same quotient.
inline int64_t Passe_bas(int64_t u, int64_t x, int64_t y, int32_t b, int32_t d,
                         const DemodulationComplexe::Diviseur_filtre& diviseur) {
  const int64_t numerateur = u * b + x * b - (b - 2 * static_cast<int64_t>(d)) * y;
  if (numerateur >= INT32_MIN && numerateur <= INT32_MAX)
    return diviseur.court.Quotient(static_cast<int32_t>(numerateur));
  return diviseur.long_.Quotient(numerateur);
}

}  // namespace

DemodulationComplexe::DemodulationComplexe() {
  Init_demodulation_complexe(11025, 10);
}

void DemodulationComplexe::Init_demodulation_complexe(int32_t fs, int32_t r) {
  if (fs <= 0 || r <= 0)
    throw std::invalid_argument("Init_demodulation_complexe: sample rate and symbol rate must be positive");
  const int64_t d = (static_cast<int64_t>(fs) * 100) / (static_cast<int64_t>(r) * 157);
  if (d < 1 || d > D_maximal)
    throw std::invalid_argument("Init_demodulation_complexe: filter coefficient d out of 1..100000");

  b_ = 100;
  d_I_ = static_cast<int32_t>(d);
  d_Q_ = static_cast<int32_t>(d);
  diviseur_I_ = Diviseur_filtre(2 * d_I_ + b_);
  diviseur_Q_ = Diviseur_filtre(2 * d_Q_ + b_);
  for (int32_t i = 0; i < Taille_table; ++i)
    table_[i] = Arrondi32(2550.0L * std::cos(static_cast<Etendu>(i) * Dixieme_de_degre));
}

void DemodulationComplexe::Demodulation_complexe(int32_t s, int32_t k, double& I, double& Q) {
  // A phase beyond one turn (or negative) points at the same angle once
  // reduced; 3600 itself stays, it reads entry 4500 for the quadrature term.
  if (k < 0 || k > Tour_complet) {
    k %= Tour_complet;
    if (k < 0) k += Tour_complet;
  }
  const int64_t c = 2 * static_cast<int64_t>(table_[k]);
  const int64_t q = 2 * static_cast<int64_t>(table_[k + 900]);
  const int64_t u_I = s * c;
  const int64_t u_Q = s * q;

  const int64_t v = Passe_bas(u_I, x_I_, y_I_, b_, d_I_, diviseur_I_);
  y_I_ = v;
  x_I_ = u_I;
  const int64_t w = Passe_bas(u_Q, x_Q_, y_Q_, b_, d_Q_, diviseur_Q_);
  y_Q_ = w;
  x_Q_ = u_Q;

  I = static_cast<double>(static_cast<Etendu>(v) * Normalisation);
  Q = static_cast<double>(-(static_cast<Etendu>(w) * Normalisation));
}

}  // namespace talven
