// FONCTIONS_PASCAL: port I/O, PC speaker and delay.
//
// Responsibilities: the low-level services the program expects from an
// old-style PC runtime, on Linux where a user program has no port I/O:
//   - an emulated I/O port space: `Ecriture_port` and `Lecture_port` work on
//     a latch of the last byte written to each address;
//   - the serial keying: writes to a modem control register (0x3FC, 0x2FC,
//     0x3EC, 0x2EC) go to the attached `Registre_controle_modem`;
//   - the PC speaker: writes to 0x43 and 0x42 drive a model of timer
//     channel 2 (1193180 Hz input clock) and port 0x61 gates it (bit 0: timer
//     gate, bit 1: speaker data enable); while both bits are set and a
//     divisor is loaded in square-wave mode, a tone of 1193180 div divisor Hz
//     sounds on the `Haut_parleur` back-end;
//   - `Son_haut_parleur` and `Arret_haut_parleur` program that model exactly
//     as the speaker hardware is programmed, and `Delai` waits on an
//     `Horloge`.
// Collaborations: `Haut_parleur` (Linux back-ends, recorder in tests),
// `Horloge` (monotonic clock, fake clock in tests), `Registre_controle_modem`
// (the serial keying layer). None is owned; each must outlive this object.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "app/haut_parleur.h"
#include "app/horloge.h"
#include "app/registre_controle_modem.h"

namespace talven {

class FonctionsPascal {
 public:
  // I/O addresses of the speaker hardware.
  static constexpr uint16_t Port_commande_timer = 0x43;  // timer control word
  static constexpr uint16_t Port_compteur_2 = 0x42;      // counter 2 divisor, low then high byte
  static constexpr uint16_t Port_haut_parleur = 0x61;    // bit 0 timer gate, bit 1 speaker enable
  // Control word: counter 2, low byte then high byte, mode 3 (square wave), binary.
  static constexpr uint8_t Commande_compteur_2 = 0xB6;
  // Input clock of the timer, in hertz.
  static constexpr int32_t Horloge_timer = 1193180;
  // Tone range of `Son_haut_parleur`, in hertz: below 19 Hz the divisor
  // no longer fits the 16-bit counter.
  static constexpr int32_t Frequence_min = 19;
  static constexpr int32_t Frequence_max = Horloge_timer;

  // `haut_parleur`: where tones sound, none (nullptr) for silence.
  // `horloge`: what `Delai` waits on, nullptr for the monotonic clock.
  explicit FonctionsPascal(Haut_parleur* haut_parleur = nullptr, Horloge* horloge = nullptr);

  // Hands later writes to the modem control registers to `registre`
  // (nullptr: they are only latched).
  void Attache_registre_controle_modem(Registre_controle_modem* registre) { registre_mcr = registre; }

  // The byte last written to `port` (0 for a port never written).
  uint8_t Lecture_port(uint16_t port) const;

  // Writes `valeur` to `port`: latched for `Lecture_port`, and handed to the
  // keying layer or the timer and speaker model for the ports they use.
  void Ecriture_port(uint16_t port, uint8_t valeur);

  // Kept at its place in the start-up sequence; there is nothing left to
  // measure: `Delai` waits on the monotonic clock, which is exact to the
  // millisecond and does not keep a processor busy, instead of counting
  // loops calibrated against the tick count.
  void Calibrage_delai();

  // Waits `ms` milliseconds (0..65535).
  void Delai(uint16_t ms);

  // Starts a continuous tone of `f` hertz (19..1193180): writes 0xB6 to
  // 0x43, the divisor 1193180 div f to 0x42 (low byte, then high byte), reads
  // and saves port 0x61 and writes it back with bits 0 and 1 set. Returns
  // false, touching no port, for a frequency outside that range.
  bool Son_haut_parleur(int32_t f);

  // Stops the tone: clears bit 1 of the value saved by the last
  // `Son_haut_parleur` (0 when none ran) and writes it to 0x61.
  void Arret_haut_parleur();

  // One beep: `Son_haut_parleur`, `Delai`, `Arret_haut_parleur`. Returns
  // false, without waiting, for a frequency `Son_haut_parleur` rejects.
  bool Bip(int32_t hertz, uint16_t ms);

 private:
  void Commande_timer(uint8_t valeur);
  void Chargement_compteur(uint8_t valeur);
  void Mise_a_jour_haut_parleur();

  Haut_parleur* haut_parleur;
  Horloge* horloge;
  Registre_controle_modem* registre_mcr = nullptr;

  // Last byte written to each of the 65536 I/O addresses.
  std::vector<uint8_t> ports;
  // Value of port 0x61 read by the last `Son_haut_parleur`.
  uint8_t valeur_sauvee = 0;

  // Timer channel 2: access mode of the last control word (0 before any,
  // 1 low byte only, 2 high byte only, 3 low then high byte), counting mode (0..7), whether
  // the next byte of a low-then-high load is the high one, the low byte
  // waiting for it, the divisor (0 stands for 65536) and whether one is loaded.
  uint8_t acces = 0;
  uint8_t mode = 3;
  bool attente_octet_haut = false;
  uint8_t octet_bas = 0;
  uint16_t diviseur = 0;
  bool compteur_charge = false;
  // Tone now sounding on the back-end, in hertz; 0 for silence.
  int32_t tonalite = 0;
};

}  // namespace talven
