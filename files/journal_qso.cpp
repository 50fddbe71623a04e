#include "files/journal_qso.h"

#include <algorithm>

namespace talven {

JournalQso::JournalQso(FonctionsFichiers& fichiers, Boite_messages& messages, const Langue& langue)
    : fichiers_(fichiers), messages_(messages), langue_(langue) {}

VueTexte JournalQso::Qso_du_record(VueTexte Enregistrement_QSO, int32_t Index_QSO) {
  if (Index_QSO <= 0) return {};
  return Enregistrement_QSO.substr(0,
                                   std::min(Enregistrement_QSO.size(), static_cast<std::size_t>(Index_QSO)));
}

int JournalQso::Ecriture_journal_qso(VueTexte Enregistrement_QSO, int32_t Index_QSO) {
  if (Index_QSO <= Index_QSO_sans_ecriture) return 0;
  if (fichiers_.Ouverture_fichier_en_ecriture("QSO_PSK.TXT") != 0) return 1;
  bool Plus_de_place = false;
  fichiers_.Ecriture_bloc_fichier(Qso_du_record(Enregistrement_QSO, Index_QSO), Plus_de_place);
  int resultat = fichiers_.Fermeture_fichier_en_ecriture();
  if (Plus_de_place)
    messages_.Message(langue_.Choix("No more room to write in the QSO file.",
                                    "Plus de place pour écrire le fichier de QSO."));
  return resultat;
}

}  // namespace talven
