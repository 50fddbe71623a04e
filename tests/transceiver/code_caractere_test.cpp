#include "transceiver/code_caractere.h"

#include <gtest/gtest.h>

#include <string>

namespace talven {
namespace {

TEST(CodeCaractere, GivesSeparatorFollowedByPattern) {
  const struct {
    uint8_t c;
    std::string_view code;
  } cas[] = {
      {'E', "0110"},       {' ', "0111"},       {13, "011001"}, {'>', "011"}, {'Z', "0111111110"},
      {'<', "0111001001"}, {'*', "0111110010"}, {';', ""},      {'a', ""},    {10, ""},
      {'[', ""},           {197, ""},           {255, ""},      {0, ""},
  };
  for (const auto& k : cas) EXPECT_EQ(Code_caractere(k.c), k.code) << "character " << int(k.c);
}

TEST(CodeCaractere, OnlyCarriageReturnAndSpaceToZExceptSemicolonHaveACode) {
  int avec_code = 0;
  for (int c = 0; c <= 255; ++c) {
    const bool attendu = c == 13 || (c >= 32 && c <= 90 && c != ';');
    EXPECT_EQ(!Code_caractere(static_cast<uint8_t>(c)).empty(), attendu) << "character " << c;
    avec_code += attendu;
  }
  EXPECT_EQ(avec_code, Nombre_codes);
}

// The separator must be the only place where "011" occurs, or a receiver
// would cut a character in two.
TEST(CodeCaractere, TableMatchesLookupAndNoPatternHoldsTheSeparator) {
  for (const auto& e : Table_code) {
    EXPECT_EQ(Code_caractere(e.caractere), std::string(Separateur) + std::string(e.motif));
    EXPECT_LE(e.motif.size(), 7u) << e.caractere;
    EXPECT_EQ(e.motif.find(Separateur), std::string_view::npos) << e.caractere;
    EXPECT_EQ(e.motif.find_first_not_of("01"), std::string_view::npos) << e.caractere;
  }
}

}  // namespace
}  // namespace talven
