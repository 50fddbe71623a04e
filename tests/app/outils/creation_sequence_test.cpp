#include "app/creation_sequence/creation_sequence.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/files/disque_de_test.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Applies every operation of Application_reglages as nothing: the editor
// never calls them.
struct Reglages_inertes final : Application_reglages {
  void Application_langue() override {}
  void Application_mixer() override {}
  void Application_entree_son() override {}
  void Application_niveau_entree() override {}
  void Application_niveau_sortie() override {}
  void Choix_port_serie() override {}
};

class CreationSequenceTest : public ::testing::Test {
 protected:
  void Activation(const std::string& fichier, uint8_t valeur_langue = 1) {
    langue.valeur = valeur_langue;
    creation.Fichier_sequence_edite = fichier;
    creation.A_l_activation_de_la_fiche();
  }

  test::Repertoire_temporaire rep;
  test::Boite_messages_enregistreuse boite;
  test::Disque_defaillant disque;
  FonctionsFichiers fichiers{boite, rep.Chemin(), &disque};
  Langue langue{1};
  Reglages_inertes reglages;
  ConfigurationSequences configuration{fichiers, boite, langue, reglages};
  CreationSequence creation{fichiers, configuration, langue};
};

TEST(FiltrageCaractere, TypedCharactersAndWhatEntersTheMemo) {
  struct Cas {
    const char* tape;     // UTF-8, one character
    const char* resultat; // UTF-8, nullptr when refused
  };
  const Cas cas[] = {
      {"a", "A"}, {"m", "M"}, {"z", "Z"}, {"A", "A"}, {"Z", "Z"},
      {"é", "E"}, {"ê", "E"}, {"ë", "E"}, {"è", "E"}, {"É", "E"},
      {"Ç", "C"}, {"ç", "C"},
      {"ü", "U"}, {"û", "U"}, {"ù", "U"}, {"ú", "U"}, {"Ü", "U"},
      {"â", "A"}, {"ä", "A"}, {"à", "A"}, {"å", "A"}, {"á", "A"}, {"Ä", "A"}, {"Å", "A"},
      {"ï", "I"}, {"î", "I"}, {"ì", "I"}, {"í", "I"},
      {"ô", "O"}, {"ö", "O"}, {"ò", "O"}, {"ó", "O"}, {"Ö", "O"},
      {"ÿ", "Y"}, {"ñ", "N"}, {"Ñ", "N"},
      // Accented capitals outside the table, and what the mode cannot send.
      {"À", nullptr}, {"È", nullptr}, {"Ê", nullptr}, {"Ô", nullptr}, {"ß", nullptr}, {"ø", nullptr},
      {"[", nullptr}, {"_", nullptr}, {"~", nullptr}, {"{", nullptr}, {"`", nullptr}, {"\t", nullptr},
      {"\x7f", nullptr}, {"\x1b", nullptr}, {"€", nullptr},
      // Space to "Z" as they are, and the three control characters kept.
      {" ", " "}, {"*", "*"}, {"<", "<"}, {">", ">"}, {"%", "%"}, {"@", "@"}, {"?", "?"},
      {"0", "0"}, {"5", "5"}, {"9", "9"}, {"\r", "\r"}, {"\n", "\n"}, {"\b", "\b"},
  };
  for (const Cas& c : cas) {
    const Texte tape = Depuis_utf8(c.tape);
    ASSERT_EQ(tape.size(), 1u) << c.tape;
    const CreationSequence::Caractere_filtre f = CreationSequence::Filtrage_caractere(static_cast<uint8_t>(tape[0]));
    if (c.resultat == nullptr) {
      EXPECT_FALSE(f.accepte) << c.tape;
    } else {
      EXPECT_TRUE(f.accepte) << c.tape;
      EXPECT_EQ(static_cast<char>(f.octet), c.resultat[0]) << c.tape;
    }
  }
  // Whatever is typed, what gets in is a space to "Z" or one of the three.
  for (int c = 0; c < 256; ++c) {
    const auto f = CreationSequence::Filtrage_caractere(static_cast<uint8_t>(c));
    if (f.accepte) {
      EXPECT_TRUE((f.octet >= 32 && f.octet <= 90) || f.octet == 8 || f.octet == 10 || f.octet == 13) << c;
    }
  }
}

TEST(FiltrageTexte, PastedTextFilteredWithCrLfBreaksAndCutAtTheRoomLeft) {
  struct Cas {
    const char* colle;  // UTF-8
    int32_t place;
    const char* attendu;
  };
  const Cas cas[] = {
      {"cq de f6xyz, près de Nîmes_[ok]~", 100, "CQ DE F6XYZ, PRES DE NIMESOK"},
      {"ligne 1\rligne 2\nligne 3\r\nfin", 100, "LIGNE 1\r\nLIGNE 2\r\nLIGNE 3\r\nFIN"},
      {"a\b\tb", 100, "AB"},
      {"abcdef", 4, "ABCD"},
      {"abc", 3, "ABC"},
      // A refused character takes no room.
      {"aßb", 2, "AB"},
      // A break needs two bytes: with one left it is cut there, and what
      // follows too.
      {"ab\r\ncd", 3, "AB"},
      {"ab\r\ncd", 4, "AB\r\n"},
      {"abc", 0, ""},
      {"abc", -5, ""},
  };
  for (const Cas& c : cas) {
    EXPECT_EQ(CreationSequence::Filtrage_texte(Depuis_utf8(c.colle), c.place), c.attendu)
        << c.colle << " / " << c.place;
  }
}

