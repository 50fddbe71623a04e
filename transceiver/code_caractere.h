// The character code of TALVEN: a variable-length code whose characters are
// separated by the fixed bit group "011".
//
// Every character goes on the air as the separator followed by its pattern
// (0 to 7 bits, first bit first). No pattern contains "011", so in a
// continuous stream each separator ends one character and starts the next
// without ambiguity. Bits are the characters '0' and '1': '1' is a phase
// reversal between two consecutive symbols, '0' no reversal.
//
// The table is fixed: carriage return (13), space to ':' (32..58) and '<' to
// 'Z' (60..90), 59 characters. ';', lowercase and accented letters, every
// other control code and every code above 'Z' have no code; the keyboard side
// folds lowercase and accented letters onto the table before sending.
// Special characters: '>' has the empty pattern (its code is the separator
// alone, the idle fill of the transmitter), '<' is the deletion character,
// '*' rings the bell of the receiving station.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace talven {

// The three bits that end one character and start the next.
inline constexpr std::string_view Separateur = "011";

// One entry of the code table.
//   caractere : Windows-1252 code, 13 or 32..90
//   motif     : the pattern, 0 to 7 bits '0'/'1', without the separator
struct EntreeCode {
  uint8_t caractere;
  std::string_view motif;
};

// The 59 characters that have a code, in increasing character order.
inline constexpr int Nombre_codes = 59;
extern const std::array<EntreeCode, Nombre_codes> Table_code;

// The bits to send for the character c: the separator followed by c's
// pattern (3 to 10 bits), "011" alone for '>', and the empty string for a
// character without a code. The view refers to static storage.
std::string_view Code_caractere(uint8_t c);

}  // namespace talven
