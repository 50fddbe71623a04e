// Sound devices as the wave unit sees them: a back-end interface that opens
// one input and one output PCM stream, queues caller-owned buffers on them and
// reports every failure by a numeric result code, plus the buffer header that
// callers poll and the bookkeeping of queued buffers shared by the back-ends.
//
// Responsibilities: define the header (done and prepared bits, recorded
// bytes) and the PCM format record; define what a back-end must do per
// direction (capabilities, open, prepare, queue, start, reset, unprepare,
// close); keep the queue of a direction in `File_tampons`, including the state
// of a device that was lost mid-stream; signal every completed buffer on a
// wake-up descriptor, so that a real-time loop may sleep until the card has
// something new instead of polling.
// Collaborations: `FonctionsWave` calls a `Peripherique_son` and owns the
// wake-up descriptor; `SonAlsa` and `SonSimule` implement it and complete
// buffers from a thread of their own (or, for the simulated card, when a test
// says so).
//
// Result codes are 0 for success, otherwise a positive errno value: the
// back-end's own ALSA error (ENODEV for an unplugged card, EBUSY for a device
// held by another program, ...) or one of the bookkeeping errors below.
#pragma once

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

namespace talven {

// Direction of a stream.
enum class Sens { Entree, Sortie };

// Bookkeeping result codes shared by the back-ends.
inline constexpr uint32_t Son_ok = 0;
inline constexpr uint32_t Son_non_ouvert = EBADF;        // the direction is not open
inline constexpr uint32_t Son_deja_ouvert = EALREADY;    // open twice without a close
inline constexpr uint32_t Son_tampon_invalide = EINVAL;  // null area, zero length, not prepared
inline constexpr uint32_t Son_tampon_en_file = EBUSY;    // header still queued to the device
inline constexpr uint32_t Son_format_refuse = EINVAL;    // rate, width or channels not accepted
// The chosen device is not there: unplugged, or no card has its id.
inline constexpr uint32_t Son_absent = ENODEV;

// Bits of `Entete_tampon::Drapeaux`.
inline constexpr uint32_t Drapeau_termine = 1;   // the device has finished with the buffer
inline constexpr uint32_t Drapeau_prepare = 2;   // prepared, may be queued
inline constexpr uint32_t Drapeau_en_file = 16;  // queued to the device, not finished yet

// Header of one buffer. The caller owns it and the sample area; while the
// buffer is queued (`Drapeau_en_file`) the device thread writes the area (input)
// or reads it (output) and finally stores `Octets_enregistres` then sets
// `Drapeau_termine` (release order), so a poller that sees the done bit also
// sees the samples and the count.
struct Entete_tampon {
  uint8_t* Donnees = nullptr;                   // sample area, `Longueur_tampon` bytes
  uint32_t Longueur_tampon = 0;                 // bytes, > 0 for a usable buffer
  std::atomic<uint32_t> Octets_enregistres{0};  // input: bytes recorded, 0..Longueur_tampon
  uintptr_t Donnees_utilisateur = 0;            // free for the caller, 0 after allocation
  std::atomic<uint32_t> Drapeaux{0};            // Drapeau_termine | Drapeau_prepare | Drapeau_en_file
  uint32_t Nombre_boucles = 1;                  // 1 after allocation, not used
  // 0, or the result code of the device loss that ended this buffer early: an
  // input buffer then holds silence (128) after the last real sample.
  std::atomic<uint32_t> Erreur{0};

  // Finished in the callers' sense: done and prepared bits both set.
  bool Termine() const { return (Drapeaux.load(std::memory_order_acquire) & 3u) == 3u; }
};

// PCM wave format record (the 18-byte layout, the extra-size field unused).
struct Format_son {
  uint16_t Format = 0;                    // 1 = PCM
  uint16_t Voies = 0;                     // channels, 1 or 2
  uint32_t Echantillons_par_seconde = 0;  // Hz
  uint32_t Octets_par_seconde = 0;        // Voies x rate x bits / 8
  uint16_t Alignement_bloc = 0;           // bytes per frame, Voies x bits / 8
  uint16_t Bits_par_echantillon = 0;      // 8 (unsigned) or 16 (signed little-endian)
  uint16_t Taille_extra = 0;              // not used for PCM
};

// Format bits of the capabilities (rate in kHz, M/S mono/stereo, 08/16 bits).
inline constexpr uint32_t Format_1M08 = 0x00000001;  // 11025 Hz, mono, 8 bits
inline constexpr uint32_t Format_1S08 = 0x00000002;
inline constexpr uint32_t Format_1M16 = 0x00000004;
inline constexpr uint32_t Format_1S16 = 0x00000008;
inline constexpr uint32_t Format_2M08 = 0x00000010;  // 22050 Hz
inline constexpr uint32_t Format_2S08 = 0x00000020;
inline constexpr uint32_t Format_2M16 = 0x00000040;
inline constexpr uint32_t Format_2S16 = 0x00000080;
inline constexpr uint32_t Format_4M08 = 0x00000100;  // 44100 Hz
inline constexpr uint32_t Format_4S08 = 0x00000200;
inline constexpr uint32_t Format_4M16 = 0x00000400;
inline constexpr uint32_t Format_4S16 = 0x00000800;

// The format bit of a rate, channel count and width, 0 when none matches.
uint32_t Bit_format(uint32_t frequence_hz, uint32_t voies, uint32_t bits);

// A sound device, one stream per direction. Every operation returns Son_ok or
// a positive result code; none throws. All operations are called from one
// thread (the user-interface thread); buffers complete from the back-end's side.
class Peripherique_son {
 public:
  virtual ~Peripherique_son() = default;

