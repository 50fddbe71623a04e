// A clock that does not wait: it records each requested wait and moves its
// time on by it, and otherwise moves only when told, so that tests check
// durations and timeouts without taking time.
#pragma once

#include <chrono>
#include <vector>

#include "app/horloge.h"

namespace talven::test {

class Horloge_factice final : public Horloge_datee {
 public:
  std::vector<std::chrono::milliseconds> attentes;
  // The time it tells; tests move it on.
  std::chrono::milliseconds maintenant{0};

  void Attente(std::chrono::milliseconds duree) override {
    attentes.push_back(duree);
    maintenant += duree;
  }
  std::chrono::milliseconds Maintenant() override { return maintenant; }

  std::chrono::milliseconds Total() const {
    std::chrono::milliseconds total{0};
    for (const auto duree : attentes) total += duree;
    return total;
  }
};

}  // namespace talven::test
