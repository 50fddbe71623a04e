// A TALVEN signal made independently of the transmitter, for tests that must
// not share the code they check: a plain floating-point carrier whose phase
// is reversed for every bit "1", with white Gaussian noise at a stated
// signal-to-noise ratio, quantised to the sound card's unsigned 8-bit
// samples.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace talven::test {

struct Parametres_synthese {
  double frequence_hz = 1000.0;              // carrier, Hz
  double amplitude = 60.0;                   // carrier peak, in 8-bit steps (0..127)
  double snr_db = 10.0;                      // signal power over noise power in 2500 Hz, dB
  double echantillons_par_symbole = 1102.5;  // 11025 Hz at 10 bauds
  double phase_initiale = 0.3;               // radians
  uint32_t graine = 1;                       // noise generator seed
  bool bruit = true;                         // false: clean carrier
};

// Samples at 11025 Hz for the bits given as '0'/'1' characters: one symbol
// per bit, the phase reversed at the start of each symbol whose bit is '1'.
// Samples are clamped to 1..255.
std::vector<uint8_t> Synthese_talven(std::string_view bits, const Parametres_synthese& p);

}  // namespace talven::test
