#include "cli/modem/commandes.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "cli/modem/fichier_audio.h"
#include "cli/modem/mesures.h"
#include "common/texte.h"

namespace talven::modem {

namespace {

int Echec(const std::string& message) {
  std::fprintf(stderr, "talven-modem: %s\n", message.c_str());
  return Sortie_echec;
}

}  // namespace

int Encode(const Options&) {
  return Echec("encode: not wired yet");
}

int Decode(const Options& o) {
  std::string erreur;
  auto description = Description(o.fichier, erreur);
  if (!description) return Echec(o.fichier + ": " + erreur);
  if (o.voie > description->voies)
    return Echec(o.fichier + ": has " + std::to_string(description->voies) + " channel(s), no channel " +
                 std::to_string(o.voie));
  return Echec("decode: not wired yet");
}

int Loopback(const Options&) {
  return Echec("loopback: not wired yet");
}
int Transmit(const Options&) {
  return Echec("transmit: not wired yet");
}
int Receive(const Options&) {
  return Echec("receive: not wired yet");
}

}  // namespace talven::modem
