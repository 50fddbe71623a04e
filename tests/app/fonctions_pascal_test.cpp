#include "app/fonctions_pascal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "tests/support/haut_parleur_enregistreur.h"
#include "tests/support/horloge_factice.h"

namespace talven {
namespace {

using std::chrono::milliseconds;

class Registre_enregistreur final : public Registre_controle_modem {
 public:
  std::vector<std::pair<uint16_t, uint8_t>> ecritures;
  void Ecriture_mcr(uint16_t adresse, uint8_t valeur) override { ecritures.emplace_back(adresse, valeur); }
};

class FonctionsPascalTest : public testing::Test {
 protected:
  test::Haut_parleur_enregistreur haut_parleur;
  test::Horloge_factice horloge;
  FonctionsPascal pascal{&haut_parleur, &horloge};
};

TEST_F(FonctionsPascalTest, ToneAt1000HzLoadsDivisor1193LowByteFirst) {
  ASSERT_TRUE(pascal.Son_haut_parleur(1000));
  EXPECT_EQ(pascal.Lecture_port(0x43), 0xB6);
  // 1193 = 0x04A9: the high byte is the last one written to 0x42, and only
  // the low-then-high order gives back 1193180 div 1193 = 1000 Hz (the other
  // order would load 0xA904 and sound 27 Hz).
  EXPECT_EQ(pascal.Lecture_port(0x42), 0x04);
  EXPECT_EQ(pascal.Lecture_port(0x61), 0x03);
  EXPECT_EQ(haut_parleur.appels, std::vector<int32_t>{1000});
}

TEST_F(FonctionsPascalTest, ToneSoundsAtTheFrequencyOfTheTruncatedDivisor) {
  struct Cas {
    int32_t demande;
    int32_t entendue;  // 1193180 div (1193180 div demande)
  };
  for (const Cas& cas :
       {Cas{19, 19}, Cas{500, 500}, Cas{750, 750}, Cas{20000, 20223}, Cas{1193180, 1193180}}) {
    haut_parleur.appels.clear();
    ASSERT_TRUE(pascal.Son_haut_parleur(cas.demande));
    pascal.Arret_haut_parleur();
    EXPECT_EQ(haut_parleur.appels, (std::vector<int32_t>{cas.entendue, 0})) << cas.demande << " Hz";
  }
}

TEST_F(FonctionsPascalTest, SpeakerPortIsSavedAndPutBack) {
  struct Cas {
    uint8_t avant;    // port 0x61 before the tone
    uint8_t pendant;  // while it sounds
    uint8_t apres;    // after Arret_haut_parleur
  };
  // Bit 1 of the saved value is cleared on the way back, bit 0 is not.
  for (const Cas& cas :
       {Cas{0x00, 0x03, 0x00}, Cas{0x30, 0x33, 0x30}, Cas{0x02, 0x03, 0x00}, Cas{0x01, 0x03, 0x01}}) {
    pascal.Ecriture_port(0x61, cas.avant);
    pascal.Son_haut_parleur(1000);
    EXPECT_EQ(pascal.Lecture_port(0x61), cas.pendant) << int{cas.avant};
    pascal.Arret_haut_parleur();
    EXPECT_EQ(pascal.Lecture_port(0x61), cas.apres) << int{cas.avant};
  }
  EXPECT_EQ(haut_parleur.appels, (std::vector<int32_t>{1000, 0, 1000, 0, 1000, 0, 1000, 0}));
}

TEST_F(FonctionsPascalTest, StopWithoutToneWritesZeroToSpeakerPort) {
  pascal.Ecriture_port(0x61, 0xFC);
  pascal.Arret_haut_parleur();
  EXPECT_EQ(pascal.Lecture_port(0x61), 0x00);
  EXPECT_TRUE(haut_parleur.appels.empty());
}

TEST_F(FonctionsPascalTest, FrequencyOutOfRangeTouchesNoPortAndWaitsNot) {
  for (const int32_t f : {18, 0, -1000, 1193181, std::numeric_limits<int32_t>::min()}) {
    EXPECT_FALSE(pascal.Son_haut_parleur(f)) << f;
    EXPECT_FALSE(pascal.Bip(f, 300)) << f;
  }
  for (const uint16_t port : {0x42, 0x43, 0x61}) EXPECT_EQ(pascal.Lecture_port(port), 0) << port;
  EXPECT_TRUE(haut_parleur.appels.empty());
  EXPECT_TRUE(horloge.attentes.empty());
}

TEST_F(FonctionsPascalTest, BeepIsToneWaitStop) {
  ASSERT_TRUE(pascal.Bip(1000, 300));
  EXPECT_EQ(haut_parleur.appels, (std::vector<int32_t>{1000, 0}));
  EXPECT_EQ(horloge.attentes, std::vector<milliseconds>{milliseconds(300)});
  EXPECT_EQ(pascal.Lecture_port(0x61), 0x00);
}

TEST_F(FonctionsPascalTest, DelayWaitsTheStatedMilliseconds) {
  pascal.Calibrage_delai();
  for (const uint16_t ms : {0, 20, 300, 65535}) pascal.Delai(ms);
  EXPECT_EQ(horloge.attentes, (std::vector<milliseconds>{milliseconds(0), milliseconds(20), milliseconds(300),
                                                         milliseconds(65535)}));
}

TEST(FonctionsPascal, DelayOnTheMonotonicClockLastsAtLeastTheStatedTime) {
  FonctionsPascal pascal;
  const auto debut = std::chrono::steady_clock::now();
  pascal.Delai(5);
  EXPECT_GE(std::chrono::steady_clock::now() - debut, milliseconds(5));
}

TEST_F(FonctionsPascalTest, TimerAndGateModelDecideWhenAToneSounds) {
  struct Ecriture {
    uint16_t port;
    uint8_t valeur;
  };
  struct Cas {
    const char* nom;
    std::vector<Ecriture> ecritures;
    std::vector<int32_t> appels;
  };
  const std::vector<Cas> cas_essais = {
      {"gate bit alone", {{0x43, 0xB6}, {0x42, 0xA9}, {0x42, 0x04}, {0x61, 0x01}}, {}},
      {"enable bit alone", {{0x43, 0xB6}, {0x42, 0xA9}, {0x42, 0x04}, {0x61, 0x02}}, {}},
      {"gate opened before the load: the tone starts with the high byte",
       {{0x61, 0x03}, {0x43, 0xB6}, {0x42, 0xA9}, {0x42, 0x04}},
       {1000}},
      {"either bit cleared stops it",
       {{0x43, 0xB6}, {0x42, 0xA9}, {0x42, 0x04}, {0x61, 0x03}, {0x61, 0x01}, {0x61, 0x03}, {0x61, 0x02}},
       {1000, 0, 1000, 0}},
      {"a new divisor while sounding changes the tone",
       {{0x43, 0xB6}, {0x42, 0xA9}, {0x42, 0x04}, {0x61, 0x03}, {0x42, 0x52}, {0x42, 0x09}},
       {1000, 500}},
      {"a control word silences until the next full load",
       {{0x43, 0xB6}, {0x42, 0xA9}, {0x42, 0x04}, {0x61, 0x03}, {0x43, 0xB6}, {0x42, 0x52}, {0x42, 0x09}},
       {1000, 0, 500}},
      {"divisor 0 counts 65536", {{0x43, 0xB6}, {0x42, 0x00}, {0x42, 0x00}, {0x61, 0x03}}, {18}},
      {"low-byte-only access", {{0x43, 0x96}, {0x42, 0xC8}, {0x61, 0x03}}, {5965}},
      {"counters 0 and 1 do not program counter 2",
       {{0x43, 0x36}, {0x43, 0x76}, {0x42, 0xA9}, {0x42, 0x04}, {0x61, 0x03}},
       {}},
      {"rate generator mode makes no tone", {{0x43, 0xB4}, {0x42, 0xA9}, {0x42, 0x04}, {0x61, 0x03}}, {}},
  };
  for (const Cas& cas : cas_essais) {
    test::Haut_parleur_enregistreur enregistreur;
    FonctionsPascal modele(&enregistreur, &horloge);
    for (const Ecriture& e : cas.ecritures) modele.Ecriture_port(e.port, e.valeur);
    EXPECT_EQ(enregistreur.appels, cas.appels) << cas.nom;
  }
}

TEST_F(FonctionsPascalTest, ModemControlWritesReachTheKeyingLayer) {
  // Before a keying layer is attached the writes are only latched.
  pascal.Ecriture_port(0x3FC, 0x0B);
  EXPECT_EQ(pascal.Lecture_port(0x3FC), 0x0B);

  Registre_enregistreur registre;
  pascal.Attache_registre_controle_modem(&registre);
  pascal.Ecriture_port(0x2FC, 0x0B);
  pascal.Ecriture_port(0x2FC, 0x08);
  for (const uint16_t adresse : {0x3FC, 0x3EC, 0x2EC}) pascal.Ecriture_port(adresse, 0x08);
  // Neighbouring UART registers and the speaker ports are not the keying's business.
  for (const uint16_t adresse : {0x3F8, 0x3FB, 0x2FD, 0x61}) pascal.Ecriture_port(adresse, 0x01);
  const std::vector<std::pair<uint16_t, uint8_t>> attendues = {
      {0x2FC, 0x0B}, {0x2FC, 0x08}, {0x3FC, 0x08}, {0x3EC, 0x08}, {0x2EC, 0x08}};
  EXPECT_EQ(registre.ecritures, attendues);
  EXPECT_EQ(pascal.Lecture_port(0x2FC), 0x08);
}

}  // namespace
}  // namespace talven
