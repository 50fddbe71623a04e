// The receive pipeline: from the sound card's input buffers to the
// per-sample receive chain.
//
// Responsibilities: the pending-sample store `Echantillons_recus` (the
// previous buffer and the newest, at most two buffers' worth) and its read
// position; polling the two input headers between samples; taking a
// completed buffer: the late-processing lamp (the rest of the older buffer
// is skipped when processing fell behind), the copy up to the first byte of
// value 0, the gain control and the spectrum step, handing the buffer back
// to the device; and feeding the pending samples one at a time to the
// receive chain.
// Collaborations: polls and re-queues the input buffers of `FonctionsWave`;
// hands each sample to `ChaineReception`, each buffer copy to
// `ControleGain::Controle_gain` and to `SpectreReception::Pas_spectre`;
// shows `Label5` through an `ObservateurTransceiver`. The transceiver engine
// opens and closes the input device and drives `Traitement_reception` from
// its real-time loop.
//
// The store lives in a fixed array, so a pass allocates nothing.
#pragma once

#include <array>
#include <cstdint>

#include "audio/fonctions_wave.h"
#include "transceiver/chaine_reception.h"
#include "transceiver/controle_gain.h"
#include "transceiver/observateur_transceiver.h"
#include "transceiver/analyse_reception.h"

namespace talven {

class Reception {
 public:
  // Samples per input buffer: one third of a second at 11025 Hz.
  static constexpr int32_t Taille_tampon = 3675;

  // The collaborators must outlive the pipeline.
  Reception(FonctionsWave& wave, ChaineReception& chaine, ControleGain& gain, SpectreReception& spectre,
            ObservateurTransceiver& observateur);

  // Pending samples emptied: `Position_lecture` := 1, count 0 (each start of
  // reception).
  void Vidage();

  // One call from the real-time loop while reception is active. Processes
  // pending samples one at a time, polling the two input headers before each
  // one, until a completed buffer has been taken (then `Passage_termine` is
  // set; the sample of that pass is still processed). Returns early, with
  // `Passage_termine` still false, when no sample is pending and no buffer
  // is complete: the next call carries on. Does nothing when
  // `Passage_termine` is already set.
  void Traitement_reception(bool& Passage_termine);

  // Takes one completed input buffer (`second`: the "bis" buffer): late
  // processing check, copy, gain control, spectrum step (the second buffer
  // only when the processor class computes it), store update, recorded
  // count cleared.
  void Prise_tampon(Entete_tampon& entete, bool second);

  // The next pending sample into c, advancing `Position_lecture`; false when
  // none is pending.
  bool Echantillon_suivant(uint8_t& c);

  // One pending sample through the receive chain; false when none was
  // pending.
  bool Traitement_echantillon();

  // Pending samples: bytes 0..Nombre_echantillons-1 of the store, the older
  // buffer first.
  std::array<uint8_t, 2 * Taille_tampon> Echantillons_recus{};
  int32_t Nombre_echantillons = 0;  // 0..2 x Taille_tampon
  int32_t Position_lecture = 1;     // 1-based position of the next sample, 1..Nombre_echantillons+1
  bool Label5_rouge = false;        // late-processing lamp

  // Length of the latest copy before the first 0-valued byte (Taille_tampon
  // when the buffer did not saturate).
  int32_t Longueur_copie = 0;
  // Buffers taken since construction (for tracing).
  uint64_t Tampons_pris = 0;

 private:
  void Affichage_label5(bool rouge);

  FonctionsWave* wave_;
  ChaineReception* chaine_;
  ControleGain* gain_;
  SpectreReception* spectre_;
  ObservateurTransceiver* observateur_;
  std::array<uint8_t, Taille_tampon> copie_{};
};

}  // namespace talven
