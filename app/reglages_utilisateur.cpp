#include "app/reglages_utilisateur.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace talven {

namespace {

constexpr std::string_view Cle_garde_emission = "transmit_watchdog_minutes";

std::string_view Sans_espaces(std::string_view s) {
  const auto debut = s.find_first_not_of(" \t\r");
  if (debut == std::string_view::npos) return {};
  const auto fin = s.find_last_not_of(" \t\r");
  return s.substr(debut, fin - debut + 1);
}

}  // namespace

std::string Dossier_configuration_utilisateur() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0')
    return std::string(xdg) + "/talven";
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
    return std::string(home) + "/.config/talven";
  return {};
}

void Reglages_utilisateur::Lecture_fichier(std::string_view contenu, std::string_view nom,
                                           const Journal& journal) {
  for (int numero = 1; !contenu.empty(); ++numero) {
    const auto fin = contenu.find('\n');
    const std::string_view ligne = Sans_espaces(contenu.substr(0, fin));
    contenu = fin == std::string_view::npos ? std::string_view{} : contenu.substr(fin + 1);
    if (ligne.empty() || ligne[0] == '#') continue;
    const auto egal = ligne.find('=');
    if (egal == std::string_view::npos || Sans_espaces(ligne.substr(0, egal)) != Cle_garde_emission) continue;
    const std::string_view valeur = Sans_espaces(ligne.substr(egal + 1));
    int32_t minutes = -1;
    const auto [reste, erreur] = std::from_chars(valeur.data(), valeur.data() + valeur.size(), minutes);
    if (valeur.empty() || erreur != std::errc() || reste != valeur.data() + valeur.size() || minutes < 0 ||
        minutes > Minutes_garde_maximales) {
      std::ostringstream message;
      message << nom << ':' << numero << ": " << Cle_garde_emission << " takes whole minutes from 0 (off) to "
              << Minutes_garde_maximales << ", not '" << valeur << "'; keeping " << Minutes_garde_emission;
      journal(message.str());
      continue;
    }
    Minutes_garde_emission = minutes;
  }
}

Reglages_utilisateur Reglages_utilisateur::Chargement(const Journal& journal) {
  Reglages_utilisateur r;
  const std::string dossier = Dossier_configuration_utilisateur();
  if (dossier.empty()) return r;
  const std::string nom = dossier + "/talven.conf";
  std::ifstream fichier(nom);
  if (!fichier) return r;
  std::ostringstream contenu;
  contenu << fichier.rdbuf();
  r.Lecture_fichier(contenu.str(), nom, journal);
  return r;
}

}  // namespace talven
