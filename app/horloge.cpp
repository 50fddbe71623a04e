#include "app/horloge.h"

#include <thread>

namespace talven {

void Horloge_monotone::Attente(std::chrono::milliseconds duree) {
  const auto fin = std::chrono::steady_clock::now() + duree;
  while (std::chrono::steady_clock::now() < fin) std::this_thread::sleep_until(fin);
}

}  // namespace talven
