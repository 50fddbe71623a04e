#include "transceiver/code_caractere.h"

namespace talven {

namespace {

// Each pattern preceded by the separator, so that the lookup returns a view
// of the whole code without building a string.
struct EntreeComplete {
  uint8_t caractere;
  std::string_view code;
};

constexpr std::array<EntreeComplete, Nombre_codes> Codes = {{
    {13, "011001"},      {' ', "0111"},       {'!', "0111111100"}, {'"', "011111010"},   {'#', "0111101010"},
    {'$', "0111111111"}, {'%', "0110101010"}, {'&', "0111101001"}, {'\'', "0111111101"}, {'(', "0111111001"},
    {')', "0111111010"}, {'*', "0111110010"}, {'+', "011001001"},  {',', "011111001"},   {'-', "011101010"},
    {'.', "011111111"},  {'/', "0111010101"}, {'0', "01111111"},   {'1', "01110101"},    {'2', "01111001"},
    {'3', "01111010"},   {'4', "01111100"},   {'5', "01111110"},   {'6', "01101001"},    {'7', "01101010"},
    {'8', "01110010"},   {'9', "01111101"},   {':', "011101001"},  {'<', "0111001001"},  {'=', "011110010"},
    {'>', "011"},        {'?', "011001010"},  {'@', "0111100101"}, {'A', "01101"},       {'B', "0111100"},
    {'C', "011010"},     {'D', "011100"},     {'E', "0110"},       {'F', "0111010"},     {'G', "0110010"},
    {'H', "0110101"},    {'I', "01110"},      {'J', "0111110101"}, {'K', "011010101"},   {'L', "0111111"},
    {'M', "0111110"},    {'N', "011111"},     {'O', "011110"},     {'P', "0111101"},     {'Q', "011010010"},
    {'R', "011101"},     {'S', "01100"},      {'T', "01111"},      {'U', "0111001"},     {'V', "011110101"},
    {'W', "011111110"},  {'X', "011111100"},  {'Y', "011111101"},  {'Z', "0111111110"},
}};

// Code of every byte, empty where the character has none.
constexpr std::array<std::string_view, 256> Construction_index() {
  std::array<std::string_view, 256> index{};
  for (const auto& e : Codes) index[e.caractere] = e.code;
  return index;
}

constexpr std::array<std::string_view, 256> Index_codes = Construction_index();

constexpr std::array<EntreeCode, Nombre_codes> Construction_table() {
  std::array<EntreeCode, Nombre_codes> table{};
  for (int i = 0; i < Nombre_codes; ++i) {
    table[i] = {Codes[i].caractere, Codes[i].code.substr(Separateur.size())};
  }
  return table;
}

}  // namespace

const std::array<EntreeCode, Nombre_codes> Table_code = Construction_table();

std::string_view Code_caractere(uint8_t c) {
  return Index_codes[c];
}

}  // namespace talven
