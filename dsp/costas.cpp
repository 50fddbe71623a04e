#include "dsp/costas.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "common/arrondi.h"

namespace talven {
namespace {

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

constexpr char Suffixe[] = " Hz";
constexpr VueTexte Zero_hertz = "0 Hz";

}  // namespace

Costas::Costas() {
  Init_costas(11025);
}

EtiquetteFrequence Costas::Etiquette_frequence(double hertz) {
  EtiquetteFrequence e;
  char tampon[352];  // room for the widest double printed with %f
  int n = std::snprintf(tampon, sizeof tampon, "%6.1f", hertz);
  n = std::clamp(n, 0, 10);
  std::copy(tampon, tampon + n, e.caracteres.begin());
  std::copy(Suffixe, Suffixe + 3, e.caracteres.begin() + n);
  e.longueur = static_cast<uint8_t>(n + 3);
  return e;
}

void Costas::Init_costas(int32_t fs) {
  if (fs <= 0) throw std::invalid_argument("Init_costas: sample rate must be positive");
  fs_ = fs;
  pas_fs_ = DiviseurFixe<int64_t>(fs);
  fs_reel_ = fs;
  Phase_oscillateur = 0;
  e_prev_ = 0.0;
  w_prev_ = 0.0;
  Frequence_oscillateur = 0;
  periode_affichage_ = fs;
  T_ = static_cast<double>(1.0L / fs);
  K_ = static_cast<double>(2.24L * 0.5L * (1.0L / Pi));
  a_ = static_cast<double>(static_cast<Etendu>(T_) + 1.34L * 2);
  b_ = static_cast<double>(static_cast<Etendu>(T_) - 1.34L * 2);

  // The averager starts full of the reference, in millihertz.
  N_ = N_moyenne;
  const int64_t reference_mhz = static_cast<int64_t>(Frequence_reference) * 100;
  anneau_.fill(static_cast<double>(reference_mhz));
  j_ = N_moyenne;
  S_ = static_cast<double>(reference_mhz * N_moyenne);
  Frequence_suivie = Frequence_reference;
  Frequence_moyenne = static_cast<double>(static_cast<Etendu>(Frequence_reference) * 0.1L);
}

void Costas::Boucle_costas(int32_t f_ref, double I, double Q) {
  // Oscillator step. A phase of exactly 360000 is not wrapped (it stays for
  // one sample). A phase still outside 0..360000 after the single wrap (an
  // oscillator below 0 Hz or beyond the sample rate) is reduced modulo
  // 360000, so that it always indexes the demodulator's table and never
  // overflows.
  int64_t phase = Phase_oscillateur + pas_fs_.Quotient(static_cast<int64_t>(Frequence_oscillateur) * 360);
  if (phase > 360000) phase -= 360000;
  if (phase < 0 || phase > 360000) phase = ((phase % 360000) + 360000) % 360000;
  Phase_oscillateur = static_cast<int32_t>(phase);

  // Error gain: higher for a cleaner signal, within 5..20. Worked out again
  // only when the S/N or the offset changed (the S/N changes once a buffer).
  if (Rapport_signal_bruit != rsb_gain_ || Decalage_gain_costas != decalage_gain_) {
    g_ = static_cast<double>(static_cast<Etendu>(Rapport_signal_bruit) * 160 + Decalage_gain_costas - 2);
    if (g_ > 20) g_ = 20;
    if (g_ < 5) g_ = 5;
    rsb_gain_ = Rapport_signal_bruit;
    decalage_gain_ = Decalage_gain_costas;
  }

  // Phase error (A^2/2) sin(2 phi) g: positive when the input leads.
  const double e = static_cast<double>(-static_cast<Etendu>(I) * Q * g_);

  // Proportional-integral loop filter, bilinear form: w = u / 2, where
  // u = 2 w' + (a e + b e') is rounded to a double before the halving.
  // Halving commutes with the rounding wherever w is a normal double, so w is
  // rounded once from the extended sum halved; only a w near the ends of the
  // double range (or not finite) takes the two steps.
  const Etendu u =
      2 * static_cast<Etendu>(w_prev_) + (static_cast<Etendu>(a_) * e + static_cast<Etendu>(b_) * e_prev_);
  double w = static_cast<double>(u * 0.5L);
  if (!(std::fabs(w) >= 4 * DBL_MIN && std::fabs(w) <= DBL_MAX / 4)) w = static_cast<double>(u) * 0.5;
  w_prev_ = w;
  e_prev_ = e;

  Frequence_oscillateur = Arrondi_sature(static_cast<Etendu>(w) * K_ * 1000 +
                                         static_cast<Etendu>(static_cast<int64_t>(f_ref) * 100));

  // Averaging of the oscillator frequency, frozen while the decoder reports
  // no lock.
  if (Signal_verrouille) {
    ++c40_;
    if (c40_ >= Periode_moyenne) {
      const double ancien = anneau_[j_];
      S_ = static_cast<double>(static_cast<Etendu>(Frequence_oscillateur) +
                               (static_cast<Etendu>(S_) - ancien));
      anneau_[j_] = Frequence_oscillateur;
      --j_;
      if (j_ < 1) j_ = static_cast<uint16_t>(N_);
      Frequence_moyenne = static_cast<double>(static_cast<Etendu>(S_) / N_ * 0.001L);
      Frequence_suivie = Arrondi_sature(static_cast<Etendu>(Frequence_moyenne) * 10);
      c40_ = 0;
    }
  }

  // Labels, once per display period.
  ++cD_;
  if (cD_ >= periode_affichage_) {
    if (Observateur != nullptr) {
      const EtiquetteFrequence r = Etiquette_frequence(Frequence_moyenne);
      if (Mode_maitre_actif) {
        const EtiquetteFrequence t = Etiquette_frequence(Frequence_centrale);
        const EtiquetteFrequence delta = Etiquette_frequence(static_cast<double>(
            std::abs(static_cast<Etendu>(Frequence_moyenne) - static_cast<Etendu>(Frequence_centrale))));
        Observateur->Etiquettes_frequences(r.Vue(), t.Vue(), delta.Vue());
      } else {
        Observateur->Etiquettes_frequences(r.Vue(), r.Vue(), Zero_hertz);
      }
    }
    cD_ = 0;
  }
}

}  // namespace talven
