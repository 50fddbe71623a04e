// The windows' fonts, sized in logical pixels: the windows are laid out in
// pixels, so their captions keep their room whatever the desktop's font or
// dots per inch.
//
// Responsibilities: the sans-serif faces (the metric-compatible one of the
// classic desktop font first) and the fixed-pitch ones; a caption put in
// the largest size at which it fits its control.
// Collaborations: every window of the program.
#pragma once

#include <QFont>
#include <QString>

class QWidget;

namespace talven {

// The smallest size a caption is shrunk to, pixels.
inline constexpr int Police_minimale = 8;

// Liberation Sans, Arial or DejaVu Sans at `pixels`.
QFont Police(int pixels, bool gras = false);

// Liberation Mono or DejaVu Sans Mono at `pixels`: text whose columns line
// up as they were typed and received.
QFont Police_fixe(int pixels = 13);

// Sets on `controle` the font `Police(pixels, gras)`, shrunk down to
// `Police_minimale` until `texte` fits: for a QLabel, within its width and
// height in lines wrapped at its width; for any other control, on one line
// within its width less `marge` (a button's face, a group box's frame),
// "&&" counting as the one "&" it shows.
void Ajustement_police(QWidget* controle, const QString& texte, int pixels, bool gras = false, int marge = 0);

}  // namespace talven
