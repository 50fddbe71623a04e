// A simulated sound card, for running the program without a radio and for
// tests.
//
// Responsibilities: model one input and one output device whose counts,
// format bits and "busy" state are settable; deliver input from a generator
// (tone, Gaussian noise, or any callable, such as a simulated TALVEN
// station, optionally mixed with the card's own output), from a sound file or
// stream of any rate and channel count (mixed to mono and resampled to the
// open rate), from the card's own output (loopback) or silence; send output
// to a WAV file, to the loopback, to memory, to a callable or nowhere;
// complete buffers paced in real time by a thread of its own (steady clock),
// or one at a time when the caller says so (`Completer_entree`,
// `Completer_sortie`), writing the wake-up descriptor on every completion;
// inject a failure code into any operation and unplug a direction
// mid-stream.
// Collaborations: implements `Peripherique_son` for `FonctionsWave`; reads
// and writes files through libsndfile, resamples through libsamplerate.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "audio/liste_peripheriques_son.h"
#include "audio/peripherique_son.h"

struct sf_private_tag;
struct SRC_STATE_tag;

namespace talven {

class SonSimule final : public Peripherique_son, public Liste_peripheriques_son {
 public:
  enum class Rythme {
    Pas_a_pas,  // a buffer completes only through Completer_entree / Completer_sortie
    Temps_reel  // a thread completes each buffer when its duration has elapsed
  };
  enum class Operation { Capacites, Ouvrir, Preparer, Depreparer, Ajouter, Demarrer, Reinitialiser, Fermer };
  // Fills `echantillons` with the next samples, reals in -1..+1, at
  // `frequence_hz` samples per second. Called from the completing thread:
  // the card's own thread in real-time rhythm, the caller's in stepped rhythm.
  using Generateur = std::function<void(std::span<float> echantillons, uint32_t frequence_hz)>;
  // Takes the bytes of each played buffer, in the output's format, as they
  // are played; called from the completing thread, as a generator is.
  using Destinataire = std::function<void(std::span<const uint8_t> octets)>;

  explicit SonSimule(Rythme rythme = Rythme::Pas_a_pas);
  ~SonSimule() override;
  SonSimule(const SonSimule&) = delete;
  SonSimule& operator=(const SonSimule&) = delete;

  // The modelled card. Default: one device each way offering every format.
  void Definir_peripheriques(Sens sens, uint32_t nombre, uint32_t formats);
  // A busy direction fails to open with EBUSY (held by another program).
  void Definir_occupe(Sens sens, bool occupe);
  // The next call of `operation` on `sens` returns `code` (> 0) and does nothing.
  void Injecter_echec(Operation operation, Sens sens, uint32_t code);
  // The open device of `sens` is lost with `code` (ENODEV for an unplugged card).
  void Debrancher(Sens sens, uint32_t code);

  // The simulated devices: "default" (both directions) at first, chosen.
  // Adds a device, plugged in, or replaces the one of the same name.
  void Ajout_peripherique(const Peripherique_audio& peripherique);
  // Unplugs the device `nom`: it leaves the list and its opens fail with
  // Son_absent; when it is the chosen one, its open directions are lost
  // with Son_absent (as `Debrancher`). Plugging it in again puts it back:
  // the next open finds it.
  void Debranchement(const std::string& nom);
  void Branchement(const std::string& nom);
  // The names of the devices `Ouvrir` was called for, in order, whether it
  // succeeded or not.
  std::vector<std::string> Noms_ouverts();

  std::string Nom() const override;
  void Choix_nom(std::string nom) override;
  uint32_t Presence() override;
  // The devices plugged in, in the order they were added.
  std::vector<Peripherique_audio> Peripheriques() override;

  // Input sources; each replaces the previous one. Default: silence (128).
  void Source_silence();
  // `avec_boucle`: each input sample is the generator's plus the next sample
  // the card played to its loopback output (`Sortie_boucle`), both as reals
  // in -1..+1 and the sum clamped to -1..+1, the loopback counting 0 when
  // nothing is left to take: a distant station heard together with the
  // transmitter's own signal. An empty generator is silence (or the
  // loopback alone).
  void Source_generateur(Generateur generateur, bool avec_boucle = false);
  // The card's own output, in the order played (128 when nothing is left).
  void Source_boucle();
  // Opened now and read as the card records, a block at a time (a long file
  // never sits whole in memory); silence after its end. Every opening of the
  // input starts again from the file's beginning. `voie` 0 mixes every
  // channel to mono, n >= 1 takes channel n alone (1 = first, left). False
  // (source unchanged) when libsndfile cannot open it or it has fewer
  // channels. "-" is standard input.
  bool Source_fichier(const std::string& chemin, uint32_t voie = 0);
  // The same for a file or stream already opened for reading by libsndfile,
  // which the card takes over (closing it when it is replaced, on
  // destruction, or at once on a false return). A stream that cannot seek
  // (a pipe, a FIFO) is read once as it comes: an opening of the input goes
  // on from where the stream is instead of starting again. `trames` >= 0
  // ends the source after that many frames (a stream read raw, whose header
  // announced its length), even if more follow.
  bool Source_fichier_ouvert(sf_private_tag* fichier, uint32_t voie = 0, int64_t trames = -1);
  // Samples (at the open rate) that the source file gave since it last
  // started from its beginning, and whether it has ended: a buffer was
  // filled short of it, the rest with silence. Samples that are NaN or
  // infinite (a corrupt stream) are recorded as silence and counted.
  uint64_t Echantillons_fichier();
  bool Fin_fichier();
  uint64_t Echantillons_non_finis();
  // Sine of `frequence_hz`, peak `amplitude` (0..1).
  static Generateur Tonalite(double frequence_hz, double amplitude);
  // White Gaussian noise of standard deviation `ecart_type` (0..1), seeded.
  static Generateur Bruit_gaussien(double ecart_type, uint32_t graine);

