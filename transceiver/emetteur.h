// The transmitter: from the transmit text queue to the sound card's output
// buffers.
//
// Responsibilities: keying and unkeying the transmitter through the modem
// control register of the serial port; the start of a transmission (queue
// and flags reset, QSO marker, modulator set up, output opened and
// prefilled with one third of a second of carrier, a reversal and another
// third of a second); the refill cycle, which keeps at least one buffer's
// worth of samples ahead and hands each finished output buffer back with
// the next samples (completed with plain carrier when the encoder fell
// behind); encoding each character with its echo into the transmitted strip
// `Memo3`, the QSO record and the sequence echo; the drained predicate; the
// stop of the output.
// Collaborations: takes characters from `SaisieEmission`, turns them into
// samples with `Modulateur`, streams through `FonctionsWave`, records into
// `EnregistrementQso`, keys through `FonctionsPascal::Ecriture_port`, shows
// `Label5` and `transmission_a_faire` through an `ObservateurTransceiver`.
// The transceiver engine decides when to start and stop.
#pragma once

#include <cstdint>

#include "app/fonctions_pascal.h"
#include "audio/fonctions_wave.h"
#include "transceiver/enregistrement_qso.h"
#include "transceiver/memo.h"
#include "transceiver/modulateur.h"
#include "transceiver/observateur_transceiver.h"
#include "transceiver/saisie_emission.h"

namespace talven {

class Emetteur {
 public:
  // Samples per output buffer: one third of a second at 11025 Hz.
  static constexpr int32_t Taille_tampon = 3675;
  // Modem control register values: DTR, RTS and OUT2 (keyed); OUT2 only.
  static constexpr uint8_t Mcr_emission = 0x0B;
  static constexpr uint8_t Mcr_reception = 0x08;
  // The idle mark: its bits are the separator alone.
  static constexpr uint8_t Caractere_repos = '>';
  static constexpr uint8_t Caractere_effacement = '<';

  // The collaborators must outlive the transmitter.
  Emetteur(FonctionsWave& wave, Modulateur& modulateur, SaisieEmission& saisie,
           EnregistrementQso& enregistrement, Memo& memo3, FonctionsPascal& pascal,
           ObservateurTransceiver& observateur);

  // Keying: 0x0B (`Manipulation_emission`) or 0x08 (`Manipulation_reception`)
  // written to `Adresse_MCR` when `Port_serie_actif` is set; nothing
  // otherwise.
  void Manipulation_emission();
  void Manipulation_reception();

  // The transmitter's part of a start of transmission, after the engine
  // keyed it and chose the frequency:
  //   frequence : transmit frequency, tenths of a hertz, 2000..22000
  // queues emptied, both `Repos_tampon` set, QSO marker "É", the modulator
  // set up, the output opened and both buffers prefilled and queued.
  // Returns false when the output could not be opened or its prefill could
  // not be queued; the output is then closed and released again, so nothing
  // is left waiting for buffers the device never received.
  bool Debut_edition(int32_t frequence);

  // One call from the real-time loop while transmitting: passes of (service
  // one finished output buffer, then encode one character while fewer than
  // `Taille_tampon` samples are queued) until a buffer has been serviced
  // (`Passage_termine` set). Returns early, `Passage_termine` still false,
  // when no buffer is finished and a buffer's worth is queued: the next call
  // carries on. Does nothing when `Passage_termine` is already set.
  void Remplissage_emission(bool& Passage_termine);

  // Stops the output and releases its buffers; the engine unkeys after.
  void Arret_edition();

  // Encodes c into `Echantillons_a_emettre` with its echo into `Memo3`, its
  // QSO record entry ('<' deletes the last transmitted character, '>' is not
  // recorded), the sequence echo into `Memo2` and the bound of `Memo2`.
  void Codage_caractere(uint8_t c);

  // Cuts `Memo2` to its last 4999 characters when it is exactly 20000 long.
  void Limitation_memo_emission();

  // True when the transmission may end: both buffers were refilled while
  // idle, the last character encoded was the idle mark, either no sample is
  // queued or the text queue was empty at the last request, and no text has
  // been queued since.
  bool Emission_terminee() const;

  // --- Settings ---
  bool Port_serie_actif = false;  // keying through a serial port
  uint16_t Adresse_MCR = 0x3FC;   // its modem control register, I/O address

  // --- State ---
  // Samples produced and not yet copied into an output buffer.
  Echantillons Echantillons_a_emettre;
  bool Emission_au_repos = false;  // the last request found the text queue empty
  uint8_t Dernier_caractere = 0;   // last character encoded, '>' when idle; kept across transmissions
  // Per buffer: at its last refill the transmitter was idle and the buffer
  // held no sample of text (nor of the idle mark that ends the text).
  bool Repos_tampon[2] = {true, true};
  // Queued samples, counted from the head, that belong to text or to the
  // idle mark right after it.
  size_t Echantillons_texte = 0;
  bool Label5_rouge = false;          // the last refill had to complete the buffer with carrier
  bool Transmission_a_faire = false;  // `transmission_a_faire` shown

 private:
  void Remplissage_tampon(Entete_tampon& entete, int index);
  void Affichage_transmission_a_faire(bool visible);

  FonctionsWave* wave_;
  Modulateur* modulateur_;
  SaisieEmission* saisie_;
  EnregistrementQso* enregistrement_;
  Memo* memo3_;
  FonctionsPascal* pascal_;
  ObservateurTransceiver* observateur_;
};

}  // namespace talven
