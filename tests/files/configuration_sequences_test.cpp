#include "files/configuration_sequences.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/files/disque_de_test.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string Defauts("\x01\x78\x01\x02\x05\x01\x01", 7);

// Records each apply operation with the number of messages shown before it
// and the record it found, to check the order against the messages.
class Reglages_enregistreurs final : public Application_reglages {
 public:
  explicit Reglages_enregistreurs(const test::Boite_messages_enregistreuse& boite) : boite_(boite) {}
  void Application_langue() override { Noter("langue"); }
  void Application_mixer() override { Noter("mixer"); }
  void Application_entree_son() override { Noter("entree_son"); }
  void Application_niveau_entree() override { Noter("niveau_entree"); }
  void Application_niveau_sortie() override { Noter("niveau_sortie"); }
  void Choix_port_serie() override { Noter("port_serie"); }

  std::vector<std::string> appels;
  const ConfigurationSequences* config = nullptr;

 private:
  void Noter(const std::string& nom) {
    appels.push_back(nom + "@" + std::to_string(boite_.messages.size()) + ":" +
                     std::to_string(config ? config->Octet(1) : -1));
  }
  const test::Boite_messages_enregistreuse& boite_;
};

const std::vector<std::string> Application_des_defauts_apres_message = {
    "langue@1:1", "mixer@1:1", "entree_son@1:1", "niveau_entree@1:1", "niveau_sortie@1:1", "port_serie@1:1"};

class ConfigurationTest : public ::testing::Test {
 protected:
  ConfigurationTest() { reglages.config = &config; }

  test::Repertoire_temporaire rep;
  test::Boite_messages_enregistreuse boite;
  test::Disque_defaillant disque;
  FonctionsFichiers fichiers{boite, rep.Chemin(), &disque};
  Langue langue;
  Reglages_enregistreurs reglages{boite};
  ConfigurationSequences config{fichiers, boite, langue, reglages};
};

TEST(ConfigurationValide, EachByteWithinItsValues) {
  auto avec = [](int octet, int valeur) {
    std::string r = Defauts;
    r[static_cast<std::size_t>(octet - 1)] = static_cast<char>(valeur);
    return r;
  };
  struct Cas {
    std::string record;
    bool valide;
  } cas[] = {
      {Defauts, true},
      {Defauts + "abc", true},
      {Defauts + "abcd", false},
      {Defauts.substr(0, 6), false},
      {"", false},
      {avec(1, 2), true},
      {avec(1, 3), false},
      {avec(2, 20), true},
      {avec(2, 100), true},
      {avec(2, 110), false},
      {avec(2, 121), false},
      {avec(3, 6), true},
      {avec(3, 7), false},
      {avec(3, 8), true},
      {avec(3, 10), true},
      {avec(3, 11), false},
      {avec(4, 1), true},
      {avec(4, 3), false},
      {avec(5, 1), true},
      {avec(5, 6), false},
      {avec(6, 3), true},
      {avec(6, 4), false},
      {avec(7, 2), true},
      {avec(7, 0), false},
      {avec(7, 0xFF), false},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(::testing::PrintToString(c.record));
    EXPECT_EQ(ConfigurationSequences::Configuration_valide(c.record), c.valide);
  }
}

TEST_F(ConfigurationTest, AMissingFileGivesOneFrenchMessageThenWritesAndAppliesTheDefaults) {
  config.Lecture_configuration();
  EXPECT_THAT(boite.En_utf8(), ElementsAre("Pas de présence du fichier de configuration CONFPSER.SER, donc "
                                           "paramètres par défaut."));
  EXPECT_EQ(rep.Lire("CONFPSER.SER"), Defauts);
  EXPECT_EQ(config.Configuration, Defauts);
  EXPECT_TRUE(langue.Anglais());
  std::vector<std::string> attendu = {"langue@0:32"};  // the four spaces of a first start
  attendu.insert(attendu.end(), Application_des_defauts_apres_message.begin(),
                 Application_des_defauts_apres_message.end());
  EXPECT_EQ(reglages.appels, attendu);
}