TEST(TexteSequence, MemoBreaksBecomeCrLfAndCountTwo) {
  EXPECT_EQ(CreationSequence::Texte_sequence("A\rB\nC\r\nD\r"), "A\r\nB\r\nC\r\nD\r\n");
  EXPECT_EQ(CreationSequence::Longueur_sequence("A\rB\nC\r\nD"), 10);
  EXPECT_EQ(CreationSequence::Longueur_sequence(""), 0);
}

TEST_F(CreationSequenceTest, TheCaptionNamesTheFileAndTheSequenceInTheLanguage) {
  struct Cas {
    uint8_t langue;
    const char* fichier;
    const char* titre;
    const char* boutons[3];
  };
  const Cas cas[] = {
      {1, "F15.SER",
       "           PSK text editor (5000 characters maximum)            File: F15.SER            Sequence 3",
       {"Text record", "Text record and return to the menu", "Return to the menu without record"}},
      {2, "F20.SER",
       "           Editeur de texte PSK (maximum 5000 caractères)            Fichier: F20.SER            "
       "Séquence 8",
       {"Sauvegarde du texte", "Sauvegarde du texte et retour au menu", "Retour au menu sans sauvegarde"}},
      {1, "F13.SER",
       "           PSK text editor (5000 characters maximum)            File: F13.SER            Sequence 1",
       {"Text record", "Text record and return to the menu", "Return to the menu without record"}},
  };
  for (const Cas& c : cas) {
    rep.Ecrire(c.fichier, "");
    Activation(c.fichier, c.langue);
    EXPECT_EQ(Vers_utf8(creation.Legende_fenetre), c.titre);
    EXPECT_EQ(Vers_utf8(creation.Legende_Sauvegarde_du_texte), c.boutons[0]);
    EXPECT_EQ(Vers_utf8(creation.Legende_Sauvegarde_abandon), c.boutons[1]);
    EXPECT_EQ(Vers_utf8(creation.Legende_OKBouton), c.boutons[2]);
  }
  // The runs of spaces, counted: eleven at the start, twelve before the
  // file and before the sequence.
  const std::string titre = creation.Legende_fenetre;
  EXPECT_EQ(titre.find_first_not_of(' '), 11u);
  EXPECT_NE(titre.find(std::string(12, ' ') + "File: "), std::string::npos);
  EXPECT_NE(titre.find(std::string(12, ' ') + "Sequence 1"), std::string::npos);
  EXPECT_THAT(boite.messages, IsEmpty());
}

TEST_F(CreationSequenceTest, EachActivationReadsTheFileAgain) {
  rep.Ecrire("F16.SER", "CQ CQ\r\nDE F6XYZ");
  Activation("F16.SER");
  EXPECT_EQ(creation.Texte_sequence_edite, "CQ CQ\r\nDE F6XYZ");
  creation.Sauvegarde_du_texteClick("NEW");
  rep.Ecrire("F16.SER", "CHANGED");
  Activation("F16.SER");
  EXPECT_EQ(creation.Texte_sequence_edite, "CHANGED");
  // A file that cannot be read gives an empty memo, after the file unit's
  // message.
  Activation("F17.SER");
  EXPECT_EQ(creation.Texte_sequence_edite, "");
  EXPECT_THAT(boite.En_utf8(), ElementsAre("Impossible d'ouvrir le fichier F17.SER en lecture."));
}

TEST_F(CreationSequenceTest, RecordingSequence3WritesF15AndEntry3Only) {
  for (int n = 1; n <= 8; ++n) rep.Ecrire(ConfigurationSequences::Nom_fichier_sequence(n), "OLD");
  configuration.Textes_sequences.fill("OLD");
  Activation("F15.SER");
  creation.Sauvegarde_du_texteClick("CQ CQ\rDE F6XYZ\rK");
  EXPECT_EQ(rep.Lire("F15.SER"), "CQ CQ\r\nDE F6XYZ\r\nK");
  EXPECT_EQ(creation.Texte_sequence_edite, "CQ CQ\r\nDE F6XYZ\r\nK");
  for (int n = 1; n <= 8; ++n) {
    const std::string attendu = n == 3 ? "CQ CQ\r\nDE F6XYZ\r\nK" : "OLD";
    EXPECT_EQ(configuration.Textes_sequences[static_cast<size_t>(n - 1)], attendu) << n;
    if (n != 3) {
      EXPECT_EQ(rep.Lire(ConfigurationSequences::Nom_fichier_sequence(n)), "OLD") << n;
    }
  }
  // Recording and returning does the same.
  creation.Sauvegarde_abandonClick("73");
  EXPECT_EQ(rep.Lire("F15.SER"), "73");
  EXPECT_EQ(configuration.Textes_sequences[2], "73");
  EXPECT_THAT(boite.messages, IsEmpty());
}

TEST_F(CreationSequenceTest, AFailedWriteStillUpdatesTheSequenceInMemory) {
  rep.Ecrire("F14.SER", "OLD");
  Activation("F14.SER");
  disque.etape = test::Disque_defaillant::Etape::Ecrire;
  disque.code = ENOSPC;
  creation.Sauvegarde_du_texteClick("QRZ?");
  EXPECT_THAT(boite.En_utf8(), ElementsAre("Ecriture du texte impossible. Disque dur plein? "));
  EXPECT_EQ(rep.Lire("F14.SER"), "OLD");
  EXPECT_EQ(configuration.Textes_sequences[1], "QRZ?");
  EXPECT_EQ(creation.Texte_sequence_edite, "QRZ?");
}

}  // namespace
}  // namespace talven
