// EDITEUR_FICHIER_QSO on screen: the QSO viewer window `TForm7`.
//
// Responsibilities: the viewer's components under their object names and
// fixed places (600 x 420 logical pixels, fixed border): the read-only memo
// `Memo1` showing a whole contact (the 100000 characters of the record if
// need be), the reminder line `Label1`, and the buttons `PRECEDENT_QSO`,
// `QSO_EN_COURS` and `OKBouton`, in fonts chosen so that every caption fits
// in either language. Each showing (the main window runs it with `exec()`)
// activates the viewer's model, which starts on the contact in progress in
// the current language; the two reading buttons go to the model and move
// the focus to the memo; `OKBouton`, <Esc> and the window manager's close
// close the window.
// Collaborations: `EditeurFichierQso` holds the states, the captions and the
// memo's text; the window shows `Legendes()` and `Memo1()` after each of its
// calls. The file layer's reports (a previous contact that cannot be read)
// go to the station's message box, over this window. Text crosses into the
// widgets through `Vers_qstring` and nowhere else.
#pragma once

#include <QDialog>

#include "common/texte.h"
#include "files/editeur_fichier_qso.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace talven {

class TForm7 final : public QDialog {
 public:
  static constexpr int Largeur = 600;  // client area, logical pixels
  static constexpr int Hauteur = 420;

  // `editeur` must outlive the window. Nothing is read or shown until the
  // window is shown.
  explicit TForm7(EditeurFichierQso& editeur, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Construction();
  void Accessibilite();
  // The model's captions and memo on the widgets. The memo is loaded in one
  // piece, on each showing (`recharger`) and otherwise only when its text
  // changed, so a button asking for the contact already shown keeps the
  // reader's place and selection.
  void Affichage(bool recharger);

  EditeurFichierQso& editeur_;
  Texte memo_affiche_;  // the text now in `Memo1`, as the model gave it

  // The components, under their object names.
  QPlainTextEdit* Memo1 = nullptr;
  QLabel* Label1 = nullptr;
  QPushButton* PRECEDENT_QSO = nullptr;
  QPushButton* QSO_EN_COURS = nullptr;
  QPushButton* OKBouton = nullptr;
};

}  // namespace talven
