#include "app/fichier_ports.h"

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

#include "app/reglages_utilisateur.h"

namespace talven {

namespace {

namespace fs = std::filesystem;

std::string_view Sans_espaces(std::string_view s) {
  const auto debut = s.find_first_not_of(" \t\r");
  if (debut == std::string_view::npos) return {};
  const auto fin = s.find_last_not_of(" \t\r");
  return s.substr(debut, fin - debut + 1);
}

// The key of a settings line, empty for a blank line, a comment or a line
// without '='.
std::string_view Cle(std::string_view ligne) {
  const std::string_view l = Sans_espaces(ligne);
  if (l.empty() || l[0] == '#') return {};
  const auto egal = l.find('=');
  if (egal == std::string_view::npos) return {};
  return Sans_espaces(l.substr(0, egal));
}

// ttyUSB10 after ttyUSB9.
bool Ordre_numero(const std::string& a, const std::string& b) {
  const auto chiffres_a = a.find_first_of("0123456789");
  const auto chiffres_b = b.find_first_of("0123456789");
  if (a.substr(0, chiffres_a) != b.substr(0, chiffres_b) || chiffres_a == std::string::npos ||
      chiffres_b == std::string::npos)
    return a < b;
  const std::string na = a.substr(chiffres_a);
  const std::string nb = b.substr(chiffres_b);
  return na.size() != nb.size() ? na.size() < nb.size() : na < nb;
}

}  // namespace

std::string Reecriture_ports_conf(std::string_view contenu, const Valeurs_ports& valeurs) {
  std::vector<bool> ecrite(valeurs.size(), false);
  std::string resultat;
  while (!contenu.empty()) {
    const auto fin = contenu.find('\n');
    const std::string_view ligne = contenu.substr(0, fin);
    contenu = fin == std::string_view::npos ? std::string_view{} : contenu.substr(fin + 1);
    const std::string_view cle = Cle(ligne);
    const auto v =
        std::find_if(valeurs.begin(), valeurs.end(), [&](const auto& kv) { return kv.first == cle; });
    if (cle.empty() || v == valeurs.end()) {
      resultat.append(ligne);
      resultat += '\n';
      continue;
    }
    const size_t i = static_cast<size_t>(v - valeurs.begin());
    if (ecrite[i] || v->second.empty()) continue;
    ecrite[i] = true;
    resultat += v->first + "=" + v->second + "\n";
  }
  for (size_t i = 0; i < valeurs.size(); ++i)
    if (!ecrite[i] && !valeurs[i].second.empty())
      resultat += valeurs[i].first + "=" + valeurs[i].second + "\n";
  return resultat;
}

bool Ecriture_ports_conf(const std::string& chemin, const Valeurs_ports& valeurs, std::string& erreur) {
  const fs::path fichier(chemin);
  std::error_code e;
  fs::create_directories(fichier.parent_path(), e);
  if (e) {
    erreur = fichier.parent_path().string() + ": " + e.message();
    return false;
  }
  std::string ancien;
  mode_t mode = 0644;
  {
    std::ifstream entree(fichier);
    if (entree) {
      std::ostringstream tout;
      tout << entree.rdbuf();
      ancien = tout.str();
      struct stat s {};
      if (::stat(chemin.c_str(), &s) == 0) mode = s.st_mode & 07777;
    }
  }
  const std::string nouveau = Reecriture_ports_conf(ancien, valeurs);
  std::string temporaire = chemin + ".XXXXXX";
  const int fd = ::mkstemp(temporaire.data());
  if (fd < 0) {
    erreur = temporaire + ": " + std::strerror(errno);
    return false;
  }
  bool bon = ::fchmod(fd, mode) == 0;
  size_t ecrit = 0;
  while (bon && ecrit < nouveau.size()) {
    const ssize_t n = ::write(fd, nouveau.data() + ecrit, nouveau.size() - ecrit);
    if (n < 0 && errno == EINTR) continue;
    bon = n > 0;
    if (bon) ecrit += static_cast<size_t>(n);
  }
  bon = bon && ::fsync(fd) == 0;
  const int erreur_ecriture = errno;
  bon = ::close(fd) == 0 && bon;
  if (bon && ::rename(temporaire.c_str(), chemin.c_str()) == 0) return true;
  erreur = chemin + ": " + std::strerror(bon ? errno : erreur_ecriture);
  ::unlink(temporaire.c_str());
  return false;
}

std::string Chemin_ports_conf() {
  const std::string dossier = Dossier_configuration_utilisateur();
  return dossier.empty() ? std::string() : dossier + "/ports.conf";
}

std::vector<Peripherique_serie> Liste_peripheriques_serie(const std::string& racine) {
  std::vector<Peripherique_serie> liste;
  std::error_code e;
  std::vector<std::string> liens;
  for (const fs::directory_entry& lien : fs::directory_iterator(fs::path(racine) / "serial" / "by-id", e))
    liens.push_back(lien.path().filename().string());
  std::sort(liens.begin(), liens.end());
  for (const std::string& nom : liens) {
    const fs::path chemin = fs::path(racine) / "serial" / "by-id" / nom;
    std::error_code e_lien;
    const fs::path cible = fs::read_symlink(chemin, e_lien);
    liste.push_back({chemin.string(), e_lien ? std::string() : cible.filename().string()});
  }
  for (const char* famille : {"ttyUSB", "ttyACM", "ttyS"}) {
    std::vector<std::string> noeuds;
    e.clear();
    for (const fs::directory_entry& n : fs::directory_iterator(racine, e)) {
      const std::string nom = n.path().filename().string();
      const std::string_view f(famille);
      if (nom.size() > f.size() && nom.compare(0, f.size(), f) == 0 &&
          nom.find_first_not_of("0123456789", f.size()) == std::string::npos)
        noeuds.push_back(nom);
    }
    std::sort(noeuds.begin(), noeuds.end(), Ordre_numero);
    for (const std::string& nom : noeuds) liste.push_back({(fs::path(racine) / nom).string(), {}});
  }
  return liste;
}

}  // namespace talven
