#include "dsp/recuperation_du_rythme.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

#include "common/arrondi.h"

namespace talven {
namespace {

// A unit set up as the receive chain does for a decimation factor.
RecuperationDuRythme Rythme(int32_t D) {
  RecuperationDuRythme u;
  u.Decimation_rythme = D;
  u.Duree_filtre_rythme = 10.0;
  u.Demi_largeur_rythme = 0.175;
  u.Init_recuperation_du_rythme(10, 11025 / D);
  return u;
}

TEST(RecuperationDuRythme, DesignForBothProcessorClasses) {
  struct Cas {
    int32_t D, P, L, M, A, B, taps, premier_pas;
  };
  for (const Cas& c : {Cas{25, 44, 441, 219, 8, 16, 221, 8163}, Cas{9, 122, 1225, 611, 24, 48, 613, 2938}}) {
    RecuperationDuRythme u = Rythme(c.D);
    EXPECT_EQ(u.P(), c.P) << "D = " << c.D;
    EXPECT_EQ(u.L(), c.L) << "D = " << c.D;
    EXPECT_EQ(u.M(), c.M) << "D = " << c.D;
    EXPECT_EQ(u.A(), c.A) << "D = " << c.D;
    EXPECT_EQ(u.B(), c.B) << "D = " << c.D;
    EXPECT_EQ(u.Coefficients_rythme().size(), static_cast<size_t>(c.taps)) << "D = " << c.D;
    EXPECT_DOUBLE_EQ(u.T(), 1.0 / 11025);
    // The loop starts at exactly the symbol rate with phase 0.
    EXPECT_EQ(u.Frequence_oscillateur(), 10000);
    u.Recuperation_du_rythme(0.0);
    EXPECT_EQ(u.Phase(), c.premier_pas) << "D = " << c.D;
  }
}

// The taps sample, at the undecimated rate, a 10 Hz cosine under a wide
// envelope: tap i is taken at instant i x D + 0.5 of 1/11025 s.
TEST(RecuperationDuRythme, TapsAreTakenAtMultiplesOfTheDecimation) {
  struct Cas {
    int32_t D, i, tap;
  };
  for (const Cas& c : {Cas{25, 0, 16}, Cas{25, 2, 15}, Cas{25, 11, 0}, Cas{25, 22, -16}, Cas{25, 220, 15},
                       Cas{9, 0, 16}, Cas{9, 61, -16}, Cas{9, 306, -16}, Cas{9, 612, 15}}) {
    EXPECT_EQ(Rythme(c.D).Coefficients_rythme()[c.i], c.tap) << "D = " << c.D << ", tap " << c.i;
  }
}

TEST(RecuperationDuRythme, SetUpRejectsWhatTheDelayLineCannotHold) {
  struct Cas {
    int32_t D;
    double duree;
    int32_t r, fs_d;
    bool accepte;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const Cas& c :
       {Cas{1, 100.0, 10, 2300, true},  // L x D = 23000 exactly
        Cas{1, 100.0, 10, 2301, false}, Cas{25, 100.0, 10, 441, false}, Cas{3, 10.0, 10, 7667, false},
        Cas{0, 10.0, 10, 441, false}, Cas{9, 10.0, 0, 1225, false}, Cas{9, 10.0, 10, 0, false},
        Cas{9, -1.0, 10, 1225, false}, Cas{9, nan, 10, 1225, false}, Cas{9, 1e300, 10, 1225, false}}) {
    RecuperationDuRythme u = Rythme(25);
    u.Decimation_rythme = c.D;
    u.Duree_filtre_rythme = c.duree;
    if (c.accepte) {
      EXPECT_NO_THROW(u.Init_recuperation_du_rythme(c.r, c.fs_d));
      EXPECT_EQ(u.L() * c.D, 23000);
    } else {
      EXPECT_THROW(u.Init_recuperation_du_rythme(c.r, c.fs_d), std::invalid_argument)
          << "D = " << c.D << ", fs_d = " << c.fs_d << ", duree = " << c.duree;
      // Left as it was.
      EXPECT_EQ(u.L(), 441);
      EXPECT_EQ(u.Coefficients_rythme().size(), 221u);
    }
  }
}

TEST(RecuperationDuRythme, OscillatorStep) {
  struct Cas {
    int32_t phase, f_o, fs;
    RecuperationDuRythme::Pas attendu;
  };
  for (const Cas& c : {
           Cas{351837, 10000, 441, {360000, -1, 1}},  // exactly one turn: not wrapped
           Cas{351838, 10000, 441, {1, 1, 1}},        // just beyond: wrapped
           Cas{360000, 10000, 441, {8163, 1, 1}}, Cas{171837, 10000, 441, {180000, -1, -1}},
           Cas{81837, 10000, 441, {90000, 1, -1}},  // quadrature at 180000
           Cas{0, -10000, 441, {351837, -1, 1}},    // running backwards stays within one turn
           Cas{0, 2000000000, 1, {0, 1, 1}},        // far beyond the step rate
       }) {
    const RecuperationDuRythme::Pas p = RecuperationDuRythme::Pas_oscillateur(c.phase, c.f_o, c.fs);
    EXPECT_EQ(p.phase, c.attendu.phase) << "from " << c.phase;
    EXPECT_EQ(p.s_I, c.attendu.s_I) << "from " << c.phase;
    EXPECT_EQ(p.s_Q, c.attendu.s_Q) << "from " << c.phase;
  }
}

// The fast band-pass (two rings, folded pairs, vector kernel) against the
// plain form: a shifted delay line and one loop over the pairs, summed in
// 64 bits and cut to 32. Large inputs make the 32-bit sum wrap.
TEST(RecuperationDuRythme, BandPassMatchesThePlainForm) {
  struct Cas {
    int32_t D, fs_d;
    bool standard;  // a real processor class, whose loop gives strobes
  };
  for (const Cas& c : {Cas{9, 1225, true}, Cas{25, 441, true}, Cas{3, 37, false}, Cas{1, 2, false}}) {
    RecuperationDuRythme u;
    u.Decimation_rythme = c.D;
    u.Init_recuperation_du_rythme(10, c.fs_d);
    const std::vector<int32_t>& tap = u.Coefficients_rythme();
    const int32_t L = u.L(), M = u.M();
    std::vector<int64_t> Y(static_cast<size_t>(std::max(L, 1)), 0);
    std::mt19937 alea(c.D);
    std::normal_distribution<double> bruit(0.0, 1.0);
    std::uniform_real_distribution<double> grand(-400.0, 400.0);
    int fronts = 0, tops = 0, s_prec = 0;
    uint8_t top_prec = 0;
    for (int n = 0; n < 6000; ++n) {
      const double x = (n / 1000) % 2 == 1 && alea() % 4 == 0 ? grand(alea) : bruit(alea);
      const uint8_t top = u.Recuperation_du_rythme(x);
      for (int32_t j = L - 1; j >= 1; --j) Y[j] = Y[j - 1];
      Y[0] = Arrondi(static_cast<double>(static_cast<Etendu>(x) * x * 10000));
      int64_t acc = 0;
      for (int32_t i = 0; i <= M; ++i) acc += (Y[M - i] + Y[M + 1 + i]) * tap[i];
      const auto attendu = static_cast<int32_t>(static_cast<uint32_t>(acc));
      ASSERT_EQ(u.Sortie_filtre(), attendu) << "D = " << c.D << ", step " << n;
      ASSERT_EQ(u.c(), attendu >= 0 ? 1 : -1);
      fronts += s_prec == -1 && u.s_I() == 1;
      tops += top_prec == 0 && top == 1;
      s_prec = u.s_I();
      top_prec = top;
    }
    // The loop keeps running: strobes come with the edges of its square wave.
    if (c.standard) {
      EXPECT_GT(tops, 0) << "D = " << c.D;
      EXPECT_LE(tops, fronts) << "D = " << c.D;
    }
  }
}

// On a fresh unit the square wave starts high (phase 0): the first strobe
// needs a fall and a rise first, rises A steps after that rise, and every
// strobe lasts exactly B - A steps.
TEST(RecuperationDuRythme, StrobeRisesAStepsAfterAnEdgeAndLastsBMinusA) {
  for (int32_t D : {25, 9}) {
    RecuperationDuRythme u = Rythme(D);
    std::mt19937 alea(D);
    std::normal_distribution<double> bruit(0.0, 1.0);
    std::vector<int8_t> s;
    std::vector<uint8_t> top;
    for (int n = 0; n < 20000; ++n) {
      top.push_back(u.Recuperation_du_rythme(bruit(alea)));
      s.push_back(u.s_I());
    }
    ASSERT_EQ(s[0], 1);
    size_t front = 1;
    while (front < s.size() && !(s[front - 1] == -1 && s[front] == 1)) ++front;
    ASSERT_LT(front + u.B(), s.size());
    for (size_t n = 0; n < front + u.B(); ++n) {
      const bool haut = n >= front + u.A();
      ASSERT_EQ(top[n], haut ? 1 : 0) << "D = " << D << ", step " << n << ", edge at " << front;
    }
    int hauts = 0, impulsions = 0;
    for (size_t n = 0; n < top.size(); ++n) {
      if (top[n] == 1) ++hauts;
      if (top[n] == 0 && hauts > 0) {
        EXPECT_EQ(hauts, u.B() - u.A()) << "D = " << D << ", ending at step " << n;
        ++impulsions;
        hauts = 0;
      }
    }
    // Cycles are longer than a strobe, so each edge of the square wave gives one.
    EXPECT_GT(impulsions, 20000 / u.P() / 2);
  }
}

// A constant input keeps the band-pass output's sign constant once the delay
// line is full; the loop then drifts but still gives one strobe per cycle.
TEST(RecuperationDuRythme, ConstantInputStillStrobesOncePerCycle) {
  RecuperationDuRythme u = Rythme(25);
  uint8_t top_prec = 0;
  for (int n = 0; n < 441; ++n) top_prec = u.Recuperation_du_rythme(1.0);
  int fronts = 0, tops = 0, s_prec = u.s_I();
  const int8_t c = u.c();
  for (int n = 0; n < 10000; ++n) {
    const uint8_t top = u.Recuperation_du_rythme(1.0);
    ASSERT_EQ(u.c(), c);
    fronts += s_prec == -1 && u.s_I() == 1;
    tops += top_prec == 0 && top == 1;
    s_prec = u.s_I();
    top_prec = top;
  }
  EXPECT_GT(fronts, 10);
  EXPECT_NEAR(fronts, tops, 1);
}

// The set-up restarts the loop at phase 0 (square wave high) but keeps
// s_prev: after a set-up taken while the wave was low, the very first step is
// a rising edge, and the strobe comes A steps later.
TEST(RecuperationDuRythme, SetUpKeepsThePreviousSquareValue) {
  RecuperationDuRythme u = Rythme(25);
  while (u.s_I() != -1) u.Recuperation_du_rythme(0.5);
  u.Init_recuperation_du_rythme(10, 441);
  EXPECT_EQ(u.s_prev(), -1);
  for (int32_t n = 1; n <= u.A() + 1; ++n)
    EXPECT_EQ(u.Recuperation_du_rythme(0.5), n == u.A() + 1 ? 1 : 0) << "step " << n;

  RecuperationDuRythme neuf = Rythme(25);
  for (int32_t n = 1; n <= u.P() / 2; ++n) EXPECT_EQ(neuf.Recuperation_du_rythme(0.5), 0) << "step " << n;
}

}  // namespace
}  // namespace talven
