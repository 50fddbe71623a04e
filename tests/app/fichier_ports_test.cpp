#include "app/fichier_ports.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/manipulation_serie.h"

namespace talven {
namespace {

namespace fs = std::filesystem;

class DossierPorts : public ::testing::Test {
 protected:
  void SetUp() override {
    char modele[] = "/tmp/talven-ports-XXXXXX";
    ASSERT_NE(::mkdtemp(modele), nullptr);
    dossier_ = modele;
  }
  void TearDown() override {
    std::error_code e;
    fs::permissions(dossier_, fs::perms::owner_all, e);
    fs::remove_all(dossier_, e);
  }
  std::string Lire(const fs::path& f) const {
    std::ifstream entree(f);
    std::ostringstream tout;
    tout << entree.rdbuf();
    return tout.str();
  }
  fs::path dossier_;
};

TEST(FichierPorts, RewriteKeepsOtherLinesAndComments) {
  struct Cas {
    const char* nom;
    const char* avant;
    Valeurs_ports valeurs;
    const char* apres;
  };
  const Cas cas[] = {
      {"empty file", "", {{"COM1", "/dev/ttyUSB0"}}, "COM1=/dev/ttyUSB0\n"},
      {"replaced in place, its indentation, comments and others kept",
       "# keying interface\n  COM1 = /dev/ttyS0  \nCOM2=/dev/ttyUSB1\n\n# end\n",
       {{"COM1", "/dev/serial/by-id/usb-FTDI-if00-port0"}},
       "# keying interface\n  COM1=/dev/serial/by-id/usb-FTDI-if00-port0\nCOM2=/dev/ttyUSB1\n\n# end\n"},
      {"later duplicates dropped, so the new value is the one read",
       "COM3=/dev/a\nCOM4=/dev/d\nCOM3=/dev/b\n",
       {{"COM3", "/dev/c"}},
       "COM3=/dev/c\nCOM4=/dev/d\n"},
      {"a commented-out key is left alone and the key appended, last line without newline",
       "# COM2=/dev/old\nnonsense",
       {{"COM2", "/dev/ttyACM0"}},
       "# COM2=/dev/old\nnonsense\nCOM2=/dev/ttyACM0\n"},
      {"several keys, an empty value removes",
       "KEYING=CAT\nCOM1=/dev/x\nCAT_MODEL=2\n",
       {{"KEYING", ""}, {"CAT_MODEL", "1035"}, {"CAT_PORT", "/dev/ttyUSB0"}},
       "COM1=/dev/x\nCAT_MODEL=1035\nCAT_PORT=/dev/ttyUSB0\n"},
      {"CRLF lines kept as they are",
       "# x\r\nCOM2=/dev/y\r\n",
       {{"COM2", "/dev/z"}},
       "# x\r\nCOM2=/dev/z\r\n"},
  };
  for (const Cas& k : cas) {
    SCOPED_TRACE(k.nom);
    const std::string apres = Reecriture_reglages(k.avant, k.valeurs);
    EXPECT_EQ(apres, k.apres);
    // What is written is what is read back.
    Correspondance_ports c;
    c.Lecture_fichier(apres);
    for (const auto& [cle, valeur] : k.valeurs)
      if (cle.rfind("COM", 0) == 0 && !valeur.empty()) {
        EXPECT_EQ(c.Peripheriques[cle[3] - '1'], valeur);
      }
  }
}

TEST_F(DossierPorts, WrittenWholeInANewDirectoryAndKeepsItsMode) {
  const fs::path fichier = dossier_ / "xdg" / "talven" / "ports.conf";
  ASSERT_FALSE(Ecriture_reglages(fichier, {{"COM2", "/dev/ttyUSB0"}}));
  EXPECT_EQ(Lire(fichier), "COM2=/dev/ttyUSB0\n");
  fs::permissions(fichier, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_FALSE(Ecriture_reglages(fichier, {{"COM1", "/dev/ttyACM0"}}));
  EXPECT_EQ(Lire(fichier), "COM2=/dev/ttyUSB0\nCOM1=/dev/ttyACM0\n");
  EXPECT_EQ(fs::status(fichier).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(fichier.parent_path()), fs::directory_iterator()), 1);
}

// The rename fails (a directory is in the way): reported, nothing left
// behind.
TEST_F(DossierPorts, FailedRenameIsReportedAndLeavesNoTemporaryFile) {
  fs::create_directories(dossier_ / "ports.conf" / "x");
  const auto echec = Ecriture_reglages(dossier_ / "ports.conf", {{"COM1", "/dev/ttyUSB0"}});
  ASSERT_TRUE(echec);
  EXPECT_NE(echec->chemin.find("ports.conf"), std::string::npos) << echec->chemin;
  EXPECT_EQ(std::distance(fs::directory_iterator(dossier_), fs::directory_iterator()), 1);
}

TEST_F(DossierPorts, AFileInPlaceOfTheDirectoryIsReported) {
  std::ofstream(dossier_ / "talven") << "";
  const auto echec = Ecriture_reglages(dossier_ / "talven" / "ports.conf", {{"COM1", "/dev/ttyUSB0"}});
  ASSERT_TRUE(echec);
  EXPECT_FALSE(echec->raison.empty());
}

TEST_F(DossierPorts, DevicesListedByIdFirstThenNodesInNumberOrder) {
  fs::create_directories(dossier_ / "serial" / "by-id");
  for (const char* n :
       {"ttyS1", "ttyS0", "ttyUSB10", "ttyUSB2", "ttyACM0", "ttyprintk", "ttySX", "tty1", "null"})
    std::ofstream(dossier_ / n) << "";
  fs::create_symlink("../../ttyUSB2", dossier_ / "serial" / "by-id" / "usb-Silicon_Labs_CP2102-if00-port0");
  fs::create_symlink("../../ttyUSB10", dossier_ / "serial" / "by-id" / "usb-FTDI_FT232R_A1B2-if00-port0");
  const std::string r = dossier_.string();
  EXPECT_EQ(Liste_peripheriques_serie(r),
            (std::vector<Peripherique_serie>{
                {r + "/serial/by-id/usb-FTDI_FT232R_A1B2-if00-port0", "ttyUSB10"},
                {r + "/serial/by-id/usb-Silicon_Labs_CP2102-if00-port0", "ttyUSB2"},
                {r + "/ttyUSB2", ""},
                {r + "/ttyUSB10", ""},
                {r + "/ttyACM0", ""},
                {r + "/ttyS0", ""},
                {r + "/ttyS1", ""},
            }));
  // Without by-id links (no USB adapter plugged in), the nodes alone.
  fs::remove_all(dossier_ / "serial");
  EXPECT_EQ(Liste_peripheriques_serie(r).front(), (Peripherique_serie{r + "/ttyUSB2", ""}));
}

}  // namespace
}  // namespace talven
