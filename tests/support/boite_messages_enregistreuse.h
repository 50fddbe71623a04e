// A message box that records every message, for tests that check the texts
// the operator would see and their order.
#pragma once

#include <string>
#include <vector>

#include "common/messages.h"

namespace talven::test {

class Boite_messages_enregistreuse final : public Boite_messages {
 public:
  void Message(VueTexte texte) override { messages.emplace_back(texte); }

  // The messages converted to UTF-8, for readable assertions.
  std::vector<std::string> En_utf8() const;

  std::vector<Texte> messages;
};

}  // namespace talven::test
