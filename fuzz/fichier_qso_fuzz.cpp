// Fuzzing of the QSO file's reading: the viewer showing the previous contact
// read from QSO_PSK.TXT (any bytes, up to beyond the 100010 bytes one read
// takes) or the contact in progress (a record with any fill count, even
// outside the record), through any sequence of the viewer's buttons; and the
// exit's writing of the record, read back by the next run's viewer.
//
// Input: byte 0 chooses whether the file exists (bit 0), the language (bit
// 1), reads and writes in small pieces (bit 2), which disk call fails (bits
// 3-5, none when 6 or 7), a file around the 100010 bytes one read takes
// (bit 6, otherwise shorter than 3000 bytes) and a record of the program's
// 100000 characters (bit 7, otherwise 1000); byte 1 is the rank of the
// failing call; bytes 2-5 the record's fill count (signed, taken modulo a
// little more than the record's length on both sides); bytes 6-7 the file's
// length; bytes 8-11 the buttons (two bits each: activation, previous
// contact, contact in progress); the rest, repeated, is the file and the
// record.
//
// Checked: the memo shows exactly the contact of the state the viewer is in
// (the record cut to its fill count, or the file's first 100010 bytes up to
// the first zero byte, or nothing after a failed read); the file is read
// once on entering the previous-contact state and never otherwise; nothing
// is left open; the contact written at exit, when it is more than 8
// characters, is what the viewer shows of the previous contact next time.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/langue.h"
#include "files/editeur_fichier_qso.h"
#include "files/fonctions_fichiers.h"
#include "files/journal_qso.h"
#include "fuzz/disque_memoire.h"
#include "fuzz/verification.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

constexpr const char* Nom = "QSO_PSK.TXT";
constexpr int32_t Taille_record = 100000;

class Record final : public Source_qso {
 public:
  VueTexte Enregistrement_QSO() const override { return texte; }
  int32_t Index_QSO() const override { return index; }
  Texte texte;
  int32_t index = 0;
};

std::string Repetition(VueTexte motif, std::size_t longueur) {
  std::string s;
  s.reserve(longueur);
  while (!motif.empty() && s.size() < longueur)
    s.append(motif, 0, std::min(motif.size(), longueur - s.size()));
  s.resize(longueur, 'x');
  return s;
}

