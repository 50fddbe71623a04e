#include "tests/support/synthese_talven.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace talven::test {

std::vector<uint8_t> Synthese_talven(std::string_view bits, const Parametres_synthese& p) {
  constexpr double fs = 11025.0;
  // Noise of variance s2 spread over 0..fs/2 puts s2 * 2500 / (fs / 2) in a
  // 2500 Hz band; the carrier's power is amplitude^2 / 2.
  const double puissance_signal = p.amplitude * p.amplitude / 2.0;
  const double puissance_bruit_2500 = puissance_signal / std::pow(10.0, p.snr_db / 10.0);
  const double sigma = std::sqrt(puissance_bruit_2500 * (fs / 2.0) / 2500.0);
  std::mt19937 generateur(p.graine);
  std::normal_distribution<double> gauss(0.0, sigma);

  const auto total = static_cast<std::size_t>(std::ceil(bits.size() * p.echantillons_par_symbole));
  std::vector<uint8_t> sortie;
  sortie.reserve(total);
  double signe = 1.0;
  std::size_t symbole_courant = static_cast<std::size_t>(-1);
  for (std::size_t n = 0; n < total; ++n) {
    const auto symbole = static_cast<std::size_t>(n / p.echantillons_par_symbole);
    if (symbole >= bits.size()) break;
    if (symbole != symbole_courant) {
      symbole_courant = symbole;
      if (bits[symbole] == '1') signe = -signe;
    }
    double x =
        signe * p.amplitude * std::cos(2.0 * std::numbers::pi * p.frequence_hz * n / fs + p.phase_initiale);
    if (p.bruit) x += gauss(generateur);
    const double octet = std::clamp(std::round(127.5 + x), 1.0, 255.0);
    sortie.push_back(static_cast<uint8_t>(octet));
  }
  return sortie;
}

}  // namespace talven::test
