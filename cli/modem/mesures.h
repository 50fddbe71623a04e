// Measurements of talven-modem's loopback: the noisy channel and the
// character error rate.
//
// Responsibilities: add white Gaussian noise to the transmitter's samples at
// a signal-to-noise ratio stated in a 2500 Hz bandwidth, scaled so that the
// 8-bit input of the card holds the sum; count the characters received wrong
// as an edit distance.
// Collaborations: none.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace talven::modem {

// Bandwidth in which S/N figures are stated, Hz.
inline constexpr double Bande_reference_hz = 2500.0;

// The samples (unsigned 8-bit centred on 127.5, 11025 Hz) plus white Gaussian
// noise, as reals in -1..+1 for the card's input (x = (sample - 128) / 127,
// so that a sample comes back unchanged without noise). The noise power in
// 2500 Hz is the signal's power (around 127.5) divided by 10^(snr_db / 10);
// since the noise fills the whole 5512.5 Hz of the card, its total power is
// 5512.5 / 2500 times that. When signal plus noise would exceed an rms of
// 30 steps, both are scaled down together to that rms, as a receiver's gain
// would set them, so that peaks of four standard deviations still fit the 8
// bits: S/N is kept, clipping is avoided. `graine` seeds the generator.
std::vector<float> Ajout_bruit(std::span<const uint8_t> signal, double snr_db, uint32_t graine);

// Least number of insertions, deletions and substitutions turning `envoye`
// into `recu`.
size_t Distance_edition(std::string_view envoye, std::string_view recu);

// Distance_edition / length of `envoye`; 0 for two empty texts, 1 per
// received character when nothing was sent.
double Taux_erreur_caracteres(std::string_view envoye, std::string_view recu);

}  // namespace talven::modem
