// Received-text handling: from the decided bits to the characters shown.
//
// Responsibilities: assemble the received bits, find the separator "011",
// decode each character through the decoding table, repair damaged
// characters with the help of the weakest symbol, and deliver each decoded
// character to the big letter label, to the received-text memo (Memo1), to
// the bell, to the lock indicator and to the QSO record.
// Collaborations: the receive pipeline calls `Traitement_bit` once per
// decided bit; the transceiver controller calls `Init_table_decodage` at each
// activation of the window, `Init_fenetre_bits` at each set-up of the receive
// chain and `Debut_reception` at each start of reception; the Costas loop
// reads `Signal_verrouille`. The unit writes to an `EnregistrementQso`, a
// `Memo`, a `Sonnerie` and an `ObservateurDecodage` given at construction.
//
// Bits are the characters '0' and '1'; positions in a bit string are counted
// from 1. Nothing here allocates or throws once the unit is built.
#pragma once

#include <array>
#include <cstdint>

#include "common/texte.h"
#include "transceiver/enregistrement_qso.h"
#include "transceiver/memo.h"

namespace talven {

// The bell rung by a received '*': 1000 Hz for 20 ms on the PC speaker.
class Sonnerie {
 public:
  virtual ~Sonnerie() = default;
  virtual void Sonner() = 0;
};

// What the transceiver window shows of the decoder besides Memo1.
class ObservateurDecodage {
 public:
  virtual ~ObservateurDecodage() = default;
  // New caption of the `Lettre` label, 1 to 3 bytes (Windows-1252), valid
  // only during the call; shown as it stands ('&' is a plain character).
  virtual void Lettre(VueTexte texte) = 0;
  // Shows or hides `Label8`, the lock indicator. Called wherever the window
  // sets it, which may repeat the current state (every valid character while
  // locked, every bit of a long run without separator).
  virtual void Label8(bool visible) = 0;
};

// A bit string of at most 21 bits, held in place so that the per-bit step
// never allocates.
class ChaineBits {
 public:
  static constexpr int Capacite = 21;

  ChaineBits() = default;
  // The bits of `bits` ('0'/'1'), at most `Capacite` of them (the rest is
  // ignored).
  explicit ChaineBits(VueTexte bits);

  int Longueur() const { return longueur_; }
  // Bit k, 1..Longueur().
  char Bit(int k) const { return bits_[static_cast<size_t>(k - 1)]; }
  // True when bits k, k+1, k+2 exist and are "011".
  bool Separateur_en(int k) const;
  // Appends b; on a full string the first bit is dropped to make room.
  void Ajout(char b);
  // Inverts bit k ('0' <-> '1'); nothing outside 1..Longueur().
  void Inversion(int k);
  // Removes the first n bits (all of them when n >= Longueur()).
  void Suppression_debut(int n);
  void Vidage() { longueur_ = 0; }
  // Bits debut..fin, clipped to 1..Longueur().
  ChaineBits Extrait(int debut, int fin) const;
  VueTexte Vue() const { return VueTexte(bits_.data(), static_cast<size_t>(longueur_)); }

 private:
  std::array<char, Capacite> bits_{};
  int longueur_ = 0;
};

class DecodageCaracteres {
 public:
  // Returned by the decoding steps when no character is to be delivered.
  static constexpr uint8_t Aucun_caractere = '~';
  // Decoding table entry of an invalid pattern.
  static constexpr uint8_t Caractere_invalide = '_';
  // Entries of the symbol history.
  static constexpr int Taille_historique = 14;

  // The collaborators must outlive the unit. The decoding table is filled
  // here too, so the unit decodes at once.
  DecodageCaracteres(EnregistrementQso& enregistrement, Memo& memo1, Sonnerie& sonnerie,
                     ObservateurDecodage& observateur);

