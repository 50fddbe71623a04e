// Fuzzing of the received-text path: the character decoder fed any decided
// bits with any soft values (NaN, infinities, huge and denormal values
// included), interleaved with what the engine does around it (starts of
// reception, receive-chain set-ups, clearing of Memo1, transmitted
// characters and deletions on the same QSO record), from a Memo1 and a QSO
// record that may start close to their limits.
//
// Input: byte 0 the Memo1 fill at the start (0: empty, otherwise 20000 less
// 0..31 characters, bit 5 ending it with a line), byte 1 the QSO record's
// fill (0: empty, otherwise its length less 8..47 characters), then steps
// to the end of the input:
//   0xxxxxxb   one bit b, soft value (x - 32) / 16
//   10iiiiib   one bit b, soft value i of a table of edge values (beyond
//              the table: the 8 bytes that follow, as a double)
//   110ooooo   an engine operation o (see Operation)
//   111wwwww   the next byte's 8 bits, first bit the most significant, as a
//              clean signal gives them, symbol w (mod 8) the weakest
//
// Checked after each step: the record never holds more than its 100000
// characters, its fill count and the start of its modifiable part stay in
// order; Memo1 stays within its limit (a carriage return may pass it by the
// line feed that goes with it) and the view's copy of it follows it; the
// bit string stays below 21 bits, the lock counter within 0..9, Label8 shows
// the lock; the letter label holds 1 to 3 characters; the full-record
// warning comes only while the record holds more than 99997 characters (a
// deletion handled in the same step may take it back). At the end: only
// characters of the code reach Memo1 and the record, carriage return and
// line feed go together in the received text, the text recorded before the
// first marker is untouched, and the bell rang once per '*' shown.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>

#include "common/messages.h"
#include "fuzz/verification.h"
#include "transceiver/code_caractere.h"
#include "transceiver/decodage_caracteres.h"
#include "transceiver/enregistrement_qso.h"
#include "transceiver/memo.h"

namespace talven {
namespace {

constexpr uint8_t Retour_chariot = 13;
constexpr uint8_t Saut_ligne = 10;

// The window's copy of Memo1, kept from what the memo tells its view.
struct Vue_memo final : ObservateurMemo {
  void Memo_caractere(uint8_t c) override {
    if (c == Retour_chariot) {
      texte += "\r\n";
    } else if (c == 8) {
      if (texte.size() >= 2 && texte.compare(texte.size() - 2, 2, "\r\n") == 0) {
        texte.resize(texte.size() - 2);
      } else if (!texte.empty()) {
        texte.pop_back();
      }
    } else {
      texte += static_cast<char>(c);
      if (c == '*') ++etoiles;
    }
  }
  void Memo_texte(VueTexte t) override { texte = t; }
  Texte texte;
  int etoiles = 0;
};

struct Vue_decodage final : Sonnerie, ObservateurDecodage {
  void Sonner() override { ++sonneries; }
  void Lettre(VueTexte texte) override { TALVEN_VERIFIE(!texte.empty() && texte.size() <= 3); }
  void Label8(bool visible) override { label8 = visible; }
  int sonneries = 0;
  bool label8 = true;
};

// A character of the code, shown and recorded when received.
bool Caractere_recu_valide(uint8_t c) {
  return c != '>' && !Code_caractere(c).empty();
}

// The soft values of the table steps: the edges of what the matched filter
// gives and what it never gives.
constexpr double Valeurs[] = {0.0,
                              -0.0,
                              2.0,
                              -2.0,
                              1e-9,
                              -1e-9,
                              std::numeric_limits<double>::quiet_NaN(),
                              -std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::max(),
                              std::numeric_limits<double>::lowest(),
                              std::numeric_limits<double>::denorm_min(),
                              -std::numeric_limits<double>::denorm_min(),
                              9999.0,
                              -9999.0,
                              1e300,
                              -1e300,
                              0.1,
                              -0.1};

enum Operation : uint8_t {
  Debut_reception,       // the engine's start of reception: chain set up, then the decoder's start
  Init_fenetre_bits,     // a receive-chain set-up alone (retuning)
  Init_table_decodage,   // an activation of the window
  Effacement_memo1,      // the clear button during reception
  Debut_emission,        // a start of transmission: the transmission marker
  Caractere_emis,        // the next byte, as a transmitted character (folded into the code's alphabet)
  Caractere_recu,        // the next byte's character of the code, sent cleanly
  Caractere_recu_repete  // the same, repeated (byte after) + 1 times
};

// The prefilled states start from copies (a unit is a value), so that an
// input does not pay for typing 20000 characters or recording 100000.
constexpr std::size_t Memo_preparee = Memo::Longueur_limite - 31;
constexpr int32_t Record_prepare = EnregistrementQso::Taille - 8 - 39;

// The full-record warning is the only message of the received-text path and
// of the transmitter's recording, and it comes only while the record holds
// more than `Seuil_plein` characters (a deletion that follows it in the same
// step may take the record back below).
struct Boite_record final : Boite_messages {
  void Message(VueTexte texte) override {
    TALVEN_VERIFIE(texte == EnregistrementQso::Message_plein);
    TALVEN_VERIFIE(record != nullptr && record->Index_QSO() > EnregistrementQso::Seuil_plein);
  }
  const EnregistrementQso* record = nullptr;
};

Boite_record& Boite() {
  static Boite_record boite;
  return boite;
}

// The text recorded before the first marker: 'a' to 'z' over and over.
const Texte& Motif_gel() {
  static const Texte motif = [] {
    Texte t(static_cast<std::size_t>(EnregistrementQso::Taille), ' ');
    for (std::size_t i = 0; i < t.size(); ++i) t[i] = static_cast<char>('a' + i % 26);
    return t;
  }();
  return motif;
}

const Memo& Memo_presque_pleine() {
  static const Memo memo = [] {
    Memo m;
    for (std::size_t i = 0; i < Memo_preparee; ++i) m.Frappe(static_cast<uint8_t>('A' + i % 26));
    return m;
  }();
  return memo;
}

const EnregistrementQso& Record_presque_plein() {
  static const EnregistrementQso record = [] {
    EnregistrementQso r(Boite());
    for (int32_t i = 0; i < Record_prepare; ++i)
      r.Ajout_QSO_recu(static_cast<uint8_t>(Motif_gel()[static_cast<std::size_t>(i)]));
    return r;
  }();
  return record;
}

class Banc {
 public:
  Banc(const uint8_t* donnees, std::size_t taille) : p_(donnees), fin_(donnees + taille) {
    boite.record = &enregistrement;
  }
  ~Banc() { boite.record = nullptr; }
  Banc(const Banc&) = delete;
  Banc& operator=(const Banc&) = delete;

