#include "files/fonctions_fichiers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/files/disque_de_test.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

using test::Disque_defaillant;
using Etape = Disque_defaillant::Etape;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FonctionsFichiersTest : public ::testing::Test {
 protected:
  test::Repertoire_temporaire rep;
  test::Boite_messages_enregistreuse boite;
  Disque_defaillant disque;
  FonctionsFichiers fichiers{boite, rep.Chemin(), &disque};
};

TEST_F(FonctionsFichiersTest, ExistenceIsSilentAndIgnoresDirectories) {
  rep.Ecrire("PRESENT.TXT", "");
  std::filesystem::create_directory(rep.Chemin("DOSSIER"));
  EXPECT_TRUE(fichiers.Existence_fichier("PRESENT.TXT"));
  EXPECT_FALSE(fichiers.Existence_fichier("ABSENT.TXT"));
  EXPECT_FALSE(fichiers.Existence_fichier("DOSSIER"));
  EXPECT_THAT(boite.messages, IsEmpty());
}

TEST_F(FonctionsFichiersTest, ReadTakesAtMostTheLimitAndCutsAtTheFirstZero) {
  const std::string au_dela(100011, 'a');
  struct Cas {
    const char* nom;
    std::string contenu;
    std::string texte;
    int32_t nombre;
  } cas[] = {
      {"empty", "", "", 0},
      {"fifth byte zero", std::string("abcd\0fgh", 8), "abcd", 8},
      {"Windows-1252 bytes untouched", "\xC9\xC5\x80\xFF\r\n", "\xC9\xC5\x80\xFF\r\n", 6},
      {"exactly the limit", std::string(100010, 'b'), std::string(100010, 'b'), 100010},
      {"one byte beyond", au_dela, au_dela.substr(0, 100010), 100010},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.nom);
    rep.Ecrire("LU.TXT", c.contenu);
    Texte texte = "old";
    int32_t nombre = 77;
    EXPECT_EQ(fichiers.Lecture_fichier("LU.TXT", texte, nombre), 0);
    EXPECT_EQ(texte, c.texte);
    EXPECT_EQ(nombre, c.nombre);
  }
  EXPECT_THAT(boite.messages, IsEmpty());
}

TEST_F(FonctionsFichiersTest, ReadOfAMissingFileReportsAndLeavesTheOutputs) {
  Texte texte = "old";
  int32_t nombre = 77;
  EXPECT_EQ(fichiers.Lecture_fichier("QSO_PSK.TXT", texte, nombre), 1);
  EXPECT_EQ(texte, "old");
  EXPECT_EQ(nombre, 77);
  EXPECT_THAT(boite.En_utf8(), ElementsAre("Impossible d'ouvrir le fichier QSO_PSK.TXT en lecture."));
}

TEST_F(FonctionsFichiersTest, ReadErrorsGiveMinusOneAnEmptyTextAndTheirMessage) {
  // A directory opens for reading but cannot be read: a real read error.
  std::filesystem::create_directory(rep.Chemin("DOSSIER"));
  Texte texte = "old";
  int32_t nombre = 77;
  EXPECT_EQ(fichiers.Lecture_fichier("DOSSIER", texte, nombre), 1);
  EXPECT_EQ(texte, "");
  EXPECT_EQ(nombre, -1);
  EXPECT_THAT(boite.En_utf8(), ElementsAre("Erreur lors de la lecture du fichier DOSSIER."));

  boite.messages.clear();
  rep.Ecrire("LU.TXT", "abc");
  disque.etape = Etape::Fermer_lecture;
  disque.code = EIO;
  EXPECT_EQ(fichiers.Lecture_fichier("LU.TXT", texte, nombre), 1);
  EXPECT_EQ(texte, "abc");
  EXPECT_EQ(nombre, 3);
  EXPECT_THAT(boite.En_utf8(), ElementsAre("Erreur lors de fermeture de fichier lec. n°5"));
}

