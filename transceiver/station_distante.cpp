#include "transceiver/station_distante.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <stdexcept>

#include "transceiver/saisie_emission.h"

namespace talven {

namespace {

constexpr uint8_t Marque_repos = '>';

// Mean power around 127.5 of the transmitter's idle marks on `frequence`:
// the carrier as modulated, reversals included, within a few hundredths of a
// decibel of any text.
double Puissance_marques(int32_t frequence) {
  FiltrePasseBande filtre;
  Modulateur modulateur(filtre);
  modulateur.Init_modulation(frequence);
  Echantillons e;
  for (int i = 0; i < 10; ++i) modulateur.Modulation_caractere(Marque_repos, e);
  double puissance = 0.0;
  for (uint8_t s : e) puissance += (s - 127.5) * (s - 127.5);
  return puissance / static_cast<double>(e.size());
}

// Mean power gain, on a carrier of `omega` radians per station sample, of the
// linear interpolation at `pas` station samples per card sample, over the
// positions between samples that one second at the card's rate visits (the
// whole cycle: `frequence_hz` x `pas` = 11025 is whole). At 11025 Hz it is 1.
double Gain_interpolation(double omega, double pas, uint32_t frequence_hz) {
  const double c = std::cos(omega);
  double somme = 0.0;
  double t = 0.0;
  for (uint32_t n = 0; n < frequence_hz; ++n) {
    somme += (1 - t) * (1 - t) + t * t + 2 * t * (1 - t) * c;
    t += pas;
    t -= std::floor(t);
  }
  return somme / frequence_hz;
}

}  // namespace

StationDistante::StationDistante(const Parametres& p)
    : apres_(p.Apres), snr_db_(p.Snr_db), graine_(p.Graine), frequence_(p.Frequence) {
  if (p.Frequence < 2000 || p.Frequence > 22000)
    throw std::invalid_argument("station frequency must lie between 200.0 and 2200.0 Hz");
  if (p.Snr_db && !std::isfinite(*p.Snr_db))
    throw std::invalid_argument("S/N must be a finite number of decibels");
  if (p.Marques_avant_texte < 0 || p.Marques_avant_texte > Marques_avant_texte_max)
    throw std::invalid_argument("idle marks before the text out of range");
  for (char c : p.Texte_a_envoyer) {
    bool accepte = false;
    const uint8_t t = SaisieEmission::Traduction_caractere(static_cast<uint8_t>(c), accepte);
    if (accepte) texte_.push_back(static_cast<char>(t));
  }
  puissance_signal_ = Puissance_marques(p.Frequence);
  modulateur_.Init_modulation(p.Frequence);
  marques_restantes_ = p.Marques_avant_texte;
  en_attente_.reserve(Echantillons_max);
}

void StationDistante::Preparation_suite() {
  en_attente_.clear();
  lecture_ = 0;
  switch (etape_) {
    case Etape::Ouverture_moins:
    case Etape::Ouverture_plus: {
      // A third of a second of carrier, a reversal, another third.
      const int32_t signe = etape_ == Etape::Ouverture_moins ? -1 : 1;
      for (int32_t i = 0; i < Echantillons_ouverture; ++i)
        en_attente_.push_back(modulateur_.Echantillon_module(signe));
      etape_ = etape_ == Etape::Ouverture_moins ? Etape::Ouverture_plus : Etape::Marques_debut;
      break;
    }
    case Etape::Marques_debut:
      if (marques_restantes_ > 0) {
        --marques_restantes_;
        modulateur_.Modulation_caractere(Marque_repos, en_attente_);
      } else {
        etape_ = Etape::Texte;
        rang_texte_ = 0;
      }
      break;
    case Etape::Texte:
      if (rang_texte_ < texte_.size()) {
        modulateur_.Modulation_caractere(static_cast<uint8_t>(texte_[rang_texte_++]), en_attente_);
      } else {
        // The marks after the text also end its last character for the receiver.
        ++textes_envoyes_;
        etape_ = Etape::Marques_fin;
        marques_restantes_ = Marques_entre_textes;
      }
      break;
    case Etape::Marques_fin:
      if (marques_restantes_ > 0) {
        --marques_restantes_;
        modulateur_.Modulation_caractere(Marque_repos, en_attente_);
      } else if (apres_ == Apres_texte::Repetition) {
        etape_ = Etape::Texte;
        rang_texte_ = 0;
      } else {
        etape_ = apres_ == Apres_texte::Silence ? Etape::Silence : Etape::Repos;
      }
      break;
    case Etape::Repos:
      modulateur_.Modulation_caractere(Marque_repos, en_attente_);
      break;
    case Etape::Silence:
      break;
  }
}

double StationDistante::Echantillon_emis() {
  // Steps that make nothing (a change of step) are followed at once by one
  // that does: every path reaches idle marks or silence.
  while (lecture_ == en_attente_.size()) {
    if (etape_ == Etape::Silence) return 0.0;
    Preparation_suite();
  }
  return en_attente_[lecture_++] - 128.0;
}

void StationDistante::Production(std::span<float> echantillons, uint32_t frequence_hz) {
  if (frequence_hz <= 2.0 * BruitCanal::Bande_reference_hz) {
    std::fill(echantillons.begin(), echantillons.end(), 0.0f);
    return;
  }
  if (frequence_hz != frequence_carte_) {
    if (frequence_carte_ == 0) {
      precedent_ = Echantillon_emis();
      courant_ = Echantillon_emis();
      phase_ = 0.0;
    }
    frequence_carte_ = frequence_hz;
    pas_ = static_cast<double>(Frequence_station) / frequence_hz;
    // The S/N is that of the signal as the card receives it: interpolation
    // between samples takes a little of the carrier's power.
    if (snr_db_) {
      const double omega = 2.0 * std::numbers::pi * (frequence_ / 10.0) / Frequence_station;
      bruit_.emplace(puissance_signal_ * Gain_interpolation(omega, pas_, frequence_hz), *snr_db_, graine_,
                     static_cast<double>(frequence_hz));
    }
  }
  for (float& x : echantillons) {
    while (phase_ >= 1.0) {
      precedent_ = courant_;
      courant_ = Echantillon_emis();
      phase_ -= 1.0;
    }
    // At the station's own rate the phase stays 0: the transmitter's sample itself.
    double y = precedent_ + (courant_ - precedent_) * phase_;
    phase_ += pas_;
    if (bruit_) y = y * bruit_->Echelle() + bruit_->Tirage();
    x = static_cast<float>(std::clamp(y / 127.0, -1.0, 1.0));
  }
}

SonSimule::Generateur StationDistante::Generateur(const Parametres& parametres) {
  auto station = std::make_shared<StationDistante>(parametres);
  return [station](std::span<float> echantillons, uint32_t frequence_hz) {
    station->Production(echantillons, frequence_hz);
  };
}

}  // namespace talven
