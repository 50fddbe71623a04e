// Division by a set-up constant and the folded dot product against the
// plain operators, on the dividends and words where a fast form goes wrong:
// the ends of the range, signs, powers of two and wrapping sums.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

#include "common/diviseur_fixe.h"
#include "common/somme_produits.h"

namespace talven {
namespace {

template <typename T>
void Comparer_divisions(const std::vector<T>& diviseurs) {
  std::mt19937_64 hasard(11);
  std::vector<T> dividendes = {0, 1, -1, 2, -2, 7, -7, std::numeric_limits<T>::max(),
                               std::numeric_limits<T>::min() + 1};
  for (int k = 0; k < 2000; ++k) dividendes.push_back(static_cast<T>(hasard()));
  for (const T d : diviseurs) {
    const DiviseurFixe<T> fixe(d);
    EXPECT_EQ(fixe.Valeur(), d);
    for (const T n : dividendes) {
      // The nearest multiple of d toward zero and the next value, where the
      // truncated quotient changes.
      const T multiple = static_cast<T>(n - n % d);
      std::vector<T> essais = {n, multiple};
      if (multiple < std::numeric_limits<T>::max()) essais.push_back(static_cast<T>(multiple + 1));
      for (const T m : essais) ASSERT_EQ(fixe.Quotient(m), m / d) << m << " / " << d;
    }
    if (d != -1) {
      ASSERT_EQ(fixe.Quotient(std::numeric_limits<T>::min()), std::numeric_limits<T>::min() / d) << d;
    }
  }
}

TEST(DiviseurFixe, GivesTheOperatorsQuotientForEveryKindOfDivisor) {
  Comparer_divisions<int32_t>({1, -1, 2, 3, -3, 7, 100, 1504, 11025, 45525, 1 << 20, -(1 << 20),
                               std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()});
  Comparer_divisions<int64_t>({1, -1, 2, 3, 7, 1504, 11025, int64_t{1} << 40, -(int64_t{1} << 40),
                               std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min()});
}

TEST(DiviseurFixe, RefusesZeroAtSetUp) {
  EXPECT_THROW(DiviseurFixe<int32_t>(0), std::invalid_argument);
  EXPECT_THROW(DiviseurFixe<int64_t>(0), std::invalid_argument);
}

TEST(SommeProduitsReplies, EqualsTheSequentialWrappingSum) {
  std::mt19937 hasard(5);
  for (const int32_t n : {0, 8, 16, 104, 256}) {
    std::vector<uint32_t> a(static_cast<size_t>(n) + 1), b(a.size()), c(a.size());
    for (size_t k = 0; k < a.size(); ++k) {
      a[k] = hasard();
      b[k] = hasard();
      c[k] = hasard();
    }
    uint32_t attendu = 0;
    for (int32_t k = 0; k < n; ++k) attendu += (a[k] + b[k]) * c[k];
    // Unaligned arrays: the product starts one word in.
    EXPECT_EQ(Somme_produits_replies(a.data(), b.data(), c.data(), n), attendu) << n;
    uint32_t decale = 0;
    for (int32_t k = 0; k < n; ++k) decale += (a[k + 1] + b[k + 1]) * c[k + 1];
    EXPECT_EQ(Somme_produits_replies(a.data() + 1, b.data() + 1, c.data() + 1, n), decale) << n;
  }
}

}  // namespace
}  // namespace talven
