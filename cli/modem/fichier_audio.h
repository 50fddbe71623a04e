// Sound files of talven-modem: what a file to decode holds, and the WAV
// files that `encode` writes.
//
// Responsibilities: check a file to decode before it is decoded (a regular
// file, a rate the receiver takes, every sample there and a number) and give
// its rate, channels and true length, or the reason it cannot be decoded;
// write the transmitter's 8-bit samples at 11025 Hz as WAV in 8-bit unsigned
// or 16-bit signed, at that rate or any other through a band-limited
// resampler.
// Collaborations: libsndfile and libsamplerate. Reading the samples
// themselves is the simulated sound card's work (`SonSimule::Source_fichier`).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace talven::modem {

// Rates of the files that decode reads and encode writes, Hz.
inline constexpr uint32_t Taux_fichier_min = 1000;
inline constexpr uint32_t Taux_fichier_max = 384000;

struct Description_fichier {
  int64_t trames = 0;  // frames (one sample per channel each) the file really holds, >= 1
  uint32_t taux = 0;   // Hz, Taux_fichier_min..Taux_fichier_max
  uint32_t voies = 0;  // channels, >= 1
};

// A sound file fit to decode, or nullopt with the reason in `erreur`: not a
// regular file (a directory, a device such as /dev/zero, a pipe: decode
// opens the file once per pass), not a format libsndfile reads, a rate
// outside Taux_fichier_min..Taux_fichier_max, a header announcing more
// frames than the file holds (a truncated file; a WAV data chunk longer
// than the file included), a sample that is NaN or infinite, a read error,
// or less than one symbol of signal (a tenth of a second). The samples are
// read through once, a block at a time: the time is that of the file's true
// length, whatever its header says, and the memory a block's.
std::optional<Description_fichier> Description(const std::string& chemin, std::string& erreur);

// Writes mono samples (unsigned 8-bit centred on 128, 11025 Hz) to a WAV
// file at `taux` Hz, 8-bit unsigned or 16-bit signed (`s16`). At 11025 Hz the
// samples are written unchanged (8-bit) or exactly scaled by 256 (16-bit);
// at any other rate they go through libsamplerate's best sinc converter.
// False with the reason in `erreur` when the file cannot be written.
bool Ecriture_wav(const std::string& chemin, std::span<const uint8_t> echantillons, uint32_t taux, bool s16,
                  std::string& erreur);

}  // namespace talven::modem
