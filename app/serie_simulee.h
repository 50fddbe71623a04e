// A serial back-end in memory for tests and runs without a radio: devices
// that exist or are held by another program, and a journal of every line
// state, so that a test can check when the transmitter was keyed.
//
// Responsibilities: model open, exclusive ownership, DTR/RTS and close.
// Collaborations: none.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/pilote_serie.h"

namespace talven {

class Serie_simulee final : public Pilote_serie {
 public:
  // One event of the journal.
  struct Evenement {
    enum Genre { Ouverture, Lignes, Fermeture } genre;
    std::string peripherique;
    bool dtr = false;  // line states after the event
    bool rts = false;
    bool operator==(const Evenement&) const = default;
  };

  // Devices that exist; all others fail to open.
  std::set<std::string> Existants{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};
  // Devices held by another program: their open fails with EBUSY.
  std::set<std::string> Occupes;
  // Devices whose open fails with the errno given (EACCES, EBUSY, ENODEV,
  // ...), whether they exist or not; a missing device gives ENOENT.
  std::map<std::string, int> Refus;
  std::vector<Evenement> Journal;

  int Ouverture(const std::string& peripherique) override;
  int Erreur() const override { return erreur_; }
  void Lignes(int poignee, bool dtr, bool rts) override;
  void Fermeture(int poignee) override;

  // Whether DTR or RTS was ever asserted since the journal was last cleared.
  bool Jamais_manipule() const;
  // Number of ports open now.
  size_t Ouverts() const { return ouverts_.size(); }

 private:
  struct Port {
    int poignee;
    std::string peripherique;
  };
  const Port* Trouve(int poignee) const;

  std::vector<Port> ouverts_;
  int prochaine_poignee_ = 3;
  int erreur_ = 0;
};

}  // namespace talven
