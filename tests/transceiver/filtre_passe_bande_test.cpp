#include "transceiver/filtre_passe_bande.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

namespace talven {
namespace {

FiltrePasseBande Filtre(int32_t taps, double f_lo, double f_hi, int32_t diviseur) {
  FiltrePasseBande f;
  f.L = taps;
  f.f_lo = f_lo;
  f.f_hi = f_hi;
  f.Frequence_echantillonnage = 11025;
  f.Diviseur = diviseur;
  f.Effacement_historique();
  f.Calcul_filtre_passe_bande();
  return f;
}

TEST(FiltrePasseBande, TransmitSetUpAt1000HzGivesTheKnownCoefficients) {
  const FiltrePasseBande f = Filtre(80, 975, 1025, FiltrePasseBande::Diviseur_emission);
  ASSERT_EQ(f.Coefficients().size(), 40u);
  const std::vector<int32_t> debut(f.Coefficients().begin(), f.Coefficients().begin() + 5);
  EXPECT_EQ(debut, (std::vector<int32_t>{870, 593, 131, -366, -738}));
}

TEST(FiltrePasseBande, SteadyTransmitCarrierSettlesNearAmplitude427) {
  FiltrePasseBande f = Filtre(80, 975, 1025, FiltrePasseBande::Diviseur_emission);
  int32_t crete = 0;
  for (int32_t n = 0; n < 3000; ++n) {
    const auto x = static_cast<int32_t>(std::lround(1000 * std::cos(2 * M_PI * 1000 * n / 11025.0)));
    const int32_t y = f.Filtre_passe_bande(x);
    if (n >= 2000) crete = std::max(crete, std::abs(y));
  }
  EXPECT_NEAR(crete, 427, 4);
}

TEST(FiltrePasseBande, ImpulseResponseIsTheTapsDividedTowardZero) {
  // An impulse of 125 sits at h[t] after t further steps, so output t is
  // 125 x c[k] div 45525 with k = 39 - t before the centre and t - 40 after.
  // Negative sums truncate toward zero: c[3] = -366 gives -45750 div 45525 = -1, not -2.
  FiltrePasseBande f = Filtre(80, 975, 1025, FiltrePasseBande::Diviseur_emission);
  const auto c = f.Coefficients();
  std::vector<int32_t> sorties;
  for (int32_t t = 0; t < 90; ++t) sorties.push_back(f.Filtre_passe_bande(t == 0 ? 125 : 0));
  for (int32_t t = 0; t < 80; ++t) {
    const int32_t k = t < 40 ? 39 - t : t - 40;
    EXPECT_EQ(sorties[t], 125 * c[k] / 45525) << "step " << t;
  }
  EXPECT_EQ(sorties[39 - 3], -1);
  EXPECT_EQ(sorties[39], 2);  // 125 x 870 = 108750
  for (int32_t t = 80; t < 90; ++t) EXPECT_EQ(sorties[t], 0) << "step " << t;
}

TEST(FiltrePasseBande, ClearedHistoryGivesZeroOutputForZeroInput) {
  FiltrePasseBande f = Filtre(200, 985, 1015, 28836);
  std::mt19937 alea(3);
  std::uniform_int_distribution<int32_t> bruit(-30000, 30000);
  for (int32_t n = 0; n < 500; ++n) f.Filtre_passe_bande(bruit(alea));
  ASSERT_NE(f.Filtre_passe_bande(0), 0) << "the noise should still be in the history";
  f.Effacement_historique();
  for (int32_t n = 0; n < 300; ++n) ASSERT_EQ(f.Filtre_passe_bande(0), 0) << "step " << n;
}

// The step as described: shift the whole history by one place, then the
// folded sum in 32 bits (formed in 64 bits and wrapped to 32, as a 32-bit
// machine sum wraps) and a truncating division.
struct FiltreReference {
  std::vector<int32_t> c;
  std::vector<int32_t> h;
  int32_t diviseur;

