// The About box `TForm2`: what the program is, its version, the terms it is
// distributed under and where the mode comes from.
//
// Responsibilities: four labels (`Programme`, `Version`, `Licence`,
// `Credits`) and the button `OKBouton`, which closes the box, as do <Esc>
// and the window manager's close; fixed places (400 x 230 logical pixels,
// fixed border) in fonts chosen so that every caption fits in either
// language. The captions follow the language at each showing (the main
// window runs it with `exec()`).
// Collaborations: `Langue`, read at each showing; the version is the
// project's, given to this unit when it is built. Text crosses into the
// widgets through `Vers_qstring`.
#pragma once

#include <QDialog>

#include "common/langue.h"

class QLabel;
class QPushButton;

namespace talven {

class TForm2 final : public QDialog {
 public:
  static constexpr int Largeur = 400;  // client area, logical pixels
  static constexpr int Hauteur = 230;

  // `langue` must outlive the box.
  explicit TForm2(const Langue& langue, QWidget* parent = nullptr);

  // The version shown, "0.1.0" say.
  static QString Version_programme();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Legendes();

  const Langue& langue_;

  // The components, under their object names.
  QLabel* Programme = nullptr;
  QLabel* Version = nullptr;
  QLabel* Licence = nullptr;
  QLabel* Credits = nullptr;
  QPushButton* OKBouton = nullptr;
};

}  // namespace talven
