// The composition root: what it builds for each choice, and the serial-line
// guard installed exactly when real serial lines can key a transmitter.
#include "app/station/station.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/boite_messages_enregistreuse.h"
#include "tests/support/ptt_enregistreur.h"

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

// CAT keying: the engine keys and releases the rig (Hamlib's dummy rig
// behind a recorder) where it would the serial lines, keyed before any
// audio is played; the serial lines are never touched.
TEST(Station, KeysTheRigByCatThroughTheEngine) {
  test::Boite_messages_enregistreuse boite;
  test::Ptt_enregistreur ptt;
  Parametres_station p;
  p.ports = Correspondance_ports{};
  p.ports->Cat = true;
  p.ports->Modele_cat = Ptt_hamlib::Modele_factice;
  p.ptt = &ptt;
  Station station(p, boite);
  station.Carte_simulee()->Sortie_memoire();
  std::vector<size_t> joues;  // bytes played at each event of the rig
  ptt.Temoin = [&](const test::Ptt_enregistreur::Evenement&) {
    joues.push_back(station.Carte_simulee()->Octets_joues().size());
  };
  station.Choix_port_serie(5);
  ASSERT_TRUE(station.Ouverture_port_serie());
  TraducteurEditeurPsk& m = station.moteur;
  m.A_l_activation_de_la_fiche();
  m.Passage_emission();
  ASSERT_TRUE(m.Emission_active);
  EXPECT_TRUE(ptt.rig.Lecture_emission());
  m.Arret_sans_retour_au_menu();
  ASSERT_FALSE(m.Emission_active);
  EXPECT_FALSE(ptt.rig.Lecture_emission());
  station.Fermeture_port_serie();
  using Ev = test::Ptt_enregistreur::Evenement;
  // Reception's start releases first, as it does the serial lines.
  ASSERT_GE(ptt.Journal.size(), 4u);
  EXPECT_EQ(ptt.Journal.front(), (Ev{Ev::Ouverture, false}));
  const auto cle = std::find(ptt.Journal.begin(), ptt.Journal.end(), Ev{Ev::Emission, true});
  ASSERT_NE(cle, ptt.Journal.end());
  EXPECT_EQ(joues[static_cast<size_t>(cle - ptt.Journal.begin())], 0u);
  EXPECT_EQ(ptt.Journal.back(), (Ev{Ev::Fermeture, false}));
  EXPECT_EQ(ptt.Journal[ptt.Journal.size() - 2], (Ev{Ev::Emission, false}));
  EXPECT_TRUE(station.Serie_simulee_()->Journal.empty());
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
