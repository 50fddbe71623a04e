#include "app/reglages_utilisateur.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/fichier_reglages.h"
#include "app/manipulation_serie.h"
#include "tests/support/variable_environnement.h"

namespace talven {
namespace {

namespace fs = std::filesystem;

struct CasFichier {
  const char* nom;
  const char* contenu;
  int32_t minutes;
  size_t rapports;  // lines reported as bad
};

class LectureTalvenConf : public ::testing::TestWithParam<CasFichier> {};

TEST_P(LectureTalvenConf, WatchdogMinutesOrTheDefaultWithTheBadLinesReported) {
  Reglages_utilisateur r;
  std::vector<std::string> rapports;
  r.Lecture_fichier(GetParam().contenu, "talven.conf", [&](std::string_view l) { rapports.emplace_back(l); });
  EXPECT_EQ(r.Minutes_garde_emission, GetParam().minutes);
  EXPECT_EQ(rapports.size(), GetParam().rapports) << (rapports.empty() ? "" : rapports.front());
}

INSTANTIATE_TEST_SUITE_P(
    Contenus, LectureTalvenConf,
    ::testing::Values(
        CasFichier{"empty", "", 10, 0}, CasFichier{"set", "transmit_watchdog_minutes=25\n", 25, 0},
        CasFichier{"spaces_and_crlf", "  transmit_watchdog_minutes = 0 \r\n", 0, 0},
        CasFichier{"one_day", "transmit_watchdog_minutes=1440", 1440, 0},
        CasFichier{"comment", "# transmit_watchdog_minutes=3\n", 10, 0},
        CasFichier{"other_keys_and_lines", "colour=blue\nnonsense\n\ntransmit_watchdog_minutes=7", 7, 0},
        CasFichier{"more_than_a_day", "transmit_watchdog_minutes=1441", 10, 1},
        CasFichier{"negative", "transmit_watchdog_minutes=-1", 10, 1},
        CasFichier{"words", "transmit_watchdog_minutes=ten", 10, 1},
        CasFichier{"unit_after_it", "transmit_watchdog_minutes=5 min", 10, 1},
        CasFichier{"empty_value", "transmit_watchdog_minutes=", 10, 1},
        CasFichier{"beyond_32_bits", "transmit_watchdog_minutes=99999999999", 10, 1},
        CasFichier{"bad_after_good", "transmit_watchdog_minutes=5\ntransmit_watchdog_minutes=x", 5, 1}),
    [](const auto& cas) { return std::string(cas.param.nom); });

TEST(LectureTalvenConf, ABadValueIsReportedWithItsLineAndWhatIsKept) {
  Reglages_utilisateur r;
  std::vector<std::string> rapports;
  r.Lecture_fichier("# watchdog\ntransmit_watchdog_minutes=5\ntransmit_watchdog_minutes = 1.5 \n",
                    "/home/op/.config/talven/talven.conf",
                    [&](std::string_view l) { rapports.emplace_back(l); });
  EXPECT_EQ(rapports,
            std::vector<std::string>{"/home/op/.config/talven/talven.conf:3: transmit_watchdog_minutes "
                                     "takes whole minutes from 0 (off) to 1440, not '1.5'; keeping 5"});
}

using Variable = test::Variable_environnement;

// A temporary folder standing for the user's home, removed afterwards.
class Racine : public ::testing::Test {
 protected:
  Racine() {
    std::string modele = (fs::temp_directory_path() / "talven-reglages-XXXXXX").string();
    if (::mkdtemp(modele.data()) == nullptr) throw std::runtime_error("mkdtemp");
    chemin_ = modele;
  }
  ~Racine() override {
    std::error_code e;
    fs::remove_all(chemin_, e);
  }
  void Ecriture(const fs::path& relatif, const std::string& contenu) const {
    const fs::path p = chemin_ / relatif;
    fs::create_directories(p.parent_path());
    std::ofstream(p) << contenu;
  }
  std::string Chemin(const fs::path& relatif) const { return (chemin_ / relatif).string(); }
  std::vector<std::string> rapports;
  Journal journal = [this](std::string_view l) { rapports.emplace_back(l); };

