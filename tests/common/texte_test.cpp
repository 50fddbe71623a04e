#include "common/texte.h"

#include <gtest/gtest.h>

#include "common/arrondi.h"
#include "common/langue.h"

namespace talven {
namespace {

TEST(Texte, Utf8AndWindows1252RoundTripTheMarkersAndAccents) {
  Texte t = Depuis_utf8("É Å é € n°");
  EXPECT_EQ(t, Texte("\xC9 \xC5 \xE9 \x80 n\xB0"));
  EXPECT_EQ(Vers_utf8(t), "É Å é € n°");
  EXPECT_EQ(Depuis_utf8("漢"), "?");
}

TEST(Arrondi, TiesGoToEven) {
  EXPECT_EQ(Arrondi(122.5L), 122);
  EXPECT_EQ(Arrondi(1102.5L), 1102);
  EXPECT_EQ(Arrondi(123.5L), 124);
  EXPECT_EQ(Arrondi(-2.5L), -2);
  EXPECT_EQ(Arrondi32(2.4999L), 2);
}

TEST(Langue, AnythingButOneIsFrench) {
  Langue l;
  EXPECT_EQ(l.Choix("Stop", "Arrêt"), Depuis_utf8("Arrêt"));
  l.valeur = 1;
  EXPECT_EQ(l.Choix("Stop", "Arrêt"), "Stop");
  l.valeur = 7;
  EXPECT_FALSE(l.Anglais());
}

}  // namespace
}  // namespace talven