// What the viewer must show of a file as a sound disk gives it.
Texte Lu(VueTexte fichier) {
  VueTexte t = fichier.substr(0, static_cast<std::size_t>(FonctionsFichiers::Taille_maximale_lecture));
  return Texte(t.substr(0, t.find('\0')));
}

}  // namespace
}  // namespace talven

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, std::size_t taille) {
  using namespace talven;
  constexpr std::size_t Entete = 12;
  constexpr std::size_t Boutons = 16;
  if (taille < Entete) return 0;
  const uint8_t choix = donnees[0];
  const auto appel = static_cast<fuzz::Disque_memoire::Appel>((choix >> 3) & 7);
  const VueTexte motif(reinterpret_cast<const char*>(donnees + Entete), taille - Entete);

  fuzz::Disque_memoire disque;
  const uint32_t l = static_cast<uint32_t>(donnees[6]) << 8 | donnees[7];
  const std::size_t longueur_fichier =
      (choix & 64) != 0 ? FonctionsFichiers::Taille_maximale_lecture - 50 + l % 100 : l % 3000;
  const std::string fichier = Repetition(motif, longueur_fichier);
  if ((choix & 1) != 0) disque.fichiers[Nom] = fichier;
  disque.panne = {appel, donnees[1], 28};
  if ((choix & 4) != 0) disque.morceau_max = 4093;
  const bool sans_panne = disque.panne.rang == 0 || appel >= fuzz::Disque_memoire::Appel::Nombre;

  Record record;
  const int32_t longueur_record = (choix & 128) != 0 ? Taille_record : 1000;
  record.texte = Repetition(motif.substr(std::min<std::size_t>(motif.size(), 1)),
                            static_cast<std::size_t>(longueur_record));
  const int32_t brut =
      static_cast<int32_t>(static_cast<uint32_t>(donnees[2]) << 24 | static_cast<uint32_t>(donnees[3]) << 16 |
                           static_cast<uint32_t>(donnees[4]) << 8 | donnees[5]);
  record.index = brut % (longueur_record + 20);
  const Texte en_cours =
      record.texte.substr(0, static_cast<std::size_t>(std::clamp(record.index, 0, longueur_record)));

  test::Boite_messages_enregistreuse boite;
  FonctionsFichiers fichiers(boite, "", &disque);
  Langue langue;
  langue.valeur = (choix & 2) != 0 ? 1 : 2;
  EditeurFichierQso viewer(fichiers, langue, record);

  // The buttons; the viewer is always activated first, as its window is
  // shown before any button can be pressed.
  viewer.A_l_activation_de_la_fiche();
  TALVEN_VERIFIE(viewer.Affichage_QSO_en_cours());
  TALVEN_VERIFIE(viewer.Memo1() == en_cours);
  for (std::size_t k = 0; k < Boutons; ++k) {
    const int bouton = (donnees[8 + k / 4] >> (2 * (k % 4))) & 3;
    const bool etait_en_cours = viewer.Affichage_QSO_en_cours();
    const Texte memo_avant = viewer.Memo1();
    const uint32_t lectures = disque.Lectures_ouvertes();
    const std::size_t messages = boite.messages.size();
    switch (bouton) {
      case 0:
        viewer.A_l_activation_de_la_fiche();
        TALVEN_VERIFIE(viewer.Affichage_QSO_en_cours());
        TALVEN_VERIFIE(viewer.Memo1() == en_cours);
        TALVEN_VERIFIE(disque.Lectures_ouvertes() == lectures);
        break;
      case 1:
        viewer.PRECEDENT_QSOClick();
        TALVEN_VERIFIE(!viewer.Affichage_QSO_en_cours());
        if (!etait_en_cours) {
          TALVEN_VERIFIE(viewer.Memo1() == memo_avant);
          TALVEN_VERIFIE(disque.Lectures_ouvertes() == lectures);
          TALVEN_VERIFIE(boite.messages.size() == messages);
        } else if (boite.messages.size() == messages) {
          // A read that reported nothing shows the file as it is.
          TALVEN_VERIFIE(disque.Lectures_ouvertes() == lectures + 1);
          TALVEN_VERIFIE((choix & 1) != 0);
          TALVEN_VERIFIE(viewer.Memo1() == Lu(fichier));
        } else {
          // A missing file, or a failing disk: the file unit's message, then
          // an empty memo.
          TALVEN_VERIFIE((choix & 1) == 0 || !sans_panne);
          TALVEN_VERIFIE(viewer.Memo1().empty());
        }
        break;
      default:
        viewer.QSO_EN_COURSClick();
        TALVEN_VERIFIE(viewer.Affichage_QSO_en_cours());
        TALVEN_VERIFIE(viewer.Memo1() == (etait_en_cours ? memo_avant : en_cours));
        TALVEN_VERIFIE(disque.Lectures_ouvertes() == lectures);
        break;
    }
    TALVEN_VERIFIE(disque.Ouverts() == 0);
    TALVEN_VERIFIE(!viewer.Legendes().Fiche.empty() && !viewer.Legendes().Label1.empty());
  }

  // The exit of this run, then the viewer of the next one on a sound disk.
  JournalQso journal(fichiers, boite, langue);
  const auto avant = disque.Contenu(Nom);
  const int resultat = journal.Ecriture_journal_qso(record.texte, record.index);
  TALVEN_VERIFIE(disque.Ouverts() == 0);
  TALVEN_VERIFIE(disque.fichiers.size() <= 1);
  const auto apres = disque.Contenu(Nom);
  if (record.index <= JournalQso::Index_QSO_sans_ecriture || resultat != 0) {
    TALVEN_VERIFIE(apres == avant);
  } else {
    TALVEN_VERIFIE(apres == en_cours.substr(0, en_cours.find('\0')));
  }
  disque.panne = {};
  disque.morceau_max = SIZE_MAX;
  EditeurFichierQso suivant(fichiers, langue, record);
  suivant.A_l_activation_de_la_fiche();
  suivant.PRECEDENT_QSOClick();
  TALVEN_VERIFIE(suivant.Memo1() == (apres ? Lu(*apres) : Texte()));
  return 0;
}
