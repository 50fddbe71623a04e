#include "app/reglages_utilisateur.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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
    if (egal == std::string_view::npos) continue;
    const std::string_view cle = Sans_espaces(ligne.substr(0, egal));
    const std::string_view valeur = Sans_espaces(ligne.substr(egal + 1));
    if (cle == Cle_peripherique_son) {
      Peripherique_son = std::string(valeur);
      continue;
    }
    if (cle != Cle_garde_emission) continue;
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

std::string Reglages_utilisateur::Avec_reglage(std::string_view contenu, std::string_view cle,
                                               std::string_view valeur) {
  std::string resultat;
  bool ecrit = false;
  while (!contenu.empty()) {
    const auto fin = contenu.find('\n');
    const std::string_view ligne =
        contenu.substr(0, fin == std::string_view::npos ? contenu.size() : fin + 1);
    contenu.remove_prefix(ligne.size());
    const std::string_view propre = Sans_espaces(ligne.substr(0, ligne.find('\n')));
    const auto egal = propre.find('=');
    const bool de_la_cle = !propre.empty() && propre[0] != '#' && egal != std::string_view::npos &&
                           Sans_espaces(propre.substr(0, egal)) == cle;
    if (!de_la_cle) {
      resultat += ligne;
      continue;
    }
    if (ecrit) continue;
    ecrit = true;
    const size_t retrait = ligne.find_first_not_of(" \t");
    resultat += std::string(ligne.substr(0, retrait)) + std::string(cle) + "=" + std::string(valeur);
    // The line's own ending, "\r\n" or "\n", or none at the end of the file.
    if (ligne.ends_with("\r\n"))
      resultat += "\r\n";
    else if (ligne.ends_with('\n'))
      resultat += '\n';
  }
  if (!ecrit) {
    if (!resultat.empty() && resultat.back() != '\n') resultat += '\n';
    resultat += std::string(cle) + "=" + std::string(valeur) + "\n";
  }
  return resultat;
}

bool Reglages_utilisateur::Ecriture_reglage(const std::string& chemin, std::string_view cle,
                                            std::string_view valeur, const Journal& journal) {
  auto echec = [&](const std::string& pourquoi) {
    journal(chemin + ": " + std::string(cle) + " not written: " + pourquoi);
    return false;
  };
  if (chemin.empty()) return echec("no configuration directory (neither XDG_CONFIG_HOME nor HOME is set)");
  if (valeur.find_first_of("\r\n") != std::string_view::npos) return echec("the value holds a line break");
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path fichier(chemin);
  if (fichier.has_parent_path()) fs::create_directories(fichier.parent_path(), ec);
  if (ec) return echec(ec.message());
  std::string contenu;
  {
    std::ifstream ancien(chemin, std::ios::binary);
    if (ancien) {
      std::ostringstream lu;
      lu << ancien.rdbuf();
      contenu = lu.str();
    }
  }
  const std::string nouveau = Avec_reglage(contenu, cle, valeur);
  std::string modele = chemin + ".XXXXXX";
  const int fd = ::mkstemp(modele.data());
  if (fd < 0) return echec(std::strerror(errno));
  size_t ecrits = 0;
  int erreur = 0;
  while (ecrits < nouveau.size()) {
    const ssize_t n = ::write(fd, nouveau.data() + ecrits, nouveau.size() - ecrits);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      erreur = n < 0 ? errno : EIO;
      break;
    }
    ecrits += static_cast<size_t>(n);
  }
  // The permissions of the file it replaces, else the user's alone.
  struct stat etat {};
  ::fchmod(fd, ::stat(chemin.c_str(), &etat) == 0 ? (etat.st_mode & 07777) : 0600);
  if (erreur == 0 && ::fsync(fd) != 0) erreur = errno;
  if (::close(fd) != 0 && erreur == 0) erreur = errno;
  if (erreur == 0 && ::rename(modele.c_str(), chemin.c_str()) != 0) erreur = errno;
  if (erreur != 0) {
    ::unlink(modele.c_str());
    return echec(std::strerror(erreur));
  }
  return true;
}

}  // namespace talven