TEST_F(FonctionsFichiersTest, WriteReplacesTheWholeFileUpToTheFirstZero) {
  struct Cas {
    const char* nom;
    std::string texte;
    std::string fichier;
  } cas[] = {
      {"shorter text truncates", "ab", "ab"},
      {"empty text empties the file", "", ""},
      {"zero in the middle", std::string("abc\0def", 7), "abc"},
      {"Windows-1252 bytes untouched", "\xC9 \xC5\r\n*", "\xC9 \xC5\r\n*"},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.nom);
    rep.Ecrire("F13.SER", "a longer previous content");
    EXPECT_EQ(fichiers.Ecriture_fichier("F13.SER", c.texte), 0);
    EXPECT_EQ(rep.Lire("F13.SER"), c.fichier);
    EXPECT_THAT(rep.Noms(), ElementsAre("F13.SER"));
  }
  EXPECT_EQ(fichiers.Ecriture_fichier("NOUVEAU.SER", "new"), 0);
  EXPECT_EQ(rep.Lire("NOUVEAU.SER"), "new");
  EXPECT_THAT(boite.messages, IsEmpty());
}

TEST_F(FonctionsFichiersTest, WriteCompletesShortWritesAndKeepsThePermissions) {
  rep.Ecrire("CONFPSER.SER", "old");
  ::chmod(rep.Chemin("CONFPSER.SER").c_str(), 0640);
  disque.morceau_max = 3;
  EXPECT_EQ(fichiers.Ecriture_fichier("CONFPSER.SER", "0123456789"), 0);
  EXPECT_EQ(rep.Lire("CONFPSER.SER"), "0123456789");
  struct stat e {};
  ASSERT_EQ(::stat(rep.Chemin("CONFPSER.SER").c_str(), &e), 0);
  EXPECT_EQ(e.st_mode & 0777, 0640u);
}

// Every failing step of a write keeps the previous file whole, leaves no
// temporary file behind, reports its message and returns 1.
TEST_F(FonctionsFichiersTest, AFailedWriteKeepsTheOldFileAndReports) {
  struct Cas {
    Etape etape;
    int code;
    std::size_t octets_avant_echec;
    const char* message;
  } cas[] = {
      {Etape::Ouvrir_ecriture, EROFS, 0, "Impossible d'ouvrir le fichier F13.SER en écriture."},
      {Etape::Ecrire, ENOSPC, 4, "Ecriture du texte impossible. Disque dur plein? "},
      {Etape::Ecrire, EIO, 0, "Ecriture du texte impossible. Disque dur plein? "},
      {Etape::Synchroniser, ENOSPC, 0, "Ecriture du texte impossible. Disque dur plein? "},
      {Etape::Fermer_ecriture, EIO, 0, "Erreur lors de fermeture de fichier écr. n°5"},
      {Etape::Renommer, EXDEV, 0, "Erreur lors de fermeture de fichier écr. n°18"},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.message);
    rep.Ecrire("F13.SER", "the previous sequence");
    boite.messages.clear();
    Disque_defaillant panne;
    panne.etape = c.etape;
    panne.code = c.code;
    panne.octets_avant_echec = c.octets_avant_echec;
    FonctionsFichiers f(boite, rep.Chemin(), &panne);
    EXPECT_EQ(f.Ecriture_fichier("F13.SER", "the new sequence"), 1);
    EXPECT_EQ(rep.Lire("F13.SER"), "the previous sequence");
    EXPECT_THAT(rep.Noms(), ElementsAre("F13.SER"));
    EXPECT_THAT(boite.En_utf8(), ElementsAre(c.message));
  }
}

TEST_F(FonctionsFichiersTest, WriteIntoAReadOnlyDirectoryKeepsTheOldFile) {
  rep.Ecrire("CONFPSER.SER", "old");
  ASSERT_EQ(::chmod(rep.Chemin().c_str(), 0555), 0);
  // A privileged user (tests often run as root) writes into a read-only
  // directory anyway: the refusal is then injected at the same step.
  bool refuse_vraiment = ::access(rep.Chemin().c_str(), W_OK) != 0;
  if (!refuse_vraiment) {
    disque.etape = Etape::Ouvrir_ecriture;
    disque.code = EACCES;
  }
  EXPECT_EQ(fichiers.Ecriture_fichier("CONFPSER.SER", "new"), 1);
  EXPECT_EQ(rep.Lire("CONFPSER.SER"), "old");
  EXPECT_THAT(rep.Noms(), ElementsAre("CONFPSER.SER"));
  EXPECT_THAT(boite.En_utf8(), ElementsAre("Impossible d'ouvrir le fichier CONFPSER.SER en écriture."));
}

