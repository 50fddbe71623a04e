#include "transceiver/filtre_passe_bande.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "common/arrondi.h"
#include "common/somme_produits.h"

namespace talven {

FiltrePasseBande::FiltrePasseBande() {
  Effacement_historique();
}

void FiltrePasseBande::Effacement_historique() {
  recent.fill(0);
  ancien.fill(0);
  tete_recent = 0;
  tete_ancien = 0;
}

void FiltrePasseBande::Calcul_filtre_passe_bande() {
  if (L < 2 || L > Longueur_max || L % 2 != 0) {
    throw std::invalid_argument("FiltrePasseBande: " + std::to_string(L) +
                                " taps; the length must be even, from 2 to " + std::to_string(Longueur_max));
  }
  if (Frequence_echantillonnage <= 0) {
    throw std::invalid_argument("FiltrePasseBande: sample rate must be positive");
  }
  if (Diviseur <= 0) throw std::invalid_argument("FiltrePasseBande: divisor must be positive");
  if (!std::isfinite(f_lo) || !std::isfinite(f_hi)) {
    throw std::invalid_argument("FiltrePasseBande: band edges must be finite");
  }

  demi = L / 2;
  demi_bloc = (demi + 7) / 8 * 8;
  coefficients.fill(0);
  const Etendu fs = Frequence_echantillonnage;
  for (int32_t k = 0; k < demi; ++k) {
    const Etendu p = static_cast<Etendu>(k) + 0.5L;
    const Etendu a = std::sin(2 * Pi * static_cast<Etendu>(f_hi) * p / fs) / (Pi * p) -
                     std::sin(2 * Pi * static_cast<Etendu>(f_lo) * p / fs) / (Pi * p);
    const Etendu w = 0.54L + 0.46L * std::cos(2 * Pi * p / static_cast<Etendu>(L));
    // |a| < 2 / (pi p), so the coefficient stays below 127324 in magnitude.
    coefficients[k] = Arrondi32(w * a * 100000.0L);
  }
}

int32_t FiltrePasseBande::Filtre_passe_bande(int32_t x) {
  const auto mot = static_cast<uint32_t>(x);
  tete_recent = tete_recent == 0 ? Longueur_max - 1 : tete_recent - 1;
  tete_ancien = tete_ancien == Longueur_max - 1 ? 0 : tete_ancien + 1;

  // h[N-1-k] walks from the centre toward the newest input and h[N+k] from
  // the centre toward the oldest; each has a ring in which it ascends.
  const uint32_t* vers_recent = &ancien[tete_ancien + Longueur_max - (demi - 1)];
  const uint32_t* vers_ancien = &recent[tete_recent + demi];
  // The sum is formed before the new input is stored: the slot of h[0] still
  // holds the input of `Longueur_max` steps ago, whose term is then replaced
  // by the new input's (the modular sum is the same). Reading a word stored
  // in the same step would hold the sum until the store reached the cache.
  uint32_t somme = Somme_produits_replies(vers_recent, vers_ancien,
                                          reinterpret_cast<const uint32_t*>(coefficients.data()), demi_bloc);
  if (demi > 0) {
    const uint32_t perime = ancien[tete_ancien + Longueur_max];
    somme += (mot - perime) * static_cast<uint32_t>(coefficients[demi - 1]);
  }

  recent[tete_recent] = mot;
  recent[tete_recent + Longueur_max] = mot;
  ancien[tete_ancien] = mot;
  ancien[tete_ancien + Longueur_max] = mot;

  const auto s = static_cast<int32_t>(somme);
  // A divisor that was never checked by a set-up must not crash the step.
  if (Diviseur <= 0) return 0;
  // Prepared again only when the divisor was changed since the last step.
  if (Diviseur != division_.Valeur()) division_ = DiviseurFixe<int32_t>(Diviseur);
  return division_.Quotient(s);
}

}  // namespace talven
