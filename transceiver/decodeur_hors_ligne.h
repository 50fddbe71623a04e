// A receiver without sound card: samples in, received text out.
//
// Responsibilities: owns one of each piece the receive side needs (band-pass
// filter, receive chain, character decoder, QSO record, received-text memo)
// wired together, tuned to one frequency and processor class, and feeds it
// samples in order. Used by the demonstration, the benchmarks and the tests
// of the chain; it has no spectrum step, so the Costas loop runs with the
// error gain of a zero S/N.
// Collaborations: none outside the core; messages and the bell go nowhere.
#pragma once

#include <cstdint>
#include <span>

#include "common/messages.h"
#include "transceiver/chaine_reception.h"
#include "transceiver/decodage_caracteres.h"
#include "transceiver/enregistrement_qso.h"
#include "transceiver/filtre_passe_bande.h"
#include "transceiver/memo.h"

namespace talven {

class DecodeurHorsLigne {
  // Declared first: the record and the decoder are built on them.
  struct Muet final : Sonnerie, ObservateurDecodage {
    void Sonner() override {}
    void Lettre(VueTexte) override {}
    void Label8(bool) override {}
  };
  Boite_messages_muette boite_;
  Muet muet_;

 public:
  // `frequence` in tenths of a hertz (2000..22000), `classe` 1 or 2.
  DecodeurHorsLigne(int32_t frequence, int32_t classe);
  DecodeurHorsLigne(const DecodeurHorsLigne&) = delete;
  DecodeurHorsLigne& operator=(const DecodeurHorsLigne&) = delete;

  // Runs each sample through the chain, in order.
  void Traitement(std::span<const uint8_t> echantillons);

  // The text of the received-text window (carriage returns as CR LF).
  const Texte& Texte_recu() const { return memo1.Texte_memo(); }

  FiltrePasseBande filtre;
  Memo memo1;
  EnregistrementQso enregistrement;
  DecodageCaracteres decodeur;
  ChaineReception chaine;
};

}  // namespace talven
