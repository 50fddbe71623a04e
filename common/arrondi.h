// Rounding and precision conventions of the modem.
//
// Every rounding of a real to an integer is to nearest with ties to even
// (122.5 gives 122, 1102.5 gives 1102). Real-valued state is held in `double`;
// expressions that the system evaluates in extended precision use
// `Etendu` (x87 80-bit `long double` on x86-64) and are stored back to
// `double` at each assignment.
#pragma once

#include <cfenv>
#include <cmath>
#include <cstdint>

namespace talven {

using Etendu = long double;

// Nearest integer, ties to even, of an extended-precision value. Relies on the
// default floating-point rounding mode (to nearest), which nothing in the
// program changes; `llrintl` rounds in that mode without saving and restoring
// the floating-point environment, which matters on per-sample paths.
inline int64_t Arrondi(Etendu x) { return std::llrintl(x); }

// Same, narrowed to the signed 32-bit integers the system stores; the
// argument must lie within the 32-bit range.
inline int32_t Arrondi32(Etendu x) { return static_cast<int32_t>(std::llrintl(x)); }

// The extended-precision value of pi, as used by the real-valued set-ups.
inline constexpr Etendu Pi = 3.141592653589793238462643383279502884L;

}  // namespace talven