  // Output sinks; each replaces the previous one. Default: discarded.
  void Sortie_aucune();
  void Sortie_boucle();
  // Everything played is kept in memory (tests), see `Octets_joues`.
  void Sortie_memoire();
  // A WAV file at the open format, written from `Ouvrir` to `Fermer`.
  void Sortie_fichier_wav(const std::string& chemin);
  // Each played buffer handed to `destinataire` and kept nowhere: a long
  // transmission never sits whole in memory.
  void Sortie_destinataire(Destinataire destinataire);
  std::vector<uint8_t> Octets_joues();

  // Stepped rhythm: completes the oldest queued buffer of the direction (an
  // input must be started). False when there is none.
  bool Completer_entree();
  bool Completer_sortie();

  uint32_t Nombre_peripheriques(Sens sens) override;
  uint32_t Capacites(Sens sens, uint32_t& formats) override;
  uint32_t Ouvrir(Sens sens, const Format_son& format) override;
  uint32_t Preparer(Sens sens, Entete_tampon& entete) override;
  uint32_t Depreparer(Sens sens, Entete_tampon& entete) override;
  uint32_t Ajouter(Sens sens, Entete_tampon& entete) override;
  uint32_t Demarrer(Sens sens) override;
  uint32_t Reinitialiser(Sens sens) override;
  uint32_t Fermer(Sens sens) override;
  uint32_t Perte(Sens sens) override;
  void Reveil(int descripteur) override;

 private:
  enum class Source { Silence, Generateur, Boucle, Fichier };
  enum class Destination { Aucune, Boucle, Memoire, Fichier, Destinataire };
  struct Voie {
    explicit Voie(Sens s) : file(s) {}
    File_tampons file;
    uint32_t nombre = 1;
    uint32_t formats = 0xFFF;
    bool occupe = false;
    bool ouvert = false;
    bool demarre = false;
    Format_son format;
    std::chrono::steady_clock::time_point echeance{};  // real-time completion of the head
    bool echeance_fixee = false;
  };

  Voie& V(Sens sens) { return sens == Sens::Entree ? entree_ : sortie_; }
  // With verrou_ held: the chosen device is plugged in and has `sens`.
  bool Present(Sens sens) const;
  uint32_t Echec(Operation operation, Sens sens);
  bool Completer(Sens sens);  // with verrou_ held
  void Remplir_entree(uint8_t* donnees, uint32_t octets);
  void Jouer(const uint8_t* donnees, uint32_t octets);
  void Fermer_wav();
  void Cadence();
  // The source file from its beginning, resampled to `frequence_hz`.
  void Rembobiner_fichier(uint32_t frequence_hz);
  // The next mono samples of the source file at the open rate; 0 after its end.
  void Lire_fichier(std::span<float> echantillons);
  // Reads the next block of the file into `bloc_`; false at its end.
  bool Charger_bloc();
  // The next played sample of the loopback as a real in -1..+1, read in the
  // output's format (first channel); 0 when nothing is left.
  float Echantillon_boucle();
  void Fermer_fichier();

  Rythme rythme_;
  std::mutex verrou_;
  std::condition_variable reveil_;
  bool fin_ = false;
  Voie entree_{Sens::Entree};
  Voie sortie_{Sens::Sortie};
  std::map<std::pair<Operation, Sens>, uint32_t> echecs_;
  struct Simule {
    Peripherique_audio peripherique;
    bool branche = true;
  };
  std::vector<Simule> peripheriques_{{{Peripherique_audio::Genre::Defaut, "default", {}, true, true}, true}};
  std::string nom_ = "default";
  std::vector<std::string> noms_ouverts_;

  Source source_ = Source::Silence;
  Generateur generateur_;
  bool generateur_avec_boucle_ = false;     // the loopback mixed into the generator's samples
  sf_private_tag* fichier_ = nullptr;       // the source file, open for reading
  uint32_t frequence_fichier_ = 0;          // Hz
  uint32_t voies_fichier_ = 0;              // channels of the file
  uint32_t voie_fichier_ = 0;               // 0: every channel mixed, n: channel n
  bool fichier_rembobinable_ = true;        // false for a stream, read once
  int64_t trames_source_ = -1;              // frames the source gives from its beginning, -1 to its end
  int64_t trames_restantes_ = -1;           // of those, still to give
  uint64_t echantillons_fichier_ = 0;       // given since the beginning, at the open rate
  bool fin_fichier_ = false;                // a buffer was filled short of the file
  uint64_t non_finis_ = 0;                  // NaN or infinite samples read as silence
  SRC_STATE_tag* convertisseur_ = nullptr;  // file rate to open rate; nullptr when equal
  double rapport_ = 1.0;                    // open rate / file rate
  std::vector<float> entrelace_;            // one block as read, interleaved
  std::vector<float> bloc_;                 // the same block in mono
  size_t position_bloc_ = 0;                // next sample of bloc_ to deliver
  bool fin_lecture_ = false;                // the file has no more blocks
  bool fin_conversion_ = false;             // and the resampler is drained
  std::deque<uint8_t> boucle_;
  std::vector<float> travail_;

  Destination destination_ = Destination::Aucune;
  std::string chemin_wav_;
  sf_private_tag* wav_ = nullptr;
  std::vector<uint8_t> joues_;
  Destinataire destinataire_;

  std::thread cadence_;
};

}  // namespace talven
