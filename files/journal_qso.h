// The QSO log QSO_PSK.TXT: the last contact, kept across runs.
//
// Responsibilities: at exit, write the contact in progress (the first
// Index_QSO characters of the QSO record, Windows-1252 bytes with CR LF line
// ends and the "É" / "Å" direction markers, no header) to QSO_PSK.TXT in
// place of the previous one, only when it holds more than 8 characters, and
// tell the operator when it did not fit on the disk. The old file is
// replaced only once the new one is entirely on the disk, so a failure keeps
// the previous contact.
// Collaborations: FonctionsFichiers (block write; the file is in its
// directory, the working directory of the program), Langue, Boite_messages.
// The caller hands over the record's text and Index_QSO, so this layer does
// not depend on the record itself.
#pragma once

#include <cstdint>

#include "common/langue.h"
#include "common/messages.h"
#include "common/texte.h"
#include "files/fonctions_fichiers.h"

namespace talven {

class JournalQso {
 public:
  // A record of this many characters or fewer (for instance a single
  // direction marker block) is not written.
  static constexpr int32_t Index_QSO_sans_ecriture = 8;

  // All three must outlive this object.
  JournalQso(FonctionsFichiers& fichiers, Boite_messages& messages, const Langue& langue);

  // The contact held by a record: its first Index_QSO characters, limited
  // to the record's length (empty when Index_QSO <= 0).
  static VueTexte Qso_du_record(VueTexte Enregistrement_QSO, int32_t Index_QSO);

  // Exit step: when Index_QSO > 8, replaces QSO_PSK.TXT by the contact.
  // Enregistrement_QSO: the whole record (100000 characters in the program).
  // Index_QSO:          characters in use, 0..record length.
  // A file that cannot be created is reported by FonctionsFichiers; a block
  // that did not fit gives "No more room to write in the QSO file." or
  // "Plus de place pour écrire le fichier de QSO.". Either way the previous
  // file stays. Returns 0 when the file was written or had not to be, 1 on
  // failure.
  int Ecriture_journal_qso(VueTexte Enregistrement_QSO, int32_t Index_QSO);

 private:
  FonctionsFichiers& fichiers_;
  Boite_messages& messages_;
  const Langue& langue_;
};

}  // namespace talven
