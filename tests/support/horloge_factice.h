// A clock that does not wait: it records each requested wait, so that tests
// check durations without taking time.
#pragma once

#include <chrono>
#include <vector>

#include "app/horloge.h"

namespace talven::test {

class Horloge_factice final : public Horloge {
 public:
  std::vector<std::chrono::milliseconds> attentes;

  void Attente(std::chrono::milliseconds duree) override { attentes.push_back(duree); }

  std::chrono::milliseconds Total() const {
    std::chrono::milliseconds total{0};
    for (const auto duree : attentes) total += duree;
    return total;
  }
};

}  // namespace talven::test
