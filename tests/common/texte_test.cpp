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

namespace talven {
namespace {

TEST(Texte, OneCharacterAcrossTheBoundaryIsRefusedWhenWindows1252HasNoByte) {
  struct Cas {
    char32_t point;
    bool represente;
    unsigned char octet;
  };
  for (const Cas& c : {Cas{U'A', true, 'A'}, Cas{U'é', true, 233}, Cas{U'€', true, 0x80}, Cas{U'?', true, '?'},
                       Cas{U'ł', false, 0}, Cas{0x81, false, 0}, Cas{U'\u4E2D', false, 0}}) {
    char octet = 0;
    EXPECT_EQ(Octet_windows_1252(c.point, octet), c.represente) << static_cast<uint32_t>(c.point);
    if (c.represente) {
      EXPECT_EQ(static_cast<unsigned char>(octet), c.octet);
      EXPECT_EQ(Point_de_code_windows_1252(c.octet), c.point);
    }
  }
}

}  // namespace
}  // namespace talven
