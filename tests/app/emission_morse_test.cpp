// Morse sending on the simulated card, stepped one output buffer at a time
// and playing into memory: what the card plays is cut into runs of tone and
// runs of silence (the tone never takes the silent value 128), read back as
// dots, dashes and gaps, and the tone samples compared with a sine computed
// here.
#include "app/emission_morse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "app/registre_controle_modem.h"
#include "audio/son_simule.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

using E = EmissionMorse;
constexpr size_t Tampon = E::Taille_tampon;
// The two buffers prefilled with silence and the first one refilled before
// the text is taken.
constexpr size_t Ouverture = 3 * Tampon;
// Bound on the buffers any drive below plays, so that a fault fails the
// test instead of hanging it.
constexpr int Tampons_max = 400;

// Each keying write, with whether the output buffers existed and how much
// the card had played at that time.
class RegistreTest final : public Registre_controle_modem {
 public:
  RegistreTest(const FonctionsWave& wave, SonSimule& son) : wave_(wave), son_(son) {}
  void Ecriture_mcr(uint16_t adresse, uint8_t valeur) override {
    ecritures.push_back({adresse, valeur, wave_.Entete_sortie() != nullptr, son_.Octets_joues().size()});
  }
  struct Ecriture {
    uint16_t adresse;
    uint8_t valeur;
    bool sortie_allouee;
    size_t joues;
    bool operator==(const Ecriture&) const = default;
  };
  std::vector<Ecriture> ecritures;

 private:
  const FonctionsWave& wave_;
  SonSimule& son_;
};

// round(127 sin i°), ties to even, worked out independently of the unit:
// the four exact ties (sine +-1/2) given, every other entry far from one.
int32_t Sinus_reference(int32_t degres) {
  if (degres == 30 || degres == 150) return 64;
  if (degres == 210 || degres == 330) return -64;
  return static_cast<int32_t>(std::lround(127.0 * std::sin(degres * M_PI / 180.0)));
}

// Sample k (from 1) of a tone started at phase 0: the phase is k steps of
// 16326 millidegrees past 0, and it never lands on 360000 within a dash.
uint8_t Tonalite_reference(size_t k) {
  const int64_t phase = static_cast<int64_t>(k) * E::Pas_phase % 360000;
  return static_cast<uint8_t>(Sinus_reference(static_cast<int32_t>(phase / 1000)) + 127);
}

struct Plage {
  bool tonalite;
  size_t debut;
  size_t longueur;
};

std::vector<Plage> Plages(const std::vector<uint8_t>& joues) {
  std::vector<Plage> p;
  for (size_t i = 0; i < joues.size(); ++i) {
    const bool t = joues[i] != E::Silence;
    if (p.empty() || p.back().tonalite != t) p.push_back({t, i, 0});
    ++p.back().longueur;
  }
  return p;
}

// The signs the runs spell: '.' and '_' for the tones, nothing between the
// elements of a character, " " between characters and " / " for each word
// gap; '?' for a run of any other length. The opening and closing silences
// are left out.
std::string Elements(const std::vector<Plage>& plages) {
  std::string s;
  for (size_t i = 1; i < plages.size(); ++i) {
    const Plage& p = plages[i];
    if (p.tonalite) {
      s += p.longueur == E::Longueur_point ? "." : p.longueur == E::Longueur_trait ? "_" : "?";
    } else if (i + 1 < plages.size()) {
      if (p.longueur == E::Longueur_point) continue;
      if (p.longueur < E::Longueur_trait ||
          (p.longueur - E::Longueur_trait) % E::Longueur_quatre_points != 0) {
        s += "?";
        continue;
      }
      s += " ";
      for (size_t m = (p.longueur - E::Longueur_trait) / E::Longueur_quatre_points; m > 0; --m) s += "/ ";
    }
  }
  return s;
}

