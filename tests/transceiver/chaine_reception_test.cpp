// The receive chain end to end on a signal made in the test: a carrier with
// a phase reversal for every bit "1" and white noise, through band-pass
// filter, hard limiter, demodulator, Costas loop, matched filter, timing
// recovery and the differential decision into the character decoder.
#include "transceiver/chaine_reception.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/synthese_talven.h"
#include "transceiver/code_caractere.h"
#include "transceiver/decodeur_hors_ligne.h"

namespace talven {
namespace {

// Idle marks, then the text, then idle marks again, as a transmitter sends them.
std::string Bits_emis(std::string_view texte, int repos_avant, int repos_apres) {
  std::string bits;
  for (int i = 0; i < repos_avant; ++i) bits += Code_caractere('>');
  for (char c : texte) bits += Code_caractere(static_cast<uint8_t>(c));
  for (int i = 0; i < repos_apres; ++i) bits += Code_caractere('>');
  return bits;
}

struct Cas_chaine {
  int32_t classe;
  double frequence_hz;
  double snr_db;  // in 2500 Hz
};

class ChaineDecode : public ::testing::TestWithParam<Cas_chaine> {};

TEST_P(ChaineDecode, TextComesOutAfterTheIdlePreamble) {
  const Cas_chaine cas = GetParam();
  const std::string texte = "CQ CQ DE F6XYZ PSE K 0123456789 ?=/@";
  test::Parametres_synthese p;
  p.frequence_hz = cas.frequence_hz;
  p.snr_db = cas.snr_db;
  p.graine = 7;
  const auto echantillons = test::Synthese_talven(Bits_emis(texte, 25, 10), p);

  DecodeurHorsLigne recepteur(static_cast<int32_t>(cas.frequence_hz * 10 + 0.5), cas.classe);
  recepteur.Traitement(echantillons);

  // While the loops pull in, the first symbols may give a stray character or
  // two; from then on the text must come out whole and exact.
  const Texte& recu = recepteur.Texte_recu();
  ASSERT_GE(recu.size(), texte.size()) << recu;
  EXPECT_LE(recu.size() - texte.size(), 2u) << recu;
  EXPECT_EQ(recu.substr(recu.size() - texte.size()), texte)
      << "class " << cas.classe << " at " << cas.frequence_hz << " Hz";
  EXPECT_TRUE(recepteur.decodeur.Signal_verrouille());
  // The idle marks are decoded but never recorded: the record holds the
  // reception marker block, any stray character and the text.
  EXPECT_EQ(recepteur.enregistrement.Index_QSO(), static_cast<int32_t>(8 + recu.size()));
}

INSTANTIATE_TEST_SUITE_P(BothClasses, ChaineDecode,
                         ::testing::Values(Cas_chaine{1, 1000.0, 0.0}, Cas_chaine{2, 1000.0, 0.0},
                                           Cas_chaine{1, 500.0, -6.0}, Cas_chaine{2, 1500.0, -6.0}),
                         [](const auto& cas_info) {
                           return "Class" + std::to_string(cas_info.param.classe) + "At" +
                                  std::to_string(static_cast<int>(cas_info.param.frequence_hz)) + "Hz";
                         });

TEST(ChaineReception, SteadyCarrierGivesZerosAndReversalsGiveOnes) {
  // Without reversals every decision repeats the previous sign: only "0" bits,
  // which never complete a separator; with a reversal at every symbol, only "1".
  for (char bit : {'0', '1'}) {
    test::Parametres_synthese p;
    p.bruit = false;
    DecodeurHorsLigne recepteur(10000, 2);
    recepteur.Traitement(test::Synthese_talven(std::string(60, bit), p));
    const VueTexte chaine = recepteur.decodeur.Chaine_bits().Vue();
    ASSERT_FALSE(chaine.empty());
    // The first decisions come while the loops settle; the last ten are clean.
    EXPECT_EQ(chaine.substr(chaine.size() - 10), std::string(10, bit)) << "bits " << bit;
    EXPECT_TRUE(recepteur.Texte_recu().empty());
  }
}

TEST(ChaineReception, LevelMeterFollowsThePeakAndDecays) {
  DecodeurHorsLigne recepteur(10000, 1);
  ChaineReception& chaine = recepteur.chaine;
  // Full scale: |x| = 255 gives a peak of 5100, 100 %.
  for (int i = 0; i < 10; ++i) chaine.Traitement_echantillon(255);
  EXPECT_EQ(chaine.Crete_niveau, 5100);
  EXPECT_EQ(chaine.Niveau_signal, 100);
  // Then silence (x = +-1 gives 20): the peak falls by one every ten samples.
  for (int i = 0; i < 1000; ++i) chaine.Traitement_echantillon(128);
  EXPECT_EQ(chaine.Crete_niveau, 5000);
  EXPECT_EQ(chaine.Niveau_signal, 98);
}

TEST(ChaineReception, ClassSetsDecimationAndFilter) {
  DecodeurHorsLigne recepteur(5000, 1);
  EXPECT_EQ(recepteur.chaine.Facteur_decimation, 25);
  EXPECT_EQ(recepteur.chaine.rythme.P(), 44);
  EXPECT_EQ(recepteur.filtre.L, 60);
  EXPECT_DOUBLE_EQ(recepteur.filtre.f_lo, 480.0);
  EXPECT_EQ(recepteur.filtre.Diviseur, 11635);
  recepteur.chaine.Application_classe(2);
  recepteur.chaine.Init_traitement_reception();
  EXPECT_EQ(recepteur.chaine.Facteur_decimation, 9);
  EXPECT_EQ(recepteur.chaine.rythme.P(), 122);
  EXPECT_EQ(recepteur.filtre.L, 200);
  EXPECT_DOUBLE_EQ(recepteur.filtre.f_hi, 515.0);
  EXPECT_EQ(recepteur.filtre.Diviseur, 28836);
  EXPECT_THROW(recepteur.chaine.Application_classe(3), std::invalid_argument);
}

}  // namespace
}  // namespace talven
