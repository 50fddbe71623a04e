#include "app/aide.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>

#include "tests/support/variable_environnement.h"

namespace talven {
namespace {

namespace fs = std::filesystem;

const Langue Anglais{1};
const Langue Francais{2};

// A temporary folder, removed with everything in it.
class Dossier_temporaire {
 public:
  Dossier_temporaire() {
    std::string modele = (fs::temp_directory_path() / "talven-aide-XXXXXX").string();
    if (::mkdtemp(modele.data()) == nullptr) throw std::runtime_error("mkdtemp");
    chemin_ = modele;
  }
  ~Dossier_temporaire() {
    std::error_code e;
    fs::remove_all(chemin_, e);
  }
  Dossier_temporaire(const Dossier_temporaire&) = delete;
  Dossier_temporaire& operator=(const Dossier_temporaire&) = delete;

  // Creates the file `relatif` (and its folders) and returns its path.
  fs::path Fichier(const fs::path& relatif) const {
    const fs::path p = chemin_ / relatif;
    fs::create_directories(p.parent_path());
    std::ofstream(p) << "<!DOCTYPE html>\n";
    return p;
  }
  fs::path operator/(const fs::path& relatif) const { return chemin_ / relatif; }

 private:
  fs::path chemin_;
};

// TALVEN_HELP_DIR for the time of a test (nullptr: unset), then back as it
// was.
struct Variable_aide : test::Variable_environnement {
  explicit Variable_aide(const char* valeur)
      : Variable_environnement("TALVEN_HELP_DIR",
                               valeur != nullptr ? std::optional<std::string>(valeur) : std::nullopt) {}
};

// The path found is absolute and names the file `attendu`.
testing::AssertionResult Trouve(const std::optional<std::string>& chemin, const fs::path& attendu) {
  if (!chemin) return testing::AssertionFailure() << "nothing found, expected " << attendu;
  if (!fs::path(*chemin).is_absolute()) return testing::AssertionFailure() << *chemin << " is not absolute";
  std::error_code e;
  if (!fs::equivalent(*chemin, attendu, e))
    return testing::AssertionFailure() << "found " << *chemin << ", expected " << attendu;
  return testing::AssertionSuccess();
}

// An installed tree: <prefix>/bin/talven and the guide in
// <prefix>/share/talven/help.
struct Installation {
  Dossier_temporaire racine;
  fs::path programme = racine.Fichier("prefix/bin/talven");
  fs::path help = racine.Fichier("prefix/share/talven/help/HELP_PSK.html");
  fs::path aide = racine.Fichier("prefix/share/talven/help/AIDE_PSK.html");
};

TEST(Aide, TheLanguagePicksTheDocument) {
  EXPECT_EQ(Nom_document_aide(Anglais), "HELP_PSK.html");
  EXPECT_EQ(Nom_document_aide(Francais), "AIDE_PSK.html");
  // Before the configuration is read the flag is 0: French.
  EXPECT_EQ(Nom_document_aide(Langue{}), "AIDE_PSK.html");
}

TEST(Aide, EnvironmentFolderComesBeforeTheInstalledGuide) {
  Installation installation;
  Dossier_temporaire essai;
  const fs::path help = essai.Fichier("HELP_PSK.html");
  const fs::path aide = essai.Fichier("AIDE_PSK.html");
  Variable_aide variable((essai / "").c_str());
  EXPECT_TRUE(Trouve(Chemin_aide(Anglais, installation.programme.string(), ""), help));
  EXPECT_TRUE(Trouve(Chemin_aide(Francais, installation.programme.string(), ""), aide));
}

TEST(Aide, EnvironmentFolderWithoutTheDocumentIsPassedOver) {
  Installation installation;
  Dossier_temporaire essai;
  essai.Fichier("HELP_PSK.html");
  Variable_aide variable((essai / "").c_str());
  // Only the English guide is being tried out there.
  EXPECT_TRUE(Trouve(Chemin_aide(Francais, installation.programme.string(), ""), installation.aide));
}

TEST(Aide, InstalledGuideBesideTheProgramOrTheProgramALinkNames) {
  Variable_aide variable(nullptr);
  Installation installation;
  EXPECT_TRUE(Trouve(Chemin_aide(Anglais, installation.programme.string(), ""), installation.help));
  EXPECT_TRUE(Trouve(Chemin_aide(Francais, installation.programme.string(), ""), installation.aide));
  // The path has no ".." left in it.
  const auto chemin = Chemin_aide(Anglais, installation.programme.string(), "");
  ASSERT_TRUE(chemin);
  EXPECT_EQ(fs::path(*chemin), fs::path(*chemin).lexically_normal());

  // /usr/local/bin/talven -> <prefix>/bin/talven: the guide of the prefix.
  const fs::path lien = installation.racine / "ailleurs" / "talven";
  fs::create_directories(lien.parent_path());
  fs::create_symlink(installation.programme, lien);
  EXPECT_TRUE(Trouve(Chemin_aide(Anglais, lien.string(), ""), installation.help));
}

TEST(Aide, SourceTreeComesLast) {
  Variable_aide variable(nullptr);
  Installation installation;
  Dossier_temporaire sources;
  const fs::path help = sources.Fichier("docs/help/HELP_PSK.html");
  const std::string dossier = (sources / "docs/help").string();
  EXPECT_TRUE(Trouve(Chemin_aide(Anglais, installation.programme.string(), dossier), installation.help));
  // A program run from its build folder.
  const fs::path construit = sources.Fichier("build/app/talven");
  EXPECT_TRUE(Trouve(Chemin_aide(Anglais, construit.string(), dossier), help));
}

TEST(Aide, MissingEverywhereGivesNothing) {
  Variable_aide variable(nullptr);
  Dossier_temporaire racine;
  const fs::path programme = racine.Fichier("bin/talven");
  EXPECT_FALSE(Chemin_aide(Anglais, programme.string(), ""));
  // A bare name tells no folder; no source tree.
  EXPECT_FALSE(Chemin_aide(Anglais, "talven", ""));
  EXPECT_FALSE(Chemin_aide(Anglais, "", ""));
  // A folder that only has the other language, or a folder named like the
  // document.
  racine.Fichier("share/talven/help/AIDE_PSK.html");
  fs::create_directories(racine / "share/talven/help/HELP_PSK.html");
  EXPECT_FALSE(Chemin_aide(Anglais, programme.string(), (racine / "share/talven/help").string()));
  // An empty TALVEN_HELP_DIR is no folder (it would be the working one).
  Variable_aide vide("");
  EXPECT_EQ(Dossiers_aide("talven", ""), std::vector<std::string>{});
}

TEST(Aide, TheBuildFindsBothGuidesInItsSourceTree) {
  Variable_aide variable(nullptr);
  for (const Langue& langue : {Anglais, Francais}) {
    const auto chemin = Chemin_aide(langue, "");
    ASSERT_TRUE(chemin) << Nom_document_aide(langue);
    EXPECT_EQ(fs::path(*chemin).parent_path().filename(), "help");
    EXPECT_EQ(fs::path(*chemin).filename(), Nom_document_aide(langue));
  }
}

}  // namespace
}  // namespace talven
