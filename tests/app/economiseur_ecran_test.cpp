#include "app/economiseur_ecran.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace talven {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::vector<std::string> Inhibition_puis_fin{"Inhibition(Veille)", "Fin_inhibition()"};

TEST(InhibitionEconomiseur, GivenBackOnEveryWayOutOfItsScope) {
  struct Cas {
    const char* nom;
    std::function<void(Economiseur_enregistreur&)> portee;
  };
  const Cas cas[] = {
      {"end of the scope",
       [](Economiseur_enregistreur& e) {
         Inhibition_economiseur garde(e, "Veille");
         EXPECT_TRUE(garde.Obtenue());
         EXPECT_TRUE(e.Inhibe());
       }},
      {"early return",
       [](Economiseur_enregistreur& e) {
         for (;;) {
           Inhibition_economiseur garde(e, "Veille");
           if (e.Inhibe()) return;
         }
       }},
      {"exception",
       [](Economiseur_enregistreur& e) {
         EXPECT_THROW(
             {
               Inhibition_economiseur garde(e, "Veille");
               throw std::runtime_error("the window failed");
             },
             std::runtime_error);
       }},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    Economiseur_enregistreur e;
    c.portee(e);
    EXPECT_FALSE(e.Inhibe());
    EXPECT_EQ(e.Appels, Inhibition_puis_fin);
  }
}

TEST(InhibitionEconomiseur, GivesBackOnlyWhatItTook) {
  // Refused: nothing to give back.
  Economiseur_enregistreur refus;
  refus.Reussite = false;
  {
    Inhibition_economiseur garde(refus, "Veille");
    EXPECT_FALSE(garde.Obtenue());
  }
  EXPECT_EQ(refus.Appels, std::vector<std::string>{"Inhibition(Veille)"});

  // Nested: the inner guard leaves the outer one's inhibition alone.
  Economiseur_enregistreur e;
  {
    Inhibition_economiseur exterieure(e, "Veille");
    {
      Inhibition_economiseur interieure(e, "Autre");
      EXPECT_TRUE(interieure.Obtenue());
    }
    EXPECT_TRUE(e.Inhibe());
  }
  EXPECT_EQ(e.Appels, Inhibition_puis_fin);
  EXPECT_FALSE(e.Inhibe());
}

TEST(EconomiseurEnregistreur, JournalOfEveryCallAndTheContractsNoOps) {
  Economiseur_enregistreur e;
  e.Fin_inhibition();  // none held: nothing changes
  EXPECT_FALSE(e.Inhibe());
  EXPECT_TRUE(e.Inhibition("A"));
  EXPECT_TRUE(e.Inhibition("B"));  // already held: true
  EXPECT_TRUE(e.Inhibe());
  e.Fin_inhibition();
  EXPECT_FALSE(e.Inhibe());
  e.Reussite = false;
  EXPECT_FALSE(e.Inhibition("C"));
  EXPECT_FALSE(e.Inhibe());
  EXPECT_EQ(e.Appels, (std::vector<std::string>{"Fin_inhibition()", "Inhibition(A)", "Inhibition(B)",
                                                "Fin_inhibition()", "Inhibition(C)"}));
}

TEST(EconomiseurAbsent, RefusesAndSaysSoOnce) {
  std::vector<std::string> lignes;
  Economiseur_absent e([&lignes](std::string_view ligne) { lignes.emplace_back(ligne); });
  EXPECT_FALSE(e.Inhibition("Veille"));
  EXPECT_FALSE(e.Inhibition("Veille"));
  e.Fin_inhibition();
  EXPECT_FALSE(e.Inhibe());
  ASSERT_EQ(lignes.size(), 1u);
  EXPECT_NE(lignes[0].find("may blank"), std::string::npos) << lignes[0];
}