  void Execution() {
    Preparation();
    while (p_ < fin_) {
      Pas(*p_++);
      Verification_pas();
    }
    Verification_finale();
  }

 private:
  uint8_t Octet() { return p_ < fin_ ? *p_++ : 0; }

  void Preparation() {
    const uint8_t m = Octet();
    if (m != 0) {
      // Typed as the decoder shows a character: the limit kept first.
      memo1 = Memo_presque_pleine();
      const std::size_t n = Memo::Longueur_limite - (m & 31);
      for (std::size_t i = memo1.Texte_memo().size(); i < n; ++i) {
        memo1.Limitation_au_dela();
        memo1.Frappe(static_cast<uint8_t>('A' + i % 26));
      }
      if ((m & 32) != 0) {
        memo1.Limitation_au_dela();
        memo1.Frappe(Retour_chariot);
      }
    }
    memo1.Observateur(&vue_memo);
    vue_memo.texte = memo1.Texte_memo();
    const uint8_t q = Octet();
    if (q != 0) {
      enregistrement = Record_presque_plein();
      const int32_t n = EnregistrementQso::Taille - 8 - (q % 40);
      for (int32_t i = enregistrement.Index_QSO(); i < n; ++i)
        enregistrement.Ajout_QSO_recu(static_cast<uint8_t>(Motif_gel()[static_cast<std::size_t>(i)]));
      gel_ = n;
    }
    decodeur.Init_fenetre_bits();
    decodeur.Debut_reception();
    debut_reception_ = enregistrement.Index_QSO();
  }

  void Bit(char b, double v) {
    if (b == '1') phase_ = -phase_;
    decodeur.Traitement_bit(b, v);
    TALVEN_VERIFIE(decodeur.Chaine_bits().Longueur() < ChaineBits::Capacite);
  }

  // Bits as a clean signal gives them: the symbol's sign follows the phase.
  void Bits_propres(std::string_view bits, std::size_t faible) {
    for (std::size_t i = 0; i < bits.size(); ++i) {
      const char b = bits[i] == '1' ? '1' : '0';
      const double amplitude = i == faible ? 0.05 : 1.0;
      Bit(b, (b == '1' ? -phase_ : phase_) * amplitude);
    }
  }

  void Pas(uint8_t o) {
    if ((o & 0x80) == 0) {
      Bit((o & 1) ? '1' : '0', (((o >> 1) & 63) - 32) / 16.0);
    } else if ((o & 0xC0) == 0x80) {
      const std::size_t i = (o >> 1) & 31;
      double v = 0.0;
      if (i < std::size(Valeurs)) {
        v = Valeurs[i];
      } else {
        uint8_t octets[sizeof v] = {};
        for (uint8_t& x : octets) x = Octet();
        std::memcpy(&v, octets, sizeof v);
      }
      Bit((o & 1) ? '1' : '0', v);
    } else if ((o & 0xE0) == 0xC0) {
      Operation_moteur(static_cast<Operation>(o & 0x1F));
    } else {
      const uint8_t x = Octet();
      char bits[8];
      for (int k = 0; k < 8; ++k) bits[k] = (x >> (7 - k)) & 1 ? '1' : '0';
      Bits_propres(std::string_view(bits, 8), o & 7);
    }
  }

