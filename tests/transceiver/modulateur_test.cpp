#include "transceiver/modulateur.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "transceiver/code_caractere.h"
#include "transceiver/decodeur_hors_ligne.h"

namespace talven {
namespace {

struct Emetteur {
  FiltrePasseBande filtre;
  Modulateur modulateur{filtre};
};

TEST(Modulateur, SymbolsPerCharacterFollowTheCode) {
  Emetteur e;
  e.modulateur.Init_modulation(10000);
  struct Cas {
    uint8_t c;
    std::size_t symboles;
  };
  for (const Cas& cas : {Cas{'E', 4}, Cas{' ', 4}, Cas{'Z', 10}, Cas{'>', 3}, Cas{';', 0}, Cas{'a', 0}}) {
    Echantillons sortie;
    e.modulateur.Modulation_caractere(cas.c, sortie);
    EXPECT_EQ(sortie.size(), cas.symboles * 1102) << "character " << cas.c;
  }
}

TEST(Modulateur, PhaseStateTogglesOnEachOne) {
  // "E" is 0 1 1 0: the phase is reversed at the second and the third symbol.
  Emetteur e;
  e.modulateur.Init_modulation(10000);
  Echantillons sortie;
  e.modulateur.Modulation_caractere('E', sortie);
  EXPECT_EQ(e.modulateur.Etat_phase, 0);
  e.modulateur.Modulation_caractere('A', sortie);  // 011 01: three reversals
  EXPECT_EQ(e.modulateur.Etat_phase, 180);
}

TEST(Modulateur, CarrierSetUpAndSampleRange) {
  Emetteur e;
  e.modulateur.Init_modulation(10009);  // 1000.9 Hz: the filter uses the whole hertz
  EXPECT_DOUBLE_EQ(e.filtre.f_lo, 975.0);
  EXPECT_DOUBLE_EQ(e.filtre.f_hi, 1025.0);
  EXPECT_EQ(e.filtre.L, 80);
  EXPECT_EQ(e.filtre.Diviseur, 45525);
  EXPECT_EQ(e.modulateur.Table_cosinus()[0], 1000);
  EXPECT_EQ(e.modulateur.Table_cosinus()[90000], 0);
  EXPECT_EQ(e.modulateur.Table_cosinus()[180000], -1000);
  EXPECT_EQ(e.modulateur.Table_cosinus()[360000], 1000);

  Echantillons sortie;
  for (int i = 0; i < 20; ++i) e.modulateur.Emission_symbole(i % 2 ? 1 : -1, 1000, sortie);
  const auto [mini, maxi] = std::minmax_element(sortie.begin() + 2204, sortie.end());
  // At the filter's gain of about 0.43 the carrier swings between about 73 and 182.
  EXPECT_NEAR(*mini, 73, 4);
  EXPECT_NEAR(*maxi, 182, 4);
  // A tracked frequency a little below 200 Hz is still sent; a band that
  // would reach 0 Hz or half the sample rate is refused.
  EXPECT_NO_THROW(e.modulateur.Init_modulation(1860));
  EXPECT_THROW(e.modulateur.Init_modulation(259), std::invalid_argument);
  EXPECT_THROW(e.modulateur.Init_modulation(54871), std::invalid_argument);
}

TEST(Modulateur, PhaseLandingOnFullTurnUsesTheLastEntry) {
  // 1102.5 Hz steps the phase by exactly 36000 millidegrees: the tenth step
  // lands on 360000, which is kept, and the next one wraps to 36000.
  Emetteur e;
  e.modulateur.Init_modulation(11025);
  for (int i = 0; i < 10; ++i) e.modulateur.Echantillon_module(1);
  EXPECT_EQ(e.modulateur.Phase_porteuse, 360000);
  e.modulateur.Echantillon_module(1);
  EXPECT_EQ(e.modulateur.Phase_porteuse, 36000);
}

TEST(Modulateur, EveryCharacterOfTheCodeRoundTripsThroughTheReceiveChain) {
  std::string texte;
  for (const EntreeCode& entree : Table_code)
    if (entree.caractere != '>' && entree.caractere != '<' && entree.caractere != 13)
      texte += static_cast<char>(entree.caractere);
  for (int32_t classe : {1, 2}) {
    Emetteur e;
    e.modulateur.Init_modulation(15000);
    Echantillons sortie;
    // As a transmission opens: a third of a second of carrier, one reversal,
    // another third of a second, then idle marks.
    for (int32_t signe : {-1, 1})
      for (int i = 0; i < 3675; ++i) sortie.push_back(e.modulateur.Echantillon_module(signe));
    for (int i = 0; i < 20; ++i) e.modulateur.Modulation_caractere('>', sortie);
    for (char c : texte) e.modulateur.Modulation_caractere(static_cast<uint8_t>(c), sortie);
    for (int i = 0; i < 8; ++i) e.modulateur.Modulation_caractere('>', sortie);
    DecodeurHorsLigne recepteur(15000, classe);
    recepteur.Traitement(sortie);
    EXPECT_EQ(recepteur.Texte_recu(), texte) << "class " << classe;
  }
}

}  // namespace
}  // namespace talven
