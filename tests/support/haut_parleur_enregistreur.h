// A beep back-end that records what it was asked to sound, for tests of the
// speaker model and of the beeps of the program.
#pragma once

#include <cstdint>
#include <vector>

#include "app/haut_parleur.h"

namespace talven::test {

class Haut_parleur_enregistreur final : public Haut_parleur {
 public:
  // One entry per call: the frequency of `Tonalite`, 0 for `Silence`.
  std::vector<int32_t> appels;

  void Tonalite(int32_t hertz) override { appels.push_back(hertz); }
  void Silence() override { appels.push_back(0); }
};

}  // namespace talven::test
