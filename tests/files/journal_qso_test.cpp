#include "files/journal_qso.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/files/disque_de_test.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

using test::Disque_defaillant;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class JournalQsoTest : public ::testing::Test {
 protected:
  JournalQsoTest() {
    // A record of the program's length: a contact with both direction
    // markers, then the unused rest.
    enregistrement = Depuis_utf8("\r\n\r\nÉ \r\nCQ CQ de F6XYZ\r\n\r\nÅ \r\nF6XYZ de F1ABC *");
    longueur_qso = static_cast<int32_t>(enregistrement.size());
    enregistrement.resize(100000, ' ');
  }

  test::Repertoire_temporaire rep;
  test::Boite_messages_enregistreuse boite;
  Disque_defaillant disque;
  FonctionsFichiers fichiers{boite, rep.Chemin(), &disque};
  Langue langue;
  JournalQso journal{fichiers, boite, langue};
  Texte enregistrement;
  int32_t longueur_qso = 0;
};

TEST_F(JournalQsoTest, OnlyARecordOfMoreThanEightCharactersReplacesTheLog) {
  struct Cas {
    int32_t Index_QSO;
    std::optional<std::string> fichier;  // nothing: the previous log stays
  } cas[] = {
      {-1, std::nullopt},       {0, std::nullopt},        {8, std::nullopt}, {9, "\r\n\r\n\xC9 \r\nC"},
      {100000, enregistrement}, {100001, enregistrement},  // never beyond the record
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.Index_QSO);
    rep.Ecrire("QSO_PSK.TXT", "previous contact");
    EXPECT_EQ(journal.Ecriture_journal_qso(enregistrement, c.Index_QSO), 0);
    EXPECT_EQ(rep.Lire("QSO_PSK.TXT"), c.fichier.value_or("previous contact"));
    EXPECT_THAT(rep.Noms(), ElementsAre("QSO_PSK.TXT"));
  }
  EXPECT_EQ(journal.Ecriture_journal_qso(enregistrement, longueur_qso), 0);
  EXPECT_EQ(rep.Lire("QSO_PSK.TXT"), enregistrement.substr(0, static_cast<std::size_t>(longueur_qso)));
  EXPECT_THAT(boite.messages, IsEmpty());
}

TEST_F(JournalQsoTest, ABlockThatDidNotFitKeepsThePreviousLogAndSaysSo) {
  struct Cas {
    uint8_t langue;
    const char* message;
  } cas[] = {
      {1, "No more room to write in the QSO file."},
      {2, "Plus de place pour écrire le fichier de QSO."},
  };
  for (const auto& c : cas) {
    rep.Ecrire("QSO_PSK.TXT", "previous contact");
    boite.messages.clear();
    langue.valeur = c.langue;
    Disque_defaillant plein;
    plein.etape = Disque_defaillant::Etape::Ecrire;
    plein.code = ENOSPC;
    plein.octets_avant_echec = 12;
    FonctionsFichiers f(boite, rep.Chemin(), &plein);
    JournalQso j(f, boite, langue);
    EXPECT_EQ(j.Ecriture_journal_qso(enregistrement, longueur_qso), 1);
    EXPECT_EQ(rep.Lire("QSO_PSK.TXT"), "previous contact");
    EXPECT_THAT(rep.Noms(), ElementsAre("QSO_PSK.TXT"));
    EXPECT_THAT(boite.En_utf8(), ElementsAre(c.message));
  }
}

TEST_F(JournalQsoTest, ALogThatCannotBeCreatedIsReportedOnce) {
  disque.etape = Disque_defaillant::Etape::Ouvrir_ecriture;
  disque.code = EACCES;
  EXPECT_EQ(journal.Ecriture_journal_qso(enregistrement, longueur_qso), 1);
  EXPECT_FALSE(rep.Lire("QSO_PSK.TXT").has_value());
  EXPECT_THAT(boite.En_utf8(), ElementsAre("Impossible d'ouvrir le fichier QSO_PSK.TXT en écriture."));
}

}  // namespace
}  // namespace talven
