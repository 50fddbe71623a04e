// A distant TALVEN station, simulated: the audio a receiver would hear from
// it, as the input of the simulated sound card, for tests, screenshots and
// running the program without a radio.
//
// Responsibilities: send a text the way the transmitter does (one third of
// a second of carrier, a reversal, another third of a second, idle marks,
// the text through the keyboard's translation), then repeat it after a few
// idle marks, fall silent, or go on with idle marks; add the channel's white
// Gaussian noise at an S/N in 2500 Hz; stream it, producing each
// character's samples only when they are asked for, so that a text of any
// length and a run of hours take the memory of one character; deliver reals
// in -1..+1 at the card's rate, as a `SonSimule::Generateur`.
// Collaborations: modulates with its own `Modulateur` and `FiltrePasseBande`
// (the transmitter's exact samples), translates with
// `SaisieEmission::Traduction_caractere`, draws the noise from `BruitCanal`.
//
// Levels: without noise, sample s of the transmitter (0..255) is delivered as
// (s - 128) / 127, which the card's 128 + 127 x turns back into s exactly.
// With noise, signal and noise are scaled together as `BruitCanal` says (an
// rms of 30 steps at most).
//
// Rates: the station's signal is made at 11025 Hz, the rate the transceiver
// always opens. At another rate the signal is resampled crudely, by linear
// interpolation between its samples (no filter: fine for upsampling and for
// rates down to about 5 kHz, the signal lying below 2.25 kHz); the noise is
// drawn at the card's rate, against the signal's power as interpolated, so
// the S/N in 2500 Hz holds at any rate. A new rate starts the noise again
// from its seed. A rate of 5000 Hz or less,
// which cannot hold the 2500 Hz of the S/N, gives silence.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "audio/son_simule.h"
#include "common/texte.h"
#include "transceiver/bruit_canal.h"
#include "transceiver/filtre_passe_bande.h"
#include "transceiver/modulateur.h"

namespace talven {

class StationDistante {
 public:
  // What the station does once the text is sent.
  enum class Apres_texte {
    Repetition,  // `Marques_entre_textes` idle marks, then the text again, forever
    Silence,     // `Marques_entre_textes` idle marks, then no carrier (the noise goes on)
    Repos        // idle marks forever
  };

  static constexpr uint32_t Frequence_station = 11025;       // Hz, rate of the signal as made
  static constexpr int32_t Echantillons_ouverture = 3675;    // each half of the opening carrier
  static constexpr int32_t Marques_entre_textes = 5;         // idle marks after each pass of the text
  static constexpr int32_t Marques_avant_texte_max = 36000;  // three hours of idle marks
  // Samples of the longest character (10 symbols), the most the station
  // ever holds ahead.
  static constexpr size_t Echantillons_max = 10 * 1102;

  struct Parametres {
    // Windows-1252 text, translated as the keyboard does (lower case to
    // capitals, accented letters folded); characters the mode cannot send
    // (line feeds, ';', ...) are left out.
    Texte Texte_a_envoyer;
    // Carrier, tenths of a hertz, 2000..22000.
    int32_t Frequence = 10000;
    // S/N in 2500 Hz, dB, finite; none for a signal without noise.
    std::optional<double> Snr_db;
    // Seed of the noise.
    uint32_t Graine = 1;
    Apres_texte Apres = Apres_texte::Repetition;
    // Idle marks between the opening carrier and the first pass of the text,
    // 0..`Marques_avant_texte_max` (3 symbols, 0.3 s each); the receiver needs
    // a few to lock on.
    int32_t Marques_avant_texte = 15;
  };

  // Throws std::invalid_argument for a parameter out of its range.
  explicit StationDistante(const Parametres& parametres);
  // The modulator is wired to the filter next to it.
  StationDistante(const StationDistante&) = delete;
  StationDistante& operator=(const StationDistante&) = delete;

  // Fills `echantillons` with the next samples, reals in -1..+1, at
  // `frequence_hz` samples per second (11025, see above for other rates).
  // Allocates nothing once the station is built; throws nothing.
  void Production(std::span<float> echantillons, uint32_t frequence_hz);

  // A generator for `SonSimule::Source_generateur` that owns a station built
  // from `parametres` (copies of the generator share that one station).
  // Throws std::invalid_argument as the constructor does.
  static SonSimule::Generateur Generateur(const Parametres& parametres);

  // Passes of the text modulated to the end so far.
  uint64_t Textes_envoyes() const { return textes_envoyes_; }
  // Bytes reserved for the samples made ahead; stays at
  // `Echantillons_max` however long the text and the run.
  size_t Capacite_tampon() const { return en_attente_.capacity(); }
  // Mean power of the modulated carrier around 127.5, squared 8-bit steps,
  // measured on idle marks when the station is built: the signal power of the S/N.
  double Puissance_signal() const { return puissance_signal_; }

 private:
  enum class Etape { Ouverture_moins, Ouverture_plus, Marques_debut, Texte, Marques_fin, Repos, Silence };

  // The next sample of the transmitter around 128 (s - 128), 0 when silent.
  double Echantillon_emis();
  // Makes the next piece of the transmission into `en_attente_`.
  void Preparation_suite();

  Texte texte_;  // translated, every character with a code
  Apres_texte apres_;
  std::optional<double> snr_db_;
  uint32_t graine_;
  int32_t frequence_;  // carrier, tenths of a hertz
  double puissance_signal_ = 0.0;

  FiltrePasseBande filtre_;
  Modulateur modulateur_{filtre_};
  Echantillons en_attente_;
  size_t lecture_ = 0;  // next sample of en_attente_ to deliver
  Etape etape_ = Etape::Ouverture_moins;
  int32_t marques_restantes_ = 0;
  size_t rang_texte_ = 0;  // next character of texte_
  uint64_t textes_envoyes_ = 0;

  // Resampling to the card's rate and the noise at that rate.
  uint32_t frequence_carte_ = 0;  // Hz, 0 before the first call
  double pas_ = 1.0;              // station samples per card sample
  double phase_ = 0.0;            // position between precedent_ and courant_, 0..1
  double precedent_ = 0.0;
  double courant_ = 0.0;
  std::optional<BruitCanal> bruit_;
};

}  // namespace talven
