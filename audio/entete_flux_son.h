// The header of a sound stream (a pipe, a FIFO) read as it comes: WAV in
// its three forms (RIFF little-endian, RIFX big-endian, RF64 for lengths
// past 4 GB) and Sun AU, the formats recording programs write on a pipe.
//
// Responsibilities: read the header from the stream, exactly up to its first
// sample, without seeking and within a bounded number of bytes; give the
// sample format as libsndfile's raw format (subtype and byte order), the
// rate, the channel count and the frames announced, or the reason it cannot
// be read. Only what a stream can carry unchanged is taken: integer PCM of
// 8 to 32 bits, float of 32 or 64 bits, A-law and mu-law.
// Collaborations: none; the caller reads the samples (libsndfile on the
// same descriptor, raw).
//
// Why not libsndfile's own header reading: on a pipe it reads some
// malformed headers without bound (a WAV chunk announcing 4 GB kept it
// reading and allocating), where the same bytes in a file are refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace talven {

// Bytes a header may take before its first sample: chunks of metadata
// before the samples beyond this are taken for a corrupt header, rather than
// read through for ever on a live stream.
inline constexpr uint32_t Entete_flux_max = 1u << 20;
// Channels a stream may have (libsndfile's own limit).
inline constexpr uint32_t Voies_flux_max = 1024;

struct Format_flux_son {
  int format = 0;              // SF_FORMAT_RAW | subtype | SF_ENDIAN_LITTLE or SF_ENDIAN_BIG
  uint32_t taux = 0;           // Hz, >= 1 (its range is the caller's to check)
  uint32_t voies = 0;          // 1..Voies_flux_max
  uint32_t octets_trame = 0;   // bytes of one frame
  int64_t trames = -1;         // announced by the header; -1: to the stream's end
  uint32_t octets_entete = 0;  // bytes read, up to the first sample
};

// Reads up to `taille` bytes into `octets`; fewer only at the stream's end
// or on an error.
using Lecture_octets = std::function<size_t(uint8_t* octets, size_t taille)>;

// The header read through `lire`, or nullopt with the reason in `erreur`:
// not one of these formats, a header that ends early, a chunk before the
// samples too long for a header, no "fmt " chunk before "data", a sample
// format a stream cannot carry (compressed WAV, 12-bit PCM...), a block size
// that does not match the channels, no rate or channel, too many channels.
// A length of 0 or 0xFFFFFFFF (0 or all ones in RF64's ds64, 0xFFFFFFFF in
// AU), the marks of a length unknown while writing, reads to the stream's end.
std::optional<Format_flux_son> Lecture_entete_flux_son(const Lecture_octets& lire, std::string& erreur);

}  // namespace talven
