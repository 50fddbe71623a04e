#include "app/haut_parleur_linux.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace talven {
namespace {

namespace fs = std::filesystem;

TEST(HautParleurLinux, WithoutUsableDeviceBeepsAreSilentAndSaidOnce) {
  // Plain files where the devices would be: none accepts the tone requests.
  const fs::path racine = fs::temp_directory_path() / ("talven_haut_parleur_" + std::to_string(getpid()));
  fs::create_directories(racine / "by-path");
  for (const char* nom : {"by-path/platform-pcspkr-event-spkr", "event0", "event1", "tty0"}) {
    std::ofstream(racine / nom) << "not a device";
  }
  Emplacements_haut_parleur emplacements;
  emplacements.Repertoire_par_chemin = (racine / "by-path").string();
  emplacements.Repertoire_entrees = racine.string();
  emplacements.Consoles = {(racine / "tty0").string(), (racine / "missing").string()};

  std::vector<std::string> lignes;
  auto haut_parleur = Choix_haut_parleur_linux(
      [&lignes](std::string_view ligne) { lignes.emplace_back(ligne); }, emplacements);
  fs::remove_all(racine);

  ASSERT_NE(haut_parleur, nullptr);
  EXPECT_NE(dynamic_cast<Haut_parleur_muet*>(haut_parleur.get()), nullptr);
  ASSERT_EQ(lignes.size(), 1u);
  EXPECT_NE(lignes[0].find("silent"), std::string::npos) << lignes[0];
  haut_parleur->Tonalite(1000);
  haut_parleur->Silence();
}

TEST(HautParleurLinux, BackEndsRefuseWhatIsNotASpeaker) {
  EXPECT_EQ(Haut_parleur_evenement::Ouverture("/dev/null"), nullptr);
  EXPECT_EQ(Haut_parleur_console::Ouverture("/dev/null"), nullptr);
  EXPECT_EQ(Haut_parleur_console::Ouverture("/nonexistent/tty0"), nullptr);
}

}  // namespace
}  // namespace talven
