// The folded dot product of the symmetric FIR filters (receive band-pass and
// symbol-timing filter): sum over k of (a[k] + b[k]) x c[k], where a and b
// are the two halves of the history, walked from the centre outwards, and c
// the half of the symmetric taps.
#pragma once

#include <cstdint>

namespace talven {

// Sum over k < n of (a[k] + b[k]) x c[k], modulo 2^32: the exact result of
// the signed 32-bit sum, with no undefined overflow (signed words may be
// passed as their unsigned form). n >= 0, a multiple of 8; the arrays need
// no alignment. Allocates nothing, throws nothing.
uint32_t Somme_produits_replies(const uint32_t* a, const uint32_t* b, const uint32_t* c, int32_t n);

}  // namespace talven
