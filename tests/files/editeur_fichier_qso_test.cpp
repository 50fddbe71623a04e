#include "files/editeur_fichier_qso.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/files/disque_de_test.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class Qso_de_test final : public Source_qso {
 public:
  VueTexte Enregistrement_QSO() const override { return enregistrement; }
  int32_t Index_QSO() const override { return index; }

  Texte enregistrement = Texte(100000, ' ');
  int32_t index = 0;
};

class EditeurFichierQsoTest : public ::testing::Test {
 protected:
  void Contact(const std::string& texte) {
    qso.enregistrement.replace(0, texte.size(), texte);
    qso.index = static_cast<int32_t>(texte.size());
  }

  test::Repertoire_temporaire rep;
  test::Boite_messages_enregistreuse boite;
  test::Disque_defaillant disque;
  FonctionsFichiers fichiers{boite, rep.Chemin(), &disque};
  Langue langue;
  Qso_de_test qso;
  EditeurFichierQso editeur{fichiers, langue, qso};
};

TEST_F(EditeurFichierQsoTest, CaptionsFollowTheLanguage) {
  struct Cas {
    uint8_t langue;
    const char* fiche;
    const char* precedent;
    const char* ok;
    const char* rappel;
    const char* fiche_precedent;
  } cas[] = {
      {1, "Reading of the QSO in progress", "Reading of the previous QSO", "Return to the menu",
       "It is reminded that the short bell is noted \"*\", the passage in transmission is noted \"É\" and "
       "the "
       "passage in reception \"Å\".",
       "Reading of the previous QSO"},
      {0, "Lecture du QSO en cours", "Lecture du précédent QSO", "Retour au menu",
       "Rappel: la sonnerie (Bell) se note \"*\", le passage en émission se note \"É\" et le passage en "
       "réception \"Å\".",
       "Lecture du précédent QSO"},
  };
  rep.Ecrire("QSO_PSK.TXT", "");
  for (const auto& c : cas) {
    SCOPED_TRACE(c.fiche);
    langue.valeur = c.langue;
    editeur.A_l_activation_de_la_fiche();
    const auto& l = editeur.Legendes();
    EXPECT_EQ(Vers_utf8(l.Fiche), c.fiche);
    EXPECT_EQ(Vers_utf8(l.PRECEDENT_QSO), c.precedent);
    EXPECT_EQ(Vers_utf8(l.QSO_EN_COURS), c.fiche);
    EXPECT_EQ(Vers_utf8(l.OKBouton), c.ok);
    EXPECT_EQ(Vers_utf8(l.Label1), c.rappel);
    editeur.PRECEDENT_QSOClick();
    EXPECT_EQ(Vers_utf8(editeur.Legendes().Fiche), c.fiche_precedent);
    editeur.QSO_EN_COURSClick();
    EXPECT_EQ(Vers_utf8(editeur.Legendes().Fiche), c.fiche);
  }
}

TEST_F(EditeurFichierQsoTest, ActivationShowsTheWholeContactInProgress) {
  editeur.A_l_activation_de_la_fiche();
  EXPECT_TRUE(editeur.Affichage_QSO_en_cours());
  EXPECT_EQ(editeur.Memo1(), "");  // nothing received or sent yet

  std::string long_contact;
  for (int i = 0; long_contact.size() < 5000; ++i) long_contact += "line " + std::to_string(i) + "\r\n";
  Contact(long_contact);
  editeur.A_l_activation_de_la_fiche();
  EXPECT_EQ(editeur.Memo1(), long_contact);
  EXPECT_EQ(qso.enregistrement.size(), 100000u);
}

TEST_F(EditeurFichierQsoTest, ThePreviousContactIsReadOnceOnEnteringItsState) {
  rep.Ecrire("QSO_PSK.TXT", "previous \xC9 contact");
  Contact("current contact");
  editeur.A_l_activation_de_la_fiche();

  editeur.QSO_EN_COURSClick();  // already shown: nothing changes, nothing read
  EXPECT_TRUE(editeur.Affichage_QSO_en_cours());
  EXPECT_EQ(editeur.Memo1(), "current contact");
  EXPECT_EQ(disque.ouvertures_lecture, 0);

  editeur.PRECEDENT_QSOClick();
  rep.Ecrire("QSO_PSK.TXT", "changed on disk");
  editeur.PRECEDENT_QSOClick();
  EXPECT_FALSE(editeur.Affichage_QSO_en_cours());
  EXPECT_EQ(editeur.Memo1(), "previous \xC9 contact");
  EXPECT_EQ(disque.ouvertures_lecture, 1);

  Contact("current contact, continued");
  editeur.QSO_EN_COURSClick();
  EXPECT_TRUE(editeur.Affichage_QSO_en_cours());
  EXPECT_EQ(editeur.Memo1(), "current contact, continued");

  editeur.PRECEDENT_QSOClick();  // entering the state again reads again
  EXPECT_EQ(editeur.Memo1(), "changed on disk");
  EXPECT_EQ(disque.ouvertures_lecture, 2);
  editeur.A_l_activation_de_la_fiche();  // each showing starts on the contact in progress
  EXPECT_TRUE(editeur.Affichage_QSO_en_cours());
  EXPECT_EQ(editeur.Memo1(), "current contact, continued");
  EXPECT_THAT(boite.messages, IsEmpty());
}

TEST_F(EditeurFichierQsoTest, AnUnreadablePreviousContactShowsTheMessageAndAnEmptyMemo) {
  Contact("current contact");
  editeur.A_l_activation_de_la_fiche();
  editeur.PRECEDENT_QSOClick();
  EXPECT_EQ(editeur.Memo1(), "");
  EXPECT_THAT(boite.En_utf8(), ElementsAre("Impossible d'ouvrir le fichier QSO_PSK.TXT en lecture."));

  rep.Ecrire("QSO_PSK.TXT", "previous contact");
  disque.etape = test::Disque_defaillant::Etape::Lire;
  editeur.QSO_EN_COURSClick();
  editeur.PRECEDENT_QSOClick();
  EXPECT_EQ(editeur.Memo1(), "");
  EXPECT_THAT(boite.En_utf8(), ElementsAre("Impossible d'ouvrir le fichier QSO_PSK.TXT en lecture.",
                                           "Erreur lors de la lecture du fichier QSO_PSK.TXT."));
}

}  // namespace
}  // namespace talven
