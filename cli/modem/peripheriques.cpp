#include "cli/modem/peripheriques.h"

#include <cstdio>
#include <vector>

#include "app/reglages_utilisateur.h"
#include "audio/liste_alsa.h"
#include "audio/son_alsa.h"
#include "cli/modem/commandes.h"

namespace talven::modem {

namespace {

const char* Description(const Peripherique_audio& p) {
  switch (p.genre) {
    case Peripherique_audio::Genre::Defaut:
      return "ALSA's default device";
    case Peripherique_audio::Genre::Pipewire:
      return "PipeWire sound server";
    case Peripherique_audio::Genre::Pulse:
      return "PulseAudio sound server";
    case Peripherique_audio::Genre::Carte:
      break;
  }
  return p.Description.c_str();
}

}  // namespace

std::string Peripherique_de_la_commande(const Options& o) {
  if (o.peripherique_donne) return o.peripherique;
  const Reglages_utilisateur r = Reglages_utilisateur::Chargement();
  return r.Peripherique_son.empty() ? o.peripherique : r.Peripherique_son;
}

int Devices(const Options& o) {
  const std::string choisi = Peripherique_de_la_commande(o);
  Liste_alsa alsa;
  bool trouve = false;
  for (const Peripherique_audio& p : alsa.Peripheriques()) {
    const bool marque = p.Nom == choisi;
    trouve = trouve || marque;
    const char* sens = p.Capture && p.Lecture ? "" : p.Capture ? " (capture only)" : " (playback only)";
    std::printf("%s %-26s %s%s\n", marque ? "*" : " ", p.Nom.c_str(), Description(p), sens);
  }
  if (!trouve) {
    SonAlsa carte(choisi);
    std::printf("* %-26s %s\n", choisi.c_str(),
                carte.Presence() == Son_ok ? "not listed, opens" : "NOT CONNECTED");
  }
  return Sortie_ok;
}

bool Peripherique_present(const std::string& nom) {
  SonAlsa carte(nom);
  if (carte.Presence() == Son_ok) return true;
  std::fprintf(
      stderr,
      "talven-modem: the sound card \"%s\" is not connected, and no other card is used in its place. "
      "Plug it in and try again, or give another with --device ('talven-modem devices' lists "
      "them).\n",
      nom.c_str());
  return false;
}

}  // namespace talven::modem