TEST_F(ConfigurationTest, AValidFileIsAppliedAndNotRewritten) {
  for (std::string record : {std::string("\x02\x14\x0A\x01\x01\x03\x02", 7), Defauts + "\x7F\xC9z"}) {
    SCOPED_TRACE(::testing::PrintToString(record));
    rep.Ecrire("CONFPSER.SER", record);
    reglages.appels.clear();
    disque.ouvertures_ecriture = 0;
    config.Lecture_configuration();
    EXPECT_EQ(config.Configuration, record);
    EXPECT_EQ(langue.valeur, static_cast<uint8_t>(record[0]));
    const std::string o = std::to_string(static_cast<uint8_t>(record[0]));
    EXPECT_EQ(reglages.appels, (std::vector<std::string>{"langue@0:" + o, "mixer@0:" + o, "entree_son@0:" + o,
                                                         "niveau_entree@0:" + o, "niveau_sortie@0:" + o,
                                                         "port_serie@0:" + o}));
    EXPECT_EQ(disque.ouvertures_ecriture, 0);
  }
  EXPECT_THAT(boite.messages, IsEmpty());
}

// The altered message follows byte 1 of the record as read: English only
// when it is 1.
TEST_F(ConfigurationTest, AnAlteredFileIsReplacedByTheDefaultsAfterOneMessageInItsLanguage) {
  const char* anglais = "The file CONFPSER.SER is altered, so standard parameters.";
  const char* francais = "Le fichier de configuration CONFPSER.SER est altéré, donc paramètres par défaut.";
  struct Cas {
    const char* nom;
    std::string record;
    const char* message;
    int octet_1_lu;
  } cas[] = {
      {"eleven bytes", Defauts + "abcd", anglais, 1},
      {"byte 3 is 7", std::string("\x01\x78\x07\x02\x05\x01\x01", 7), anglais, 1},
      {"French record, bad byte 7", std::string("\x02\x78\x01\x02\x05\x01\x03", 7), francais, 2},
      {"byte 1 neither 1 nor 2", std::string("\x09\x78\x01\x02\x05\x01\x01", 7), francais, 9},
      {"zero among the first seven bytes", std::string("\x01\x78\x01\x00\x05\x01\x01", 7), anglais, 1},
      {"empty file", "", francais, 0},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.nom);
    rep.Ecrire("CONFPSER.SER", c.record);
    boite.messages.clear();
    reglages.appels.clear();
    config.Lecture_configuration();
    EXPECT_THAT(boite.En_utf8(), ElementsAre(c.message));
    EXPECT_EQ(rep.Lire("CONFPSER.SER"), Defauts);
    EXPECT_EQ(config.Configuration, Defauts);
    std::vector<std::string> attendu = {"langue@0:" + std::to_string(c.octet_1_lu)};
    attendu.insert(attendu.end(), Application_des_defauts_apres_message.begin(),
                   Application_des_defauts_apres_message.end());
    EXPECT_EQ(reglages.appels, attendu);
  }
}

TEST_F(ConfigurationTest, BytesEightToTenSurviveALaterSave) {
  const std::string record = Defauts + "\x03\xC5\x7F";
  rep.Ecrire("CONFPSER.SER", record);
  config.Lecture_configuration();
  ASSERT_EQ(config.Octet(10), 0x7F);
  EXPECT_EQ(config.Octet(11), 0);
  config.Configuration[1] = 40;  // input level x0.4
  EXPECT_EQ(config.Sauvegarde_configuration(), 0);
  EXPECT_EQ(rep.Lire("CONFPSER.SER"), std::string("\x01\x28\x01\x02\x05\x01\x01\x03\xC5\x7F", 10));
  EXPECT_THAT(boite.messages, IsEmpty());
}

TEST_F(ConfigurationTest, AFailedSaveKeepsTheOldFileAndReports) {
  rep.Ecrire("CONFPSER.SER", Defauts);
  config.Lecture_configuration();
  config.Configuration[0] = 2;
  disque.etape = test::Disque_defaillant::Etape::Synchroniser;
  disque.code = ENOSPC;
  EXPECT_EQ(config.Sauvegarde_configuration(), 1);
  EXPECT_EQ(rep.Lire("CONFPSER.SER"), Defauts);
  EXPECT_THAT(boite.En_utf8(), ElementsAre("Ecriture du texte impossible. Disque dur plein? "));
}

