#include "dsp/fourier_entier.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "common/arrondi.h"

namespace talven {

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
  const int32_t* const cosinus = tables_->cosinus.data();
  const int32_t* const sinus = tables_->sinus.data();
  std::fill(Im.begin(), Im.begin() + N, 0);
  for (int32_t i = 0; i < N; ++i) Re[inversion[i]] = Entree_fft[i];

  for (int32_t s = 1; s <= n; ++s) {
    const int32_t H = 1 << (s - 1);  // butterfly span
    const int32_t G = 1 << (n - s);  // number of groups
    for (int32_t b = 0; b < H; ++b) {
      // Twiddle angle in hundredths of a degree, truncated: b x 36000 / 2^s
      // (at most 1023 x 36000, well inside 32 bits).
      const int32_t k = ((b * 360 * 100) / (1 << s)) % 36000;
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

  for (int32_t k = Premier_canal; k <= dernier; ++k) {
    Re[k] = Re[k] / N;
    Im[k] = Im[k] / N;
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
