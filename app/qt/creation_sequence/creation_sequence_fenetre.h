// CREATION_SEQUENCE on screen: the sequence editor `TForm5`.
//
// Responsibilities: the memo `Memo1`, the reminder `Panel1` and the three
// buttons under their object names in a fixed 720 x 446 layout (logical
// pixels), captions fitted to their room; at each showing, the editor's
// activation (file read again, captions in the language), the memo showing
// the sequence with the focus and the caret at its end; the buttons handed
// to the editor. It closes through its two return buttons only: the window
// manager's close and <Esc> are refused, and it has no border icons.
// Collaborations: CreationSequence, whose `Fichier_sequence_edite` the main
// window sets before exec(); MemoSequence; text crosses into the widgets
// through common/qt/texte_qt.h only.
#pragma once

#include <QDialog>

#include "app/creation_sequence/creation_sequence.h"

class QLabel;
class QPushButton;

namespace talven {

class MemoSequence;

class TForm5 final : public QDialog {
 public:
  static constexpr int Largeur = 720;  // client area, logical pixels
  static constexpr int Hauteur = 446;

  // `creation` must outlive the window.
  explicit TForm5(CreationSequence& creation, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void reject() override;
  void done(int resultat) override;

 private:
  void Fermeture();

  CreationSequence& creation_;
  bool fermeture_ = false;  // a return button closes the window

  MemoSequence* Memo1 = nullptr;
  QLabel* Panel1 = nullptr;
  QPushButton* Sauvegarde_du_texte = nullptr;
  QPushButton* Sauvegarde_abandon = nullptr;
  QPushButton* OKBouton = nullptr;
};

}  // namespace talven
