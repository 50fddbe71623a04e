#include "tests/support/boite_messages_enregistreuse.h"

namespace talven::test {

std::vector<std::string> Boite_messages_enregistreuse::En_utf8() const {
  std::vector<std::string> resultat;
  resultat.reserve(messages.size());
  for (const auto& m : messages) resultat.push_back(Vers_utf8(m));
  return resultat;
}

}  // namespace talven::test