class EmissionMorseTest : public ::testing::Test {
 protected:
  EmissionMorseTest() {
    son.Sortie_memoire();
    wave.Affichage_erreurs_son = 1;
    pascal.Attache_registre_controle_modem(&registre);
    morse.Port_serie_actif = true;
    morse.Adresse_MCR = 0x2FC;
  }

  // Steps until `Pas` says the sending is over, the card playing one buffer
  // whenever the unit waits for it; `en_attente(joues)` runs each time the
  // unit waits, with the buffers played so far. The buffers played.
  int Jusqu_a_la_fin(const std::function<void(int)>& en_attente = {}) {
    int joues = 0;
    for (;;) {
      if (!morse.Pas()) break;
      if (morse.Tampon_servi) continue;
      if (en_attente) en_attente(joues);
      if (joues == Tampons_max || !son.Completer_sortie()) {
        ADD_FAILURE() << "the sending does not end";
        break;
      }
      ++joues;
    }
    morse.Fin();
    return joues;
  }

  // What the card played from sample `debut` on.
  std::vector<uint8_t> Joues_depuis(size_t debut) {
    const std::vector<uint8_t> tout = son.Octets_joues();
    return {tout.begin() + static_cast<std::ptrdiff_t>(std::min(debut, tout.size())), tout.end()};
  }

  // Sends `texte` to its end; what the card played for it.
  std::vector<uint8_t> Envoi(VueTexte texte) {
    const size_t debut = son.Octets_joues().size();
    EXPECT_TRUE(morse.Debut(texte));
    Jusqu_a_la_fin();
    return Joues_depuis(debut);
  }

  SonSimule son;
  test::Boite_messages_enregistreuse boite;
  FonctionsWave wave{son, boite};
  FonctionsPascal pascal;
  RegistreTest registre{wave, son};
  EmissionMorse morse{wave, pascal};
};

TEST(EmissionMorseTable, SineTableIsRoundedHalfToEven) {
  SonSimule son;
  test::Boite_messages_enregistreuse boite;
  FonctionsWave wave{son, boite};
  FonctionsPascal pascal;
  EmissionMorse m{wave, pascal};
  m.Calcul_table_sinus();
  struct Cas {
    int32_t degres, valeur;
  };
  // 127 sin 30° is 63.5 exactly: even 64, 191; -63.5 at 210° and 330° gives
  // -64, 63.
  for (const Cas& c : {Cas{0, 127}, Cas{16, 162}, Cas{30, 191}, Cas{90, 254}, Cas{150, 191}, Cas{180, 127},
                       Cas{210, 63}, Cas{270, 0}, Cas{330, 63}, Cas{360, 127}})
    EXPECT_EQ(m.Table_sinus[static_cast<size_t>(c.degres)], c.valeur) << c.degres;
  for (int32_t i = 0; i <= 360; ++i)
    EXPECT_EQ(m.Table_sinus[static_cast<size_t>(i)], Sinus_reference(i) + 127) << i;
}

TEST_F(EmissionMorseTest, ToneStepsAndWrapsThePhase) {
  morse.Calcul_table_sinus();
  struct Cas {
    int32_t avant, apres;
  };
  // 360000 itself is kept (entry 360 is read); only above it wraps.
  for (const Cas& c :
       {Cas{0, 16326}, Cas{343673, 359999}, Cas{343674, 360000}, Cas{343675, 1}, Cas{350000, 6326}}) {
    morse.Phase_morse = c.avant;
    const uint8_t x = morse.Tonalite_morse();
    EXPECT_EQ(morse.Phase_morse, c.apres) << c.avant;
    EXPECT_EQ(x, morse.Table_sinus[static_cast<size_t>(c.apres / 1000)]) << c.avant;
  }
}

