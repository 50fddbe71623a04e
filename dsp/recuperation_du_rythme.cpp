#include "dsp/recuperation_du_rythme.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "common/arrondi.h"
#include "common/somme_produits.h"

namespace talven {
namespace {

// Taps are handled in blocks of this many, padded with zero taps, so that the
// kernel's trip count is a multiple of any vector width.
constexpr int32_t Bloc = 16;

// Nearest signed 32-bit integer, ties to even, saturated at the ends of the
// range (a value the system's 32-bit variables could not hold; NaN gives the
// top of the range). Same result as Arrondi32 in the default rounding mode,
// but llrint does not save and restore the floating-point environment as
// nearbyint does, which costs some twenty times more in a per-sample step.
int32_t Arrondi_sature(Etendu x) {
  if (!(x < 2147483647.5L)) return INT32_MAX;
  if (x < -2147483648.5L) return INT32_MIN;
  return static_cast<int32_t>(std::llrint(x));
}

// First-order bilinear low-pass step of one arm of the loop:
// (T x_old + T p - (T - 2 tau) y_old) / (T + 2 tau).
double Passe_bas(double T, double tau, double p, double& x_old, double& y_old) {
  const Etendu t = T;
  const Etendu deux_tau = 2 * static_cast<Etendu>(tau);
  const double l = static_cast<double>((t * x_old + t * p - (t - deux_tau) * y_old) / (t + deux_tau));
  y_old = l;
  x_old = p;
  return l;
}

}  // namespace

RecuperationDuRythme::RecuperationDuRythme() {
  Init_recuperation_du_rythme(10, 1225);
}

RecuperationDuRythme::Pas RecuperationDuRythme::Pas_oscillateur(int32_t phase, int32_t f_o, int32_t fs) {
  int64_t p = phase + (static_cast<int64_t>(f_o) * 360) / fs;
  int64_t q = p + 90000;
  if (p > 360000) p -= 360000;
  if (q > 360000) q -= 360000;
  if (p < 0 || p > 360000) p = ((p % 360000) + 360000) % 360000;
  if (q < 0 || q > 360000) q = ((q % 360000) + 360000) % 360000;
  return Pas{static_cast<int32_t>(p), static_cast<int8_t>(p < 180000 ? 1 : -1),
             static_cast<int8_t>(q < 180000 ? 1 : -1)};
}

void RecuperationDuRythme::Init_recuperation_du_rythme(int32_t r, int32_t fs_d) {
  const int32_t D = Decimation_rythme;
  if (r < 1 || r > 2000000)
    throw std::invalid_argument("Init_recuperation_du_rythme: symbol rate out of 1..2000000");
  if (fs_d < 1) throw std::invalid_argument("Init_recuperation_du_rythme: step rate must be positive");
  if (D < 1) throw std::invalid_argument("Init_recuperation_du_rythme: Decimation_rythme must be at least 1");
  if (!std::isfinite(Duree_filtre_rythme) || Duree_filtre_rythme < 0 || !std::isfinite(Demi_largeur_rythme))
    throw std::invalid_argument("Init_recuperation_du_rythme: filter length or width not usable");

  // Filter length in steps, and in undecimated samples during the design.
  const Etendu L_reel = static_cast<Etendu>(fs_d) * Duree_filtre_rythme / r;
  if (!(L_reel < Capacite + 1))
    throw std::invalid_argument("Init_recuperation_du_rythme: filter longer than the 23000-entry delay line");
  const int32_t L = Arrondi32(L_reel);
  const int64_t L_design = static_cast<int64_t>(L) * D;
  if (L_design > Capacite)
    throw std::invalid_argument("Init_recuperation_du_rythme: L x D beyond the 23000-entry delay line");
  const int32_t M = L / 2 - 1;

  const double f_lo = static_cast<double>(static_cast<Etendu>(r) - Demi_largeur_rythme);
  const double f_hi = static_cast<double>(static_cast<Etendu>(r) + Demi_largeur_rythme);

  // The taps are designed at the undecimated rate (T divided by D), taking
  // only the instants that are multiples of D, so that the filter covers the
  // same ten symbols whatever the decimation.
  double T = static_cast<double>(1.0L / fs_d);
  T = static_cast<double>(static_cast<Etendu>(T) / D);
  std::vector<int32_t> taps;
  taps.reserve(static_cast<size_t>(L_design / 2 / D + 1));
  for (int64_t k = 0; k <= L_design / 2 - 1; k += D) {
    const Etendu t = static_cast<Etendu>(k) + 0.5L;
    const Etendu h = std::sin(2 * Pi * t * T * f_hi) / (Pi * t) - std::sin(2 * Pi * t * T * f_lo) / (Pi * t);
    taps.push_back(Arrondi32(250000 * h));
  }

  // Kernel form: taps 0..M padded to whole blocks, and the two rings.
  const int32_t n_bloc = (M + 1 + Bloc - 1) / Bloc * Bloc;
  std::vector<int32_t> taps_bloc(static_cast<size_t>(n_bloc), 0);
  std::copy(taps.begin(), taps.begin() + (M + 1), taps_bloc.begin());
  const int32_t anneau = std::max(L, 1);
  const size_t taille = 2 * static_cast<size_t>(anneau) + Bloc;

  // Everything checked: commit.
  r_ = r;
  r_reel_ = r;
  fs_d_ = fs_d;
  fs_oscillateur_ = fs_d;
  T_ = T;
  P_ = Arrondi32(static_cast<Etendu>(fs_d) / r);
  L_ = L;
  M_ = M;
  f_lo_ = f_lo;
  f_hi_ = f_hi;
  taps_ = std::move(taps);
  taps_bloc_ = std::move(taps_bloc);
  n_bloc_ = n_bloc;
  anneau_ = anneau;
  descendant_.assign(taille, 0);
  montant_.assign(taille, 0);
  pos_d_ = 0;
  pos_m_ = 0;
  acc_ = 0;

  c_ = 1;
  n_ = 0;
  A_ = static_cast<int32_t>((static_cast<int64_t>(P_) * 4) / 20);
  B_ = P_ / 5 + A_;
  active_ = false;
  f_o_ = r * 1000;
  phase_ = 0;
  K_ = static_cast<double>(5.1L * 0.5L / Pi);
  a_ = static_cast<double>(static_cast<Etendu>(T_) + 2 * 0.88L);
  b_ = static_cast<double>(static_cast<Etendu>(T_) - 2 * 0.88L);
  tau_ = static_cast<double>(1.0L / (static_cast<Etendu>(r_reel_) * 2 * Pi));
  e_prev_ = 0.0;
  w_prev_ = 0.0;
  x_I_ = y_I_ = x_Q_ = y_Q_ = 0.0;
}

int32_t RecuperationDuRythme::Filtre(int32_t v) const {
  if (n_bloc_ == 0) return 0;
  // Pair i is Y[M - i] + Y[M + 1 + i]: the first runs forward in the rising
  // ring, the second in the falling one.
  const int32_t* gauche = montant_.data() + pos_m_ + anneau_ - M_;
  const int32_t* droite = descendant_.data() + pos_d_ + M_ + 1;
  uint32_t somme = Somme_produits_replies(reinterpret_cast<const uint32_t*>(gauche),
                                          reinterpret_cast<const uint32_t*>(droite),
                                          reinterpret_cast<const uint32_t*>(taps_bloc_.data()), n_bloc_);
  // Y[0]'s slot still holds the value of L steps ago (pair M); its term is
  // replaced by v's. The slot of Y[L], read with a zero tap, holds it too.
  const auto perime = static_cast<uint32_t>(montant_[static_cast<size_t>(pos_m_ + anneau_)]);
  somme += (static_cast<uint32_t>(v) - perime) * static_cast<uint32_t>(taps_bloc_[static_cast<size_t>(M_)]);
  return static_cast<int32_t>(somme);
}

uint8_t RecuperationDuRythme::Recuperation_du_rythme(double x) {
  // Squaring, stored as a real, then rounded.
  const double carre = static_cast<double>(static_cast<Etendu>(x) * x * 10000);
  const int32_t v = Arrondi_sature(carre);

  // Delay line: Y[0] := v, the older values move one place along. The
  // filter is formed before v is stored: reading a word stored in the same
  // step would hold the sum until the store reached the cache.
  if (--pos_d_ < 0) pos_d_ = anneau_ - 1;
  if (++pos_m_ >= anneau_) pos_m_ = 0;
  acc_ = Filtre(v);
  descendant_[pos_d_] = v;
  descendant_[pos_d_ + anneau_] = v;
  montant_[pos_m_] = v;
  montant_[pos_m_ + anneau_] = v;
  c_ = acc_ >= 0 ? 1 : -1;

  const Pas pas = Pas_oscillateur(phase_, f_o_, fs_oscillateur_);
  phase_ = pas.phase;
  s_I_ = pas.s_I;

  l_I_ = Passe_bas(T_, tau_, static_cast<double>(s_I_ * c_), x_I_, y_I_);
  l_Q_ = Passe_bas(T_, tau_, static_cast<double>(pas.s_Q * c_), x_Q_, y_Q_);

  // Phase detector: for two +-1 square waves offset by delta the mean of the
  // product is 1 - 2|delta|/pi; l_Q gives the sign.
  e_ = static_cast<double>((1 - static_cast<Etendu>(l_I_)) * (Pi / 2));
  if (l_Q_ < 0) e_ = -e_;

  // Proportional-integral loop filter, bilinear form.
  const double u = static_cast<double>(2 * static_cast<Etendu>(w_prev_) +
                                       (static_cast<Etendu>(a_) * e_ + static_cast<Etendu>(b_) * e_prev_));
  w_ = u * 0.5;
  w_prev_ = w_;
  e_prev_ = e_;

  f_o_ = Arrondi_sature((static_cast<Etendu>(r_reel_) + static_cast<Etendu>(w_) * K_) * 1000);

  // Strobe machine. The count wraps like the system's 32-bit counter (it
  // only matters while a count is running, which resets it).
  n_ = static_cast<int32_t>(static_cast<uint32_t>(n_) + 1u);
  if (active_ && n_ == A_) strobe_ = 1;
  if (active_ && n_ == B_) {
    strobe_ = 0;
    active_ = false;
  }
  if (s_prev_ == -1 && s_I_ == 1 && !active_) {
    active_ = true;
    n_ = 0;
  }
  s_prev_ = s_I_;
  return strobe_;
}

}  // namespace talven
