#include "dsp/costas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <deque>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

namespace talven {
namespace {

struct Etiquettes {
  std::string reception, emission, delta;
  bool operator==(const Etiquettes&) const = default;
};

class ObservateurEnregistreur : public ObservateurCostas {
 public:
  std::vector<Etiquettes> appels;
  void Etiquettes_frequences(VueTexte F_reception, VueTexte F_emission, VueTexte delta) override {
    appels.push_back({std::string(F_reception), std::string(F_emission), std::string(delta)});
  }
};

// A loop tuned to 500.0 Hz, set up for 11025 Hz.
Costas Boucle_500() {
  Costas c;
  c.Frequence_reference = 5000;
  c.Frequence_centrale = 500.0;
  c.Init_costas(11025);
  return c;
}

TEST(Costas, OscillatorStartsAtTheReferenceAfterTheFirstSample) {
  Costas c = Boucle_500();
  c.Boucle_costas(5000, 0.0, 0.0);
  EXPECT_EQ(c.Phase_oscillateur, 0);
  EXPECT_EQ(c.Frequence_oscillateur, 500000);
  c.Boucle_costas(5000, 0.0, 0.0);
  EXPECT_EQ(c.Phase_oscillateur, 16326);
  c.Boucle_costas(5000, 0.0, 0.0);
  EXPECT_EQ(c.Phase_oscillateur, 32652);
  EXPECT_EQ(c.Frequence_moyenne, 500.0);
  EXPECT_EQ(c.Frequence_suivie, 5000);
  EXPECT_THROW(c.Init_costas(0), std::invalid_argument);
}

// A phase of exactly one turn is held for a sample; a backward oscillator
// (negative reference) stays within one turn instead of running negative.
TEST(Costas, PhaseWrapsOnlyBeyondOneTurn) {
  struct Cas {
    int32_t f_ref, depart, arrivee;
  };
  for (const Cas& k : {Cas{5000, 343674, 360000}, Cas{5000, 343675, 1}, Cas{5000, 360000, 16326},
                       Cas{-5000, 0, 343674}, Cas{-5000, 10000, 353674}}) {
    Costas c = Boucle_500();
    c.Boucle_costas(k.f_ref, 0.0, 0.0);
    c.Phase_oscillateur = k.depart;
    c.Boucle_costas(k.f_ref, 0.0, 0.0);
    EXPECT_EQ(c.Phase_oscillateur, k.arrivee) << "from " << k.depart << " at " << k.f_ref;
  }
}

TEST(Costas, ErrorGainFollowsTheSignalToNoiseRatioWithinFiveToTwenty) {
  struct Cas {
    double rapport, decalage, gain;
  };
  for (const Cas& k : {Cas{0.0, 5.0, 5.0}, Cas{0.05, 5.0, 11.0}, Cas{0.1, 5.0, 19.0}, Cas{0.2, 5.0, 20.0},
                       Cas{-1.0, 5.0, 5.0}, Cas{0.0, 10.0, 8.0}}) {
    Costas c = Boucle_500();
    c.Rapport_signal_bruit = k.rapport;
    c.Decalage_gain_costas = k.decalage;
    c.Boucle_costas(5000, 0.0, 0.0);
    EXPECT_DOUBLE_EQ(c.Gain(), k.gain) << "S/N " << k.rapport;
  }
}

// An input leading the oscillator (I > 0, Q < 0) raises its frequency, more
// so with a higher gain.
TEST(Costas, LeadingInputRaisesTheOscillatorFrequency) {
  Costas faible = Boucle_500(), fort = Boucle_500();
  fort.Rapport_signal_bruit = 0.2;
  faible.Boucle_costas(5000, 1.0, -0.5);
  fort.Boucle_costas(5000, 1.0, -0.5);
  EXPECT_GT(faible.Frequence_oscillateur, 500000);
  EXPECT_GT(fort.Frequence_oscillateur, faible.Frequence_oscillateur);
  Costas retard = Boucle_500();
  retard.Boucle_costas(5000, -1.0, -0.5);
  EXPECT_LT(retard.Frequence_oscillateur, 500000);
}

TEST(Costas, AveragerFrozenWhileUnlocked) {
  Costas c = Boucle_500();
  for (int n = 0; n < 30000; ++n) c.Boucle_costas(5100, 1.0, -0.3);
  EXPECT_NE(c.Frequence_oscillateur, 500000);
  EXPECT_EQ(c.Frequence_moyenne, 500.0);
  EXPECT_EQ(c.Frequence_suivie, 5000);
  c.Signal_verrouille = true;
  for (int n = 0; n < 40; ++n) c.Boucle_costas(5100, 1.0, -0.3);
  EXPECT_GT(c.Frequence_moyenne, 500.0);
}

// With I = Q = 0 the oscillator sits on the reference it is given, so the
// averager sees exactly the frequencies fed: its mean must be that of the
// last 550 values taken (one every 40 samples), through two turns of its
// ring, and it must reach a new frequency exactly after 550 values.
TEST(Costas, AveragerIsAMovingMeanOfTheLast550Values) {
  Costas c = Boucle_500();
  c.Signal_verrouille = true;
  std::deque<double> fenetre(550, 500000.0);
  auto bloc = [&](int32_t f_ref) {
    for (int n = 0; n < 40; ++n) c.Boucle_costas(f_ref, 0.0, 0.0);
    fenetre.pop_front();
    fenetre.push_back(f_ref * 100.0);
  };
  for (int k = 0; k < 1200; ++k) {
    EXPECT_EQ(c.Position_moyenneur(), 550 - k % 550) << "value " << k;
    bloc(5000 + 10 * ((7 * k) % 13));
    const double moyenne = std::accumulate(fenetre.begin(), fenetre.end(), 0.0) / 550 * 0.001;
    ASSERT_NEAR(c.Frequence_moyenne, moyenne, 1e-9) << "value " << k;
  }
  for (int k = 0; k < 549; ++k) bloc(5100);
  EXPECT_LT(c.Frequence_moyenne, 510.0);
  bloc(5100);
  EXPECT_EQ(c.Frequence_moyenne, 510.0);
  EXPECT_EQ(c.Frequence_suivie, 5100);
}

TEST(Costas, LabelsOncePerSecondInSlaveAndMasterMode) {
  struct Cas {
    bool maitre;
    double centrale;
    Etiquettes attendu;
  };
  for (const Cas& k : {Cas{false, 512.3, {" 500.0 Hz", " 500.0 Hz", "0 Hz"}},
                       Cas{true, 512.3, {" 500.0 Hz", " 512.3 Hz", "  12.3 Hz"}},
                       Cas{true, 487.5, {" 500.0 Hz", " 487.5 Hz", "  12.5 Hz"}}}) {
    Costas c = Boucle_500();
    ObservateurEnregistreur obs;
    c.Observateur = &obs;
    c.Mode_maitre_actif = k.maitre;
    c.Frequence_centrale = k.centrale;
    for (int n = 0; n < 11024; ++n) c.Boucle_costas(5000, 0.0, 0.0);
    EXPECT_TRUE(obs.appels.empty());
    c.Boucle_costas(5000, 0.0, 0.0);
    ASSERT_EQ(obs.appels.size(), 1u);
    EXPECT_EQ(obs.appels[0], k.attendu)
        << obs.appels[0].reception << "|" << obs.appels[0].emission << "|" << obs.appels[0].delta;
    for (int n = 0; n < 11025; ++n) c.Boucle_costas(5000, 0.0, 0.0);
    EXPECT_EQ(obs.appels.size(), 2u);
  }
}

// The averaging and display counts run on across a set-up.
TEST(Costas, SetUpKeepsTheCounters) {
  Costas c = Boucle_500();
  ObservateurEnregistreur obs;
  c.Observateur = &obs;
  c.Signal_verrouille = true;
  for (int n = 0; n < 10960; ++n) c.Boucle_costas(5000, 0.0, 0.0);  // 274 whole periods of 40
  for (int n = 0; n < 30; ++n) c.Boucle_costas(5000, 0.0, 0.0);
  c.Frequence_reference = 6000;
  c.Init_costas(11025);
  EXPECT_EQ(c.Frequence_moyenne, 600.0);
  for (int n = 0; n < 9; ++n) c.Boucle_costas(5000, 0.0, 0.0);
  EXPECT_EQ(c.Frequence_moyenne, 600.0);
  c.Boucle_costas(5000, 0.0, 0.0);  // 40th locked sample since the last value taken
  EXPECT_LT(c.Frequence_moyenne, 600.0);
  for (int n = 0; n < 24; ++n) c.Boucle_costas(5000, 0.0, 0.0);
  EXPECT_TRUE(obs.appels.empty());
  c.Boucle_costas(5000, 0.0, 0.0);  // 11025th sample since the last label
  ASSERT_EQ(obs.appels.size(), 1u);
  EXPECT_EQ(obs.appels[0].reception, Costas::Texte_frequence(c.Frequence_moyenne));
}

TEST(Costas, FrequencyTextIsWidthSixOneDecimalCutToTen) {
  struct Cas {
    double hertz;
    const char* texte;
  };
  for (const Cas& k : {Cas{500.0, " 500.0 Hz"}, Cas{0.0, "   0.0 Hz"}, Cas{1234.56, "1234.6 Hz"},
                       Cas{12.34, "  12.3 Hz"}, Cas{-5.0, "  -5.0 Hz"}, Cas{12345678.9, "12345678.9 Hz"},
                       Cas{123456789.0, "123456789. Hz"}, Cas{1e300, "1000000000 Hz"}}) {
    EXPECT_EQ(Costas::Texte_frequence(k.hertz), k.texte);
  }
}

}  // namespace
}  // namespace talven
