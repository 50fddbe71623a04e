// CREATION_SEQUENCE without its window: the editor of the eight stored
// sequences F13.SER to F20.SER.
//
// Responsibilities: at each activation read the edited file again (nothing
// is kept between showings) and give the captions in the interface
// language; decide which typed character enters the memo and as what
// (lower case folded to capitals, accented letters to their base letter,
// the rest of what the mode cannot send refused); cut any text entering the
// memo so that the sequence never exceeds the 5000 bytes a sequence file
// may hold; record the memo's text in the file and in the sequence kept in
// memory, which the transceiver sends.
// Collaborations: FonctionsFichiers reads and writes the file and reports
// its failures itself; ConfigurationSequences holds the eight sequences
// (`Textes_sequences`); Langue chooses the captions. The window TForm5
// (app/qt/creation_sequence/) shows the memo and hands over its text as
// Windows-1252 with carriage returns for its line breaks.
//
// Text is Windows-1252. In the memo and in the file a line break is CR LF,
// two bytes: the 5000-byte limit counts it as two characters.
#pragma once

#include <cstdint>

#include "common/langue.h"
#include "common/texte.h"
#include "files/configuration_sequences.h"
#include "files/fonctions_fichiers.h"

namespace talven {

class CreationSequence {
 public:
  // Largest sequence, in bytes (line breaks counting two).
  static constexpr int32_t Taille_maximale = ConfigurationSequences::Taille_maximale_sequence;

  // The fixed reminder of Panel1, the same in both languages (ASCII).
  static constexpr VueTexte Rappel = "Rappel: la sonnerie (Bell) se note \"*\".";

  // What a typed character becomes: refused, or accepted as `octet`.
  struct Caractere_filtre {
    bool accepte = false;
    uint8_t octet = 0;
  };

  // All three must outlive this object.
  CreationSequence(FonctionsFichiers& fichiers, ConfigurationSequences& configuration, const Langue& langue);

  // The edited file, "F13.SER" .. "F20.SER", set by the main window before
  // each showing.
  Texte Fichier_sequence_edite;
  // The sequence as read at activation or as last recorded (CR LF breaks).
  Texte Texte_sequence_edite;

  // Captions, set by the activation in the language of that moment.
  Texte Legende_fenetre;
  Texte Legende_Sauvegarde_du_texte;
  Texte Legende_Sauvegarde_abandon;
  Texte Legende_OKBouton;

  // Each showing of the window: the captions, then the file read into
  // Texte_sequence_edite (empty when the read fails, after the file unit's
  // message). The window then shows it in the memo, caret at the end.
  void A_l_activation_de_la_fiche();

  // A typed character (Windows-1252 byte): "a".."z" become "A".."Z";
  // Ç ç become C; ü û ù ú Ü U; é ê ë è É E; â ä à å á Ä Å A; ï î ì í I;
  // ô ö ò ó Ö O; ÿ Y; ñ Ñ N. The result is accepted when it is a space to
  // "Z" (32..90), a backspace (8), a line feed (10) or a carriage return
  // (13); everything else is refused, the other accented capitals (À, È,
  // Ê, ...) included.
  static Caractere_filtre Filtrage_caractere(uint8_t c);

  // Text entering the memo (typed, composed, pasted or dropped), given as
  // Windows-1252 with CR, LF or CR LF line breaks: each character through
  // Filtrage_caractere, the refused ones (and backspaces, which are not
  // text) left out, each line break given as CR LF; cut where the next
  // character would no longer fit in `place` bytes (a line break needs
  // two). `place` < 0 is taken as 0.
  static Texte Filtrage_texte(VueTexte texte, int32_t place);

  // The memo's text with its line breaks (CR, LF or CR LF) as CR LF: the
  // text as the file and the sequence hold it.
  static Texte Texte_sequence(VueTexte texte_memo);
  // Its length in bytes, what the 5000-byte limit counts.
  static int32_t Longueur_sequence(VueTexte texte_memo);

  // "Text record": Texte_sequence_edite := the memo's text (`texte_memo`,
  // any line breaks), written to the file, and the sequence of that file in
  // memory replaced by it even when the write failed (the transceiver then
  // sends the new text in this run; the file unit has shown its message).
  // The window stays open.
  void Sauvegarde_du_texteClick(VueTexte texte_memo);
  // "Text record and return to the menu": the same; the window then closes.
  void Sauvegarde_abandonClick(VueTexte texte_memo);
  // "Return to the menu without record": nothing is written; the window
  // closes.
  void OKBoutonClick();

 private:
  FonctionsFichiers& fichiers_;
  ConfigurationSequences& configuration_;
  const Langue& langue_;
};

}  // namespace talven
