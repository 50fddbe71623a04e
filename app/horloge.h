// Waiting for a number of milliseconds, and telling the time.
//
// Responsibilities: block the calling thread for a stated duration; for the
// clocks that also tell the time, the time elapsed since an origin, so that
// a loop can time a wait or an inactivity without blocking.
// Collaborations: used by `FonctionsPascal::Delai` (beeps, start-up checks),
// the level monitor's bounded wait and the transmit watchdog of the
// transceiver engine; tests substitute a fake clock that only records the
// waits and moves when told.
#pragma once

#include <chrono>

namespace talven {

class Horloge {
 public:
  virtual ~Horloge() = default;
  // Returns once `duree` (>= 0 ms) has elapsed.
  virtual void Attente(std::chrono::milliseconds duree) = 0;
};

// Waits on the monotonic clock: sleeps until the deadline (waking again if
// woken early), so the wait is never shorter than asked, does not drift with
// changes of the wall clock and leaves the processor free.
class Horloge_monotone final : public Horloge {
 public:
  void Attente(std::chrono::milliseconds duree) override;
};

// A clock that also tells the time, so that a wait can be timed without
// blocking: it is read at each tick of a loop.
class Horloge_datee : public Horloge {
 public:
  // Time since an origin fixed for the object's life; never goes back.
  virtual std::chrono::milliseconds Maintenant() = 0;
};

// The monotonic clock: Maintenant from the steady clock, Attente as
// Horloge_monotone.
class Horloge_datee_monotone final : public Horloge_datee {
 public:
  void Attente(std::chrono::milliseconds duree) override;
  std::chrono::milliseconds Maintenant() override;
};

}  // namespace talven
