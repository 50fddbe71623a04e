// The transmit watchdog: a transmission left on idle marks ends by itself.
//
// Responsibilities: tell when a transmission has sent nothing but idle marks
// for a set number of minutes with nothing typed and no sequence sent. The
// count starts at the start of the transmission and starts again at every
// input of the operator (a character queued or taken back, a sequence
// started) and at every moment the transmitter still has text on its way
// (queued, being encoded, or not yet played): a long text or sequence that
// takes longer than the set time to go out is never idleness, and the count
// runs only once its last character has been played. Gives the operator's
// notice in both languages.
// Collaborations: reads an `Horloge_datee` (monotonic in the programs, fake
// in tests). The transceiver engine arms it at each start of transmission,
// feeds it its inputs, asks it at each tick whether the time is up, and
// then ends the transmission the way the operator's return to reception
// does once the transmission has drained.
#pragma once

#include <chrono>
#include <cstdint>

#include "app/horloge.h"
#include "common/langue.h"
#include "common/texte.h"

namespace talven {

class GardeEmission {
 public:
  // Minutes of idle transmission before the stop: 0 turns the watchdog
  // off, at most one day.
  static constexpr int32_t Minutes_par_defaut = 10;
  static constexpr int32_t Minutes_maximales = 24 * 60;

  // `horloge` must outlive the watchdog. Off until armed.
  explicit GardeEmission(Horloge_datee& horloge) : horloge_(&horloge) {}

  // Minutes 0 .. Minutes_maximales (0: off); throws std::invalid_argument
  // otherwise. While armed, the new length counts from now.
  void Reglage(int32_t minutes);
  int32_t Minutes() const { return minutes_; }

  // Start of a transmission: the count starts now.
  void Armement();
  // An input of the operator, or text still on its way: the count starts
  // again now. Nothing while disarmed.
  void Activite();
  // End of the transmission: nothing more is counted until the next start.
  void Desarmement() { armee_ = false; }
  bool Armee() const { return armee_; }

  // Armed, on, and `Minutes()` minutes have passed since the latest start
  // or activity.
  bool Echue();

  // The operator's notice once the watchdog has ended a transmission after
  // `minutes` minutes (1 .. Minutes_maximales), in the language of
  // `langue`, Windows-1252: "Transmission ended: nothing was typed for 10
  // minutes."
  static Texte Message_fin(int32_t minutes, const Langue& langue);

 private:
  Horloge_datee* horloge_;
  int32_t minutes_ = Minutes_par_defaut;
  bool armee_ = false;
  std::chrono::milliseconds depuis_{0};  // latest start or activity, on `horloge_`
};

}  // namespace talven
