#include "app/manipulation_serie.h"

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/serie_simulee.h"

namespace talven {
namespace {

using Ev = Serie_simulee::Evenement;
const Langue Anglais{1};
const Langue Francais{0};

TEST(ManipulationSerie, ConfigurationByteSelectsPortAndRegisterAddress) {
  struct Cas {
    uint8_t octet;
    bool actif;
    uint8_t port;
    uint16_t adresse;
  };
  // 5 and damaged bytes select nothing and keep the last port.
  const Cas cas[] = {{1, true, 1, 0x3FC},  {2, true, 2, 0x2FC},  {3, true, 3, 0x3EC},   {4, true, 4, 0x2EC},
                     {5, false, 3, 0x3EC}, {0, false, 3, 0x3EC}, {200, false, 3, 0x3EC}};
  for (const Cas& k : cas) {
    Serie_simulee s;
    ManipulationSerie m(s, {});
    m.Choix_port_serie(3);
    m.Choix_port_serie(k.octet);
    EXPECT_EQ(m.Port_serie_actif, k.actif) << int(k.octet);
    EXPECT_EQ(m.Port_serie, k.port) << int(k.octet);
    EXPECT_EQ(m.Adresse_MCR, k.adresse) << int(k.octet);
  }
}

TEST(ManipulationSerie, KeyingWritesDriveDtrAndRtsOfTheOpenPortOnly) {
  Serie_simulee s;
  {
    ManipulationSerie m(s, {});
    m.Choix_port_serie(2);
    ASSERT_TRUE(m.Ouverture_port_serie(m.Port_serie));
    m.Ecriture_mcr(m.Adresse_MCR, ManipulationSerie::Emission);
    m.Ecriture_mcr(0x3FC, ManipulationSerie::Reception);  // another port's register
    m.Ecriture_mcr(0x2FB, ManipulationSerie::Reception);  // another register of the port
    m.Ecriture_mcr(m.Adresse_MCR, ManipulationSerie::Reception);
    m.Ecriture_mcr(m.Adresse_MCR, ManipulationSerie::Emission);
    // Going away while keyed releases the port.
  }
  const std::vector<Ev> attendu{{Ev::Ouverture, "/dev/ttyS1", false, false},
                                {Ev::Lignes, "/dev/ttyS1", true, true},
                                {Ev::Lignes, "/dev/ttyS1", false, false},
                                {Ev::Lignes, "/dev/ttyS1", true, true},
                                {Ev::Fermeture, "/dev/ttyS1", false, false}};
  EXPECT_EQ(s.Journal, attendu);
  EXPECT_EQ(s.Ouverts(), 0u);
}

// The keying path of the program: the port space hands the register writes
// to the keying unit.
TEST(ManipulationSerie, KeyingThroughThePortSpaceFollowsTheSelectedPort) {
  struct Cas {
    uint8_t octet;
    std::vector<Ev> journal;
  };
  const Cas cas[] = {
      {2,
       {{Ev::Ouverture, "/dev/ttyS1", false, false},
        {Ev::Lignes, "/dev/ttyS1", true, true},
        {Ev::Lignes, "/dev/ttyS1", false, false},
        {Ev::Fermeture, "/dev/ttyS1", false, false}}},
      {5, {{Ev::Ouverture, "/dev/ttyS1", false, false}, {Ev::Fermeture, "/dev/ttyS1", false, false}}},
  };
  for (const Cas& k : cas) {
    SCOPED_TRACE(int(k.octet));
    Serie_simulee s;
    ManipulationSerie m(s, {});
    FonctionsPascal pascal;
    pascal.Attache_registre_controle_modem(&m);
    ASSERT_TRUE(m.Ouverture_port_serie(2));
    m.Choix_port_serie(k.octet);
    m.Manipulation_emission(pascal);
    if (k.octet == 2) {
      EXPECT_EQ(pascal.Lecture_port(0x2FC), ManipulationSerie::Emission);
    } else {
      EXPECT_EQ(pascal.Lecture_port(0x2FC), 0);
    }
    m.Manipulation_reception(pascal);
    m.Fermeture_port_serie();
    EXPECT_EQ(s.Journal, k.journal);
  }
}

TEST(ManipulationSerie, KeyingWithoutAnOpenPortDoesNothing) {
  Serie_simulee s;
  ManipulationSerie m(s, {});
  m.Choix_port_serie(1);
  m.Ecriture_mcr(0x3FC, ManipulationSerie::Emission);
  ASSERT_TRUE(m.Ouverture_port_serie(1));
  m.Fermeture_port_serie();
  m.Ecriture_mcr(0x3FC, ManipulationSerie::Emission);
  EXPECT_TRUE(s.Jamais_manipule());
  EXPECT_EQ(m.Poignee(), -1);
}

TEST(ManipulationSerie, OpenAcceptsOnlyCom1ToCom4AndClosesThePreviousPort) {
  Serie_simulee s;
  ManipulationSerie m(s, {});
  EXPECT_FALSE(m.Ouverture_port_serie(0));
  EXPECT_FALSE(m.Ouverture_port_serie(5));
  EXPECT_TRUE(s.Journal.empty());
  ASSERT_TRUE(m.Ouverture_port_serie(1));
  ASSERT_TRUE(m.Ouverture_port_serie(4));
  EXPECT_EQ(s.Ouverts(), 1u);
  s.Existants.erase("/dev/ttyS2");
  EXPECT_FALSE(m.Ouverture_port_serie(3));
  EXPECT_EQ(s.Ouverts(), 0u);
  EXPECT_EQ(m.Poignee(), -1);
}

TEST(ManipulationSerie, TestTextsInBothLanguagesAndTheTestNeverKeys) {
  struct Cas {
    uint8_t octet;
    bool occupe;
    const Langue& langue;
    const char* texte;
  };
  const Cas cas[] = {
      {5, false, Anglais, "No selected serial port."},
      {5, false, Francais, "Pas de port série sélectionné."},
      {3, false, Anglais, "Success when opening the serial port COM 3."},
      {3, false, Francais, "Réussite de l'ouverture du port série COM 3."},
      {2, true, Anglais,
       "Failure when opening the serial port COM 2. May be, is'nt it the mouse? /dev/ttyS1 is held by "
       "another "
       "program. Close it, then try again."},
      {2, true, Francais,
       "Echec de l'ouverture du port série COM 2. Serait-ce la souris? /dev/ttyS1 est tenu par un autre "
       "programme. Fermez-le, puis réessayez."},
  };
  for (const Cas& k : cas) {
    SCOPED_TRACE(k.texte);
    Serie_simulee s;
    if (k.occupe) s.Occupes.insert("/dev/ttyS1");
    ManipulationSerie m(s, {});
    m.Racine_proc = "/talven-no-proc";  // no holder to name
    m.Choix_port_serie(k.octet);
    EXPECT_EQ(Vers_utf8(m.Test_port_serie(k.langue)), k.texte);
    EXPECT_EQ(s.Ouverts(), 0u);
    EXPECT_TRUE(s.Jamais_manipule());
    EXPECT_EQ(s.Journal.size(), k.octet != 5 && !k.occupe ? 2u : 0u);
  }
}

TEST(ManipulationSerie, MessageWhenTheSelectedPortCannotBeOpened) {
  Serie_simulee s;
  ManipulationSerie m(s, {});
  m.Choix_port_serie(4);
  EXPECT_EQ(Vers_utf8(m.Message_port_non_ouvert(Anglais)),
            "The selected serial port (COM 4) cannot be opened. May be, is'nt it the mouse?");
  EXPECT_EQ(Vers_utf8(m.Message_port_non_ouvert(Francais)),
            "Le port série sélectionné (COM 4) ne peut être ouvert. Serait-ce la souris?");
}

TEST(CorrespondancePorts, SettingsFileAndEnvironmentRemapPorts) {
  Correspondance_ports c;
  c.Lecture_fichier(
      "# keying interface\n"
      "  COM1 = /dev/ttyUSB0  \r\n"
      "\n"
      "COM3=/dev/serial/by-id/usb-FTDI-if00\n"
      "COM5=/dev/ttyUSB9\n"
      "com2=/dev/ttyUSB8\n"
      "COM4=\n"
      "nonsense");
  EXPECT_EQ(c.Peripheriques, (std::array<std::string, 4>{"/dev/ttyUSB0", "/dev/ttyS1",
                                                         "/dev/serial/by-id/usb-FTDI-if00", "/dev/ttyS3"}));
  ::setenv("TALVEN_COM3", "/dev/ttyACM0", 1);
  c.Lecture_environnement();
  ::unsetenv("TALVEN_COM3");
  EXPECT_EQ(c.Peripheriques[2], "/dev/ttyACM0");

  Serie_simulee s;
  s.Existants = {"/dev/ttyUSB0"};
  ManipulationSerie m(s, c);
  EXPECT_TRUE(m.Ouverture_port_serie(1));
  EXPECT_FALSE(m.Ouverture_port_serie(2));
}

// A pseudo-terminal stands for a serial port. Its driver has no modem lines
// (TIOCMGET fails), so line states are checked on the simulated back-end
// above; here the exclusive open, the failure text and the release on a
// signal are checked on the real driver.
class PseudoTerminal : public ::testing::Test {
 protected:
  void SetUp() override {
    maitre_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(maitre_, 0);
    ASSERT_EQ(::grantpt(maitre_), 0);
    ASSERT_EQ(::unlockpt(maitre_), 0);
    ports_.Peripheriques[0] = ::ptsname(maitre_);
  }
  void TearDown() override {
    if (maitre_ >= 0) ::close(maitre_);
  }
  int maitre_ = -1;
  Correspondance_ports ports_;
  Serie_linux linux_;
};

TEST_F(PseudoTerminal, PortHeldByAnotherOwnerFailsToOpenUntilReleased) {
  ManipulationSerie premier(linux_, ports_);
  ManipulationSerie second(linux_, ports_);
  second.Choix_port_serie(1);
  ASSERT_TRUE(premier.Ouverture_port_serie(1));
  EXPECT_EQ(Vers_utf8(second.Test_port_serie(Francais))
                .rfind("Echec de l'ouverture du port série COM 1. Serait-ce la souris? ", 0),
            0u);
  EXPECT_FALSE(second.Ouverture_port_serie(1));
  // The driver says the port is busy, and the holder (this very process) is
  // found by its descriptors.
  EXPECT_EQ(second.Erreur_ouverture(), EBUSY);
  EXPECT_NE(Vers_utf8(second.Explication_echec(Anglais)).find(" is held by talven_app_test"),
            std::string::npos)
      << Vers_utf8(second.Explication_echec(Anglais));
  premier.Fermeture_port_serie();
  EXPECT_EQ(Vers_utf8(second.Test_port_serie(Anglais)), "Success when opening the serial port COM 1.");
  EXPECT_TRUE(second.Ouverture_port_serie(1));
}

TEST_F(PseudoTerminal, MissingDeviceOrNonTerminalFailsToOpen) {
  ports_.Peripheriques[1] = "/dev/talven-no-such-port";
  ports_.Peripheriques[2] = "/dev/null";
  ManipulationSerie m(linux_, ports_);
  EXPECT_FALSE(m.Ouverture_port_serie(2));
  EXPECT_EQ(m.Erreur_ouverture(), ENOENT);
  EXPECT_FALSE(m.Ouverture_port_serie(3));
  EXPECT_EQ(m.Erreur_ouverture(), ENOTTY);
  EXPECT_EQ(m.Poignee(), -1);
}

TEST_F(PseudoTerminal, ReleaseGuardLetsTheSignalEndTheProgram) {
  for (int signal : {SIGTERM, SIGINT, SIGSEGV}) {
    const pid_t enfant = ::fork();
    ASSERT_GE(enfant, 0);
    if (enfant == 0) {
      Garde_lignes_serie::Installation();
      ManipulationSerie m(linux_, ports_);
      if (!m.Ouverture_port_serie(1)) ::_exit(3);
      m.Ecriture_mcr(0x3FC, ManipulationSerie::Emission);
      ::raise(signal);
      ::_exit(4);  // the guard swallowed the signal
    }
    int etat = 0;
    ASSERT_EQ(::waitpid(enfant, &etat, 0), enfant);
    ASSERT_TRUE(WIFSIGNALED(etat)) << "signal " << signal << ", exit " << WEXITSTATUS(etat);
    EXPECT_EQ(WTERMSIG(etat), signal);
  }
}

}  // namespace
}  // namespace talven
