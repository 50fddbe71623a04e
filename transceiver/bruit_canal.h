// The noise of the radio channel: white Gaussian noise at a signal-to-noise
// ratio stated in a 2500 Hz bandwidth, added to the sound card's 8-bit
// samples.
//
// Responsibilities: work out the noise level from the signal's power, the
// S/N and the sample rate (the noise fills the whole band from 0 Hz to half
// the rate, so its total power is (rate / 2) / 2500 times its power in
// 2500 Hz); scale signal and noise down together when their sum would exceed
// an rms of 30 steps, as a receiver's gain would, so that peaks of four
// standard deviations still fit the 8 bits (S/N kept, clipping avoided);
// draw the noise, one sample at a time, from a seeded generator.
// Collaborations: none. The simulated distant station adds it to its signal
// as it streams; a caller holding a whole signal measures its power and adds
// the same noise sample by sample.
#pragma once

#include <cstdint>
#include <random>

namespace talven {

class BruitCanal {
 public:
  // Bandwidth in which S/N figures are stated, Hz.
  static constexpr double Bande_reference_hz = 2500.0;
  // Largest rms of signal plus noise, 8-bit steps.
  static constexpr double Efficace_maximale = 30.0;

  // puissance_signal : mean power of the signal around its centre, squared
  //                    8-bit steps, finite, > 0 (the transmitter's
  //                    modulated carrier: about 1450)
  // snr_db           : signal power over noise power in 2500 Hz, dB, finite
  // graine           : seed of the noise generator (mt19937)
  // frequence_hz     : sample rate, Hz, finite, > 2 x 2500 (11025)
  // Throws std::invalid_argument otherwise.
  BruitCanal(double puissance_signal, double snr_db, uint32_t graine, double frequence_hz = 11025.0);

  // Factor, 0..1, by which the signal (around its centre) is multiplied.
  double Echelle() const { return echelle_; }
  // Standard deviation of the noise drawn, 8-bit steps, scaling included.
  double Ecart_type() const { return loi_.stddev(); }
  // The next noise sample, 8-bit steps, scaling included; to be added to the
  // scaled signal.
  double Tirage() { return loi_(moteur_); }

 private:
  double echelle_ = 1.0;
  std::mt19937 moteur_;
  std::normal_distribution<double> loi_;
};

}  // namespace talven