TEST(EmissionMorseTexte, TranslationFoldsLowerCaseAndRefusesWhatHasNoSign) {
  struct Cas {
    uint8_t entree, sortie;  // 0: refused
  };
  const Cas cas[] = {{'a', 'A'},
                     {'z', 'Z'},
                     {'A', 'A'},
                     {'Z', 'Z'},
                     {'0', '0'},
                     {'9', '9'},
                     {' ', ' '},
                     {13, 13},
                     {'?', '?'},
                     {'_', '_'},
                     {'*', '*'},
                     {163, 163},
                     {196, 196},
                     {233, 233},
                     {224, 224},
                     // no sign: line feed, '#', '@', '<', '[', '`', '{', 'ä', 'É', 'è', NUL, 255
                     {10, 0},
                     {'#', 0},
                     {'@', 0},
                     {'<', 0},
                     {'[', 0},
                     {'`', 0},
                     {'{', 0},
                     {228, 0},
                     {201, 0},
                     {232, 0},
                     {0, 0},
                     {255, 0}};
  for (const Cas& c : cas) EXPECT_EQ(E::Traduction_morse(c.entree), c.sortie) << int(c.entree);

  SonSimule son;
  test::Boite_messages_enregistreuse boite;
  FonctionsWave wave{son, boite};
  FonctionsPascal pascal;
  EmissionMorse m{wave, pascal};
  m.Ajout_texte_morse("cq#\r\nde\xE4 f6");
  EXPECT_EQ(m.Texte_morse, "CQ\r\nDE F6");

  EXPECT_EQ(Legende_label2(Langue{1}), "<Esc> to stop CW transmission");
  EXPECT_EQ(Legende_label2(Langue{0}), "<Echap> pour arr\xEAter la transmission CW");
}

// The code of every character that has one.
TEST(EmissionMorseTexte, EveryAcceptedCharacterHasItsCode) {
  struct Cas {
    uint8_t c;
    std::string_view code;
  };
  const Cas cas[] = {
      {'A', "._"},     {'B', "_..."},   {'C', "_._."},     {'D', "_.."},    {'E', "."},      {'F', ".._."},
      {'G', "__."},    {'H', "...."},   {'I', ".."},       {'J', ".___"},   {'K', "_._"},    {'L', "._.."},
      {'M', "__"},     {'N', "_."},     {'O', "___"},      {'P', ".__."},   {'Q', "__._"},   {'R', "._."},
      {'S', "..."},    {'T', "_"},      {'U', ".._"},      {'V', "..._"},   {'W', ".__"},    {'X', "_.._"},
      {'Y', "_.__"},   {'Z', "__.."},   {'0', "_____"},    {'1', ".____"},  {'2', "..___"},  {'3', "...__"},
      {'4', "...._"},  {'5', "....."},  {'6', "_...."},    {'7', "__..."},  {'8', "___.."},  {'9', "____."},
      {'!', "_._._"},  {'"', "._.._."}, {'$', "..._._"},   {'%', "._.._"},  {'&', "..._."},  {'\'', ".____."},
      {'(', "_.__."},  {')', "_.__._"}, {'*', "........"}, {'+', "._._."},  {',', "__..__"}, {'-', "_...._"},
      {'.', "._._._"}, {'/', "_.._."},  {':', "___..."},   {';', "_._._."}, {'=', "_..._"},  {'?', "..__.."},
      {'_', "..__._"}, {163, "._..."},  {196, "._._"},     {209, "__.__"},  {214, "___."},   {220, "..__"},
      {224, ".__._"},  {231, "____"},   {233, ".._.."},
  };
  int avec_code = 0;
  for (const Cas& k : cas) EXPECT_EQ(E::Code_morse(k.c), k.code) << int(k.c);
  for (int b = 0; b < 256; ++b) avec_code += E::Code_morse(static_cast<uint8_t>(b)).empty() ? 0 : 1;
  EXPECT_EQ(avec_code, static_cast<int>(std::size(cas)));
}

