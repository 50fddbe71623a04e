#include "app/diagnostic_serie.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace talven {

namespace {

namespace fs = std::filesystem;

// Programs that open serial ports on their own when an interface is
// plugged in.
constexpr const char* Preneurs_connus[] = {"ModemManager", "brltty"};

std::string Nom_processus(const fs::path& dossier) {
  std::ifstream comm(dossier / "comm");
  std::string nom;
  std::getline(comm, nom);
  return nom;
}

std::string Chemin_reel(const std::string& chemin) {
  char reel[PATH_MAX];
  return ::realpath(chemin.c_str(), reel) != nullptr ? std::string(reel) : chemin;
}

bool Est_pid(const std::string& nom) {
  return !nom.empty() && nom.find_first_not_of("0123456789") == std::string::npos;
}

// How to free the port from its holder.
Texte Remede(const std::string& nom, const Langue& langue) {
  if (nom == "ModemManager")
    return langue.Choix(
        " Stop it: sudo systemctl stop ModemManager (for good: sudo systemctl disable --now "
        "ModemManager).",
        " Arrêtez-le : sudo systemctl stop ModemManager (définitivement : sudo systemctl "
        "disable --now ModemManager).");
  if (nom == "brltty")
    return langue.Choix(" Unless you use a braille display, remove it: sudo apt remove brltty.",
                        " Sauf si vous utilisez un afficheur braille, retirez-le : sudo apt remove brltty.");
  return langue.Choix(" Close that program, then try again.", " Fermez ce programme, puis réessayez.");
}

}  // namespace

std::optional<Detenteur_port> Recherche_detenteur(const std::string& peripherique,
                                                  const std::string& racine_proc) {
  const std::string cible = Chemin_reel(peripherique);
  std::optional<Detenteur_port> connu;
  std::error_code e;
  for (const fs::directory_entry& processus : fs::directory_iterator(racine_proc, e)) {
    const std::string pid = processus.path().filename().string();
    if (!Est_pid(pid)) continue;
    std::error_code e_fd;
    // Another user's descriptors cannot be read: the directory is skipped.
    for (const fs::directory_entry& fd : fs::directory_iterator(processus.path() / "fd", e_fd)) {
      std::error_code e_lien;
      const fs::path lien = fs::read_symlink(fd.path(), e_lien);
      if (!e_lien && lien == cible)
        return Detenteur_port{std::atoi(pid.c_str()), Nom_processus(processus.path()), true};
    }
    if (!connu) {
      const std::string nom = Nom_processus(processus.path());
      for (const char* preneur : Preneurs_connus)
        if (nom == preneur) connu = Detenteur_port{std::atoi(pid.c_str()), nom, false};
    }
  }
  return connu;
}

std::string Groupe_peripherique(const std::string& peripherique) {
  struct stat s {};
  if (::stat(peripherique.c_str(), &s) != 0) return "dialout";
  const group* g = ::getgrgid(s.st_gid);
  return g != nullptr && g->gr_name != nullptr ? std::string(g->gr_name) : std::string("dialout");
}

Texte Explication_echec_ouverture(int erreur, const std::string& peripherique, int n,
                                  const std::optional<Detenteur_port>& detenteur, const std::string& groupe,
                                  const Langue& langue) {
  const Texte p = Depuis_utf8(peripherique);
  // What to do instead: another device for the COM port, or for CAT
  // keying (n = 0) another control port.
  const std::string autre = n > 0              ? langue.Anglais()
                                                     ? "map COM " + std::to_string(n) + " to another device"
                                                     : "attribuez un autre périphérique au COM " + std::to_string(n)
                                         : langue.Anglais() ? std::string("choose another CAT port")
                                               : std::string("choisissez un autre port CAT");
  switch (erreur) {
    case 0:
      return {};
    case EACCES:
    case EPERM:
      // Joining root's group is no remedy: the device has to be given to
      // the serial group, or another one chosen.
      if (groupe == "root")
        return langue.Choix("Permission refused on ", "Permission refusée sur ") + p +
               langue.Choix(", which only root may open: " + autre +
                                ", or have it given to the dialout group (a udev rule).",
                            ", que seul root peut ouvrir : " + autre +
                                ", ou faites-le donner au groupe dialout (une règle udev).");
      return langue.Choix("Permission refused on ", "Permission refusée sur ") + p +
             langue.Choix(": your user is not in the group " + groupe + ". Run: sudo usermod -aG " + groupe +
                              " $USER, then log out and in again.",
                          " : votre utilisateur n'est pas dans le groupe " + groupe +
                              ". Tapez : sudo usermod -aG " + groupe +
                              " $USER, puis fermez la session et rouvrez-la.");
    case EBUSY:
      if (detenteur && detenteur->certain)
        return p + langue.Choix(" is held by ", " est tenu par ") + Depuis_utf8(detenteur->nom) +
               langue.Choix(" (process ", " (processus ") + std::to_string(detenteur->pid) + ")." +
               Remede(detenteur->nom, langue);
      if (detenteur)
        return p + langue.Choix(" is held by another program; ", " est tenu par un autre programme ; ") +
               Depuis_utf8(detenteur->nom) + langue.Choix(" (process ", " (processus ") +
               std::to_string(detenteur->pid) +
               langue.Choix(") is running and may be it.", ") tourne et pourrait être celui-là.") +
               Remede(detenteur->nom, langue);
      return p + langue.Choix(" is held by another program. Close it, then try again.",
                              " est tenu par un autre programme. Fermez-le, puis réessayez.");
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return p + langue.Choix(" is missing: the interface is unplugged. Plug it in, or " + autre +
                                  " (Serial port menu).",
                              " est absent : l'interface est débranchée. Branchez-la, ou " + autre +
                                  " (menu Port série).");
    case ENOTTY:
      return p + langue.Choix(" is not a serial port: " + autre + " (Serial port menu).",
                              " n'est pas un port série : " + autre + " (menu Port série).");
    default:
      return langue.Choix("System error ", "Erreur système ") + std::to_string(erreur) + " (" + p + ").";
  }
}

}  // namespace talven