// Whether `pid` is gone (or a zombie) within 2 s.
bool Fini(pid_t pid) {
  for (int essai = 0; essai < 200; ++essai) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string ligne;
    if (!std::getline(stat, ligne)) return true;
    const size_t fin_nom = ligne.rfind(')');
    if (fin_nom != std::string::npos && fin_nom + 2 < ligne.size() &&
        (ligne[fin_nom + 2] == 'Z' || ligne[fin_nom + 2] == 'X'))
      return true;
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

// A private directory put first on PATH, where a fake xdg-screensaver writes
// one line per run: its arguments, each followed by '|'.
class FauxXdgScreensaver : public ::testing::Test {
 protected:
  static constexpr uint64_t Fenetre = 0x4a00007;

  void SetUp() override {
    std::string modele = (fs::temp_directory_path() / "talven_economiseur_XXXXXX").string();
    ASSERT_NE(mkdtemp(modele.data()), nullptr);
    repertoire_ = modele;
    if (const char* path = std::getenv("PATH")) ancien_path_ = path;
    setenv("PATH", (repertoire_.string() + ":" + ancien_path_.value_or("/bin:/usr/bin")).c_str(), 1);
  }

  void TearDown() override {
    if (ancien_path_)
      setenv("PATH", ancien_path_->c_str(), 1);
    else
      unsetenv("PATH");
    fs::remove_all(repertoire_);
  }

  // The fake program: records its arguments, then runs `suite` (shell) in
  // the private directory.
  void Programme(const std::string& suite, bool executable = true) {
    const fs::path chemin = repertoire_ / "xdg-screensaver";
    std::ofstream(chemin) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done >> '"
                          << (repertoire_ / "appels").string() << "'\necho >> '"
                          << (repertoire_ / "appels").string() << "'\ncd '" << repertoire_.string() << "'\n"
                          << suite << "\n";
    ASSERT_EQ(chmod(chemin.c_str(), executable ? 0755 : 0644), 0);
  }

  std::vector<std::string> Appels() const {
    std::vector<std::string> lignes;
    std::ifstream fichier(repertoire_ / "appels");
    for (std::string ligne; std::getline(fichier, ligne);) lignes.push_back(ligne);
    return lignes;
  }

  Journal Enregistre() {
    return [this](std::string_view ligne) { lignes_.emplace_back(ligne); };
  }

  fs::path repertoire_;
  std::optional<std::string> ancien_path_;
  std::vector<std::string> lignes_;
};

TEST_F(FauxXdgScreensaver, SuspendsThenResumesWithTheWindowIdInHexadecimal) {
  Programme("exit 0");
  Economiseur_xdg e(Fenetre, Enregistre());
  EXPECT_TRUE(e.Inhibition("Veille"));
  EXPECT_TRUE(e.Inhibe());
  EXPECT_TRUE(e.Inhibition("Veille"));  // held: not run again
  EXPECT_EQ(Appels(), std::vector<std::string>{"suspend|0x4a00007|"});
  e.Fin_inhibition();
  e.Fin_inhibition();  // none held: not run
  EXPECT_FALSE(e.Inhibe());
  EXPECT_EQ(Appels(), (std::vector<std::string>{"suspend|0x4a00007|", "resume|0x4a00007|"}));
  EXPECT_TRUE(lignes_.empty());
}

TEST_F(FauxXdgScreensaver, WindowSetLaterAndTheDestructorResumesWithTheIdSuspended) {
  Programme("exit 0");
  {
    Economiseur_xdg e;
    e.Fenetre(Fenetre);
    EXPECT_TRUE(e.Inhibition("Veille"));
    e.Fenetre(0x600001);
  }
  EXPECT_EQ(Appels(), (std::vector<std::string>{"suspend|0x4a00007|", "resume|0x4a00007|"}));
}

TEST_F(FauxXdgScreensaver, FailuresGiveFalseAreSaidAndResumeNothing) {
  struct Cas {
    const char* nom;
    std::optional<std::string> programme;  // none: no xdg-screensaver at all
    bool executable;
    uint64_t fenetre;
    bool lance;          // whether the program ran
    const char* raison;  // in the line said
  };
  const Cas cas[] = {
      {"non-zero exit", "exit 3", true, Fenetre, true, "status 3"},
      {"killed by a signal", "kill -KILL $$", true, Fenetre, true, "signal 9"},
      // Its own child is stopped with it (it would hold this test's output).
      {"hangs", "sleep 30 & echo $! > enfant; wait", true, Fenetre, true, "in time"},
      {"not executable", "exit 0", false, Fenetre, false, "could not be run"},
      {"missing", std::nullopt, true, Fenetre, false, "could not be run"},
      {"no window id", "exit 0", true, 0, false, "X window"},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    fs::remove(repertoire_ / "xdg-screensaver");
    fs::remove(repertoire_ / "appels");
    fs::remove(repertoire_ / "enfant");
    lignes_.clear();
    if (c.programme) Programme(*c.programme, c.executable);
    // Nor the system's: a real xdg-screensaver further on PATH would run.
    if (!c.programme || !c.executable) setenv("PATH", repertoire_.c_str(), 1);
    const auto debut = std::chrono::steady_clock::now();
    {
      Economiseur_xdg e(c.fenetre, Enregistre(), 300ms);
      EXPECT_FALSE(e.Inhibition("Veille"));
      EXPECT_FALSE(e.Inhibe());
      e.Fin_inhibition();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - debut, 5s);
    if (pid_t enfant = 0; std::ifstream(repertoire_ / "enfant") >> enfant) {
      EXPECT_TRUE(Fini(enfant)) << "its child " << enfant << " still runs";
    }
    EXPECT_EQ(Appels(),
              c.lance ? std::vector<std::string>{"suspend|0x4a00007|"} : std::vector<std::string>{});
    ASSERT_EQ(lignes_.size(), 1u);
    EXPECT_NE(lignes_[0].find(c.raison), std::string::npos) << lignes_[0];
  }
}

TEST_F(FauxXdgScreensaver, ProgramPresentOnlyAsAnExecutableFileOnPath) {
  setenv("PATH", ("/nonexistent::" + repertoire_.string()).c_str(), 1);
  EXPECT_FALSE(Programme_present("xdg-screensaver"));
  Programme("exit 0", false);
  EXPECT_FALSE(Programme_present("xdg-screensaver"));
  Programme("exit 0", true);
  EXPECT_TRUE(Programme_present("xdg-screensaver"));
  fs::create_directory(repertoire_ / "repertoire");
  EXPECT_FALSE(Programme_present("repertoire"));
  EXPECT_FALSE(Programme_present(""));
}

}  // namespace
}  // namespace talven