// "A B": dot, dot gap, dash, three-dot gap and four-dot gap, dash, then
// three dots with their gaps, the three-dot gap; each tone from phase 0.
// The sending opens with three buffers of silence and stops once the
// buffer holding the last samples has been played.
TEST_F(EmissionMorseTest, EachElementHasItsLengthAndItsToneStartsAtPhaseZero) {
  const std::vector<uint8_t> joues = Envoi("A B");
  const std::vector<Plage> p = Plages(joues);
  constexpr size_t P = E::Longueur_point, T = E::Longueur_trait, Q = E::Longueur_quatre_points;
  // "A", the word gap and "B": 16398 samples from 8268, the last one in
  // the ninth buffer, which is the last played.
  constexpr size_t Texte = (P + P + T + T) + Q + (T + P + P + P + P + P + P + T);
  static_assert(Texte == 16398);
  // clang-format off
  const std::vector<std::pair<bool, size_t>> attendu = {
      {false, Ouverture},
      {true, P}, {false, P}, {true, T}, {false, T + Q},
      {true, T}, {false, P}, {true, P}, {false, P}, {true, P}, {false, P}, {true, P},
      {false, T + 9 * Tampon - (Ouverture + Texte)}};
  // clang-format on
  ASSERT_EQ(p.size(), attendu.size());
  for (size_t i = 0; i < p.size(); ++i) {
    EXPECT_EQ(p[i].tonalite, attendu[i].first) << i;
    EXPECT_EQ(p[i].longueur, attendu[i].second) << i;
  }
  for (const Plage& x : p) {
    if (!x.tonalite) continue;
    for (size_t k = 0; k < x.longueur; ++k)
      ASSERT_EQ(joues[x.debut + k], Tonalite_reference(k + 1)) << "run at " << x.debut << ", sample " << k;
  }
}

struct CasEnvoi {
  const char* texte;     // Windows-1252
  const char* elements;  // as `Elements` spells them
};

class EnvoiTexte : public EmissionMorseTest, public ::testing::WithParamInterface<CasEnvoi> {};

