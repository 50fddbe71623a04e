// The language flag of the interface: 1 for English, any other value French.
// It is 0 until the configuration has been read, so the first messages of a
// run are French.
#pragma once

#include <cstdint>

#include "common/texte.h"

namespace talven {

struct Langue {
  uint8_t valeur = 0;

  bool Anglais() const { return valeur == 1; }

  // The English or the French form of a text, both given as UTF-8 literals
  // and returned as Windows-1252.
  Texte Choix(VueTexte anglais_utf8, VueTexte francais_utf8) const {
    return Depuis_utf8(Anglais() ? anglais_utf8 : francais_utf8);
  }
};

}  // namespace talven
