#include "transceiver/enregistrement_qso.h"

#include <gtest/gtest.h>

#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

class EnregistrementQsoTest : public ::testing::Test {
 protected:
  // Adds received characters until the fill count is n.
  void Remplissage(int32_t n) {
    while (qso.Index_QSO() < n) qso.Ajout_QSO_recu('x');
  }
  char Dernier() const { return qso.Enregistrement_QSO()[static_cast<size_t>(qso.Index_QSO() - 1)]; }

  test::Boite_messages_enregistreuse boite;
  EnregistrementQso qso{boite};
};

TEST_F(EnregistrementQsoTest, MarkerBlockMakesEverythingBeforeItFinal) {
  qso.Ajout_QSO('A');
  qso.Marque_QSO(EnregistrementQso::Marque_reception);
  EXPECT_EQ(qso.Contenu(), "A\r\n\r\n\xC5 \r\n");
  EXPECT_EQ(qso.Debut_modifiable_QSO(), 9);

  qso.Ajout_QSO_recu('B');
  qso.Effacement_QSO_emis();
  qso.Effacement_QSO_emis();
  qso.Effacement_QSO_recu();
  EXPECT_EQ(qso.Index_QSO(), 9);

  qso.Marque_QSO(EnregistrementQso::Marque_emission);
  EXPECT_EQ(qso.Contenu().substr(9), "\r\n\r\n\xC9 \r\n");
  EXPECT_EQ(qso.Debut_modifiable_QSO(), 17);
}

TEST_F(EnregistrementQsoTest, ReceivedDeletionTakesCarriageReturnAndLineFeedTogether) {
  qso.Marque_QSO(EnregistrementQso::Marque_reception);
  for (uint8_t c : {'A', '\r', '\n'}) qso.Ajout_QSO_recu(c);
  qso.Effacement_QSO_recu();
  EXPECT_EQ(qso.Contenu().substr(8), "A");
  qso.Effacement_QSO_emis();
  EXPECT_EQ(qso.Index_QSO(), 8);
}

// A line feed just after the marker has no carriage return of its own in the
// current block: only it goes.
TEST_F(EnregistrementQsoTest, ReceivedDeletionNeverReachesIntoTheMarker) {
  qso.Marque_QSO(EnregistrementQso::Marque_reception);
  qso.Ajout_QSO_recu('\n');
  qso.Effacement_QSO_recu();
  EXPECT_EQ(qso.Index_QSO(), qso.Debut_modifiable_QSO());
  EXPECT_EQ(qso.Contenu(), "\r\n\r\n\xC5 \r\n");
}

TEST_F(EnregistrementQsoTest, FullRecordDropsReceivedAndOverwritesTransmitted) {
  Remplissage(EnregistrementQso::Taille - 1);
  qso.Ajout_QSO_recu('A');
  EXPECT_EQ(qso.Index_QSO(), EnregistrementQso::Taille);
  EXPECT_EQ(Dernier(), 'A');

  qso.Ajout_QSO_recu('B');
  EXPECT_EQ(qso.Index_QSO(), EnregistrementQso::Taille);
  EXPECT_EQ(Dernier(), 'A');

  qso.Ajout_QSO('C');
  EXPECT_EQ(qso.Index_QSO(), EnregistrementQso::Taille);
  EXPECT_EQ(Dernier(), 'C');

  qso.Marque_QSO(EnregistrementQso::Marque_emission);
  EXPECT_EQ(Dernier(), '\n');
  EXPECT_EQ(qso.Debut_modifiable_QSO(), EnregistrementQso::Taille);
  EXPECT_EQ(qso.Contenu().size(), static_cast<size_t>(EnregistrementQso::Taille));
}

TEST_F(EnregistrementQsoTest, DeletionsWorkUpTo99999AndNotOnAFullRecord) {
  Remplissage(EnregistrementQso::Taille);
  qso.Effacement_QSO_recu();
  qso.Effacement_QSO_emis();
  EXPECT_EQ(qso.Index_QSO(), EnregistrementQso::Taille);

  EnregistrementQso autre(boite);
  while (autre.Index_QSO() < EnregistrementQso::Taille - 1) autre.Ajout_QSO('x');
  autre.Effacement_QSO_emis();
  EXPECT_EQ(autre.Index_QSO(), EnregistrementQso::Taille - 2);
  autre.Effacement_QSO_recu();
  EXPECT_EQ(autre.Index_QSO(), EnregistrementQso::Taille - 3);
}

TEST_F(EnregistrementQsoTest, FullMessageShownOnceUntilTheRecordHasRoomAgain) {
  auto ajout = [this] {
    qso.Ajout_QSO_recu('y');
    qso.Controle_plein();
  };
  Remplissage(EnregistrementQso::Seuil_plein - 1);
  ajout();  // 99997: still room
  EXPECT_TRUE(boite.messages.empty());

  ajout();  // 99998
  ASSERT_EQ(boite.En_utf8(),
            std::vector<std::string>{"No more QSO recording  - Plus d'enregistrement du QSO"});
  ajout();
  ajout();
  qso.Ajout_QSO('z');
  qso.Controle_plein();
  EXPECT_EQ(boite.messages.size(), 1u);

  qso.Effacement_QSO_emis();  // a full record refuses deletions
  ajout();
  EXPECT_EQ(boite.messages.size(), 1u);

  EnregistrementQso autre(boite);
  while (autre.Index_QSO() < EnregistrementQso::Seuil_plein + 2) {
    autre.Ajout_QSO('x');
    autre.Controle_plein();
  }
  EXPECT_EQ(boite.messages.size(), 2u);
  autre.Effacement_QSO_emis();  // 99998: still full
  autre.Ajout_QSO('x');
  autre.Controle_plein();
  EXPECT_EQ(boite.messages.size(), 2u);
  autre.Effacement_QSO_emis();
  autre.Effacement_QSO_emis();  // 99997: room again
  autre.Ajout_QSO('x');
  autre.Controle_plein();
  EXPECT_EQ(boite.messages.size(), 3u);
}

// A record that keeps nothing (the command line's) takes every operation of
// a contact longer than the record and stays empty, without a warning.
TEST_F(EnregistrementQsoTest, RecordKeepingNothingNeverFills) {
  EnregistrementQso rien(boite, false);
  rien.Marque_QSO(EnregistrementQso::Marque_emission);
  for (int32_t i = 0; i < EnregistrementQso::Taille + 10; ++i) {
    rien.Ajout_QSO('x');
    rien.Ajout_QSO_recu('y');
    rien.Controle_plein();
  }
  rien.Effacement_QSO_recu();
  rien.Effacement_QSO_emis();
  rien.Marque_QSO(EnregistrementQso::Marque_reception);
  EXPECT_EQ(rien.Index_QSO(), 0);
  EXPECT_EQ(rien.Debut_modifiable_QSO(), 0);
  EXPECT_TRUE(rien.Contenu().empty());
  EXPECT_TRUE(boite.messages.empty());
}

}  // namespace
}  // namespace talven
