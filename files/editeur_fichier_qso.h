// EDITEUR_FICHIER_QSO: what the QSO viewer shows, without the window.
//
// Responsibilities: the viewer's two states, showing the contact in
// progress (entered at each activation and by QSO_EN_COURS) or the previous
// contact saved in QSO_PSK.TXT (entered by PRECEDENT_QSO, which reads the
// file once on entering that state); the captions in the current language
// and the text of the read-only memo. A button asking for the state already
// shown changes nothing; the window then only moves the focus to its memo.
// Collaborations: Source_qso (the contact in progress, given by the owner of
// the QSO record), FonctionsFichiers (reading the previous contact, in the
// working directory), Langue. The viewer window shows Legendes() and Memo1()
// after each call.
#pragma once

#include <cstdint>

#include "common/langue.h"
#include "common/texte.h"
#include "files/fonctions_fichiers.h"

namespace talven {

// The contact in progress, as the viewer reads it.
class Source_qso {
 public:
  virtual ~Source_qso() = default;
  // The whole QSO record (100000 characters in the program).
  virtual VueTexte Enregistrement_QSO() const = 0;
  // Characters of the record in use, 0..record length.
  virtual int32_t Index_QSO() const = 0;
};

class EditeurFichierQso {
 public:
  // Captions of the viewer, Windows-1252.
  struct Legendes_fiche {
    Texte Fiche;          // window caption
    Texte PRECEDENT_QSO;  // button showing the previous contact
    Texte QSO_EN_COURS;   // button showing the contact in progress
    Texte OKBouton;       // button closing the viewer
    Texte Label1;         // reminder of the bell and direction markers
  };

  // All three must outlive this object.
  EditeurFichierQso(FonctionsFichiers& fichiers, const Langue& langue, const Source_qso& source);

  // Each time the viewer is shown: captions in the current language, the
  // contact in progress in the memo.
  void A_l_activation_de_la_fiche();
  // Shows the previous contact, read from QSO_PSK.TXT (an empty memo when
  // the read failed, after the file unit's message). Nothing when it is
  // already shown.
  void PRECEDENT_QSOClick();
  // Shows the contact in progress again. Nothing when it is already shown.
  void QSO_EN_COURSClick();

  // True while the contact in progress is shown.
  bool Affichage_QSO_en_cours() const { return en_cours_; }
  const Legendes_fiche& Legendes() const { return legendes_; }
  // The text of the read-only memo, whole (no length limit).
  const Texte& Memo1() const { return memo_; }

 private:
  void Afficher_qso_en_cours();

  FonctionsFichiers& fichiers_;
  const Langue& langue_;
  const Source_qso& source_;

  bool en_cours_ = false;
  Legendes_fiche legendes_;
  Texte memo_;
};

}  // namespace talven
