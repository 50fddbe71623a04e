#include "transceiver/decodage_caracteres.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/boite_messages_enregistreuse.h"
#include "transceiver/code_caractere.h"

namespace talven {
namespace {

struct SonnerieComptee final : Sonnerie {
  void Sonner() override { ++coups; }
  int coups = 0;
};

struct VueDecodage final : ObservateurDecodage {
  void Lettre(VueTexte texte) override { lettres.emplace_back(texte); }
  void Label8(bool visible) override { label8 = visible; }
  std::vector<std::string> lettres;
  bool label8 = true;
};

// The bits sent for a text, closed by the separator that ends its last
// character.
std::string Codage(std::string_view texte) {
  std::string bits;
  for (char c : texte) bits += Code_caractere(static_cast<uint8_t>(c));
  return bits + std::string(Separateur);
}

const std::string Repos = "011011011011011";  // five idle marks

class DecodageTest : public ::testing::Test {
 protected:
  DecodageTest() {
    decodeur.Init_fenetre_bits();
    decodeur.Debut_reception();
  }

  // Feeds bits as the receive pipeline would: each symbol's value has the
  // sign of the carrier phase (reversed at every '1') and magnitude 1, except
  // the symbol of bit `faible` (counted from 1; 0 for none), whose magnitude
  // is 0.1.
  void Reception(std::string_view bits, size_t faible = 0) {
    for (size_t i = 0; i < bits.size(); ++i) {
      if (bits[i] == '1') phase_ = -phase_;
      decodeur.Traitement_bit(bits[i], phase_ * (i + 1 == faible ? 0.1 : 1.0));
    }
  }
  // What was recorded since the reception marker.
  std::string Qso_recu() const { return enregistrement.Contenu().substr(8); }

