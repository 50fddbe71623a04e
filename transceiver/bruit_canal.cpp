#include "transceiver/bruit_canal.h"

#include <cmath>
#include <stdexcept>

namespace talven {

namespace {

std::normal_distribution<double> Loi(double puissance, double snr_db, double frequence_hz, double& echelle) {
  if (!std::isfinite(puissance) || puissance <= 0.0)
    throw std::invalid_argument("signal power must be finite and positive");
  if (!std::isfinite(snr_db)) throw std::invalid_argument("S/N must be a finite number of decibels");
  if (!std::isfinite(frequence_hz) || frequence_hz <= 2.0 * BruitCanal::Bande_reference_hz)
    throw std::invalid_argument("sample rate must exceed twice the reference bandwidth");
  const double variance =
      puissance / std::pow(10.0, snr_db / 10.0) * (frequence_hz / 2.0) / BruitCanal::Bande_reference_hz;
  const double efficace = std::sqrt(puissance + variance);
  echelle = efficace > BruitCanal::Efficace_maximale ? BruitCanal::Efficace_maximale / efficace : 1.0;
  return std::normal_distribution<double>(0.0, std::sqrt(variance) * echelle);
}

}  // namespace

BruitCanal::BruitCanal(double puissance_signal, double snr_db, uint32_t graine, double frequence_hz)
    : moteur_(graine), loi_(Loi(puissance_signal, snr_db, frequence_hz, echelle_)) {}

}  // namespace talven
