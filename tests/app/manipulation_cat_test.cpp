// CAT keying over Hamlib's dummy rig (model 1): the keying writes key and
// release the rig's PTT, and opening, testing and closing never key it.
#include <gtest/gtest.h>

#include "app/manipulation_serie.h"
#include "app/serie_simulee.h"
#include "tests/support/ptt_enregistreur.h"

namespace talven {
namespace {

using Ev = test::Ptt_enregistreur::Evenement;
const Langue Anglais{1};
const Langue Francais{0};

Correspondance_ports Cat(int modele, const std::string& port = "/dev/ttyUSB0") {
  Correspondance_ports c;
  c.Cat = true;
  c.Modele_cat = modele;
  c.Port_cat = port;
  return c;
}

TEST(ManipulationCat, KeyingWritesDriveTheRigsPttAndNeverTheSerialLines) {
  Serie_simulee s;
  test::Ptt_enregistreur ptt;
  {
    ManipulationSerie m(s, Cat(Ptt_hamlib::Modele_factice), &ptt);
    FonctionsPascal pascal;
    pascal.Attache_registre_controle_modem(&m);
    m.Choix_port_serie(5);  // the configuration's byte is not looked at
    ASSERT_TRUE(m.Port_serie_actif);
    ASSERT_TRUE(m.Ouverture_selection());
    m.Manipulation_emission(pascal);
    EXPECT_TRUE(ptt.rig.Lecture_emission());
    m.Ecriture_mcr(0x2FC, ManipulationSerie::Reception);  // another port's register
    EXPECT_TRUE(ptt.rig.Lecture_emission());
    m.Manipulation_reception(pascal);
    m.Manipulation_emission(pascal);
    // Going away while keyed releases the rig.
  }
  EXPECT_EQ(ptt.Journal, (std::vector<Ev>{{Ev::Ouverture, false},
                                          {Ev::Emission, true},
                                          {Ev::Emission, false},
                                          {Ev::Emission, true},
                                          {Ev::Fermeture, false}}));
  EXPECT_FALSE(ptt.Ouvert());
  EXPECT_TRUE(s.Journal.empty());
}

TEST(ManipulationCat, OpenTestAndCloseNeverKey) {
  Serie_simulee s;
  test::Ptt_enregistreur ptt;
  ManipulationSerie m(s, Cat(Ptt_hamlib::Modele_factice), &ptt);
  m.Choix_port_serie(2);
  EXPECT_EQ(Vers_utf8(m.Test_port_serie(Anglais)),
            "Success when opening the radio for CAT keying (Hamlib rig model 1 on /dev/ttyUSB0).");
  EXPECT_EQ(
      Vers_utf8(m.Test_port_serie(Francais)),
      "Réussite de l'ouverture de la radio pour la commande par CAT (modèle Hamlib 1 sur /dev/ttyUSB0).");
  EXPECT_FALSE(ptt.Ouvert());
  ASSERT_TRUE(m.Ouverture_selection());
  ASSERT_TRUE(m.Ouverture_selection());  // the rig open is closed first
  m.Fermeture_port_serie();
  m.Fermeture_port_serie();
  EXPECT_EQ(ptt.Journal.size(), 8u);
  EXPECT_TRUE(ptt.Jamais_manipule());
  // Without an open rig the keying writes do nothing.
  m.Ecriture_mcr(m.Adresse_MCR, ManipulationSerie::Emission);
  EXPECT_TRUE(ptt.Jamais_manipule());
  EXPECT_TRUE(s.Journal.empty());
}

TEST(ManipulationCat, RigThatCannotBeOpenedIsReported) {
  struct Cas {
    const char* nom;
    int modele;
    const char* port;
    const Langue& langue;
    const char* texte;
  };
  const Cas cas[] = {
      {"no model chosen", 0, "/dev/ttyUSB0", Anglais,
       "CAT keying is chosen but no rig model is given: choose it in the Serial port menu."},
      {"no model chosen, French", 0, "", Francais,
       "La commande par CAT est choisie sans modèle de radio : choisissez-le dans le menu Port série."},
      {"unknown model", 999999, "/dev/ttyUSB0", Anglais,
       "The radio cannot be opened for CAT keying (Hamlib rig model 999999 on /dev/ttyUSB0): unknown rig "
       "model 999999."},
      // A rig on a serial line (Hamlib's model of a Kenwood TS-2000) whose
      // port is missing: Hamlib's text, then the cause and the remedy.
      {"missing port", 2014, "/dev/talven-no-such-port", Anglais,
       "The radio cannot be opened for CAT keying (Hamlib rig model 2014 on /dev/talven-no-such-port): No "
       "such file or directory. /dev/talven-no-such-port is missing: the interface is unplugged. Plug it in, "
       "or choose "
       "another "
       "CAT port (Serial port menu)."},
  };
  for (const Cas& k : cas) {
    SCOPED_TRACE(k.nom);
    Serie_simulee s;
    test::Ptt_enregistreur ptt;
    ManipulationSerie m(s, Cat(k.modele, k.port), &ptt);
    m.Choix_port_serie(1);
    EXPECT_FALSE(m.Ouverture_selection());
    EXPECT_EQ(Vers_utf8(m.Message_port_non_ouvert(k.langue)), k.texte);
    EXPECT_EQ(Vers_utf8(m.Test_port_serie(k.langue)), k.texte);
    EXPECT_TRUE(ptt.Journal.empty());
    EXPECT_TRUE(s.Journal.empty());
  }
}

TEST(ManipulationCat, SwitchingBackToTheSerialLinesClosesTheRig) {
  Serie_simulee s;
  test::Ptt_enregistreur ptt;
  ManipulationSerie m(s, Cat(Ptt_hamlib::Modele_factice), &ptt);
  m.Choix_port_serie(3);
  ASSERT_TRUE(m.Ouverture_selection());
  m.Choix_cat(false, 1, "/dev/ttyUSB0");
  EXPECT_FALSE(ptt.Ouvert());
  m.Choix_port_serie(3);
  EXPECT_EQ(m.Adresse_MCR, 0x3EC);
  ASSERT_TRUE(m.Ouverture_selection());
  m.Ecriture_mcr(0x3EC, ManipulationSerie::Emission);
  EXPECT_TRUE(ptt.Jamais_manipule());
  EXPECT_TRUE(s.Journal.back().dtr && s.Journal.back().rts);
}

TEST(PttHamlib, DummyStandInOpensTheDummyRigWhateverTheModelAndNamesModels) {
  Ptt_hamlib factice(true);
  ASSERT_TRUE(factice.Ouverture(2014, "/dev/talven-no-such-port"));
  EXPECT_FALSE(factice.Lecture_emission());
  EXPECT_TRUE(factice.Emission(true));
  EXPECT_TRUE(factice.Lecture_emission());
  factice.Fermeture();
  EXPECT_FALSE(factice.Ouvert());
  EXPECT_EQ(Nom_modele_hamlib(Ptt_hamlib::Modele_factice), "Hamlib Dummy");
  EXPECT_EQ(Nom_modele_hamlib(999999), "");
  EXPECT_EQ(Nom_modele_hamlib(0), "");
}

}  // namespace
}  // namespace talven