 private:
  fs::path chemin_;
};

TEST_F(Racine, TalvenConfAndPortsConfAreReadFromTheXdgConfigurationDirectory) {
  Ecriture("xdg/talven/talven.conf", "transmit_watchdog_minutes=3\n");
  Ecriture("xdg/talven/ports.conf", "COM1=/dev/ttyUSB0\n");
  Ecriture("home/.config/talven/talven.conf", "transmit_watchdog_minutes=4\n");
  Variable home("HOME", Chemin("home"));
  {
    Variable xdg("XDG_CONFIG_HOME", Chemin("xdg"));
    EXPECT_EQ(Dossier_configuration_utilisateur(), Chemin("xdg/talven"));
    EXPECT_EQ(Reglages_utilisateur::Chargement(journal).Minutes_garde_emission, 3);
    EXPECT_EQ(Correspondance_ports::Chargement().Peripheriques[0], "/dev/ttyUSB0");
  }
  {
    Variable xdg("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(Reglages_utilisateur::Chargement(journal).Minutes_garde_emission, 4);
    EXPECT_EQ(Correspondance_ports::Chargement().Peripheriques[0], "/dev/ttyS0");
  }
  EXPECT_TRUE(rapports.empty());
}

TEST_F(Racine, WithoutAFileOrAHomeTheDefaultStandsSilently) {
  {
    Variable xdg("XDG_CONFIG_HOME", Chemin("nowhere"));
    EXPECT_EQ(Reglages_utilisateur::Chargement(journal).Minutes_garde_emission, 10);
  }
  {
    Variable xdg("XDG_CONFIG_HOME", std::nullopt);
    Variable home("HOME", std::nullopt);
    EXPECT_EQ(Dossier_configuration_utilisateur(), "");
    EXPECT_EQ(Reglages_utilisateur::Chargement(journal).Minutes_garde_emission, 10);
  }
  EXPECT_TRUE(rapports.empty());
}

TEST_F(Racine, TheReportNamesTheUsersFile) {
  Ecriture("xdg/talven/talven.conf", "transmit_watchdog_minutes=often\n");
  Variable xdg("XDG_CONFIG_HOME", Chemin("xdg"));
  EXPECT_EQ(Reglages_utilisateur::Chargement(journal).Minutes_garde_emission, 10);
  ASSERT_EQ(rapports.size(), 1u);
  EXPECT_EQ(rapports.front().rfind(Chemin("xdg/talven/talven.conf") + ":1: ", 0), 0u) << rapports.front();
}

TEST(LectureTalvenConf, SoundDeviceTrimmedTheLastLineWinning) {
  Reglages_utilisateur r;
  std::vector<std::string> rapports;
  const Journal journal = [&](std::string_view l) { rapports.emplace_back(l); };
  r.Lecture_fichier("transmit_watchdog_minutes=5\n", "talven.conf", journal);
  EXPECT_EQ(r.Peripherique_son, "");
  r.Lecture_fichier("# sound_device=hw:0\nsound_device = default\r\n sound_device=plughw:CARD=RADIO,DEV=0 \n",
                    "talven.conf", journal);
  EXPECT_EQ(r.Peripherique_son, "plughw:CARD=RADIO,DEV=0");
  EXPECT_EQ(r.Minutes_garde_emission, 5);
  EXPECT_TRUE(rapports.empty());
}

struct CasReglage {
  const char* nom;
  const char* avant;
  const char* apres;
};

class EcritureTalvenConf : public ::testing::TestWithParam<CasReglage> {};

// One key rewritten; every other line, comment and line ending kept.
TEST_P(EcritureTalvenConf, OneKeyRewrittenTheRestKept) {
  const std::string apres =
      Reecriture_reglages(GetParam().avant, {{"sound_device", "plughw:CARD=RADIO,DEV=0"}});
  EXPECT_EQ(apres, GetParam().apres);
  Reglages_utilisateur r;
  r.Lecture_fichier(apres, "talven.conf", [](std::string_view) {});
  EXPECT_EQ(r.Peripherique_son, "plughw:CARD=RADIO,DEV=0");
}

INSTANTIATE_TEST_SUITE_P(
    Contenus, EcritureTalvenConf,
    ::testing::Values(
        CasReglage{"empty", "", "sound_device=plughw:CARD=RADIO,DEV=0\n"},
        CasReglage{"added_after_a_last_line_without_end", "# mine\ntransmit_watchdog_minutes=3",
                   "# mine\ntransmit_watchdog_minutes=3\nsound_device=plughw:CARD=RADIO,DEV=0\n"},
        CasReglage{
            "replaced_in_place",
            "# the radio\n  sound_device = default  \r\ntransmit_watchdog_minutes=3\n\n# end\n",
            "# the radio\n  sound_device=plughw:CARD=RADIO,DEV=0\r\ntransmit_watchdog_minutes=3\n\n# end\n"},
        CasReglage{"commented_line_untouched", "# sound_device=hw:1\n",
                   "# sound_device=hw:1\nsound_device=plughw:CARD=RADIO,DEV=0\n"},
        CasReglage{"later_duplicates_dropped", "sound_device=a\nx=1\nsound_device=b\nsound_device=c",
                   "sound_device=plughw:CARD=RADIO,DEV=0\nx=1\n"},
        CasReglage{"last_line_without_end", "x=1\nsound_device=a",
                   "x=1\nsound_device=plughw:CARD=RADIO,DEV=0"},
        CasReglage{"similar_key_is_another", "sound_device_old=a\n",
                   "sound_device_old=a\nsound_device=plughw:CARD=RADIO,DEV=0\n"}),
    [](const auto& cas) { return std::string(cas.param.nom); });

std::string Lecture(const std::string& chemin) {
  std::ifstream f(chemin, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

TEST_F(Racine, TheFileAndItsDirectoryAreCreatedThenRewrittenWithNoTemporaryLeft) {
  const std::string chemin = Chemin("xdg/talven/talven.conf");
  ASSERT_TRUE(Reglages_utilisateur::Ecriture_reglage(chemin, "sound_device", "pulse", journal));
  EXPECT_EQ(Lecture(chemin), "sound_device=pulse\n");
  EXPECT_EQ(fs::status(chemin).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  Ecriture("xdg/talven/talven.conf", "# watchdog\ntransmit_watchdog_minutes=2\nsound_device=pulse\n");
  fs::permissions(chemin, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(Reglages_utilisateur::Ecriture_reglage(chemin, "sound_device", "default", journal));
  EXPECT_EQ(Lecture(chemin), "# watchdog\ntransmit_watchdog_minutes=2\nsound_device=default\n");
  EXPECT_EQ(fs::status(chemin).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  size_t fichiers = 0;
  for (const auto& f : fs::directory_iterator(Chemin("xdg/talven"))) fichiers += f.is_regular_file() ? 1 : 0;
  EXPECT_EQ(fichiers, 1u);
  EXPECT_TRUE(rapports.empty());
  {
    Variable xdg("XDG_CONFIG_HOME", Chemin("xdg"));
    EXPECT_EQ(Reglages_utilisateur::Chemin_fichier(), chemin);
    EXPECT_EQ(Reglages_utilisateur::Chargement(journal).Peripherique_son, "default");
  }
}

// What cannot be written is reported and leaves nothing behind: a line
// break in the value, a directory that cannot be made, a file that cannot
// be replaced.
TEST_F(Racine, AFailureIsReportedAndLeavesTheOldFile) {
  Ecriture("fichier", "not a directory");
  Ecriture("conf/talven.conf/dedans", "");  // talven.conf is a directory
  Ecriture("ok/talven.conf", "sound_device=pulse\n");
  EXPECT_FALSE(
      Reglages_utilisateur::Ecriture_reglage(Chemin("ok/talven.conf"), "sound_device", "a\nb=1", journal));
  EXPECT_EQ(Lecture(Chemin("ok/talven.conf")), "sound_device=pulse\n");
  EXPECT_FALSE(Reglages_utilisateur::Ecriture_reglage(Chemin("fichier/talven/talven.conf"), "sound_device",
                                                      "x", journal));
  EXPECT_FALSE(
      Reglages_utilisateur::Ecriture_reglage(Chemin("conf/talven.conf"), "sound_device", "x", journal));
  EXPECT_FALSE(Reglages_utilisateur::Ecriture_reglage("", "sound_device", "x", journal));
  size_t restes = 0;
  for (const auto& f : fs::directory_iterator(Chemin("conf"))) restes += f.is_regular_file() ? 1 : 0;
  EXPECT_EQ(restes, 0u);
  ASSERT_EQ(rapports.size(), 4u);
  EXPECT_NE(rapports[0].find("line break"), std::string::npos) << rapports[0];
  EXPECT_EQ(rapports[2].rfind(Chemin("conf/talven.conf") + ": sound_device not written: ", 0), 0u)
      << rapports[2];
}

}  // namespace
}  // namespace talven
