// talven-modem: the TALVEN modem engine from the command line. Reads the
// command line and hands it to the command; the work is in commandes.cpp.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/modem/commandes.h"
#include "cli/modem/options.h"

int main(int argc, char** argv) {
  using namespace talven::modem;
  std::vector<std::string> arguments(argv + 1, argv + argc);
  Lecture_options lecture = Analyse_options(arguments);
  if (!lecture.erreur.empty()) {
    std::fprintf(stderr, "talven-modem: %s\nTry 'talven-modem --help'.\n", lecture.erreur.c_str());
    return Sortie_usage;
  }
  const Options& o = lecture.options;
  switch (o.commande) {
    case Commande::Aide:
      std::fputs(Texte_aide, stdout);
      return Sortie_ok;
    case Commande::Encode:
      return Encode(o);
    case Commande::Decode:
      return Decode(o);
    case Commande::Loopback:
      return Loopback(o);
    case Commande::Transmit:
      return Transmit(o);
    case Commande::Receive:
      return Receive(o);
    case Commande::Morse:
      return Morse(o);
  }
  return Sortie_usage;
}
