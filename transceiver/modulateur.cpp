#include "transceiver/modulateur.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "common/arrondi.h"
#include "transceiver/code_caractere.h"

namespace talven {

namespace {

// The table is the same for every transmission and every transmitter, and
// its 360001 extended-precision cosines take a noticeable fraction of a
// second: it is built once, on first use, and never changes.
const std::vector<int32_t>& Table_cosinus_partagee() {
  static const std::vector<int32_t> table = [] {
    std::vector<int32_t> t(Modulateur::Taille_table);
    for (int32_t i = 0; i < Modulateur::Taille_table; ++i)
      t[static_cast<std::size_t>(i)] = Arrondi32(1000.0L * std::cos(i * Pi / 180.0L / 1000.0L));
    return t;
  }();
  return table;
}

}  // namespace

Modulateur::Modulateur(FiltrePasseBande& filtre)
    : filtre_(&filtre), table_cosinus_(&Table_cosinus_partagee()) {}

void Modulateur::Init_modulation(int32_t frequence) {
  if (frequence < Frequence_minimale || frequence > Frequence_maximale)
    throw std::invalid_argument("transmit frequency must lie between 26.0 and 5487.0 Hz");
  Frequence_emission = frequence;
  Phase_porteuse = 0;
  FiltrePasseBande& f = *filtre_;
  f.L = Longueur_filtre_emission;
  f.Effacement_historique();
  const int32_t F = Frequence_emission / 10;
  f.f_lo = F - 25;
  f.f_hi = F + 25;
  f.Frequence_echantillonnage = Frequence_echantillonnage;
  f.Diviseur = FiltrePasseBande::Diviseur_emission;
  f.Calcul_filtre_passe_bande();
  Etat_phase = 0;
}

uint8_t Modulateur::Echantillon_module(int32_t signe) {
  Phase_porteuse += Frequence_emission * 36000 / Frequence_echantillonnage;
  if (Phase_porteuse > 360000) Phase_porteuse -= 360000;
  const int32_t x = (*table_cosinus_)[static_cast<std::size_t>(Phase_porteuse)] * signe;
  const int32_t y = filtre_->Filtre_passe_bande(x);
  const int32_t echantillon = (y * 1275 / 1000 + 1275) / 10;
  return static_cast<uint8_t>(std::clamp(echantillon, 0, 255));
}

void Modulateur::Emission_symbole(int32_t signe, uint16_t duree, Echantillons& sortie) {
  const auto nombre = static_cast<uint16_t>(static_cast<int32_t>(duree) * Frequence_echantillonnage / 10000);
  for (uint16_t n = 0; n < nombre; ++n) sortie.push_back(Echantillon_module(signe));
}

void Modulateur::Modulation_caractere(uint8_t c, Echantillons& sortie) {
  for (char bit : Code_caractere(c)) {
    if (bit == '1') Etat_phase = Etat_phase == 0 ? 180 : 0;
    Emission_symbole(Etat_phase == 0 ? 1 : -1, Duree_symbole, sortie);
  }
}

}  // namespace talven
