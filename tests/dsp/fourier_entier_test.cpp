#include "dsp/fourier_entier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <stdexcept>
#include <vector>

#include "common/arrondi.h"

namespace talven {
namespace {

constexpr int32_t N = 2048;
constexpr double Cadence_bloc = 6144.0;  // samples per second of the block: 3 Hz per bin

// The analyser is large (tables of 36001 entries); keep it off the stack.
std::unique_ptr<FourierEntier> Analyseur() {
  return std::make_unique<FourierEntier>();
}

void Ton(FourierEntier& f, double hertz, double amplitude, double phase = 0.3) {
  for (int32_t i = 0; i < N; ++i) {
    f.Entree_fft[i] =
        static_cast<int32_t>(std::lround(amplitude * std::cos(2 * M_PI * hertz * i / Cadence_bloc + phase)));
  }
}

void Analyse(FourierEntier& f) {
  f.Fourier_entier();
  f.Module_spectre();
  f.Moyenne_spectres();
}

int32_t Canal_du_pic(const FourierEntier& f) {
  return static_cast<int32_t>(std::max_element(f.Spectre.begin(), f.Spectre.end()) - f.Spectre.begin());
}

void Attendre_hors_plage_nulle(const FourierEntier& f) {
  for (int32_t k = 0; k < FourierEntier::Premier_canal; ++k) EXPECT_EQ(f.Spectre[k], 0) << "bin " << k;
  for (int32_t k = FourierEntier::Dernier_canal + 1; k <= FourierEntier::Nombre_canaux; ++k) {
    EXPECT_EQ(f.Spectre[k], 0) << "bin " << k;
  }
}

TEST(FourierEntier, ConstantBlockPutsEverythingInBinZero) {
  // Full-scale DC makes bin 0 reach 2048 x 20000 and the last-stage products
  // 200 times that: beyond 32 bits, so this also guards the widened arithmetic.
  for (const int32_t valeur : {0, 1000, 20000, -20000}) {
    SCOPED_TRACE(valeur);
    auto f = Analyseur();
    f->Entree_fft.fill(valeur);
    Analyse(*f);
    EXPECT_EQ(f->Re[0], int64_t{N} * valeur);
    EXPECT_EQ(f->Im[0], 0);
    for (int32_t k = 0; k <= FourierEntier::Nombre_canaux; ++k) ASSERT_EQ(f->Spectre[k], 0) << "bin " << k;
  }
}

TEST(FourierEntier, ToneOfFHertzPeaksAtBinFOverThree) {
  struct Cas {
    double hertz;
    int32_t canal;
  };
  // Full-scale coherent tones: a bin approaches 2048 x 10000 before the
  // division by N, past the 32-bit range once multiplied by the table scale.
  for (const Cas& cas : {Cas{30, 10}, Cas{999, 333}, Cas{1500, 500}, Cas{2370, 790}}) {
    SCOPED_TRACE(cas.hertz);
    auto f = Analyseur();
    Ton(*f, cas.hertz, 20000);
    f->Fourier_entier();
    f->Module_spectre();
    EXPECT_EQ(Canal_du_pic(*f), cas.canal);
    // A real tone of amplitude A puts A/2 in its bin; the 200-scaled twiddles
    // cost a little accuracy over 11 stages.
    EXPECT_NEAR(f->Spectre[cas.canal], 10000, 300);
    Attendre_hors_plage_nulle(*f);
  }
}

TEST(FourierEntier, OnlyDisplayableBinsAreWritten) {
  auto f = Analyseur();
  std::mt19937 alea(7);
  std::uniform_int_distribution<int32_t> bruit(-20000, 20000);
  for (auto& x : f->Entree_fft) x = bruit(alea);
  Analyse(*f);
  Attendre_hors_plage_nulle(*f);
  const auto non_nuls =
      std::count_if(f->Spectre.begin() + FourierEntier::Premier_canal,
                    f->Spectre.begin() + FourierEntier::Dernier_canal + 1, [](int32_t v) { return v > 0; });
  EXPECT_GT(non_nuls, 700);
}

// The transform as described, in plain integers of the given width, with the
// bit-reversal order found bit by bit; valid while no value leaves the range.
template <typename Entier>
struct Reference {
  std::array<Entier, N + 1> re{};
  std::array<Entier, N> im{};

