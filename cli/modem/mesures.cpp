#include "cli/modem/mesures.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace talven::modem {

namespace {
constexpr double Taux_carte = 11025.0;
constexpr double Efficace_maximale = 30.0;  // rms of signal plus noise, 8-bit steps
}  // namespace

std::vector<float> Ajout_bruit(std::span<const uint8_t> signal, double snr_db, uint32_t graine) {
  double puissance = 0.0;
  for (uint8_t e : signal) puissance += (e - 127.5) * (e - 127.5);
  if (!signal.empty()) puissance /= static_cast<double>(signal.size());
  const double variance_bruit =
      puissance / std::pow(10.0, snr_db / 10.0) * (Taux_carte / 2.0) / Bande_reference_hz;
  const double efficace = std::sqrt(puissance + variance_bruit);
  const double echelle = efficace > Efficace_maximale ? Efficace_maximale / efficace : 1.0;
  std::mt19937 moteur(graine);
  std::normal_distribution<double> loi(0.0, std::sqrt(variance_bruit) * echelle);
  std::vector<float> sortie(signal.size());
  for (size_t i = 0; i < signal.size(); ++i) {
    double x = (signal[i] - 127.5) * echelle + 0.5 + loi(moteur);
    sortie[i] = static_cast<float>(std::clamp(x / 127.0, -1.0, 1.0));
  }
  return sortie;
}

size_t Distance_edition(std::string_view a, std::string_view b) {
  // One row of the classic table at a time.
  std::vector<size_t> ligne(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) ligne[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonale = ligne[0];
    ligne[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t dessus = ligne[j];
      ligne[j] = std::min({dessus + 1, ligne[j - 1] + 1, diagonale + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonale = dessus;
    }
  }
  return ligne[b.size()];
}

double Taux_erreur_caracteres(std::string_view envoye, std::string_view recu) {
  size_t d = Distance_edition(envoye, recu);
  if (envoye.empty()) return static_cast<double>(d);
  return static_cast<double>(d) / static_cast<double>(envoye.size());
}

}  // namespace talven::modem
