// Truncating integer division by a divisor fixed at set-up.
//
// The quotient is exactly that of C++'s `/` (rounded toward zero, for every
// dividend), computed by a multiplication and shifts prepared from the
// divisor (libdivide) instead of the processor's division instruction. The
// receive chain divides by set-up constants on its per-sample path, where
// the division instruction's latency lies on the carrier loop's feedback.
#pragma once

#include <libdivide.h>

#include <cstdint>
#include <stdexcept>
#include <type_traits>

namespace talven {

template <typename T>
class DiviseurFixe {
  static_assert(std::is_same_v<T, int32_t> || std::is_same_v<T, int64_t>);

 public:
  DiviseurFixe() : DiviseurFixe(1) {}
  // d : divisor, != 0. Throws std::invalid_argument for 0.
  explicit DiviseurFixe(T d) : valeur_(d), diviseur_(Verifie(d)) {}

  T Valeur() const { return valeur_; }
  // n / d. Allocates nothing, throws nothing. n / -1 must not overflow, as
  // with the operator.
  T Quotient(T n) const { return diviseur_.divide(n); }

 private:
  static T Verifie(T d) {
    if (d == 0) throw std::invalid_argument("DiviseurFixe: division by zero");
    return d;
  }
  T valeur_;
  libdivide::divider<T> diviseur_;
};

}  // namespace talven
