#include "transceiver/saisie_emission.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talven {
namespace {

constexpr uint8_t BS = SaisieEmission::Retour_arriere;
constexpr int32_t F1 = 112;

struct Fenetre final : ObservateurSaisie {
  std::vector<ZoneFocus> focus;
  std::vector<std::string> arret;  // caption shown, or "-" when hidden
  void Focus(ZoneFocus zone) override { focus.push_back(zone); }
  void Arret_sequence(bool visible, VueTexte legende) override {
    arret.push_back(visible ? Vers_utf8(legende) : "-");
  }
};

struct Saisie : testing::Test {
  bool reception = false;
  bool emission = true;
  std::array<Texte, 8> sequences{};
  Langue langue{1};
  SaisieEmission saisie{reception, emission, sequences, langue};
  Fenetre fenetre;

  Saisie() { saisie.Observateur(&fenetre); }
  std::string Frappe(std::string_view touches) {
    std::string arrivees;
    for (char c : touches) arrivees += static_cast<char>(saisie.Appui_touche(static_cast<uint8_t>(c)));
    return arrivees;
  }
  // The transmitter encoding everything queued.
  std::string Emission_complete() {
    std::string emis;
    for (uint8_t c; (c = saisie.Caractere_suivant()) != SaisieEmission::File_vide;) {
      emis += static_cast<char>(c);
      saisie.Echo_sequence(c);
    }
    return emis;
  }
};

TEST(SaisieEmissionSeule, TraductionCaractere) {
  const struct {
    const char* touche;  // UTF-8, one character
    char resultat;
    bool accepte;
  } cas[] = {
      {"a", 'A', true},    {"z", 'Z', true},  {"Q", 'Q', true},  {"7", '7', true},  {"é", 'E', true},
      {"É", 'E', true},    {"Ç", 'C', true},  {"ù", 'U', true},  {"Å", 'A', true},  {"î", 'I', true},
      {"Ö", 'O', true},    {"ÿ", 'Y', true},  {"Ñ", 'N', true},  {" ", ' ', true},  {"/", '/', true},
      {":", ':', true},    {"=", '=', true},  {"?", '?', true},  {"@", '@', true},  {"\r", '\r', true},
      {"\n", '\n', false}, {";", ';', false}, {"<", '<', false}, {">", '>', false}, {"[", '[', false},
  };
  for (const auto& k : cas) {
    const Texte t = Depuis_utf8(k.touche);
    ASSERT_EQ(t.size(), 1u);
    bool accepte = !k.accepte;
    EXPECT_EQ(SaisieEmission::Traduction_caractere(static_cast<uint8_t>(t[0]), accepte),
              static_cast<uint8_t>(k.resultat))
        << k.touche;
    EXPECT_EQ(accepte, k.accepte) << k.touche;
  }
  // "È" and the other accented capitals not folded stay out.
  bool accepte = true;
  SaisieEmission::Traduction_caractere(static_cast<uint8_t>(Depuis_utf8("È")[0]), accepte);
  EXPECT_FALSE(accepte);
  // Of all 256 bytes: 52 letters, 10 digits, CR, 20 signs and 31 accented letters.
  int acceptes = 0;
  for (int k = 0; k < 256; ++k)
    SaisieEmission::Traduction_caractere(static_cast<uint8_t>(k), accepte), acceptes += accepte;
  EXPECT_EQ(acceptes, 52 + 10 + 1 + 20 + 31);
}

TEST_F(Saisie, AccentedLetterIsQueuedAndShownFolded) {
  EXPECT_EQ(saisie.Appui_touche(static_cast<uint8_t>(Depuis_utf8("é")[0])), 'E');
  EXPECT_EQ(saisie.Appui_touche(static_cast<uint8_t>(Depuis_utf8("È")[0])), 0);
  EXPECT_EQ(saisie.Texte_a_emettre, "E");
  EXPECT_EQ(saisie.Memo2.Texte_memo(), "E");
  EXPECT_EQ(saisie.Longueur_texte, 1);
}

TEST_F(Saisie, BackspaceTakesBackAPendingCharacter) {
  Frappe("AB");
  EXPECT_EQ(saisie.Appui_touche(BS), BS);
  EXPECT_EQ(saisie.Texte_a_emettre, "A");
  EXPECT_EQ(saisie.Longueur_texte, 1);
  EXPECT_EQ(saisie.Memo2.Texte_memo(), "A");
}

TEST_F(Saisie, BackspaceWithNothingPendingSendsTheDeletionCharacterOnce) {
  Frappe("AB");
  EXPECT_EQ(Emission_complete(), "AB");
  EXPECT_EQ(saisie.Appui_touche(BS), BS);
  EXPECT_EQ(saisie.Texte_a_emettre, "<");
  EXPECT_EQ(saisie.Memo2.Texte_memo(), "A");
  // A second one while "<" is pending is ignored.
  EXPECT_EQ(saisie.Appui_touche(BS), 0);
  EXPECT_EQ(saisie.Texte_a_emettre, "<");
  EXPECT_EQ(saisie.Memo2.Texte_memo(), "A");
}

TEST_F(Saisie, ExtendedKeys) {
  sequences[0] = "CQ";
  EXPECT_EQ(saisie.Appui_touche_etendue(37), 0);   // left arrow
  EXPECT_EQ(saisie.Appui_touche_etendue(46), 0);   // Delete
  EXPECT_EQ(saisie.Appui_touche_etendue(120), 0);  // F9
  // F3 with sequence 3 empty: only the focus moves.
  EXPECT_EQ(saisie.Appui_touche_etendue(F1 + 2), F1 + 2);
  EXPECT_TRUE(saisie.Texte_a_emettre.empty());
  EXPECT_FALSE(saisie.Sequence_en_cours);
  EXPECT_EQ(fenetre.focus, std::vector<ZoneFocus>{ZoneFocus::Memo2});
  EXPECT_TRUE(fenetre.arret.empty());
  // While receiving, F1 sends nothing and the focus goes to the received text.
  emission = false;
  reception = true;
  EXPECT_EQ(saisie.Appui_touche_etendue(F1), F1);
  EXPECT_TRUE(saisie.Texte_a_emettre.empty());
  EXPECT_EQ(fenetre.focus.back(), ZoneFocus::Memo1);
}

TEST_F(Saisie, SequenceBehindTypedTextIsEchoedOnceAsEncoded) {
  sequences[1] = "CQ DE";
  Frappe("HELLO");
  EXPECT_EQ(saisie.Appui_touche_etendue(F1 + 1), F1 + 1);
  EXPECT_EQ(saisie.Texte_a_emettre, "HELLOCQ DE");
  EXPECT_EQ(saisie.Nombre_a_sauter, 5);
  EXPECT_EQ(fenetre.arret, std::vector<std::string>{"Stop of the sequence 2 (or <Esc>)"});
  EXPECT_EQ(saisie.Memo2.Texte_memo(), "HELLO");  // sequence characters appear only as sent

  // The keyboard is blocked, the echo code is not ours to send.
  EXPECT_EQ(Frappe(std::string("X\b\x1f", 3)), std::string(3, '\0'));
  EXPECT_EQ(saisie.Texte_a_emettre, "HELLOCQ DE");

  for (int i = 0; i < 6; ++i) saisie.Echo_sequence(saisie.Caractere_suivant());  // HELLO C
  EXPECT_EQ(saisie.Memo2.Texte_memo(), "HELLOC");
  EXPECT_EQ(saisie.Caractere_sequence, 'C');
  EXPECT_EQ(saisie.Appui_touche(SaisieEmission::Code_echo), 0);  // each echo is inserted once
  EXPECT_EQ(Emission_complete(), "Q DE");
  EXPECT_EQ(saisie.Memo2.Texte_memo(), "HELLOCQ DE");
  EXPECT_FALSE(saisie.Sequence_en_cours);
  EXPECT_EQ(saisie.Caractere_sequence, 0);
  EXPECT_EQ(fenetre.arret.back(), "-");
  EXPECT_EQ(Frappe("K"), "K");  // typing again
}

TEST_F(Saisie, SequenceLineBreaksSendCarriageReturnsOnly) {
  sequences[3] = "CQ\r\nK\r\n";
  saisie.SequenceNClick(4);
  EXPECT_EQ(saisie.Texte_a_emettre, "CQ\rK\r");
  Emission_complete();
  EXPECT_EQ(saisie.Memo2.Texte_memo(), "CQ\r\nK\r\n");
}

TEST_F(Saisie, NewSequenceReplacesTheOneInProgress) {
  langue.valeur = 2;
  sequences[0] = "AAA";
  sequences[2] = "BB";
  Frappe("X");
  saisie.SequenceNClick(1);
  saisie.SequenceNClick(3);
  EXPECT_EQ(saisie.Texte_a_emettre, "BB");
  EXPECT_EQ(saisie.Nombre_a_sauter, 0);
  EXPECT_EQ(fenetre.arret, (std::vector<std::string>{"Arrêt de la séquence 1 (ou <Echap>)", "-",
                                                     "Arrêt de la séquence 3 (ou <Echap>)"}));
}

TEST_F(Saisie, StopOfSequenceFreesTheKeyboard) {
  sequences[0] = "CQ CQ";
  saisie.SequenceNClick(1);
  saisie.Echo_sequence(saisie.Caractere_suivant());
  saisie.Arret_sequenceClick();
  EXPECT_FALSE(saisie.Sequence_en_cours);
  EXPECT_TRUE(saisie.Texte_a_emettre.empty());
  EXPECT_EQ(saisie.Longueur_texte, 0);
  EXPECT_EQ(fenetre.arret.back(), "-");
  EXPECT_EQ(fenetre.focus.back(), ZoneFocus::Memo2);
  // Nothing is pending any more: a backspace sends the deletion character.
  EXPECT_EQ(saisie.Appui_touche(BS), BS);
  EXPECT_EQ(saisie.Texte_a_emettre, "<");
}

TEST_F(Saisie, QueueHolds10010Characters) {
  saisie.Texte_a_emettre.assign(10009, 'A');
  EXPECT_EQ(saisie.Ajout_caractere('b'), 'B');
  EXPECT_EQ(saisie.Longueur_texte, 10010);
  EXPECT_EQ(saisie.Ajout_caractere('c'), 0);
  EXPECT_EQ(saisie.Appui_touche('c'), 0);
  EXPECT_EQ(saisie.Texte_a_emettre.size(), 10010u);
  EXPECT_TRUE(saisie.Memo2.Texte_memo().empty());
}

TEST_F(Saisie, WhileReceivingNothingIsQueuedAndFocusGoesToReceivedText) {
  emission = false;
  reception = true;
  sequences[0] = "CQ";
  saisie.SequenceNClick(1);
  saisie.Ajout_texte("CQ");
  saisie.Memo2Click();
  saisie.Arret_sequenceClick();
  EXPECT_TRUE(saisie.Texte_a_emettre.empty());
  EXPECT_EQ(fenetre.focus, std::vector<ZoneFocus>(3, ZoneFocus::Memo1));
}

TEST_F(Saisie, StartOfTransmissionEmptiesTheQueueAndEndsTheSequence) {
  sequences[0] = "CQ";
  saisie.SequenceNClick(1);
  saisie.Echo_sequence(saisie.Caractere_suivant());
  saisie.Vidage();
  EXPECT_TRUE(saisie.Texte_a_emettre.empty());
  EXPECT_FALSE(saisie.Sequence_en_cours);
  EXPECT_EQ(saisie.Caractere_sequence, 0);
  EXPECT_EQ(saisie.Caractere_suivant(), SaisieEmission::File_vide);
  saisie.Echo_sequence('K');  // outside a sequence: no echo
  EXPECT_EQ(saisie.Memo2.Texte_memo(), "C");
}

}  // namespace
}  // namespace talven