class SequencesTest : public ConfigurationTest {
 protected:
  void Ecrire_les_huit() {
    for (int n = 1; n <= 8; ++n)
      rep.Ecrire(ConfigurationSequences::Nom_fichier_sequence(n),
                 "CQ CQ de sequence " + std::to_string(n) + "\r\n");
  }
};

TEST_F(SequencesTest, FilesF13ToF20HoldSequencesOneToEight) {
  EXPECT_EQ(ConfigurationSequences::Nom_fichier_sequence(1), "F13.SER");
  EXPECT_EQ(ConfigurationSequences::Nom_fichier_sequence(8), "F20.SER");
  EXPECT_EQ(ConfigurationSequences::Numero_sequence("F17.SER"), 5);
  EXPECT_EQ(ConfigurationSequences::Numero_sequence("f17.ser"), 0);
  EXPECT_EQ(ConfigurationSequences::Numero_sequence("F21.SER"), 0);
}

TEST_F(SequencesTest, AMissingF17AloneIsRecreatedEmptyAndTheOthersLoad) {
  Ecrire_les_huit();
  std::filesystem::remove(rep.Chemin("F17.SER"));
  config.Textes_sequences[4] = "stale";
  config.Verification_sequences();
  EXPECT_THAT(boite.En_utf8(),
              ElementsAre("Pas de présence du fichier F17.SER, donc réinitialisation de celui-ci."));
  EXPECT_EQ(rep.Lire("F17.SER"), "");
  for (int n = 1; n <= 8; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(config.Textes_sequences[static_cast<std::size_t>(n - 1)],
              n == 5 ? "" : "CQ CQ de sequence " + std::to_string(n) + "\r\n");
  }
}

TEST_F(SequencesTest, AFileOfMoreThan5000BytesIsReplacedByAnEmptyOne) {
  langue.valeur = 1;
  const std::string limite(5000, 'x');
  const std::string trop(5001, 'y');
  // Bytes after a zero still count towards the size.
  const std::string trop_avec_zero = std::string("abc") + '\0' + std::string(4997, 'z');
  rep.Ecrire("F13.SER", limite);
  rep.Ecrire("F14.SER", trop);
  rep.Ecrire("F15.SER", trop_avec_zero);
  rep.Ecrire("F16.SER", "");
  config.Verification_sequence("F13.SER");
  config.Verification_sequence("F14.SER");
  config.Verification_sequence("F15.SER");
  config.Verification_sequence("F16.SER");
  EXPECT_THAT(boite.En_utf8(), ElementsAre("The file F14.SER is altered, so reinitialization of this file.",
                                           "The file F15.SER is altered, so reinitialization of this file."));
  EXPECT_EQ(config.Textes_sequences[0], limite);
  EXPECT_EQ(config.Textes_sequences[1], "");
  EXPECT_EQ(config.Textes_sequences[2], "");
  EXPECT_EQ(config.Textes_sequences[3], "");
  EXPECT_EQ(rep.Lire("F13.SER"), limite);
  EXPECT_EQ(rep.Lire("F14.SER"), "");
  EXPECT_EQ(rep.Lire("F15.SER"), "");
}

TEST_F(SequencesTest, MessagesFollowTheLanguage) {
  struct Cas {
    uint8_t langue;
    const char* absent;
    const char* altere;
  } cas[] = {
      {1, "No presence of the file F20.SER, so reinitialization of this file.",
       "The file F19.SER is altered, so reinitialization of this file."},
      {2, "Pas de présence du fichier F20.SER, donc réinitialisation de celui-ci.",
       "Le fichier F19.SER est altéré, donc réinitialisation de celui-ci."},
  };
  for (const auto& c : cas) {
    boite.messages.clear();
    langue.valeur = c.langue;
    std::filesystem::remove(rep.Chemin("F20.SER"));
    rep.Ecrire("F19.SER", std::string(6000, 'a'));
    config.Verification_sequence("F20.SER");
    config.Verification_sequence("F19.SER");
    EXPECT_THAT(boite.En_utf8(), ElementsAre(c.absent, c.altere));
  }
}

}  // namespace
}  // namespace talven
