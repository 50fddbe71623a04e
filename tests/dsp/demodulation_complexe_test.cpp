#include "dsp/demodulation_complexe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <stdexcept>

namespace talven {
namespace {

// The filter gain of the first sample from rest: (100 x 255 x 5100) div 1504.
constexpr double Premier_pas = 86469.0 / 650250.0;

TEST(DemodulationComplexe, SetUpComputesDFromTheRates) {
  struct Cas {
    int32_t fs, r, d;
  };
  for (const Cas& c : {Cas{11025, 10, 702}, Cas{11025, 5, 1404}, Cas{8000, 10, 509}, Cas{157, 100, 1}}) {
    DemodulationComplexe dem;
    dem.Init_demodulation_complexe(c.fs, c.r);
    EXPECT_EQ(dem.d(), c.d) << c.fs << " Hz, " << c.r << " Bd";
  }
}

TEST(DemodulationComplexe, SetUpRejectsRatesThatGiveNoUsableFilter) {
  struct Cas {
    int32_t fs, r;
  };
  for (const Cas& c :
       {Cas{0, 10}, Cas{-11025, 10}, Cas{11025, 0}, Cas{11025, -10}, Cas{100, 157}, Cas{INT32_MAX, 1}}) {
    DemodulationComplexe dem;
    EXPECT_THROW(dem.Init_demodulation_complexe(c.fs, c.r), std::invalid_argument) << c.fs << ", " << c.r;
    EXPECT_EQ(dem.d(), 702);  // left as it was
  }
}

TEST(DemodulationComplexe, TableHoldsTheRoundedCosineOverFourHundredFiftyDegrees) {
  DemodulationComplexe dem;
  const auto& t = dem.Table_cosinus_demodulation();
  struct Cas {
    int i;
    int32_t valeur;
  };
  for (const Cas& c :
       {Cas{0, 2550}, Cas{1, 2550}, Cas{100, 2511}, Cas{300, 2208}, Cas{450, 1803}, Cas{600, 1275},
        Cas{900, 0}, Cas{1800, -2550}, Cas{2700, 0}, Cas{3600, 2550}, Cas{4500, 0}})
    EXPECT_EQ(t[c.i], c.valeur) << "entry " << c.i;
}

// First output from rest for s = +255 at each quarter turn: the in-phase
// term follows cos, the quadrature term +sin (Q = -(low-passed s x (-sin))).
TEST(DemodulationComplexe, QuarterTurnsFromRest) {
  struct Cas {
    int32_t k;
    double I, Q;
  };
  for (const Cas& c : {Cas{0, Premier_pas, 0.0}, Cas{900, 0.0, Premier_pas}, Cas{1800, -Premier_pas, 0.0},
                       Cas{2700, 0.0, -Premier_pas}, Cas{3600, Premier_pas, 0.0}}) {
    DemodulationComplexe dem;
    double I = 9, Q = 9;
    dem.Demodulation_complexe(255, c.k, I, Q);
    EXPECT_DOUBLE_EQ(I, c.I) << "k = " << c.k;
    EXPECT_DOUBLE_EQ(Q, c.Q) << "k = " << c.k;
  }
}

TEST(DemodulationComplexe, IndexOutsideOneTurnIsReducedToTheSameAngle) {
  struct Cas {
    int32_t k, equivalent;
  };
  for (const Cas& c : {Cas{-1, 3599}, Cas{3601, 1}, Cas{7200, 0}, Cas{-3600, 0}, Cas{-900, 2700},
                       Cas{INT32_MIN, 2752}, Cas{INT32_MAX, 847}}) {
    DemodulationComplexe hors, dedans;
    for (int32_t s : {255, 255, -255, 255, -255, -255}) {
      double I1, Q1, I2, Q2;
      hors.Demodulation_complexe(s, c.k, I1, Q1);
      dedans.Demodulation_complexe(s, c.equivalent, I2, Q2);
      ASSERT_EQ(I1, I2) << "k = " << c.k;
      ASSERT_EQ(Q1, Q2) << "k = " << c.k;
    }
  }
}

// A constant +255 at phase 0 climbs towards 255 x 5100 (I = 2). The
// truncating division stops the filter 7 units short (1300493: from there a
// step would gain less than one unit), and a
// constant -255 gives exactly the opposite values at every step: the
// division truncates toward zero, not downwards.
TEST(DemodulationComplexe, HeldSampleConvergesToTwoSymmetrically) {
  DemodulationComplexe positif, negatif;
  double Ip = 0, Qp = 0, In = 0, Qn = 0;
  for (int n = 0; n < 20000; ++n) {
    positif.Demodulation_complexe(255, 0, Ip, Qp);
    negatif.Demodulation_complexe(-255, 0, In, Qn);
    ASSERT_EQ(Ip, -In) << "sample " << n;
    ASSERT_LE(positif.y_I(), 1300500);
  }
  EXPECT_EQ(positif.y_I(), 1300493);
  EXPECT_NEAR(Ip, 2.0, 2e-5);
  EXPECT_EQ(Qp, 0.0);
}

// Full-scale samples at random phases: the filter never leaves the range of
// its input, whatever the sequence (the sanitizer build also checks that no
// sum overflows).
TEST(DemodulationComplexe, FullScaleSamplesStayWithinRange) {
  DemodulationComplexe dem;
  std::mt19937 alea(7);
  std::uniform_int_distribution<int32_t> phase(0, 3600);
  for (int n = 0; n < 200000; ++n) {
    double I, Q;
    dem.Demodulation_complexe((alea() & 1) ? 255 : -255, phase(alea), I, Q);
    ASSERT_LE(std::abs(I), 2.0);
    ASSERT_LE(std::abs(Q), 2.0);
  }
}

TEST(DemodulationComplexe, SetUpKeepsTheFilterState) {
  DemodulationComplexe relance;
  double I, Q;
  for (int n = 0; n < 50; ++n) relance.Demodulation_complexe(255, 10 * n, I, Q);
  DemodulationComplexe continue_ = relance;
  relance.Init_demodulation_complexe(11025, 10);
  for (int n = 0; n < 5; ++n) {
    double I1, Q1, I2, Q2;
    relance.Demodulation_complexe(-255, 300, I1, Q1);
    continue_.Demodulation_complexe(-255, 300, I2, Q2);
    EXPECT_EQ(I1, I2);
    EXPECT_EQ(Q1, Q2);
  }
  EXPECT_NE(relance.y_I(), 0);
}

}  // namespace
}  // namespace talven
