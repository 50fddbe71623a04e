#include "app/horloge.h"

#include <thread>

namespace talven {

void Horloge_monotone::Attente(std::chrono::milliseconds duree) {
  const auto fin = std::chrono::steady_clock::now() + duree;
  while (std::chrono::steady_clock::now() < fin) std::this_thread::sleep_until(fin);
}

void Horloge_datee_monotone::Attente(std::chrono::milliseconds duree) {
  Horloge_monotone().Attente(duree);
}

std::chrono::milliseconds Horloge_datee_monotone::Maintenant() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace talven
