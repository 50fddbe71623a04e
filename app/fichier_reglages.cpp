#include "app/fichier_reglages.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace talven {

namespace {

// The key of a settings line, empty for a blank line, a comment or a line
// without '='.
std::string_view Cle(std::string_view ligne) {
  const std::string_view l = Sans_espaces(ligne);
  if (l.empty() || l[0] == '#') return {};
  const auto egal = l.find('=');
  if (egal == std::string_view::npos) return {};
  return Sans_espaces(l.substr(0, egal));
}

}  // namespace

std::string_view Sans_espaces(std::string_view s) {
  const auto debut = s.find_first_not_of(" \t\r");
  if (debut == std::string_view::npos) return {};
  const auto fin = s.find_last_not_of(" \t\r");
  return s.substr(debut, fin - debut + 1);
}

void Lecture_reglages(
    std::string_view contenu,
    const std::function<void(int numero, std::string_view cle, std::string_view valeur)>& reglage) {
  for (int numero = 1; !contenu.empty(); ++numero) {
    const auto fin = contenu.find('\n');
    const std::string_view ligne = Sans_espaces(contenu.substr(0, fin));
    contenu = fin == std::string_view::npos ? std::string_view{} : contenu.substr(fin + 1);
    const std::string_view cle = Cle(ligne);
    if (cle.empty()) continue;
    reglage(numero, cle, Sans_espaces(ligne.substr(ligne.find('=') + 1)));
  }
}

std::string Reecriture_reglages(std::string_view contenu, const Valeurs_reglages& valeurs) {
  std::vector<bool> ecrite(valeurs.size(), false);
  std::string resultat;
  while (!contenu.empty()) {
    const auto fin = contenu.find('\n');
    const std::string_view ligne =
        contenu.substr(0, fin == std::string_view::npos ? contenu.size() : fin + 1);
    contenu.remove_prefix(ligne.size());
    const std::string_view cle = Cle(ligne.substr(0, ligne.find('\n')));
    const auto v =
        std::find_if(valeurs.begin(), valeurs.end(), [&](const auto& kv) { return kv.first == cle; });
    if (cle.empty() || v == valeurs.end()) {
      resultat += ligne;
      continue;
    }
    const size_t i = static_cast<size_t>(v - valeurs.begin());
    if (ecrite[i] || v->second.empty()) continue;
    ecrite[i] = true;
    resultat += std::string(ligne.substr(0, ligne.find_first_not_of(" \t"))) + v->first + "=" + v->second;
    // The line's own ending, "\r\n" or "\n", or none at the end of the file.
    if (ligne.ends_with("\r\n"))
      resultat += "\r\n";
    else if (ligne.ends_with('\n'))
      resultat += '\n';
  }
  for (size_t i = 0; i < valeurs.size(); ++i) {
    if (ecrite[i] || valeurs[i].second.empty()) continue;
    if (!resultat.empty() && resultat.back() != '\n') resultat += '\n';
    resultat += valeurs[i].first + "=" + valeurs[i].second + "\n";
  }
  return resultat;
}

std::optional<Echec_ecriture> Ecriture_reglages(const std::string& chemin, const Valeurs_reglages& valeurs) {
  namespace fs = std::filesystem;
  for (const auto& [cle, valeur] : valeurs) {
    if (valeur.find_first_of("\r\n") != std::string::npos)
      return Echec_ecriture{chemin, "the value of " + cle + " holds a line break"};
  }
  const fs::path fichier(chemin);
  if (fichier.has_parent_path()) {
    std::error_code e;
    fs::create_directories(fichier.parent_path(), e);
    if (e) return Echec_ecriture{fichier.parent_path().string(), e.message()};
  }
  std::string ancien;
  {
    std::ifstream entree(chemin, std::ios::binary);
    if (entree) {
      std::ostringstream lu;
      lu << entree.rdbuf();
      ancien = lu.str();
    }
  }
  const std::string nouveau = Reecriture_reglages(ancien, valeurs);
  std::string temporaire = chemin + ".XXXXXX";
  const int fd = ::mkstemp(temporaire.data());
  if (fd < 0) return Echec_ecriture{chemin, std::strerror(errno)};
  int erreur = 0;
  for (size_t ecrits = 0; ecrits < nouveau.size();) {
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
  if (erreur == 0 && ::fchmod(fd, ::stat(chemin.c_str(), &etat) == 0 ? (etat.st_mode & 07777) : 0600) != 0)
    erreur = errno;
  if (erreur == 0 && ::fsync(fd) != 0) erreur = errno;
  if (::close(fd) != 0 && erreur == 0) erreur = errno;
  if (erreur == 0 && ::rename(temporaire.c_str(), chemin.c_str()) != 0) erreur = errno;
  if (erreur == 0) return std::nullopt;
  ::unlink(temporaire.c_str());
  return Echec_ecriture{chemin, std::strerror(erreur)};
}

}  // namespace talven
