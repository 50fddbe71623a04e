#include "app/reglages_utilisateur.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/fichier_reglages.h"

namespace talven {

namespace {

constexpr std::string_view Cle_garde_emission = "transmit_watchdog_minutes";

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
  Lecture_reglages(contenu, [&](int numero, std::string_view cle, std::string_view valeur) {
    if (cle == Cle_peripherique_son) {
      Peripherique_son = std::string(valeur);
      return;
    }
    if (cle != Cle_garde_emission) return;
    int32_t minutes = -1;
    const auto [reste, erreur] = std::from_chars(valeur.data(), valeur.data() + valeur.size(), minutes);
    if (valeur.empty() || erreur != std::errc() || reste != valeur.data() + valeur.size() || minutes < 0 ||
        minutes > Minutes_garde_maximales) {
      std::ostringstream message;
      message << nom << ':' << numero << ": " << Cle_garde_emission << " takes whole minutes from 0 (off) to "
              << Minutes_garde_maximales << ", not '" << valeur << "'; keeping " << Minutes_garde_emission;
      journal(message.str());
      return;
    }
    Minutes_garde_emission = minutes;
  });
}

std::string Reglages_utilisateur::Chemin_fichier() {
  const std::string dossier = Dossier_configuration_utilisateur();
  return dossier.empty() ? std::string() : dossier + "/talven.conf";
}

Reglages_utilisateur Reglages_utilisateur::Chargement(const Journal& journal) {
  Reglages_utilisateur r;
  const std::string nom = Chemin_fichier();
  if (nom.empty()) return r;
  std::ifstream fichier(nom);
  if (!fichier) return r;
  std::ostringstream contenu;
  contenu << fichier.rdbuf();
  r.Lecture_fichier(contenu.str(), nom, journal);
  return r;
}

bool Reglages_utilisateur::Ecriture_reglage(const std::string& chemin, std::string_view cle,
                                            std::string_view valeur, const Journal& journal) {
  const std::string raison =
      chemin.empty() ? "no configuration directory (neither XDG_CONFIG_HOME nor HOME is set)" : [&] {
        const auto echec = Ecriture_reglages(chemin, {{std::string(cle), std::string(valeur)}});
        return echec ? echec->raison : std::string();
      }();
  if (raison.empty()) return true;
  journal(chemin + ": " + std::string(cle) + " not written: " + raison);
  return false;
}

}  // namespace talven
