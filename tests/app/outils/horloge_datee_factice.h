// A clock that moves only when told: Attente advances it at once, and
// Maintenant tells how far it has come, so that a bounded wait is tested
// without taking time.
#pragma once

#include <chrono>

#include "app/affiche_puissance_voies.h"

namespace talven::test {

class Horloge_datee_factice final : public Horloge_datee {
 public:
  std::chrono::milliseconds maintenant{0};

  void Attente(std::chrono::milliseconds duree) override { maintenant += duree; }
  std::chrono::milliseconds Maintenant() override { return maintenant; }
};

}  // namespace talven::test
