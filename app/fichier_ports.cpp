#include "app/fichier_ports.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/reglages_utilisateur.h"

namespace talven {

namespace {

namespace fs = std::filesystem;

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
