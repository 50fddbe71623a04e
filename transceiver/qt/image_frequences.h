// The spectrum image of the transceiver window (`Image_spectre`).
//
// Responsibilities: draw what the engine's spectrum holds — the title band
// "Spectrum (Hz)" in bold 26 points, blue on lime; the frequency scale in
// 6 points; the white plot area with its dotted blue grid (11 horizontal
// lines, 21 vertical ones, the labelled 200, 500, 1000, 1500 and 2000 Hz
// lines reaching into the scale); the marker (navy, 5 pixels wide, in
// master mode; aqua, W div 40 pixels either side, in slave mode); the red
// curve — into an image kept at the screen's device pixel ratio, so it is
// crisp on a HiDPI screen with the same logical geometry; measure the title
// and scale heights the engine needs; hand the mouse's presses and releases
// to whoever drives the engine.
// Collaborations: reads a `DessinSpectre` of the engine when told to
// redraw; the transceiver window connects the mouse callbacks.
#pragma once

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <functional>

#include "common/langue.h"
#include "transceiver/analyse_reception.h"

namespace talven {

class ImageSpectre final : public QWidget {
 public:
  // The image's size on the window, logical pixels.
  static constexpr int Largeur = 329;
  static constexpr int Hauteur = 225;

  explicit ImageSpectre(QWidget* parent = nullptr);

  // The title in the language, then the title and scale heights T1 and T2,
  // pixels, as the fonts measure them.
  void Langue_titre(const Langue& langue);
  int Hauteur_titre() const;
  int Hauteur_echelle() const;

  // Draws the image anew from `dessin` (the title band and scale, the plot
  // area, and once a display has run, the marker, the grid and the curve).
  void Redessin(const DessinSpectre& dessin);

  // The image as drawn, at the device pixel ratio of the screen.
  const QImage& Image() const { return image_; }

  // Called with x (logical pixels, 0..W-1) on a press of any button, and on
  // its release.
  std::function<void(int)> Appui;
  std::function<void()> Relachement;

  // Fonts of the title and the scale.
  static QFont Police_titre();
  static QFont Police_echelle();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // The marker, the grid and the curve over the plot area.
  static void Trace(QPainter& p, const DessinSpectre& dessin);

  QString titre_;
  QImage image_;
};

}  // namespace talven