  void Operation_moteur(Operation o) {
    switch (o) {
      case Debut_reception:
        decodeur.Init_fenetre_bits();
        decodeur.Debut_reception();
        reception_seule_ = true;
        debut_reception_ = enregistrement.Index_QSO();
        break;
      case Init_fenetre_bits:
        decodeur.Init_fenetre_bits();
        break;
      case Init_table_decodage:
        decodeur.Init_table_decodage();
        break;
      case Effacement_memo1:
        memo1.Effacement();
        break;
      case Debut_emission:
        enregistrement.Marque_QSO(EnregistrementQso::Marque_emission);
        reception_seule_ = false;
        break;
      case Caractere_emis: {
        // As the transmitter records what it sends: the idle mark never, the
        // deletion character as a deletion.
        const EntreeCode& e = Table_code[Octet() % Nombre_codes];
        if (e.caractere != '>' && e.caractere != '<') enregistrement.Ajout_QSO(e.caractere);
        enregistrement.Controle_plein();
        if (e.caractere == '<') enregistrement.Effacement_QSO_emis();
        reception_seule_ = false;
        break;
      }
      case Caractere_recu:
      case Caractere_recu_repete: {
        const EntreeCode& e = Table_code[Octet() % Nombre_codes];
        const int fois = o == Caractere_recu ? 1 : Octet() + 1;
        for (int k = 0; k < fois; ++k) {
          Bits_propres(Code_caractere(e.caractere), 99);
          Verification_pas();
        }
        break;
      }
      default:
        break;
    }
  }

  void Verification_pas() {
    const int32_t index = enregistrement.Index_QSO();
    TALVEN_VERIFIE(enregistrement.Enregistrement_QSO().size() ==
                   static_cast<std::size_t>(EnregistrementQso::Taille));
    TALVEN_VERIFIE(0 <= enregistrement.Debut_modifiable_QSO());
    TALVEN_VERIFIE(enregistrement.Debut_modifiable_QSO() <= index);
    TALVEN_VERIFIE(index <= EnregistrementQso::Taille);
    // Cut at its limit; a carriage return typed one short of it adds the
    // line feed beyond.
    TALVEN_VERIFIE(memo1.Texte_memo().size() <= Memo::Longueur_limite + 1);
    TALVEN_VERIFIE(vue_memo.texte.size() == memo1.Texte_memo().size());
    TALVEN_VERIFIE(decodeur.Compteur_verrouillage() >= 0 && decodeur.Compteur_verrouillage() <= 9);
    TALVEN_VERIFIE(vue.label8 == decodeur.Signal_verrouille());
    TALVEN_VERIFIE(!decodeur.Lettre_affichee().empty() && decodeur.Lettre_affichee().size() <= 3);
    for (char b : decodeur.Fenetre_bits()) TALVEN_VERIFIE(b == '0' || b == '1');
  }

  void Verification_finale() {
    TALVEN_VERIFIE(vue_memo.texte == memo1.Texte_memo());
    TALVEN_VERIFIE(vue.sonneries == vue_memo.etoiles);
    const Texte& m = memo1.Texte_memo();
    for (std::size_t i = 0; i < m.size(); ++i) {
      const auto c = static_cast<uint8_t>(m[i]);
      TALVEN_VERIFIE(c == Saut_ligne || Caractere_recu_valide(c));
    }
    const Texte& r = enregistrement.Enregistrement_QSO();
    TALVEN_VERIFIE(std::memcmp(r.data(), Motif_gel().data(), static_cast<std::size_t>(gel_)) == 0);
    if (!reception_seule_) return;
    // What was received since the last marker: characters of the code, each
    // carriage return with its line feed (but the last, when the record
    // filled on it).
    const int32_t index = enregistrement.Index_QSO();
    for (int32_t i = debut_reception_; i < index; ++i) {
      const auto c = static_cast<uint8_t>(r[static_cast<std::size_t>(i)]);
      if (c == Saut_ligne) {
        TALVEN_VERIFIE(i > debut_reception_ && r[static_cast<std::size_t>(i - 1)] == Retour_chariot);
      } else {
        TALVEN_VERIFIE(Caractere_recu_valide(c) && c != '<');
        if (c == Retour_chariot && i + 1 < EnregistrementQso::Taille)
          TALVEN_VERIFIE(i + 1 < index && r[static_cast<std::size_t>(i + 1)] == Saut_ligne);
      }
    }
  }

  const uint8_t* p_;
  const uint8_t* fin_;
  Boite_record& boite = Boite();
  EnregistrementQso enregistrement{boite};
  Memo memo1;
  Vue_memo vue_memo;
  Vue_decodage vue;
  DecodageCaracteres decodeur{enregistrement, memo1, vue, vue};
  double phase_ = 1.0;
  int32_t gel_ = 0;              // characters recorded before the first marker
  int32_t debut_reception_ = 0;  // fill count after the last reception marker
  bool reception_seule_ = true;  // nothing but reception since that marker
};

}  // namespace
}  // namespace talven

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, std::size_t taille) {
  talven::Banc banc(donnees, taille);
  banc.Execution();
  return 0;
}