  int32_t Pas(int32_t x) {
    for (size_t i = h.size() - 1; i > 0; --i) h[i] = h[i - 1];
    h[0] = x;
    const size_t n = c.size();
    int64_t s = 0;
    for (size_t k = 0; k < n; ++k) s += (int64_t{h[n - 1 - k]} + h[n + k]) * c[k];
    return static_cast<int32_t>(static_cast<uint32_t>(s)) / diviseur;
  }
};

TEST(FiltrePasseBande, FastStepMatchesPlainShiftingFilter) {
  struct Cas {
    int32_t taps;
    double f_lo, f_hi;
    int32_t diviseur;
    int32_t amplitude;  // 2^30 makes the 32-bit sum wrap
  };
  const Cas cas_essais[] = {
      {60, 1480, 1520, 11635, 128},   {80, 975, 1025, 45525, 1000}, {200, 785, 815, 28836, 20000},
      {2, 100, 3000, 7, 1000},        {256, 500, 600, 1000, 1000},  {200, 785, 815, 28836, 1 << 30},
      {62, 1000, 1100, 45525, 30000},
  };
  for (const Cas& cas : cas_essais) {
    SCOPED_TRACE(testing::Message() << cas.taps << " taps, amplitude " << cas.amplitude);
    FiltrePasseBande f = Filtre(cas.taps, cas.f_lo, cas.f_hi, cas.diviseur);
    FiltreReference ref{
        {f.Coefficients().begin(), f.Coefficients().end()}, std::vector<int32_t>(cas.taps, 0), cas.diviseur};
    std::mt19937 alea(static_cast<uint32_t>(cas.taps));
    std::uniform_int_distribution<int32_t> bruit(-cas.amplitude, cas.amplitude);
    // Several times the ring length, so the ring wraps many times.
    for (int32_t n = 0; n < 20000; ++n) {
      const int32_t x = bruit(alea);
      ASSERT_EQ(f.Filtre_passe_bande(x), ref.Pas(x)) << "sample " << n;
    }
  }
}

TEST(FiltrePasseBande, ACopyFiltersOnFromTheSameHistory) {
  FiltrePasseBande f = Filtre(60, 980, 1020, 11635);
  for (int32_t n = 0; n < 100; ++n) f.Filtre_passe_bande((n * 37) % 200 - 100);
  FiltrePasseBande copie = f;
  for (int32_t n = 0; n < 100; ++n) ASSERT_EQ(copie.Filtre_passe_bande(n), f.Filtre_passe_bande(n));
}

TEST(FiltrePasseBande, SetUpRejectsWhatTheStepCannotHold) {
  struct Cas {
    int32_t taps;
    int32_t frequence;
    int32_t diviseur;
    double f_hi;
  };
  const double infini = std::numeric_limits<double>::infinity();
  const Cas rejetes[] = {{0, 11025, 45525, 1025},    {1, 11025, 45525, 1025},
                         {81, 11025, 45525, 1025},   {258, 11025, 45525, 1025},
                         {-80, 11025, 45525, 1025},  {80, 0, 45525, 1025},
                         {80, 11025, 0, 1025},       {80, 11025, -45525, 1025},
                         {80, 11025, 45525, infini}, {80, 11025, 45525, std::nan("")}};
  FiltrePasseBande f = Filtre(80, 975, 1025, 45525);
  for (const Cas& cas : rejetes) {
    FiltrePasseBande essai = f;
    essai.L = cas.taps;
    essai.Frequence_echantillonnage = cas.frequence;
    essai.Diviseur = cas.diviseur;
    essai.f_hi = cas.f_hi;
    EXPECT_THROW(essai.Calcul_filtre_passe_bande(), std::invalid_argument) << cas.taps << " taps";
    EXPECT_EQ(essai.Coefficients()[0], 870) << "a rejected set-up keeps the previous coefficients";
  }
}

}  // namespace
}  // namespace talven
