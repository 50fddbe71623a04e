#include "app/serie_simulee.h"

#include <algorithm>
#include <cerrno>

namespace talven {

const Serie_simulee::Port* Serie_simulee::Trouve(int poignee) const {
  auto it =
      std::find_if(ouverts_.begin(), ouverts_.end(), [&](const Port& p) { return p.poignee == poignee; });
  return it == ouverts_.end() ? nullptr : &*it;
}

int Serie_simulee::Ouverture(const std::string& peripherique) {
  const bool deja_ouvert = std::any_of(ouverts_.begin(), ouverts_.end(),
                                       [&](const Port& p) { return p.peripherique == peripherique; });
  const auto refus = Refus.find(peripherique);
  erreur_ = refus != Refus.end()                            ? refus->second
            : !Existants.contains(peripherique)             ? ENOENT
            : Occupes.contains(peripherique) || deja_ouvert ? EBUSY
                                                            : 0;
  if (erreur_ != 0) return -1;
  ouverts_.push_back({prochaine_poignee_, peripherique});
  Journal.push_back({Evenement::Ouverture, peripherique, false, false});
  return prochaine_poignee_++;
}

void Serie_simulee::Lignes(int poignee, bool dtr, bool rts) {
  const Port* p = Trouve(poignee);
  if (p == nullptr) return;
  Journal.push_back({Evenement::Lignes, p->peripherique, dtr, rts});
}

void Serie_simulee::Fermeture(int poignee) {
  const Port* p = Trouve(poignee);
  if (p == nullptr) return;
  Journal.push_back({Evenement::Fermeture, p->peripherique, false, false});
  ouverts_.erase(ouverts_.begin() + (p - ouverts_.data()));
}

bool Serie_simulee::Jamais_manipule() const {
  return std::none_of(Journal.begin(), Journal.end(), [](const Evenement& e) { return e.dtr || e.rts; });
}

}  // namespace talven
