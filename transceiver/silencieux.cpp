#include "transceiver/silencieux.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace talven {

Silencieux::Silencieux(double seuil, Sortie sortie) : seuil_(seuil), sortie_(std::move(sortie)) {
  if (!(seuil > 0.0 && seuil <= Seuil_maximal))
    throw std::invalid_argument("squelch threshold must lie above 0 and at most 100");
}

void Silencieux::Caractere(uint8_t c) {
  if (ouvert_ && horloge_ < debut_) return;  // the station's first spectra
  if (retenus_.size() == Retenus_max) retenus_.pop_front();
  retenus_.push_back({horloge_, c});
}

void Silencieux::Mesure(double r) {
  if (!std::isfinite(r) || r < 0.0) r = 0.0;
  ++horloge_;
  mesures_.push_back(r);
  if (mesures_.size() > static_cast<size_t>(Remontee_max)) mesures_.pop_front();

  if (!ouvert_) {
    if (r >= seuil_) {
      // The rise began at the oldest spectrum of the run, ending now, whose
      // S/N stayed at a quarter of the threshold or more.
      int64_t debut = horloge_;
      for (size_t k = mesures_.size(); k-- > 0 && mesures_[k] >= seuil_ / 4;)
        debut = horloge_ - static_cast<int64_t>(mesures_.size() - 1 - k);
      debut += Accrochage;
      while (!retenus_.empty() && retenus_.front().spectre < debut) retenus_.pop_front();
      debut_ = debut;
      ouvert_ = true;
      sous_seuil_ = 0;
      niveau_ = r;
      mesures_ouvert_ = 1;
      dernier_fort_ = horloge_;
    } else {
      // A character older than any opening could reach back to is dropped.
      while (!retenus_.empty() && retenus_.front().spectre <= horloge_ - Remontee_max) retenus_.pop_front();
    }
    return;
  }

  if (r >= Part_niveau * niveau_) dernier_fort_ = horloge_;
  // The mean since the opening, then over about the latest `Memoire_niveau`
  // spectra, so that a station whose strength drifts over an hour is
  // followed.
  ++mesures_ouvert_;
  niveau_ += (r - niveau_) / static_cast<double>(std::min<int64_t>(mesures_ouvert_, Memoire_niveau));
  sous_seuil_ = r < seuil_ / 2 ? sous_seuil_ + 1 : 0;
  if (sous_seuil_ >= Tenue) {
    Fermeture();
    return;
  }
  Remise(horloge_ - Retard);
}

void Silencieux::Fermeture() {
  Remise(dernier_fort_);
  retenus_.clear();
  ouvert_ = false;
  sous_seuil_ = 0;
}

void Silencieux::Fin() {
  // A station still there keeps every character; one already fading below
  // half the threshold loses those after its end, as at a closing.
  if (ouvert_ && sous_seuil_ > 0) Fermeture();
  if (ouvert_) Remise(horloge_);
  retenus_.clear();
  ouvert_ = false;
  sous_seuil_ = 0;
}

void Silencieux::Remise(int64_t fin) {
  while (!retenus_.empty() && retenus_.front().spectre <= fin) {
    const uint8_t c = retenus_.front().c;
    retenus_.pop_front();
    if (sortie_) sortie_(c);
  }
}

std::optional<double> Silencieux::Lecture_s_sur_b(VueTexte e) {
  if (e.size() < 4 || (e.substr(0, 3) != "S/N" && e.substr(0, 3) != "S/B")) return std::nullopt;
  const VueTexte reste = e.substr(4);
  if (e[3] == '>') return reste == "100" ? std::optional<double>(100.0) : std::nullopt;
  if (e[3] != '=') return std::nullopt;
  if (reste == "???") return 0.0;
  size_t i = reste.find_first_not_of(' ');
  if (i == VueTexte::npos) return std::nullopt;
  double v = 0.0;
  auto [fin, ec] = std::from_chars(reste.data() + i, reste.data() + reste.size(), v);
  if (ec != std::errc() || fin != reste.data() + reste.size() || !std::isfinite(v) || v < 0.0)
    return std::nullopt;
  return v;
}

}  // namespace talven
