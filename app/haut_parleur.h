// Beep back-end: whatever sounds the tone that the program would have played
// on the PC speaker.
//
// Responsibilities: start a continuous tone of a given frequency, stop it.
// Collaborations: driven by the speaker model of the port space
// (`FonctionsPascal`); Linux back-ends in haut_parleur_linux.h, a recording
// one for tests.
#pragma once

#include <cstdint>

namespace talven {

class Haut_parleur {
 public:
  virtual ~Haut_parleur() = default;
  // Starts, or changes to, a continuous tone of `hertz` (18..1193180 Hz).
  virtual void Tonalite(int32_t hertz) = 0;
  // Stops the tone; harmless when none sounds.
  virtual void Silence() = 0;
};

// No beep facility: tones are dropped.
class Haut_parleur_muet final : public Haut_parleur {
 public:
  void Tonalite(int32_t) override {}
  void Silence() override {}
};

}  // namespace talven