  // Fills `Table_decodage`: every entry '_' except the 59 characters of the
  // code, each at the index of its pattern.
  void Init_table_decodage();
  // At each set-up of the receive chain: `Fenetre_bits` = "000".
  void Init_fenetre_bits();
  // At each start of reception: lock counter 0, lock cleared and `Label8`
  // hidden, `Lettre_affichee` three spaces, reception marker in the QSO
  // record. The bits and the symbol history carry on.
  void Debut_reception();

  // Index of a pattern: the pattern followed by the terminator "1", bit k
  // (k = 1..8, the first bit least significant) weighing 2^(k-1); bits beyond
  // the eighth do not count. The terminator gives patterns of different
  // lengths distinct indices. 0..255, 0 meaning no '1' in the first eight
  // positions.
  static uint8_t Index_motif(VueTexte motif);

  // The character of a bit string that ends with the separator: its bits
  // before the last three are the pattern. '_' for an invalid pattern. A
  // string of three bits or fewer holds an empty pattern and gives '>'.
  uint8_t Decodage_caractere(VueTexte s) const;

  // One decided bit.
  //   b : '1' for a phase reversal, '0' for none (any other byte counts as
  //       '0')
  //   v : matched-filter value of the symbol that gave b, about -2..2
  // Delivers none, one or several characters through `Affichage_caractere`,
  // in the order in which they were sent.
  void Traitement_bit(char b, double v);

  // Repair of an invalid character of at most 10 bits; returns the character
  // to deliver or `Aucun_caractere`.
  uint8_t Correction_courte();
  // Repair of a run of more than 10 bits; returns the character to deliver
  // or `Aucun_caractere`.
  uint8_t Correction_longue();
  // First position a, from max(1, L - 13) to L - 5, where `Chaine_bits`
  // holds the separator; 0 when there is none.
  int Recherche_separateur() const;
  // Splits s at its first separator (looked for up to 5 bits from the end):
  // delivers the character before it and returns the character of the rest,
  // or returns the character of s when there is none.
  uint8_t Decoupage(ChaineBits s);
  // Delivers one decoded character: letter label, Memo1, bell, QSO record,
  // lock indicator. '>' and '_' reach only the label and the lock indicator.
  void Affichage_caractere(uint8_t c);
  // Shows c in Memo1 (kept below its size limit); '*' rings the bell first.
  void Affichage_memo(uint8_t c);

  // Read-only views for the owner and the tests.
  const std::array<uint8_t, 256>& Table_decodage() const { return table_decodage_; }
  const ChaineBits& Chaine_bits() const { return chaine_bits_; }
  VueTexte Fenetre_bits() const { return VueTexte(fenetre_bits_.data(), fenetre_bits_.size()); }
  // Entry k = 1..14 (14 the newest).
  double Historique_symboles(int k) const { return historique_[static_cast<size_t>(k)]; }
  VueTexte Lettre_affichee() const { return VueTexte(lettre_.data(), static_cast<size_t>(longueur_lettre_)); }
  int Compteur_verrouillage() const { return compteur_verrouillage_; }
  bool Signal_verrouille() const { return signal_verrouille_; }

 private:
  void Perte_verrouillage();

  // Entry 0 is the invalid index and holds '_' as well.
  std::array<uint8_t, 256> table_decodage_{};
  ChaineBits chaine_bits_;
  std::array<char, 3> fenetre_bits_{'0', '0', '0'};
  // Entries 1..14 are used, 14 the newest; bit k of a string of length L
  // belongs to entry 14 - L + k.
  std::array<double, Taille_historique + 1> historique_{};
  std::array<char, 3> lettre_{' ', ' ', ' '};
  int longueur_lettre_ = 3;
  int compteur_verrouillage_ = 0;  // 0..9
  bool signal_verrouille_ = false;
  EnregistrementQso* enregistrement_;
  Memo* memo1_;
  Sonnerie* sonnerie_;
  ObservateurDecodage* observateur_;
};

}  // namespace talven