  test::Boite_messages_enregistreuse boite;
  EnregistrementQso enregistrement{boite};
  Memo memo1;
  SonnerieComptee sonnerie;
  VueDecodage vue;
  DecodageCaracteres decodeur{enregistrement, memo1, sonnerie, vue};
  double phase_ = 1.0;
};

TEST_F(DecodageTest, EveryCodeDecodesBackToItsCharacter) {
  for (const auto& e : Table_code) {
    EXPECT_EQ(decodeur.Decodage_caractere(std::string(e.motif) + "011"), e.caractere) << e.caractere;
  }
  // 59 valid entries: no two patterns share an index.
  int valides = 0;
  for (int i = 1; i <= 255; ++i) valides += decodeur.Table_decodage()[static_cast<size_t>(i)] != '_';
  EXPECT_EQ(valides, Nombre_codes);
}

TEST_F(DecodageTest, DecodingCountsTheFirstEightPositionsOnly) {
  const struct {
    std::string_view bits;
    uint8_t attendu;
  } cas[] = {
      {"1101011", 'P'},
      {"011", '>'},
      {"0000011", '_'},      // "0000" is no pattern
      {"11111100011", '0'},  // 8-bit pattern read as 11111100: the pattern of '0' and its terminator
      {"00000000011", '_'},  // index 0
      {"0001111111111111111011", '_'},
  };
  for (const auto& k : cas) EXPECT_EQ(decodeur.Decodage_caractere(k.bits), k.attendu) << k.bits;
}

TEST_F(DecodageTest, IdleStreamLocksAtTheTenthMarkAndShowsNothing) {
  for (int n = 1; n <= 10; ++n) {
    Reception("011");
    EXPECT_EQ(vue.label8, n == 10) << n;
    EXPECT_EQ(decodeur.Signal_verrouille(), n == 10) << n;
  }
  EXPECT_EQ(memo1.Texte_memo(), "");
  EXPECT_EQ(Qso_recu(), "");
  EXPECT_EQ(vue.lettres.size(), 10u);
}

TEST_F(DecodageTest, StreamDecodesInOrderAndLetterLabelAlternates) {
  Reception(
      "011"
      "01011"
      "0011");
  EXPECT_EQ(memo1.Texte_memo(), "AE");
  EXPECT_EQ(Qso_recu(), "AE");
  EXPECT_EQ(vue.lettres, (std::vector<std::string>{">", "  A", "E"}));
  EXPECT_EQ(decodeur.Chaine_bits().Longueur(), 0);
}

TEST_F(DecodageTest, AmpersandReachesTheLabelAsItStands) {
  for (uint8_t c : {'&', '&', '\r'}) decodeur.Affichage_caractere(c);
  EXPECT_EQ(vue.lettres, (std::vector<std::string>{"&", "  &", "\r"}));
  EXPECT_EQ(decodeur.Lettre_affichee(), "\r");
  EXPECT_EQ(memo1.Texte_memo(), "&&\r\n");
  EXPECT_EQ(Qso_recu(), "&&\r\n");
}

TEST_F(DecodageTest, StarRingsTheBellAndIsShown) {
  Reception(Codage("A*B"));
  EXPECT_EQ(sonnerie.coups, 1);
  EXPECT_EQ(memo1.Texte_memo(), "A*B");
  EXPECT_EQ(Qso_recu(), "A*B");
}

TEST_F(DecodageTest, DeletionCharacterIsShownAndRemovesFromTheCurrentReceptionOnly) {
  const struct {
    std::string_view recu;
    std::string_view memo;
    std::string_view qso;
  } cas[] = {
      {"AB<", "AB<", "A"},
      {"A\r<", "A\r\n<", "A"},
      {"A\rB<<", "A\r\nB<<", "A"},
      {"A<<<", "A<<<", ""},
  };
  for (const auto& k : cas) {
    memo1.Effacement();
    decodeur.Debut_reception();
    const int32_t debut = enregistrement.Index_QSO();
    for (char c : k.recu) decodeur.Affichage_caractere(static_cast<uint8_t>(c));
    EXPECT_EQ(memo1.Texte_memo(), k.memo) << k.recu;
    EXPECT_EQ(enregistrement.Contenu().substr(static_cast<size_t>(debut)), k.qso) << k.recu;
  }
  // The A kept by the first case survived the deletions of the next one.
  EXPECT_EQ(enregistrement.Contenu().substr(16, 9), "A\r\n\r\n\xC5 \r\n");
}

TEST_F(DecodageTest, Memo1At20000CharactersKeeps5000AfterTheNextCharacter) {
  std::string texte(Memo::Longueur_limite, ' ');
  for (size_t i = 0; i < texte.size(); ++i) texte[i] = static_cast<char>('A' + i % 26);
  for (char c : texte) memo1.Frappe(static_cast<uint8_t>(c));
  Reception(Codage("Q"));
  EXPECT_EQ(memo1.Texte_memo(), texte.substr(15001) + "Q");
}

// A carriage return received one short of the limit takes Memo1 to 20001
// characters; the next character cuts it all the same, so the received text
// stays bounded however long the reception lasts.
TEST_F(DecodageTest, Memo1TakenPastTheLimitByACarriageReturnIsCutAtTheNextCharacter) {
  std::string texte(Memo::Longueur_limite - 1, ' ');
  for (size_t i = 0; i < texte.size(); ++i) texte[i] = static_cast<char>('A' + i % 26);
  for (char c : texte) memo1.Frappe(static_cast<uint8_t>(c));
  Reception(Codage("\r"));
  ASSERT_EQ(memo1.Texte_memo().size(), Memo::Longueur_limite + 1);
  Reception(Codage("Q"));
  EXPECT_EQ(memo1.Texte_memo(), (texte + "\r\n").substr(Memo::Longueur_limite + 1 - 4999) + "Q");
  Reception(Codage("RS"));
  EXPECT_EQ(memo1.Texte_memo().size(), 5002u);
}

TEST_F(DecodageTest, ReceivedCharacterThatFillsTheRecordWarnsOnce) {
  while (enregistrement.Index_QSO() < EnregistrementQso::Seuil_plein) enregistrement.Ajout_QSO_recu('x');
  Reception(Codage("AB\rC"));
  EXPECT_EQ(boite.messages.size(), 1u);
  EXPECT_EQ(enregistrement.Index_QSO(), EnregistrementQso::Taille);
  EXPECT_EQ(enregistrement.Contenu().substr(EnregistrementQso::Seuil_plein), "AB\r");
}

// Each case sends a text after five idle marks, with one symbol received
// wrong (it spoils the two differential bits on either side of it) and given
// the smallest magnitude; the repairs must deliver the text as sent.
struct CasReparation {
  const char* nom;
  const char* bruit;    // bits received before the text
  const char* texte;    // text sent
  size_t symbole;       // position of the weak symbol in bruit + Codage(texte), from 1
  bool faux;            // the weak symbol is also wrong
  const char* attendu;  // text shown
};

void PrintTo(const CasReparation& cas, std::ostream* os) {
  *os << cas.nom;
}

class ReparationTest : public DecodageTest, public ::testing::WithParamInterface<CasReparation> {};

TEST_P(ReparationTest, DeliversTheTextAsSent) {
  const CasReparation& k = GetParam();
  std::string bits = std::string(k.bruit) + Codage(k.texte);
  if (k.faux) {
    for (size_t i : {k.symbole - 1, k.symbole}) bits[i] = bits[i] == '1' ? '0' : '1';
  }
  Reception(Repos);
  Reception(bits, k.symbole);
  Reception(Repos);
  EXPECT_EQ(memo1.Texte_memo(), k.attendu);
  EXPECT_EQ(Qso_recu(), k.attendu);
  for (const auto& l : vue.lettres)
    EXPECT_EQ(l.find('_'), std::string::npos) << "invalid character delivered";
}

INSTANTIATE_TEST_SUITE_P(Symboles, ReparationTest,
                         ::testing::Values(
                             // Z 1111110 received 1111000: the inversion at the weak symbol restores it.
                             CasReparation{"InsidePattern", "", "Z", 8, true, "Z"},
                             // E's separator received 000: the restored bits hold two characters.
                             CasReparation{"InsidePatternSplitsTwoCharacters", "", "EE", 6, true, "EE"},
                             // & 1101001 011 received 1101000 111: a false separator ends at the
                             // weak symbol; it is undone and the true one follows.
                             CasReparation{"InSeparator", "", "&", 10, true, "&"},
                             // The separator between Z and G received 101: one run of 17 bits.
                             CasReparation{"LongRunSplit", "", "ZG", 11, true, "ZG"},
                             // Q 010010 received 010001: the weak symbol is the last one the
                             // inversion may take inside the pattern.
                             CasReparation{"LastPairOfPattern", "", "Q", 8, true, "Q"},
                             // Eight bits of unmodulated noise before the text, all symbols
                             // equally strong: the first candidate wins, no separator appears and
                             // the run is dropped.
                             CasReparation{"LongRunWithoutSeparatorDropped", "00000000", "E", 0, false, "E"}),
                         [](const ::testing::TestParamInfo<CasReparation>& cas) {
                           return std::string(cas.param.nom);
                         });

TEST_F(DecodageTest, SeparatorRepairKeepsCollectingBits) {
  Reception(Repos);
  std::string bits = Codage("&");
  bits[9] = '0';
  bits[10] = '1';
  Reception(bits.substr(0, 12), 10);  // up to the false separator 110100 011
  EXPECT_EQ(memo1.Texte_memo(), "");
  EXPECT_EQ(decodeur.Chaine_bits().Vue(), "110100101");
  EXPECT_EQ(decodeur.Fenetre_bits(), "101");
  EXPECT_EQ(std::fabs(decodeur.Historique_symboles(12)), 2.0);  // the weak symbol, now strong
}

TEST_F(DecodageTest, RunWithoutSeparatorIsBoundedAndClearsTheLock) {
  Reception(Repos + Repos);
  ASSERT_TRUE(vue.label8);
  Reception("0000000000");
  EXPECT_FALSE(vue.label8);
  EXPECT_FALSE(decodeur.Signal_verrouille());
  EXPECT_EQ(decodeur.Compteur_verrouillage(), 0);
  Reception(std::string(30, '1'));
  EXPECT_EQ(decodeur.Chaine_bits().Longueur(), 20);
}

TEST_F(DecodageTest, StartOfReceptionResetsTheDisplayButKeepsTheBits) {
  Reception(Repos + Repos + "0");  // locked, with E's pattern pending
  ASSERT_TRUE(decodeur.Signal_verrouille());
  decodeur.Debut_reception();
  EXPECT_FALSE(decodeur.Signal_verrouille());
  EXPECT_FALSE(vue.label8);
  EXPECT_EQ(decodeur.Lettre_affichee(), "   ");
  const std::string marque = "\r\n\r\n\xC5 \r\n";
  EXPECT_EQ(enregistrement.Contenu(), marque + marque);
  EXPECT_EQ(decodeur.Chaine_bits().Vue(), "0");
  decodeur.Init_fenetre_bits();
  EXPECT_EQ(decodeur.Fenetre_bits(), "000");
  Reception("011");
  EXPECT_EQ(memo1.Texte_memo(), "E");
}

// Whatever arrives, every index stays in bounds and only valid characters
// reach Memo1 and the record.
TEST_F(DecodageTest, RandomBitsAndValuesStayInBounds) {
  uint32_t graine = 12345;
  auto aleatoire = [&graine] {
    graine = graine * 1664525u + 1013904223u;
    return graine >> 8;
  };
  bool bornes = true;
  for (int i = 0; i < 50000; ++i) {
    const char b = (aleatoire() & 1) ? '1' : '0';
    double v = static_cast<double>(aleatoire() % 4001) / 1000.0 - 2.0;
    if (i % 97 == 0) v = std::numeric_limits<double>::quiet_NaN();
    decodeur.Traitement_bit(b, v);
    bornes = bornes && decodeur.Chaine_bits().Longueur() <= 20 && decodeur.Compteur_verrouillage() >= 0 &&
             decodeur.Compteur_verrouillage() <= 9;
  }
  EXPECT_TRUE(bornes);
  EXPECT_FALSE(memo1.Texte_memo().empty());
  for (char c : memo1.Texte_memo()) {
    const bool valide = c == '\n' || (c != '>' && !Code_caractere(static_cast<uint8_t>(c)).empty());
    ASSERT_TRUE(valide) << int(c);
  }
}

}  // namespace
}  // namespace talven
