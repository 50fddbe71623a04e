#include "dsp/fourier_entier.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "common/arrondi.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define TALVEN_FFT_AVX2 1
#endif

namespace talven {
namespace {

// Twiddle angle of butterfly b at stage s, in hundredths of a degree,
// truncated: b x 36000 / 2^s (at most 1023 x 36000, well inside 32 bits).
int32_t Angle_twiddle(int32_t b, int32_t s) {
  return ((b * 360 * 100) / (1 << s)) % 36000;
}

#if TALVEN_FFT_AVX2
bool Avx2_disponible() {
  static const bool disponible = __builtin_cpu_supports("avx2") != 0;
  return disponible;
}

// The stages in doubles, on re and im of 2^n entries in bit-reversed order,
// with the twiddles laid out stage by stage. Stages of span 1 and 2 run one
// butterfly at a time, the others four at a time.
__attribute__((target("avx2"))) void Etages_doubles(double* re, double* im, const double* tc,
                                                    const double* ts, int32_t n) {
  const int32_t N = 1 << n;
  const double echelle = FourierEntier::Echelle_tables;
  for (int32_t s = 1; s <= n && s <= 2; ++s) {
    const int32_t H = 1 << (s - 1);
    for (int32_t base = 0; base < N; base += 2 * H) {
      for (int32_t b = 0; b < H; ++b) {
        const double c = tc[H + b];
        const double d = ts[H + b];
        double* rh = re + base + b;
        double* ih = im + base + b;
        const double tr = std::trunc((rh[H] * c + ih[H] * d) / echelle);
        const double ti = std::trunc((ih[H] * c - rh[H] * d) / echelle);
        rh[H] = *rh - tr;
        ih[H] = *ih - ti;
        *rh += tr;
        *ih += ti;
      }
    }
  }
  const __m256d diviseur = _mm256_set1_pd(echelle);
  for (int32_t s = 3; s <= n; ++s) {
    const int32_t H = 1 << (s - 1);
    for (int32_t base = 0; base < N; base += 2 * H) {
      for (int32_t b = 0; b < H; b += 4) {
        const __m256d c = _mm256_load_pd(tc + H + b);
        const __m256d d = _mm256_load_pd(ts + H + b);
        double* rh = re + base + b;
        double* ih = im + base + b;
        const __m256d r_haut = _mm256_load_pd(rh);
        const __m256d i_haut = _mm256_load_pd(ih);
        const __m256d r_bas = _mm256_load_pd(rh + H);
        const __m256d i_bas = _mm256_load_pd(ih + H);
        const __m256d tr = _mm256_round_pd(
            _mm256_div_pd(_mm256_add_pd(_mm256_mul_pd(r_bas, c), _mm256_mul_pd(i_bas, d)), diviseur),
            _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
        const __m256d ti = _mm256_round_pd(
            _mm256_div_pd(_mm256_sub_pd(_mm256_mul_pd(i_bas, c), _mm256_mul_pd(r_bas, d)), diviseur),
            _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
        _mm256_store_pd(rh + H, _mm256_sub_pd(r_haut, tr));
        _mm256_store_pd(ih + H, _mm256_sub_pd(i_haut, ti));
        _mm256_store_pd(rh, _mm256_add_pd(r_haut, tr));
        _mm256_store_pd(ih, _mm256_add_pd(i_haut, ti));
      }
    }
  }
}
#endif

}  // namespace

const FourierEntier::Tables& FourierEntier::Tables_partagees() {
  // a = i x pi x (1/180) x 0.01, multiplied in that order in extended
  // precision and stored as a double before the cosine and sine are taken.
  static const Tables tables = [] {
    Tables t{std::vector<int32_t>(Taille_tables), std::vector<int32_t>(Taille_tables)};
    for (int32_t i = 0; i < Taille_tables; ++i) {
      const double a = static_cast<Etendu>(i) * Pi * (1.0L / 180.0L) * 0.01L;
      t.cosinus[i] = Arrondi32(static_cast<Etendu>(Echelle_tables) * std::cos(static_cast<Etendu>(a)));
      t.sinus[i] = Arrondi32(static_cast<Etendu>(Echelle_tables) * std::sin(static_cast<Etendu>(a)));
    }
    return t;
  }();
  return tables;
}

FourierEntier::FourierEntier() : tables_(&Tables_partagees()), historique(Nombre_spectres, SpectreCanaux{}) {
  Init_fourier_entier();
}

void FourierEntier::Init_fourier_entier() {
  // n := log2 N, found by matching N against the powers of two; anything else
  // has no bit-reversal order and does not fit the arrays.
  int32_t log2_taille = 0;
  for (int32_t s = 1; s <= 11; ++s) {
    if (Taille_fft == (1 << s)) log2_taille = s;
  }
  if (log2_taille == 0) {
    throw std::invalid_argument("FourierEntier: block size " + std::to_string(Taille_fft) +
                                " is not a power of two from 2 to 2048");
  }
  taille = Taille_fft;
  n = log2_taille;
  // Bins at or beyond N do not exist in a shorter block; they are left at 0.
  dernier = std::min(Dernier_canal, taille - 1);

  inversion.fill(0);
  Re.fill(0);
  Im.fill(0);
  Spectre.fill(0);
  for (auto& spectre : historique) spectre.fill(0);
  somme_historique.fill(0);
  plus_recent = Nombre_spectres - 1;

  for (int32_t s = 1; s <= n; ++s) {
    const int32_t H = 1 << (s - 1);
    for (int32_t b = 0; b < H; ++b) {
      const int32_t k = Angle_twiddle(b, s);
      twiddle_cos_[H + b] = tables_->cosinus[k];
      twiddle_sin_[H + b] = tables_->sinus[k];
    }
  }

  // Bit reversal by doubling: after stage s the first 2^(s+1) entries hold
  // the reversal of s+1 bits; doubling shifts every pattern up by one bit
  // and the new upper half gets the new lowest bit set.
  for (int32_t s = 0; s < n; ++s) {
    const int32_t h = 1 << s;
    for (int32_t i = 0; i < h; ++i) {
      inversion[i] = static_cast<uint16_t>(2 * inversion[i]);
      inversion[i + h] = static_cast<uint16_t>(inversion[i] + 1);
    }
  }
}

void FourierEntier::Fourier_entier() {
  const int32_t N = taille;
#if TALVEN_FFT_AVX2
  const auto [plus_petit, plus_grand] = std::minmax_element(Entree_fft.begin(), Entree_fft.begin() + N);
  if (Avx2_disponible() && *plus_petit >= -Amplitude_max_doubles && *plus_grand <= Amplitude_max_doubles) {
    std::fill(im_.begin(), im_.begin() + N, 0.0);
    for (int32_t i = 0; i < N; ++i) re_[inversion[i]] = Entree_fft[i];
    Etages_doubles(re_.data(), im_.data(), twiddle_cos_.data(), twiddle_sin_.data(), n);
    for (int32_t i = 0; i < N; ++i) {
      Re[i] = static_cast<int64_t>(re_[i]);
      Im[i] = static_cast<int64_t>(im_[i]);
    }
  } else {
    Etages_entiers();
  }
#else
  Etages_entiers();
#endif

  for (int32_t k = Premier_canal; k <= dernier; ++k) {
    Re[k] = Re[k] / N;
    Im[k] = Im[k] / N;
  }
}

void FourierEntier::Etages_entiers() {
  const int32_t N = taille;
  const int32_t* const cosinus = tables_->cosinus.data();
  const int32_t* const sinus = tables_->sinus.data();
  std::fill(Im.begin(), Im.begin() + N, 0);
  for (int32_t i = 0; i < N; ++i) Re[inversion[i]] = Entree_fft[i];

  for (int32_t s = 1; s <= n; ++s) {
    const int32_t H = 1 << (s - 1);  // butterfly span
    const int32_t G = 1 << (n - s);  // number of groups
    for (int32_t b = 0; b < H; ++b) {
      const int32_t k = Angle_twiddle(b, s);
      const int64_t c = cosinus[k];
      const int64_t d = sinus[k];
      // The butterflies of one stage are independent, so taking every group
      // for one twiddle at a time gives the same values as group by group.
      for (int32_t g = 0; g < G; ++g) {
        const int32_t haut = (g << s) + b;  // g x N / G, as N = G x 2^s
        const int32_t bas = haut + H;
        const int64_t tr = (Re[bas] * c + Im[bas] * d) / Echelle_tables;
        const int64_t ti = (Im[bas] * c - Re[bas] * d) / Echelle_tables;
        Re[bas] = Re[haut] - tr;
        Im[bas] = Im[haut] - ti;
        Re[haut] = Re[haut] + tr;
        Im[haut] = Im[haut] + ti;
      }
    }
  }
}

void FourierEntier::Module_spectre() {
  for (int32_t k = Premier_canal; k <= dernier; ++k) {
    // Squares in extended precision: exact wherever the 32-bit sum of squares
    // would have been, and free of overflow for any input.
    const Etendu re = static_cast<Etendu>(Re[k]);
    const Etendu im = static_cast<Etendu>(Im[k]);
    const Etendu module = std::sqrt(re * re + im * im);
    const Etendu plafond = static_cast<Etendu>(std::numeric_limits<int32_t>::max());
    Spectre[k] = module >= plafond ? std::numeric_limits<int32_t>::max() : Arrondi32(module);
  }
}

void FourierEntier::Moyenne_spectres() {
  plus_recent = (plus_recent + 1) % Nombre_spectres;
  SpectreCanaux& remplace = historique[plus_recent];
  for (int32_t k = Premier_canal; k <= dernier; ++k) {
    // The ring's sum is kept up to date: the oldest spectrum leaves it and
    // the newest enters, which is the sum of the nine, exactly.
    somme_historique[k] += static_cast<int64_t>(Spectre[k]) - remplace[k];
    remplace[k] = Spectre[k];
    const int64_t somme = somme_historique[k];
    // Nine magnitudes of ordinary audio stay far below 2^31; saturate rather
    // than wrap should an absurd input push the sum beyond it.
    Spectre[k] = static_cast<int32_t>(std::min<int64_t>(somme, std::numeric_limits<int32_t>::max()));
  }
}

}  // namespace talven
