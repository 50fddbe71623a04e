// Waiting for a number of milliseconds.
//
// Responsibilities: block the calling thread for a stated duration.
// Collaborations: used by `FonctionsPascal::Delai` (beeps, start-up checks);
// tests substitute a fake clock that only records the waits.
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

}  // namespace talven