  // The device this back-end opens: an ALSA PCM name such as "default" or
  // "plughw:CARD=RADIO,DEV=0", or a simulated device's name. Only that one:
  // when it is missing, the opens fail with Son_absent and nothing else is
  // opened in its place.
  virtual std::string Nom() const = 0;
  // The device the next `Ouvrir` of each direction opens; a direction open
  // now keeps its device until it is closed.
  virtual void Choix_nom(std::string nom) = 0;
  // Son_ok when the device is there now (it may still be busy or refuse the
  // format), Son_absent when it is not. Opens nothing but that device, and
  // closes it again.
  virtual uint32_t Presence() = 0;

  // Number of devices of the direction (0 = none usable). Device 0 is the
  // one that `Ouvrir` opens.
  virtual uint32_t Nombre_peripheriques(Sens sens) = 0;
  // Format bits (Format_1M08, ...) that device 0 accepts in the direction;
  // `formats` is left unchanged on failure.
  virtual uint32_t Capacites(Sens sens, uint32_t& formats) = 0;
  // Opens device 0 with the format; an output starts playing its first queued
  // buffer at once, an input records only after `Demarrer`.
  virtual uint32_t Ouvrir(Sens sens, const Format_son& format) = 0;
  virtual uint32_t Preparer(Sens sens, Entete_tampon& entete) = 0;
  virtual uint32_t Depreparer(Sens sens, Entete_tampon& entete) = 0;
  // Queues a prepared buffer: to be filled (input) or played (output).
  virtual uint32_t Ajouter(Sens sens, Entete_tampon& entete) = 0;
  virtual uint32_t Demarrer(Sens sens) = 0;
  // Stops the stream and marks every queued buffer done (an input buffer
  // keeps the bytes recorded so far). An input must be started again.
  virtual uint32_t Reinitialiser(Sens sens) = 0;
  // Closes the direction; queued buffers are handed back done first, so no
  // device thread touches a caller's buffer after this returns.
  virtual uint32_t Fermer(Sens sens) = 0;
  // Result code of the loss of the open device of the direction (unplugged
  // card), 0 while it works or when nothing is open.
  virtual uint32_t Perte(Sens sens) = 0;
  // Wake-up descriptor, an eventfd the caller owns, or -1 for none (the
  // initial state): every buffer of either direction that completes adds 1 to
  // it, after its done bit is set. Once this returns, no device thread writes
  // to the descriptor it replaces, so the caller may close that one. The
  // default ignores it, for a back-end that never completes buffers by itself.
  virtual void Reveil(int descripteur) { static_cast<void>(descripteur); }
};

// Queue of the buffers of one direction, shared by the back-ends. Thread-safe:
// the caller's thread queues, the device thread fills and completes.
//
// When the device is lost, `Perdre` records the code; later `Ajouter` calls
// still queue the buffer but return the code, and the device side completes
// every queued buffer at the stream's pace with `Erreur` set (input: the rest
// filled with silence, recorded bytes = length), so a caller polling the done
// bit or the recorded bytes never waits forever.
//
// Every completion (full, lost or reset) then writes 1 to the wake-up
// descriptor, if one is set: a plain 8-byte write(), errors ignored, safe from
// the device thread.
class File_tampons {
 public:
  explicit File_tampons(Sens sens) : sens_(sens) {}
  File_tampons(const File_tampons&) = delete;
  File_tampons& operator=(const File_tampons&) = delete;

  static uint32_t Preparer(Entete_tampon& entete);
  static uint32_t Depreparer(Entete_tampon& entete);
  uint32_t Ajouter(Entete_tampon& entete);

  // The oldest queued buffer and the bytes already transferred into or out of
  // it, or nullptr. Only the device side calls these and `Avancer`.
  Entete_tampon* Tete(uint32_t& position);
  // The queued buffer of rank `rang` (0 = head), or nullptr.
  Entete_tampon* Rang(size_t rang);
  // `octets` more bytes transferred for the head; completes it when full.
  void Avancer(uint32_t octets);
  // Completes the head with the loss code (see above). False when empty.
  bool Terminer_tete_en_perte();
  // Completes every queued buffer as they stand (reset).
  void Vider();

  bool Vide();
  void Perdre(uint32_t code);
  uint32_t Perte() const { return perte_.load(std::memory_order_acquire); }
  void Reprendre() { perte_.store(0, std::memory_order_release); }
  // The eventfd to write on each completion, -1 for none. Returns once no
  // completion is writing to the previous one.
  void Reveil(int descripteur);

 private:
  void Terminer(Entete_tampon& e, uint32_t octets, uint32_t erreur);

  Sens sens_;
  std::mutex verrou_;
  std::deque<Entete_tampon*> file_;
  uint32_t position_ = 0;  // bytes transferred in the head
  std::atomic<uint32_t> perte_{0};
  int reveil_ = -1;  // wake-up descriptor, under verrou_ like every completion
};

}  // namespace talven
