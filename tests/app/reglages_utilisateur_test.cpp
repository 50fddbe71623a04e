#include "app/reglages_utilisateur.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/manipulation_serie.h"

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

// An environment variable for the time of a test, then back as it was.
class Variable {
 public:
  Variable(const char* nom, const std::optional<std::string>& valeur) : nom_(nom) {
    if (const char* v = ::getenv(nom)) ancienne_ = v;
    if (valeur) {
      ::setenv(nom, valeur->c_str(), 1);
    } else {
      ::unsetenv(nom);
    }
  }
  ~Variable() {
    if (ancienne_) {
      ::setenv(nom_, ancienne_->c_str(), 1);
    } else {
      ::unsetenv(nom_);
    }
  }
  Variable(const Variable&) = delete;
  Variable& operator=(const Variable&) = delete;

 private:
  const char* nom_;
  std::optional<std::string> ancienne_;
};

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

}  // namespace
}  // namespace talven