TEST_F(FonctionsFichiersTest, WriteIntoAMissingDirectoryReportsTheOpen) {
  FonctionsFichiers ailleurs(boite, rep.Chemin("absent"), &disque);
  EXPECT_EQ(ailleurs.Ecriture_fichier("F20.SER", "x"), 1);
  EXPECT_THAT(boite.En_utf8(), ElementsAre("Impossible d'ouvrir le fichier F20.SER en écriture."));
}

TEST_F(FonctionsFichiersTest, BlockWriteReplacesTheFileOnlyWhenTheBlockFitted) {
  rep.Ecrire("QSO_PSK.TXT", "previous contact");
  bool Plus_de_place = true;
  ASSERT_EQ(fichiers.Ouverture_fichier_en_ecriture("QSO_PSK.TXT"), 0);
  EXPECT_EQ(rep.Lire("QSO_PSK.TXT"), "previous contact");  // untouched until the close
  EXPECT_EQ(fichiers.Ecriture_bloc_fichier(std::string("new contact\0rest", 16), Plus_de_place), 0);
  EXPECT_FALSE(Plus_de_place);
  EXPECT_EQ(fichiers.Fermeture_fichier_en_ecriture(), 0);
  EXPECT_EQ(rep.Lire("QSO_PSK.TXT"), "new contact");

  disque.etape = Etape::Ecrire;
  disque.code = ENOSPC;
  disque.octets_avant_echec = 5;
  ASSERT_EQ(fichiers.Ouverture_fichier_en_ecriture("QSO_PSK.TXT"), 0);
  EXPECT_EQ(fichiers.Ecriture_bloc_fichier("a third contact", Plus_de_place), 0);
  EXPECT_TRUE(Plus_de_place);
  EXPECT_EQ(fichiers.Fermeture_fichier_en_ecriture(), 1);
  EXPECT_EQ(rep.Lire("QSO_PSK.TXT"), "new contact");
  EXPECT_THAT(rep.Noms(), ElementsAre("QSO_PSK.TXT"));
  EXPECT_THAT(boite.messages, IsEmpty());  // the caller reports the lack of room
}

TEST_F(FonctionsFichiersTest, BlockWriteWithoutAnOpenFileReports) {
  bool Plus_de_place = true;
  EXPECT_EQ(fichiers.Ecriture_bloc_fichier("text", Plus_de_place), 1);
  EXPECT_FALSE(Plus_de_place);
  EXPECT_EQ(fichiers.Fermeture_fichier_en_ecriture(), 1);
  EXPECT_THAT(boite.En_utf8(), ElementsAre("Impossible d'écrire dans le fichier en écriture."));
  EXPECT_THAT(rep.Noms(), IsEmpty());
}

TEST_F(FonctionsFichiersTest, AnAbandonedBlockWriteLeavesNothingBehind) {
  rep.Ecrire("QSO_PSK.TXT", "previous contact");
  {
    FonctionsFichiers f(boite, rep.Chemin(), &disque);
    ASSERT_EQ(f.Ouverture_fichier_en_ecriture("QSO_PSK.TXT"), 0);
    ASSERT_EQ(f.Ouverture_fichier_en_ecriture("QSO_PSK.TXT"), 0);  // the first one is dropped
    bool Plus_de_place = false;
    f.Ecriture_bloc_fichier("never closed", Plus_de_place);
  }
  EXPECT_EQ(rep.Lire("QSO_PSK.TXT"), "previous contact");
  EXPECT_THAT(rep.Noms(), ElementsAre("QSO_PSK.TXT"));
}

}  // namespace
}  // namespace talven
