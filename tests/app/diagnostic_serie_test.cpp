#include "app/diagnostic_serie.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "app/manipulation_serie.h"
#include "app/serie_simulee.h"

namespace talven {
namespace {

namespace fs = std::filesystem;
const Langue Anglais{1};
const Langue Francais{0};

// A directory that goes away with the test.
class Dossier_temporaire {
 public:
  Dossier_temporaire() {
    char modele[] = "/tmp/talven-diagnostic-XXXXXX";
    chemin_ = ::mkdtemp(modele);
  }
  ~Dossier_temporaire() {
    std::error_code e;
    fs::remove_all(chemin_, e);
  }
  const fs::path& Chemin() const { return chemin_; }

 private:
  fs::path chemin_;
};

// A fake /proc: processes with a name and the files they hold open.
void Processus(const fs::path& proc, int pid, const std::string& nom, const std::vector<fs::path>& ouverts) {
  const fs::path dossier = proc / std::to_string(pid);
  fs::create_directories(dossier / "fd");
  std::ofstream(dossier / "comm") << nom << "\n";
  int fd = 0;
  for (const fs::path& f : ouverts) fs::create_symlink(f, dossier / "fd" / std::to_string(fd++));
}

TEST(DiagnosticSerie, FailureCausesInBothLanguages) {
  const Detenteur_port mm{812, "ModemManager", true};
  const Detenteur_port brltty{90, "brltty", true};
  const Detenteur_port minicom{4242, "minicom", true};
  const Detenteur_port mm_peut_etre{812, "ModemManager", false};
  struct Cas {
    int erreur;
    std::optional<Detenteur_port> detenteur;
    const Langue& langue;
    const char* texte;
  };
  const Cas cas[] = {
      {0, std::nullopt, Anglais, ""},
      {EACCES, std::nullopt, Anglais,
       "Permission refused on /dev/ttyUSB0: your user is not in the group dialout. Run: sudo usermod -aG "
       "dialout $USER, then log out and in again."},
      {EPERM, std::nullopt, Francais,
       "Permission refusée sur /dev/ttyUSB0 : votre utilisateur n'est pas dans le groupe dialout. Tapez : "
       "sudo "
       "usermod -aG dialout $USER, puis fermez la session et rouvrez-la."},
      {EBUSY, mm, Anglais,
       "/dev/ttyUSB0 is held by ModemManager (process 812). Stop it: sudo systemctl stop ModemManager (for "
       "good: sudo systemctl disable --now ModemManager)."},
      {EBUSY, mm, Francais,
       "/dev/ttyUSB0 est tenu par ModemManager (processus 812). Arrêtez-le : sudo systemctl stop "
       "ModemManager "
       "(définitivement : sudo systemctl disable --now ModemManager)."},
      {EBUSY, brltty, Anglais,
       "/dev/ttyUSB0 is held by brltty (process 90). Unless you use a braille display, remove it: sudo apt "
       "remove brltty."},
      {EBUSY, minicom, Francais,
       "/dev/ttyUSB0 est tenu par minicom (processus 4242). Fermez ce programme, puis réessayez."},
      {EBUSY, mm_peut_etre, Anglais,
       "/dev/ttyUSB0 is held by another program; ModemManager (process 812) is running and may be it. Stop "
       "it: sudo systemctl stop ModemManager (for good: sudo systemctl disable --now ModemManager)."},
      {EBUSY, std::nullopt, Anglais, "/dev/ttyUSB0 is held by another program. Close it, then try again."},
      {ENOENT, std::nullopt, Anglais,
       "/dev/ttyUSB0 is missing: the interface is unplugged. Plug it in, or map COM 2 to another device "
       "(Serial port menu)."},
      {ENXIO, std::nullopt, Francais,
       "/dev/ttyUSB0 est absent : l'interface est débranchée. Branchez-la, ou attribuez un autre "
       "périphérique au COM 2 (menu Port série)."},
      {ENODEV, std::nullopt, Anglais,
       "/dev/ttyUSB0 is missing: the interface is unplugged. Plug it in, or map COM 2 to another device "
       "(Serial port menu)."},
      {ENOTTY, std::nullopt, Anglais,
       "/dev/ttyUSB0 is not a serial port: map COM 2 to another device (Serial port menu)."},
      {EIO, std::nullopt, Francais, "Erreur système 5 (/dev/ttyUSB0)."},
  };
  for (const Cas& k : cas) {
    SCOPED_TRACE(k.texte);
    EXPECT_EQ(
        Vers_utf8(Explication_echec_ouverture(k.erreur, "/dev/ttyUSB0", 2, k.detenteur, "dialout", k.langue)),
        k.texte);
  }
  // The device's own group is named when it is not dialout.
  EXPECT_EQ(Vers_utf8(Explication_echec_ouverture(EACCES, "/dev/ttyACM0", 1, std::nullopt, "uucp", Anglais)),
            "Permission refused on /dev/ttyACM0: your user is not in the group uucp. Run: sudo usermod -aG "
            "uucp $USER, then log out and in again.");
  // A device only root may open: no group to join.
  EXPECT_EQ(
      Vers_utf8(Explication_echec_ouverture(EACCES, "/dev/ttyS0", 1, std::nullopt, "root", Francais)),
      "Permission refusée sur /dev/ttyS0, que seul root peut ouvrir : attribuez un autre périphérique au "
      "COM 1, ou faites-le donner au groupe dialout (une règle udev).");
}

TEST(DiagnosticSerie, HolderFoundByItsDescriptorsThroughTheByIdLink) {
  Dossier_temporaire d;
  const fs::path proc = d.Chemin() / "proc";
  const fs::path appareil = d.Chemin() / "ttyUSB0";
  std::ofstream(appareil) << "";
  fs::create_directories(d.Chemin() / "by-id");
  const fs::path lien = d.Chemin() / "by-id" / "usb-FTDI_FT232R-if00-port0";
  fs::create_symlink(appareil, lien);
  fs::create_directories(proc / "self");  // not a process number
  Processus(proc, 12, "bash", {"/dev/null", d.Chemin() / "ttyUSB1"});
  Processus(proc, 812, "ModemManager", {});  // running, descriptors not seen
  EXPECT_EQ(Recherche_detenteur(lien.string(), proc.string()), (Detenteur_port{812, "ModemManager", false}));
  Processus(proc, 4242, "minicom", {"/dev/null", appareil});
  EXPECT_EQ(Recherche_detenteur(lien.string(), proc.string()), (Detenteur_port{4242, "minicom", true}));
  EXPECT_EQ(Recherche_detenteur((d.Chemin() / "ttyUSB9").string(), proc.string()),
            (Detenteur_port{812, "ModemManager", false}));
  EXPECT_EQ(Recherche_detenteur(appareil.string(), (d.Chemin() / "no-proc").string()), std::nullopt);
}

// The status line and the message box keep their texts and add the cause
// and what to do; the refusals come from the simulated driver.
TEST(DiagnosticSerie, RefusedOpenExplainedInTheCheckAndTheMessageBox) {
  Dossier_temporaire d;
  Processus(d.Chemin(), 777, "brltty", {"/dev/ttyS1"});
  struct Cas {
    int refus;
    const char* verification;
    const char* message;
  };
  const Cas cas[] = {
      {EACCES,
       "Failure when opening the serial port COM 2. May be, is'nt it the mouse? Permission refused on "
       "/dev/ttyS1: your user is not in the group dialout. Run: sudo usermod -aG dialout $USER, then log out "
       "and in again.",
       "The selected serial port (COM 2) cannot be opened. May be, is'nt it the mouse?\n\nPermission refused "
       "on /dev/ttyS1: your user is not in the group dialout. Run: sudo usermod -aG dialout $USER, then log "
       "out and in again."},
      {EBUSY,
       "Failure when opening the serial port COM 2. May be, is'nt it the mouse? /dev/ttyS1 is held by brltty "
       "(process 777). Unless you use a braille display, remove it: sudo apt remove brltty.",
       "The selected serial port (COM 2) cannot be opened. May be, is'nt it the mouse?\n\n/dev/ttyS1 is held "
       "by brltty (process 777). Unless you use a braille display, remove it: sudo apt remove brltty."},
  };
  for (const Cas& k : cas) {
    SCOPED_TRACE(k.refus);
    Serie_simulee s;
    s.Refus["/dev/ttyS1"] = k.refus;
    Correspondance_ports ports;
    ManipulationSerie m(s, ports);
    m.Racine_proc = d.Chemin().string();
    m.Choix_port_serie(2);
    EXPECT_EQ(Vers_utf8(m.Test_port_serie(Anglais)), k.verification);
    EXPECT_FALSE(m.Ouverture_port_serie(2));
    EXPECT_EQ(m.Erreur_ouverture(), k.refus);
    EXPECT_EQ(Vers_utf8(m.Message_port_non_ouvert(Anglais)), k.message);
    EXPECT_TRUE(s.Jamais_manipule());
    // Once the port opens, nothing more is explained.
    s.Refus.clear();
    EXPECT_TRUE(m.Ouverture_port_serie(2));
    EXPECT_TRUE(m.Explication_echec(Anglais).empty());
  }
  // A missing device says so.
  Serie_simulee s;
  ManipulationSerie m(s, {});
  s.Existants.erase("/dev/ttyS3");
  m.Choix_port_serie(4);
  EXPECT_EQ(
      Vers_utf8(m.Test_port_serie(Francais)),
      "Echec de l'ouverture du port série COM 4. Serait-ce la souris? /dev/ttyS3 est absent : l'interface "
      "est débranchée. Branchez-la, ou attribuez un autre périphérique au COM 4 (menu Port série).");
}

}  // namespace
}  // namespace talven
