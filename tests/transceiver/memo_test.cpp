#include "transceiver/memo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talven {
namespace {

TEST(Memo, TypingFollowsMemoEditingRules) {
  const struct {
    std::string_view frappes;
    std::string_view texte;
  } cas[] = {
      {"AB", "AB"},       {"A\rB", "A\r\nB"}, {"AB\b", "A"}, {"A\r\b", "A"},  // the CR LF pair goes as one
      {"A\r\r\b\b", "A"}, {"\b", ""},                                         // nothing to remove
      {"\n\b", ""},                                                           // a lone line feed goes alone
  };
  for (const auto& k : cas) {
    Memo memo;
    for (char c : k.frappes) memo.Frappe(static_cast<uint8_t>(c));
    EXPECT_EQ(memo.Texte_memo(), k.texte) << "typed: " << testing::PrintToString(std::string(k.frappes));
  }
}

std::string Texte_distinct(size_t n) {
  std::string t(n, ' ');
  for (size_t i = 0; i < n; ++i) t[i] = static_cast<char>('A' + i % 26);
  return t;
}

TEST(Memo, LimitationCutsAnExactly20000CharacterTextToItsLast4999) {
  for (size_t longueur : {Memo::Longueur_limite - 1, Memo::Longueur_limite, Memo::Longueur_limite + 1}) {
    Memo memo;
    const std::string texte = Texte_distinct(longueur);
    for (char c : texte) memo.Frappe(static_cast<uint8_t>(c));
    memo.Limitation();
    const std::string attendu = longueur != Memo::Longueur_limite ? texte : texte.substr(longueur - 4999);
    EXPECT_EQ(memo.Texte_memo(), attendu) << "length " << longueur;
  }
}

TEST(Memo, CutPastTheLimitAlsoBoundsATextACarriageReturnTookOverIt) {
  for (size_t longueur : {Memo::Longueur_limite - 1, Memo::Longueur_limite, Memo::Longueur_limite + 1,
                          Memo::Longueur_limite + 2, 3 * Memo::Longueur_limite}) {
    Memo memo;
    const std::string texte = Texte_distinct(longueur);
    for (char c : texte) memo.Frappe(static_cast<uint8_t>(c));
    memo.Limitation_au_dela();
    const std::string attendu = longueur < Memo::Longueur_limite ? texte : texte.substr(longueur - 4999);
    EXPECT_EQ(memo.Texte_memo(), attendu) << "length " << longueur;
  }
}

struct VueMemo final : ObservateurMemo {
  void Memo_caractere(uint8_t c) override { evenements.push_back(std::string(1, static_cast<char>(c))); }
  void Memo_texte(VueTexte texte) override { evenements.push_back("=" + std::string(texte)); }
  std::vector<std::string> evenements;
};

TEST(Memo, ObserverSeesTypedCharactersAndReplacedTexts) {
  Memo memo;
  VueMemo vue;
  memo.Frappe('X');  // before the view is attached
  memo.Observateur(&vue);
  memo.Frappe('A');
  memo.Frappe(13);
  memo.Limitation();  // below the limit: nothing replaced
  memo.Effacement();
  EXPECT_EQ(vue.evenements, (std::vector<std::string>{"A", "\r", "="}));

  for (size_t i = 0; i < Memo::Longueur_limite; ++i) memo.Frappe('B');
  vue.evenements.clear();
  memo.Limitation();
  EXPECT_EQ(vue.evenements, (std::vector<std::string>{"=" + std::string(4999, 'B')}));
}

}  // namespace
}  // namespace talven
