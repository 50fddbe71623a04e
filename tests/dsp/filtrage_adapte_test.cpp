#include "dsp/filtrage_adapte.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace talven {
namespace {

TEST(FiltrageAdapte, LengthIsTheRoundedSymbolLengthHalfToEven) {
  struct Cas {
    int32_t r, fs, N;
  };
  for (const Cas& c : {Cas{10, 11025, 1102}, Cas{10, 11035, 1104}, Cas{4, 10, 2}, Cas{1, 1200, 1200},
                       Cas{10, 12005, 1200}, Cas{10, 6, 1}}) {
    FiltrageAdapte f;
    f.Init_filtrage_adapte(c.r, c.fs);
    EXPECT_EQ(f.Longueur_filtre_adapte(), c.N) << c.fs << " / " << c.r;
    EXPECT_EQ(f.Position(), c.N);
  }
}

// N must fit the 1200-value delay line and be at least 1.
TEST(FiltrageAdapte, SetUpRejectsLengthsTheDelayLineCannotHold) {
  struct Cas {
    int32_t r, fs;
  };
  for (const Cas& c : {Cas{1, 1201}, Cas{10, 12015}, Cas{10, 5}, Cas{0, 11025}, Cas{-10, 11025}, Cas{10, 0},
                       Cas{1, INT32_MAX}}) {
    FiltrageAdapte f;
    f.Filtrage_adapte(3.0);
    EXPECT_THROW(f.Init_filtrage_adapte(c.r, c.fs), std::invalid_argument) << c.fs << " / " << c.r;
    // Left as it was: still the standard filter, holding its sample.
    EXPECT_EQ(f.Longueur_filtre_adapte(), 1102);
    EXPECT_DOUBLE_EQ(f.Filtrage_adapte(0.0), 3.0 / 1102);
  }
}

TEST(FiltrageAdapte, ConstantInputRampsOverOneSymbolThenHolds) {
  FiltrageAdapte f;
  const double c = 0.75;
  for (int n = 1; n <= 1102; ++n) ASSERT_NEAR(f.Filtrage_adapte(c), c * n / 1102, 1e-14) << "sample " << n;
  for (int n = 0; n < 3000; ++n) ASSERT_NEAR(f.Filtrage_adapte(c), c, 1e-14);
}

TEST(FiltrageAdapte, ImpulseLeavesTheSumAfterExactlyNSamples) {
  FiltrageAdapte f;
  EXPECT_DOUBLE_EQ(f.Filtrage_adapte(2.0), 2.0 / 1102);
  for (int n = 2; n <= 1102; ++n) ASSERT_DOUBLE_EQ(f.Filtrage_adapte(0.0), 2.0 / 1102) << "sample " << n;
  for (int n = 0; n < 10; ++n) EXPECT_EQ(f.Filtrage_adapte(0.0), 0.0);
}

// A three-sample filter: positions run 3, 2, 1, 3, ... and the output is the
// mean of the last three inputs; a new set-up starts again from zeros.
TEST(FiltrageAdapte, ShortFilterWrapsFromOneBackToN) {
  FiltrageAdapte f;
  f.Init_filtrage_adapte(1, 3);
  const std::vector<double> x = {1, 2, 4, 8, 16, 32, 64};
  const std::vector<double> y = {1.0 / 3, 3.0 / 3, 7.0 / 3, 14.0 / 3, 28.0 / 3, 56.0 / 3, 112.0 / 3};
  const std::vector<uint16_t> position = {3, 2, 1, 3, 2, 1, 3};
  for (size_t n = 0; n < x.size(); ++n) {
    EXPECT_EQ(f.Position(), position[n]) << "sample " << n;
    EXPECT_DOUBLE_EQ(f.Filtrage_adapte(x[n]), y[n]) << "sample " << n;
  }
  f.Init_filtrage_adapte(1, 3);
  EXPECT_EQ(f.Somme(), 0.0);
  EXPECT_DOUBLE_EQ(f.Filtrage_adapte(3.0), 1.0);
}

}  // namespace
}  // namespace talven
