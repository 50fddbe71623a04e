// Sound files of talven-modem: what a file to decode holds, and the WAV
// files that `encode` writes.
//
// Responsibilities: read a file's header (rate, channels, length) with the
// reason when it cannot be read; write the transmitter's 8-bit samples at
// 11025 Hz as WAV in 8-bit unsigned or 16-bit signed, at that rate or any
// other through a band-limited resampler.
// Collaborations: libsndfile and libsamplerate. Reading the samples
// themselves is the simulated sound card's work (`SonSimule::Source_fichier`).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace talven::modem {

struct Description_fichier {
  int64_t trames = 0;  // frames (one sample per channel each)
  uint32_t taux = 0;   // Hz, > 0
  uint32_t voies = 0;  // channels, >= 1
};

// The header of a sound file, or nullopt with the reason in `erreur`.
std::optional<Description_fichier> Description(const std::string& chemin, std::string& erreur);

// Writes mono samples (unsigned 8-bit centred on 128, 11025 Hz) to a WAV
// file at `taux` Hz, 8-bit unsigned or 16-bit signed (`s16`). At 11025 Hz the
// samples are written unchanged (8-bit) or exactly scaled by 256 (16-bit);
// at any other rate they go through libsamplerate's best sinc converter.
// False with the reason in `erreur` when the file cannot be written.
bool Ecriture_wav(const std::string& chemin, std::span<const uint8_t> echantillons, uint32_t taux, bool s16,
                  std::string& erreur);

}  // namespace talven::modem