// Whole sendings: the signs that go out, in whole buffers, with three
// buffers of silence first and the closing three-dot gap played before the
// stop, which comes within the buffer that holds it.
TEST_P(EnvoiTexte, SendsTheSignsOfTheTextAndStopsAfterTheLastOne) {
  const std::vector<uint8_t> joues = Envoi(GetParam().texte);
  const std::vector<Plage> p = Plages(joues);
  ASSERT_FALSE(p.empty());
  EXPECT_EQ(joues.size() % Tampon, 0u);
  EXPECT_FALSE(p.front().tonalite);
  EXPECT_EQ(Elements(p), GetParam().elements);
  if (p.size() == 1) {
    EXPECT_EQ(joues.size(), Ouverture);
  } else {
    EXPECT_EQ(p.front().longueur, Ouverture);
    EXPECT_FALSE(p.back().tonalite);
    EXPECT_GE(p.back().longueur, static_cast<size_t>(E::Longueur_trait));
    EXPECT_LT(p.back().longueur, E::Longueur_trait + Tampon);
  }
  EXPECT_TRUE(boite.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Textes, EnvoiTexte,
    testing::Values(CasEnvoi{"E", "."}, CasEnvoi{"T", "_"}, CasEnvoi{"cq", "_._. __._"},
                    CasEnvoi{"\xE9", ".._.."},  // é
                    CasEnvoi{"#E@", "."},       // '#' and '@' are not sent
                    CasEnvoi{"\xE4"
                             "E\xE4",
                             "."},                // nor 'ä'
                    CasEnvoi{"E\r\nT", ". _"},    // a line end is no gap of its own
                    CasEnvoi{"E  T", ". / / _"},  // two spaces, two word gaps
                    CasEnvoi{"", ""}, CasEnvoi{"#@", ""},
                    // longer than the pending samples hold: coded as they drain
                    CasEnvoi{"0000000000", "_____ _____ _____ _____ _____ _____ _____ _____ _____ _____"}));

// An empty text keys the transmitter before the output exists, plays
// silence until both buffers have been refilled with silence after the
// start, and releases the transmitter once the output is closed and
// released; without a serial port nothing is written.
TEST_F(EmissionMorseTest, KeysBeforeTheOutputOpensAndReleasesAfterItClosed) {
  ASSERT_TRUE(morse.Debut(""));
  EXPECT_TRUE(morse.Actif());
  EXPECT_FALSE(morse.Debut("E")) << "a second start while sending";
  EXPECT_EQ(Jusqu_a_la_fin(), 3);
  const std::vector<uint8_t> joues = son.Octets_joues();
  EXPECT_EQ(joues, std::vector<uint8_t>(Ouverture, E::Silence));
  using W = RegistreTest::Ecriture;
  EXPECT_EQ(registre.ecritures, (std::vector<W>{{0x2FC, 0x0B, false, 0}, {0x2FC, 0x08, false, Ouverture}}));
  EXPECT_FALSE(morse.Actif());
  EXPECT_TRUE(morse.Termine());
  EXPECT_FALSE(morse.Pas());
  morse.Fin();
  EXPECT_EQ(registre.ecritures.size(), 2u) << "Fin twice releases once";

  morse.Port_serie_actif = false;
  Envoi("E");
  EXPECT_EQ(registre.ecritures.size(), 2u);
  EXPECT_TRUE(boite.messages.empty());
}

// <Esc> while the card plays buffer n + 1: that buffer is the last one
// played (the request is seen once it has been refilled), then the output
// is stopped and the transmitter released.
TEST_F(EmissionMorseTest, StopRequestEndsWithinOneBuffer) {
  for (int n : {0, 1, 2, 7}) {
    const size_t debut = son.Octets_joues().size();
    registre.ecritures.clear();
    ASSERT_TRUE(morse.Debut("PARIS PARIS PARIS PARIS"));
    const int joues = Jusqu_a_la_fin([&](int k) {
      if (k == n) morse.Demande_arret();
    });
    EXPECT_EQ(joues, n + 1) << n;
    EXPECT_EQ(Joues_depuis(debut).size(), static_cast<size_t>(joues) * Tampon) << n;
    ASSERT_EQ(registre.ecritures.size(), 2u);
    EXPECT_EQ(registre.ecritures.back().valeur, E::Mcr_reception);
    EXPECT_FALSE(registre.ecritures.back().sortie_allouee);
    EXPECT_EQ(wave.Entete_sortie_bis(), nullptr);
  }
  EXPECT_TRUE(boite.messages.empty());
}

// A character is coded while at most the threshold waits, by the refill
// and by `Codage_morse` itself, and not once more is waiting.
TEST_F(EmissionMorseTest, ThresholdIsInclusive) {
  for (const size_t attente : {static_cast<size_t>(E::Seuil_remplissage), E::Seuil_remplissage + size_t{1}}) {
    const bool code = attente <= E::Seuil_remplissage;
    ASSERT_TRUE(morse.Debut(""));
    morse.Echantillons_morse.assign(attente, 200);
    morse.Nombre_echantillons_morse = static_cast<uint16_t>(attente);
    morse.Texte_morse = "E";
    morse.Remplissage_morse();
    EXPECT_EQ(morse.Texte_morse, code ? "" : "E") << attente;
    EXPECT_EQ(morse.Nombre_echantillons_morse, attente + (code ? E::Longueur_point + E::Longueur_trait : 0))
        << attente;
    morse.Echantillons_morse.resize(attente);
    morse.Nombre_echantillons_morse = static_cast<uint16_t>(attente);
    morse.Codage_morse('T');
    EXPECT_EQ(morse.Echantillons_morse.size(), attente + (code ? 2 * E::Longueur_trait : 0)) << attente;
    morse.Fin();
  }
}

// While the card plays, a step codes characters until more than the
// threshold waits and then returns without waiting; further steps do
// nothing until a buffer is finished.
TEST_F(EmissionMorseTest, StepCodesUpToTheThresholdAndNeverWaits) {
  ASSERT_TRUE(morse.Debut(std::string(40, '0')));
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(morse.Pas());
    EXPECT_FALSE(morse.Tampon_servi);
  }
  EXPECT_EQ(morse.Nombre_echantillons_morse, 0) << "the text waits for the start's refill";
  // The first buffer finished: refilled with silence, the text taken, and
  // one "0" (15032 samples, the longest character) coded: then more than
  // the threshold waits.
  ASSERT_TRUE(son.Completer_sortie());
  EXPECT_TRUE(morse.Pas());
  EXPECT_FALSE(morse.Tampon_servi);
  constexpr size_t Zero = 15032;
  EXPECT_EQ(morse.Nombre_echantillons_morse, Zero);
  EXPECT_EQ(morse.Echantillons_morse.size(), Zero);
  EXPECT_EQ(morse.Texte_morse.size(), 39u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(morse.Pas());
    EXPECT_FALSE(morse.Tampon_servi);
  }
  EXPECT_EQ(morse.Nombre_echantillons_morse, Zero);
  // The second buffer finished: refilled with the first 2756 samples, which
  // brings the count under the threshold, so the next "0" is coded.
  ASSERT_TRUE(son.Completer_sortie());
  EXPECT_TRUE(morse.Pas());
  EXPECT_TRUE(morse.Tampon_servi);
  EXPECT_EQ(morse.Nombre_echantillons_morse, 2 * Zero - Tampon);
  EXPECT_EQ(morse.Echantillons_morse.size(), 2 * Zero - Tampon);
  EXPECT_EQ(morse.Texte_morse.size(), 38u);
  morse.Fin();
}

