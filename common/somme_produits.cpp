#include "common/somme_produits.h"

#include <cstring>

namespace talven {
namespace {

// Eight lanes, which the compiler maps to whatever the processor offers: a
// single register with AVX2, two with SSE2. Modular sums may be reordered
// freely, so the lanes give exactly the sequential sum; the lanes are added
// together in registers at the end.
using Huit = uint32_t __attribute__((vector_size(32)));

}  // namespace

// Built for AVX2 and for the baseline, chosen once at load time.
#if defined(__x86_64__) && defined(__GNUC__) && defined(__linux__)
__attribute__((target_clones("avx2", "default")))
#endif
uint32_t
Somme_produits_replies(const uint32_t* a, const uint32_t* b, const uint32_t* c, int32_t n) {
  Huit s = {};
  for (int32_t i = 0; i < n; i += 8) {
    Huit x, y, z;
    std::memcpy(&x, a + i, sizeof x);
    std::memcpy(&y, b + i, sizeof y);
    std::memcpy(&z, c + i, sizeof z);
    s += (x + y) * z;
  }
  uint32_t total = 0;
  for (int j = 0; j < 8; ++j) total += s[j];
  return total;
}

}  // namespace talven
