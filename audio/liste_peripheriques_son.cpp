#include "audio/liste_peripheriques_son.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace talven {

std::string Nom_stable(std::string_view id, int numero) {
  return "plughw:CARD=" + std::string(id) + ",DEV=" + std::to_string(numero);
}

std::string Nom_mixer(std::string_view nom) {
  std::string_view arguments;
  for (std::string_view prefixe : {"plughw:", "hw:"}) {
    if (nom.substr(0, prefixe.size()) == prefixe) arguments = nom.substr(prefixe.size());
  }
  if (arguments.empty()) return std::string(nom);
  // The card is the first argument, given by position or as CARD=...; the
  // device (DEV=, or the second position) belongs to the PCM only.
  std::string_view carte = arguments.substr(0, arguments.find(','));
  if (carte.find('=') != std::string_view::npos) carte = {};
  for (size_t debut = 0; debut < arguments.size();) {
    size_t fin = arguments.find(',', debut);
    if (fin == std::string_view::npos) fin = arguments.size();
    std::string_view argument = arguments.substr(debut, fin - debut);
    if (argument.substr(0, 5) == "CARD=") carte = argument.substr(5);
    debut = fin + 1;
  }
  // No card given: ALSA's default card, as for the PCM.
  if (carte.empty()) return "hw";
  return "hw:CARD=" + std::string(carte);
}

std::vector<Peripherique_audio> Liste_depuis_alsa(const std::vector<std::string>& noms_indiques,
                                                  const std::vector<Carte_alsa>& cartes) {
  using G = Peripherique_audio::Genre;
  auto indique = [&noms_indiques](std::string_view nom) {
    return std::find(noms_indiques.begin(), noms_indiques.end(), nom) != noms_indiques.end();
  };
  std::vector<Peripherique_audio> liste;
  liste.push_back({G::Defaut, "default", {}, true, true});
  if (indique("pipewire")) liste.push_back({G::Pipewire, "pipewire", {}, true, true});
  if (indique("pulse")) liste.push_back({G::Pulse, "pulse", {}, true, true});
  for (const Carte_alsa& carte : cartes) {
    for (const Carte_alsa::Pcm& pcm : carte.Pcms) {
      if (!pcm.Capture && !pcm.Lecture) continue;
      std::string description = carte.Nom_long.empty() ? carte.Id : carte.Nom_long;
      if (!pcm.Nom.empty()) description += ": " + pcm.Nom;
      liste.push_back({G::Carte, Nom_stable(carte.Id, pcm.Numero), description, pcm.Capture, pcm.Lecture});
    }
  }
  return liste;
}

bool Code_absence(int code) {
  code = std::abs(code);
  return code == ENODEV || code == ENOENT;
}

Texte Message_peripherique_absent(std::string_view nom, const Langue& langue) {
  const std::string n(nom);
  return langue.Choix(
      "The sound card \"" + n +
          "\" is not connected, and no other card is used in its place. Plug it in and try "
          "again, or choose another card in the \"Sound card\" menu.",
      "La carte son \"" + n +
          "\" n'est pas branchée, et aucune autre carte n'est utilisée à sa place. Branchez-la "
          "et recommencez, ou choisissez une autre carte dans le menu \"Carte son\".");
}

}  // namespace talven