// A start that cannot open the output or queue its prefill is abandoned:
// nothing is left allocated or queued, the transmitter is released, and
// the next start works.
TEST_F(EmissionMorseTest, FailedStartLeavesNothingWaiting) {
  struct Cas {
    const char* nom;
    std::function<void(SonSimule&)> panne;
  };
  const Cas cas[] = {
      {"output busy", [](SonSimule& s) { s.Definir_occupe(Sens::Sortie, true); }},
      {"prepare", [](SonSimule& s) { s.Injecter_echec(SonSimule::Operation::Preparer, Sens::Sortie, EIO); }},
      {"queue", [](SonSimule& s) { s.Injecter_echec(SonSimule::Operation::Ajouter, Sens::Sortie, EIO); }},
  };
  for (const Cas& c : cas) {
    registre.ecritures.clear();
    boite.messages.clear();
    c.panne(son);
    EXPECT_FALSE(morse.Debut("E")) << c.nom;
    EXPECT_FALSE(boite.messages.empty()) << c.nom;
    EXPECT_EQ(wave.Entete_sortie(), nullptr) << c.nom;
    EXPECT_EQ(wave.Entete_sortie_bis(), nullptr) << c.nom;
    EXPECT_FALSE(morse.Actif()) << c.nom;
    EXPECT_FALSE(morse.Pas()) << c.nom;
    ASSERT_EQ(registre.ecritures.size(), 2u) << c.nom;
    EXPECT_EQ(registre.ecritures[0].valeur, E::Mcr_emission) << c.nom;
    EXPECT_EQ(registre.ecritures[1].valeur, E::Mcr_reception) << c.nom;
    EXPECT_FALSE(son.Completer_sortie()) << c.nom;

    son.Definir_occupe(Sens::Sortie, false);
    boite.messages.clear();
    EXPECT_EQ(Elements(Plages(Envoi("E"))), ".") << c.nom;
    EXPECT_TRUE(boite.messages.empty()) << c.nom;
  }
}

}  // namespace
}  // namespace talven
