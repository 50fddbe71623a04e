// The composition root: what it builds for each choice, and the serial-line
// guard installed exactly when real serial lines can key a transmitter.
#include "app/station/station.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

// In a child process (the guard is process-wide): 1 when a station built
// with `serie` left SIGTERM and SIGSEGV handled, 0 when at their defaults.
int Garde_installee(Parametres_station::Serie serie) {
  const pid_t enfant = ::fork();
  if (enfant == 0) {
    test::Boite_messages_enregistreuse boite;
    Parametres_station p;
    p.serie = serie;
    p.ports = Correspondance_ports{};
    Station station(p, boite);
    struct sigaction terme {};
    struct sigaction segv {};
    ::sigaction(SIGTERM, nullptr, &terme);
    ::sigaction(SIGSEGV, nullptr, &segv);
    const bool installee = terme.sa_handler != SIG_DFL && segv.sa_handler != SIG_DFL;
    ::_exit(installee ? 1 : 0);
  }
  int etat = 0;
  if (enfant < 0 || ::waitpid(enfant, &etat, 0) != enfant || !WIFEXITED(etat)) return -1;
  return WEXITSTATUS(etat);
}

TEST(Station, SerialLineGuardOnlyWithTheRealSerialDriver) {
  EXPECT_EQ(Garde_installee(Parametres_station::Serie::Linux), 1);
  EXPECT_EQ(Garde_installee(Parametres_station::Serie::Simulee), 0);
}

TEST(Station, KeysTheChosenPortThroughTheEngine) {
  test::Boite_messages_enregistreuse boite;
  Parametres_station p;
  p.ports = Correspondance_ports{};
  Station station(p, boite);
  ASSERT_NE(station.Carte_simulee(), nullptr);
  ASSERT_NE(station.Serie_simulee_(), nullptr);
  EXPECT_EQ(station.Mixer_simule(), nullptr);
  station.Choix_port_serie(2);
  ASSERT_TRUE(station.Ouverture_port_serie());
  Serie_simulee& serie = *station.Serie_simulee_();
  ASSERT_FALSE(serie.Journal.empty());
  EXPECT_EQ(serie.Journal.back().peripherique, "/dev/ttyS1");
  EXPECT_TRUE(serie.Jamais_manipule());

  TraducteurEditeurPsk& m = station.moteur;
  m.A_l_activation_de_la_fiche();
  m.Passage_emission();
  ASSERT_TRUE(m.Emission_active);
  EXPECT_TRUE(serie.Journal.back().dtr && serie.Journal.back().rts);
  m.Arret_sans_retour_au_menu();
  ASSERT_FALSE(m.Emission_active);
  EXPECT_FALSE(serie.Journal.back().dtr || serie.Journal.back().rts);
  EXPECT_TRUE(boite.messages.empty());
}

TEST(Station, TransmitWatchdogMinutesFromTheParametersOrElseTheUsersTalvenConf) {
  namespace fs = std::filesystem;
  std::string modele = (fs::temp_directory_path() / "talven-station-XXXXXX").string();
  ASSERT_NE(::mkdtemp(modele.data()), nullptr);
  const fs::path racine = modele;
  fs::create_directories(racine / "talven");
  std::ofstream(racine / "talven" / "talven.conf") << "transmit_watchdog_minutes=3\n";
  std::optional<std::string> ancienne;
  if (const char* v = std::getenv("XDG_CONFIG_HOME")) ancienne = v;
  ::setenv("XDG_CONFIG_HOME", racine.c_str(), 1);

  test::Boite_messages_enregistreuse boite;
  Parametres_station p;
  p.ports = Correspondance_ports{};
  const int32_t du_fichier = Station(p, boite).moteur.Minutes_garde_emission();
  p.minutes_garde_emission = 0;
  const int32_t donne = Station(p, boite).moteur.Minutes_garde_emission();

  if (ancienne) {
    ::setenv("XDG_CONFIG_HOME", ancienne->c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
  fs::remove_all(racine);
  EXPECT_EQ(du_fichier, 3);
  EXPECT_EQ(donne, 0);
}

}  // namespace
}  // namespace talven