  void Transforme(const std::array<int32_t, N>& x) {
    std::vector<int32_t> cosinus(36001), sinus(36001);
    for (int32_t i = 0; i <= 36000; ++i) {
      const double a = static_cast<Etendu>(i) * Pi * (1.0L / 180.0L) * 0.01L;
      cosinus[i] = Arrondi32(200.0L * std::cos(static_cast<Etendu>(a)));
      sinus[i] = Arrondi32(200.0L * std::sin(static_cast<Etendu>(a)));
    }
    for (int32_t i = 0; i < N; ++i) {
      int32_t r = 0;
      for (int32_t bit = 0; bit < 11; ++bit) r |= ((i >> bit) & 1) << (10 - bit);
      re[r] = x[i];
    }
    for (int32_t s = 1; s <= 11; ++s) {
      const int32_t h = 1 << (s - 1), groupes = 1 << (11 - s);
      for (int32_t g = 0; g < groupes; ++g) {
        for (int32_t b = 0; b < h; ++b) {
          const int32_t k = ((b * 36000) / (1 << s)) % 36000;
          const int32_t haut = (g * N) / groupes + b, bas = haut + h;
          const Entier tr = (re[bas] * cosinus[k] + im[bas] * sinus[k]) / 200;
          const Entier ti = (im[bas] * cosinus[k] - re[bas] * sinus[k]) / 200;
          re[bas] = re[haut] - tr;
          im[bas] = im[haut] - ti;
          re[haut] += tr;
          im[haut] += ti;
        }
      }
    }
    for (int32_t k = 10; k <= 790; ++k) {
      re[k] /= N;
      im[k] /= N;
    }
  }
};

TEST(FourierEntier, MatchesPlain32BitTransformOnModerateBlock) {
  auto f = Analyseur();
  std::mt19937 alea(2024);
  std::uniform_int_distribution<int32_t> bruit(-1000, 1000);
  for (auto& x : f->Entree_fft) x = bruit(alea);
  Reference<int32_t> reference;
  reference.Transforme(f->Entree_fft);
  f->Fourier_entier();
  f->Module_spectre();
  for (int32_t k = 0; k < N; ++k) {
    ASSERT_EQ(f->Re[k], reference.re[k]) << "bin " << k;
    ASSERT_EQ(f->Im[k], reference.im[k]) << "bin " << k;
  }
  for (int32_t k = 10; k <= 790; ++k) {
    const int32_t carre = reference.re[k] * reference.re[k] + reference.im[k] * reference.im[k];
    ASSERT_EQ(f->Spectre[k], Arrondi32(std::sqrt(static_cast<Etendu>(carre)))) << "bin " << k;
  }
}

// Blocks at the edges of the fast form's range (+-2^20) and beyond it, where
// the transform must give the same integers as 64-bit arithmetic: random
// full-range samples, a coherent tone and a constant block, whose energy
// gathers in one bin through every stage.
TEST(FourierEntier, MatchesPlain64BitTransformUpToTheLargestSamples) {
  std::mt19937 alea(7);
  for (const int32_t amplitude : {20000, 1 << 20, (1 << 20) + 1, 1 << 30}) {
    std::uniform_int_distribution<int32_t> bruit(-amplitude, amplitude);
    std::vector<std::array<int32_t, N>> blocs(3);
    for (auto& x : blocs[0]) x = bruit(alea);
    for (int32_t i = 0; i < N; ++i) {
      blocs[1][i] =
          static_cast<int32_t>(std::lround(amplitude * std::cos(2 * M_PI * 300.0 * i / Cadence_bloc)));
    }
    blocs[2].fill(-amplitude);
    for (const auto& bloc : blocs) {
      auto f = Analyseur();
      f->Entree_fft = bloc;
      Reference<int64_t> reference;
      reference.Transforme(f->Entree_fft);
      f->Fourier_entier();
      for (int32_t k = 0; k < N; ++k) {
        ASSERT_EQ(f->Re[k], reference.re[k]) << "amplitude " << amplitude << ", bin " << k;
        ASSERT_EQ(f->Im[k], reference.im[k]) << "amplitude " << amplitude << ", bin " << k;
      }
    }
  }
}

TEST(FourierEntier, TwiddleAngleIsTruncatedToHundredthsOfADegree) {
  // An impulse at sample 1 reaches the last stage as 409600 in every lower
  // butterfly input, so bin b reads back exactly the table entries of its
  // twiddle: (cos, -sin) at index b x 36000 div 2048. For these bins the
  // truncated index gives another table value than the exact angle would.
  struct Cas {
    int32_t canal;
    int64_t re;
    int64_t im;
  };
  auto f = Analyseur();
  f->Entree_fft.fill(0);
  f->Entree_fft[1] = 409600;
  f->Fourier_entier();
  for (const Cas& cas : {Cas{166, 175, -97}, Cas{293, 125, -157}, Cas{377, 81, -183}}) {
    EXPECT_EQ(f->Re[cas.canal], cas.re) << "bin " << cas.canal;
    EXPECT_EQ(f->Im[cas.canal], cas.im) << "bin " << cas.canal;
  }
}

TEST(FourierEntier, SpectrumIsTheSumOfTheNineLatestBlocks) {
  auto f = Analyseur();
  constexpr int32_t canal = 333;
  Ton(*f, 999, 4000);
  f->Fourier_entier();
  f->Module_spectre();
  const int32_t seul = f->Spectre[canal];
  ASSERT_GT(seul, 0);
  f->Moyenne_spectres();
  EXPECT_EQ(f->Spectre[canal], seul);
  for (int32_t appel = 2; appel <= 11; ++appel) {
    Analyse(*f);
    EXPECT_EQ(f->Spectre[canal], std::min(appel, 9) * seul) << "call " << appel;
  }
  // Silence then drains the sum one block at a time.
  f->Entree_fft.fill(0);
  for (int32_t appel = 1; appel <= 9; ++appel) {
    Analyse(*f);
    EXPECT_EQ(f->Spectre[canal], (9 - appel) * seul) << "silent call " << appel;
  }
  // A new set-up starts the sum again from an empty history.
  Ton(*f, 999, 4000);
  Analyse(*f);
  Analyse(*f);
  f->Init_fourier_entier();
  EXPECT_EQ(f->Spectre[canal], 0);
  Analyse(*f);
  EXPECT_EQ(f->Spectre[canal], seul);
}

TEST(FourierEntier, SetUpRejectsBlockSizesOtherThanPowersOfTwoUpTo2048) {
  auto f = Analyseur();
  for (const uint16_t taille : {0, 1, 3, 1000, 2047, 2049, 4096, 32768, 65535}) {
    f->Taille_fft = taille;
    EXPECT_THROW(f->Init_fourier_entier(), std::invalid_argument) << taille;
  }
  // A rejected set-up leaves the analyser working at its previous size.
  Ton(*f, 1500, 4000);
  f->Fourier_entier();
  f->Module_spectre();
  EXPECT_EQ(Canal_du_pic(*f), 500);
}

TEST(FourierEntier, ShorterBlockAnalysesItsOwnBins) {
  auto f = Analyseur();
  Ton(*f, 1500, 20000);
  Analyse(*f);  // leaves 2048-point results in the working arrays
  f->Taille_fft = 64;
  f->Init_fourier_entier();
  for (int32_t i = 0; i < 64; ++i) {
    f->Entree_fft[i] = static_cast<int32_t>(std::lround(8000 * std::cos(2 * M_PI * 20 * i / 64.0)));
  }
  Analyse(*f);
  EXPECT_EQ(Canal_du_pic(*f), 20);
  EXPECT_NEAR(f->Spectre[20], 4000, 100);
  // Bins 64 and up do not exist in a 64-point block and read 0, not what the
  // earlier 2048-point transform left behind.
  for (int32_t k = 64; k <= FourierEntier::Nombre_canaux; ++k) ASSERT_EQ(f->Spectre[k], 0) << "bin " << k;
}

}  // namespace
}  // namespace talven
