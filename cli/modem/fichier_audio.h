// Sound files of talven-modem: what a file to decode holds, the streams it
// decodes as they come, and the WAV files that `encode` writes.
//
// Responsibilities: check a file to decode before it is decoded (a regular
// file, a rate the receiver takes, every sample there and a number) and give
// its rate, channels and true length, or the reason it cannot be decoded;
// open a stream to decode (standard input, a named pipe) and check what its
// header says; write the transmitter's 8-bit samples at 11025 Hz as WAV in
// 8-bit unsigned or 16-bit signed, at that rate or any other through a
// band-limited resampler, buffer by buffer, to a file or a stream.
// Collaborations: libsndfile and libsamplerate; a stream's WAV or AU header
// is read by `Lecture_entete_flux_son`. Reading the samples
// themselves is the simulated sound card's work (`SonSimule::Source_fichier`,
// `SonSimule::Source_fichier_ouvert`).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct sf_private_tag;
struct SRC_STATE_tag;

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
// regular file (a directory, a device such as /dev/zero, a socket; a named
// pipe is a stream, see `Entree_en_flux`), not a format libsndfile reads, a rate
// outside Taux_fichier_min..Taux_fichier_max, a header announcing more
// frames than the file holds (a truncated file; a WAV data chunk longer
// than the file included), a sample that is NaN or infinite, a read error,
// or less than one symbol of signal (a tenth of a second). The samples are
// read through once, a block at a time: the time is that of the file's true
// length, whatever its header says, and the memory a block's.
std::optional<Description_fichier> Description(const std::string& chemin, std::string& erreur);

// True when decode takes `chemin` as a live stream, read once as it comes
// rather than checked through first: "-" (standard input, whatever it is) or
// a named pipe (FIFO).
bool Entree_en_flux(const std::string& chemin);

// Opens the stream `chemin` ("-": standard input; a FIFO waits for its
// writer) for decoding its channel `voie` (1 = first), or nullptr with the
// reason in `erreur`: standard input a terminal, a stream that does not
// start with a WAV, AU or Ogg header (AIFF and FLAC too on standard input
// redirected from a file), a header that cannot be read, a rate outside
// Taux_fichier_min..Taux_fichier_max, no channel `voie`. On a pipe or a
// FIFO a WAV or AU header is read here (`Lecture_entete_flux_son`) and
// libsndfile reads the samples raw; `trames` gets the frames that header
// announces, -1 for all the stream has (any other stream). The caller owns
// the handle (`sf_close`), or hands it to the simulated card with `trames`;
// `descripteur` gets the descriptor it reads, which stays open as long as
// the handle.
sf_private_tag* Ouverture_flux(const std::string& chemin, uint32_t voie, int& descripteur, int64_t& trames,
                               std::string& erreur);

// Mono samples (unsigned 8-bit centred on 128, 11025 Hz) written to a WAV
// file at `taux` Hz, 8-bit unsigned or 16-bit signed, as they come: the
// memory is a buffer's whatever the length. At 11025 Hz the samples are
// written unchanged (8-bit) or exactly scaled by 256 (16-bit); at any other
// rate they go through libsamplerate's best sinc converter, run as a
// stream, and libsndfile's clipping conversion. A seekable output (a file,
// or standard output "-" redirected to one) is a WAV file that libsndfile
// completes when it is closed. A stream (a named pipe, or standard output
// on a pipe) cannot take a header written last: it gets one announcing
// 0xFFFFFFFF bytes in the RIFF and data chunks, the mark of a WAV of unknown
// length that libsndfile and decode read to the stream's end, then the same
// samples, written by libsndfile as raw little-endian PCM. Standard output
// on a terminal is refused.
class EcritureWav {
 public:
  EcritureWav() = default;
  // Closes what is still open, unfinished.
  ~EcritureWav();
  EcritureWav(const EcritureWav&) = delete;
  EcritureWav& operator=(const EcritureWav&) = delete;

  // False with the reason in `erreur` when the output cannot be opened.
  bool Ouverture(const std::string& chemin, uint32_t taux, bool s16, std::string& erreur);
  // The next samples; false once a write failed (every later call too).
  bool Ecriture(std::span<const uint8_t> echantillons);
  // Drains the resampler and closes the output; false with the reason of
  // the first failure in `erreur`.
  bool Fermeture(std::string& erreur);
  // Samples taken so far, at 11025 Hz.
  uint64_t Echantillons() const { return echantillons_; }

 private:
  bool Conversion(const float* donnees, size_t nombre);
  void Echec(std::string raison);

  sf_private_tag* fichier_ = nullptr;
  int descripteur_ = -1;               // a named pipe opened here
  bool descripteur_a_fermer_ = false;  // closed after libsndfile is done with it
  SRC_STATE_tag* convertisseur_ = nullptr;
  double rapport_ = 1.0;
  bool s16_ = false;
  std::vector<float> reels_;      // input of the resampler
  std::vector<float> convertis_;  // its output
  std::vector<short> entiers_;    // 16-bit samples at 11025 Hz
  std::string erreur_;            // the first failure, empty while none
  uint64_t echantillons_ = 0;
};

}  // namespace talven::modem
