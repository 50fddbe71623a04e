#include "transceiver/garde_emission.h"

#include <stdexcept>
#include <string>

namespace talven {

void GardeEmission::Reglage(int32_t minutes) {
  if (minutes < 0 || minutes > Minutes_maximales)
    throw std::invalid_argument("transmit watchdog: " + std::to_string(minutes) + " minutes is out of 0.." +
                                std::to_string(Minutes_maximales));
  minutes_ = minutes;
  if (armee_) depuis_ = horloge_->Maintenant();
}

void GardeEmission::Armement() {
  armee_ = true;
  depuis_ = horloge_->Maintenant();
}

void GardeEmission::Activite() {
  if (armee_) depuis_ = horloge_->Maintenant();
}

bool GardeEmission::Echue() {
  if (!armee_ || minutes_ == 0) return false;
  return horloge_->Maintenant() - depuis_ >= std::chrono::minutes(minutes_);
}

Texte GardeEmission::Message_fin(int32_t minutes, const Langue& langue) {
  const std::string n = std::to_string(minutes);
  const bool une = minutes == 1;
  return langue.Choix("Transmission ended: nothing was typed for " + n + (une ? " minute." : " minutes."),
                      "Émission arrêtée : rien n'a été tapé depuis " + n + (une ? " minute." : " minutes."));
}

}  // namespace talven
