#include "transceiver/qt/image_frequences.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <array>

#include "common/qt/polices_qt.h"

namespace talven {

namespace {

const QColor Lime(0, 255, 0);
const QColor Bleu(0, 0, 255);
const QColor Rouge(255, 0, 0);
const QColor Marine(0, 0, 128);
const QColor Cyan(0, 255, 255);

constexpr const char* Titre_anglais = "      Spectrum (Hz)       ";
constexpr const char* Titre_francais = "      Spectre (Hz)        ";
// The labelled vertical lines (of 0..20) and their labels: the scale
// "200    500  ...  2000", each label at its line.
struct Graduation {
  int a;
  const char* texte;
};
constexpr std::array<Graduation, 5> Graduations{
    {{0, "200"}, {3, "500"}, {8, "1000"}, {13, "1500"}, {18, "2000"}}};

bool Ligne_graduee(int a) {
  return std::any_of(Graduations.begin(), Graduations.end(), [a](const Graduation& g) { return g.a == a; });
}

}  // namespace

// 26 points and 6 points at the 96 dots per inch the window is laid out for.
QFont ImageSpectre::Police_titre() {
  return Police(35, true);
}

QFont ImageSpectre::Police_echelle() {
  return Police(8, false);
}

ImageSpectre::ImageSpectre(QWidget* parent) : QWidget(parent), titre_(QString::fromLatin1(Titre_anglais)) {
  setFixedSize(Largeur, Hauteur);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::CrossCursor);
}

void ImageSpectre::Langue_titre(const Langue& langue) {
  titre_ = QString::fromLatin1(langue.Anglais() ? Titre_anglais : Titre_francais);
}

int ImageSpectre::Hauteur_titre() const {
  return QFontMetrics(Police_titre()).height();
}

int ImageSpectre::Hauteur_echelle() const {
  return QFontMetrics(Police_echelle()).height();
}

void ImageSpectre::Redessin(const DessinSpectre& d) {
  const qreal ratio = devicePixelRatioF();
  const QSize taille(qRound(d.Largeur_image * ratio), qRound(d.Hauteur_image * ratio));
  if (image_.size() != taille) image_ = QImage(taille, QImage::Format_RGB32);
  image_.setDevicePixelRatio(ratio);
  image_.fill(Qt::white);

  QPainter p(&image_);
  p.setRenderHint(QPainter::Antialiasing, false);
  const int W = d.Largeur_image;
  const int H = d.Hauteur_image;
  const int T1 = d.Hauteur_titre;
  const int T2 = d.Hauteur_echelle;
  const int P = d.Hauteur_trace;

  // Title band: the text's own extent on lime, blue letters.
  const QFont titre = Police_titre();
  const QFontMetrics mt(titre);
  p.fillRect(QRect(0, 0, std::min(mt.horizontalAdvance(titre_), W), T1), Lime);
  p.setFont(titre);
  p.setPen(Bleu);
  p.drawText(0, mt.ascent(), titre_);

  // Scale from y = T1 - 2, on lime across the image; each label starts at its
  // grid line.
  const QFont echelle = Police_echelle();
  const QFontMetrics me(echelle);
  p.fillRect(QRect(0, T1 - 2, W, T2), Lime);
  p.setFont(echelle);
  for (const Graduation& g : Graduations) {
    const int x = ((W - 1) * g.a) / 20;
    p.drawText(x + 2, T1 - 2 + me.ascent(), QString::fromLatin1(g.texte));
  }

  // The white plot area.
  p.fillRect(QRect(QPoint(0, (H - 1) - P), QPoint(W - 1, H - 1)), Qt::white);
  if (d.Courbe_tracee) Trace(p, d);
  p.end();
  update();
}

void ImageSpectre::Trace(QPainter& p, const DessinSpectre& d) {
  const int W = d.Largeur_image;
  const int H = d.Hauteur_image;
  const int T1 = d.Hauteur_titre;
  const int T2 = d.Hauteur_echelle;
  const int P = d.Hauteur_trace;
  if (d.Marqueur_visible) {
    const RectangleMarqueur& m = d.Marqueur;
    p.fillRect(QRect(QPoint(m.gauche, m.haut), QPoint(m.droite, m.bas)),
               d.Couleur_marqueur == CouleurMarqueur::Marine ? Marine : Cyan);
  }

  // Dotted grid, one pixel on and one off.
  QPen pointille(Bleu, 1);
  pointille.setDashPattern({1.0, 1.0});
  pointille.setCapStyle(Qt::FlatCap);
  p.setPen(pointille);
  for (int i = 0; i <= 10; ++i) {
    const int y = (H - 1) - (P * i) / 10;
    p.drawLine(0, y, W - 1, y);
  }
  for (int a = 0; a <= 20; ++a) {
    const int x = ((W - 1) * a) / 20;
    const int y0 = Ligne_graduee(a) ? T1 + T2 - 3 : T1 + T2 - 1;
    p.drawLine(x, y0, x, H);
  }

  // The red curve through the points of the latest display.
  QPolygon courbe(static_cast<int>(d.Points_courbe.size()));
  for (size_t i = 0; i < d.Points_courbe.size(); ++i)
    courbe.setPoint(static_cast<int>(i), d.Points_courbe[i].x, d.Points_courbe[i].y);
  QPen rouge(Rouge, 1);
  rouge.setCapStyle(Qt::FlatCap);
  p.setPen(rouge);
  p.drawPolyline(courbe);
}

void ImageSpectre::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (image_.isNull()) {
    p.fillRect(rect(), Qt::white);
    return;
  }
  p.drawImage(QPoint(0, 0), image_);
}

void ImageSpectre::mousePressEvent(QMouseEvent* event) {
  if (Appui) Appui(std::clamp(static_cast<int>(event->position().x()), 0, Largeur - 1));
}

void ImageSpectre::mouseReleaseEvent(QMouseEvent*) {
  if (Relachement) Relachement();
}

}  // namespace talven
