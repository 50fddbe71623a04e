// A CAT keying back-end that records every call and the PTT state the rig
// reports after it, over Hamlib's dummy rig.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/pilote_ptt.h"

namespace talven::test {

class Ptt_enregistreur final : public Pilote_ptt {
 public:
  struct Evenement {
    enum Genre { Ouverture, Emission, Fermeture } genre;
    bool emission = false;  // PTT as the rig reports it after the call
    bool operator==(const Evenement&) const = default;
  };

  bool Ouverture(int modele, const std::string& port) override {
    const bool ouvert = rig.Ouverture(modele, port);
    if (ouvert) Note(Evenement::Ouverture);
    return ouvert;
  }
  bool Emission(bool emission) override {
    const bool fait = rig.Emission(emission);
    Note(Evenement::Emission);
    return fait;
  }
  void Fermeture() override {
    // Read before the rig goes away: what it was left at.
    const bool ouvert = rig.Ouvert();
    rig.Fermeture();
    if (ouvert) Journal.push_back({Evenement::Fermeture, false});
  }
  bool Ouvert() const override { return rig.Ouvert(); }
  const std::string& Erreur() const override { return rig.Erreur(); }
  int Erreur_port() const override { return rig.Erreur_port(); }

  // Whether the rig was ever keyed since the journal was last cleared.
  bool Jamais_manipule() const {
    for (const Evenement& e : Journal)
      if (e.emission) return false;
    return true;
  }

  Ptt_hamlib rig;  // Hamlib's dummy rig unless built otherwise
  std::vector<Evenement> Journal;
  // Called at each event (e.g. to note what the sound card has played).
  std::function<void(const Evenement&)> Temoin;

 private:
  void Note(Evenement::Genre genre) {
    Journal.push_back({genre, rig.Lecture_emission()});
    if (Temoin) Temoin(Journal.back());
  }
};

}  // namespace talven::test
