// The received spectrum: computation of what the spectrum image shows, the
// signal-to-noise ratio around the tuned frequency and tuning by a click on
// the image.
//
// Responsibilities: once per received buffer, resample the buffer to 6144
// samples per second into a 2048-point block (one bin is 3 Hz), run the
// integer FFT with its magnitude and averaging, find the strongest bin
// between 200 and 2200 Hz, measure the S/N in +-150 Hz around the tuned
// frequency (which also sets the Costas loop's gain), compute the curve's
// points for an image `Largeur_image` pixels wide and place the tuning
// marker. On a click: in master mode tune to the frequency under the click;
// in slave mode tune to the centroid of the strongest line under a wider
// marker. No pixel is drawn here: the view draws `Points_courbe`, the grid
// and `Marqueur` from the geometry held here.
// Collaborations: owns a `FourierEntier`; reads and writes the tuned
// frequency (`Frequence_reference`, `Frequence_centrale`), writes
// `Rapport_signal_bruit` and reads `Mode_maitre_actif` of the `Costas` loop
// it is given; after a click that retunes it calls the engine back through
// `ActionsAccord` (frequency labels, restart of reception); the view
// implements `ObservateurSpectre`.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "common/langue.h"
#include "common/texte.h"
#include "dsp/costas.h"
#include "dsp/fourier_entier.h"

namespace talven {

// What the window shows of the spectrum.
class ObservateurSpectre {
 public:
  virtual ~ObservateurSpectre() = default;
  // The S/N label `S_SUR_B`, e.g. "S/N= 3.250", "S/N>100", "S/B=???"
  // (Windows-1252, valid only during the call).
  virtual void S_sur_B(VueTexte texte) = 0;
  // The curve, the marker or both changed: redraw the image from
  // `Points_courbe`, `Marqueur`, `Couleur_marqueur` and `Marqueur_visible`.
  virtual void Spectre_a_redessiner() = 0;
};

// What the engine does for the spectrum: show the image at each display,
// and after a click has retuned the receiver.
class ActionsAccord {
 public:
  virtual ~ActionsAccord() = default;
  // The image takes the place of the typing window and the transmitted
  // strip (each display).
  virtual void Affichage_image_spectre() = 0;
  // Shows the received and transmitted frequency labels.
  virtual void Affichage_frequences() = 0;
  // Restarts the input and the receive chain on the new frequency.
  virtual void Relance_traduction() = 0;
};

// A point of the curve, pixels of the image (origin at the top left).
struct PointSpectre {
  int32_t x = 0;
  int32_t y = 0;
};

// The marker rectangle, pixels, edges included.
struct RectangleMarqueur {
  int32_t gauche = 0;
  int32_t haut = 0;
  int32_t droite = 0;
  int32_t bas = 0;
};

// Colour of the marker: navy (0, 0, 128) in master mode, aqua (0, 255, 255)
// in slave mode.
enum class CouleurMarqueur { Marine, Cyan };

// Everything the spectrum image shows, as the latest display and click left
// it: the geometry measured by the view, the curve and the marker. Valid
// until the next operation of the engine.
struct DessinSpectre {
  int32_t Hauteur_image = 0;    // H, pixels
  int32_t Largeur_image = 0;    // W, pixels, 2..1001
  int32_t Hauteur_titre = 0;    // T1, pixels
  int32_t Hauteur_echelle = 0;  // T2, pixels
  int32_t Hauteur_trace = 0;    // P = H - T1 - T2, pixels
  // The W points of the latest curve (empty before the first display) and
  // of the one before it, whose trace the new one replaces.
  std::span<const PointSpectre> Points_courbe;
  std::span<const PointSpectre> Points_precedents;
  bool Courbe_tracee = false;  // a display has run since the image was set up
  RectangleMarqueur Marqueur{};
  CouleurMarqueur Couleur_marqueur = CouleurMarqueur::Marine;
  bool Marqueur_visible = false;
};

class SpectreReception {
 public:
  // --- Display constants ---
  static constexpr int32_t Frequence_basse_spectre = 200;      // Hz at the left edge
  static constexpr int32_t Frequence_haute_spectre = 2200;     // Hz at the right edge
  static constexpr int32_t Nombre_graduations = 20;            // vertical grid steps of 100 Hz
  static constexpr int32_t Echelle_frequence = 3;              // Hz per bin
  static constexpr int32_t Premier_canal_affiche = 66;         // bin at the left edge (200 div 3)
  static constexpr int32_t Dernier_canal_affiche = 733;        // bin at the right edge (2200 div 3)
  static constexpr int32_t Largeur_maximale = 1001;            // widest image, pixels
  static constexpr int32_t Taille_bloc = 2048;                 // samples per FFT block
  static constexpr int32_t Taille_tampon_reception = 3675;     // samples per received buffer
  static constexpr int32_t Frequence_echantillonnage = 11025;  // samples per second

  // `costas`: the carrier loop that holds the tuned frequency; `langue`: the
  // interface language. Both must outlive this object. The geometry starts
  // at the window layout's 225 x 329 with a title of 30 and a scale of 10
  // pixels; `Table_niveaux` is built and the FFT set up for 2048 points.
  SpectreReception(Costas& costas, const Langue& langue);

  // Who shows the spectrum and who acts on a retuning; nullptr for nobody.
  // Neither is owned.
  void Observateur(ObservateurSpectre* observateur) { observateur_ = observateur; }
  void Actions(ActionsAccord* actions) { actions_ = actions; }

  // Image geometry, measured by the view at window activation:
  //   hauteur        : H, image height, pixels, > titre + echelle
  //   largeur        : W, image width, pixels, 2..1001
  //   hauteur_titre  : T1, height of the title text, pixels, >= 0
  //   hauteur_echelle: T2, height of the frequency scale text, pixels, >= 0
  // Sets `Hauteur_trace` P = H - T1 - T2. Throws std::invalid_argument and
  // leaves the geometry unchanged when a value is out of range.
  void Init_affichage_spectre(int32_t hauteur, int32_t largeur, int32_t hauteur_titre,
                              int32_t hauteur_echelle);

  // Start of reception: 2048-point FFT set up afresh (history of spectra
  // cleared). `Premier_affichage` is left to the caller.
  void Init_spectre();

  // Builds `Table_niveaux`: L[0] = 0, L[v] = 2v for v = 1..100,
  // L[v] = Round(100 log10 v) for v = 100..1000 (both 200 at v = 100,
  // L[1000] = 300).
  void Construction_table_niveaux();

  // A recorded sample as an FFT input: ((10c - 1275) x 20000) div 1275,
  // -20000 for 0, 20000 for 255, 78 for 128.
  static int32_t Conversion_echantillon(uint8_t c);

  // One received buffer (`Taille_tampon_reception` samples, unsigned 8-bit):
  // block filling (sample i, 1-based, is taken when i x 6144 div 11025
  // differs from its value at i - 1: exactly 2048 samples, the first at
  // i = 2, the last at i = 3675), FFT, magnitude, average of the 9 latest
  // spectra, then `Affichage_spectre`. A shorter buffer fills the rest of
  // the block with zeros; samples beyond the block are ignored. Allocates
  // nothing, throws nothing.
  void Pas_spectre(std::span<const uint8_t> tampon);

  // Computations of one display from `Fourier.Spectre`: best peak,
  // `Calcul_s_sur_b`, the W points of the curve, then the marker placed
  // at `Curseur_spectre` (at the 500 Hz pixel on the first display) without
  // retuning. Tells the observer to redraw.
  void Affichage_spectre();

  // The bin of largest value among `Spectre`[a..b], ties going to the
  // highest bin; 0 for an empty range. Bins outside 0..1024 are not read.
  int32_t Recherche_pic(int32_t a, int32_t b) const;

  // S/N in +-150 Hz around `Frequence_centrale`: the 11 bins around the
  // tuned bin are signal, the others noise. Writes the Costas loop's
  // `Rapport_signal_bruit` (linear, >= 0; 100 when there is no noise energy)
  // and `Texte_s_sur_b`, and hands the text to the observer.
  void Calcul_s_sur_b();

  // Centroid of the line around bin p (bins p-4..p+4, weights the squared
  // values above the squared mean of the two end bins), tenths of a hertz;
  // exactly p x 30 when no bin rises above that floor or when the bins would
  // leave 0..1024.
  int32_t Barycentre_pic(int32_t p) const;

  // x of bin k on the image, pixels: tenths of a pixel
  // ((k - 66) x 10W) div 667, rounded up only above a remainder of 5.
  int32_t Pixel_canal(int32_t k) const;

  // A click (any button) at x on the image, pixels: moves `Curseur_spectre`,
  // erases the previous marker, `Marquage_frequence`(x), and records the
  // marker at x. x is taken within 0..W-1.
  void Image_spectreMouseDown(int32_t X);

  // Places the marker at x and, unless `Marquage_automatique` is set (which
  // it then clears), retunes: master mode to ((2000 x 10x) div W + 2000)
  // tenths of a hertz; slave mode to `Barycentre_pic` of the strongest bin
  // under the marker (`Canaux_marqueur`). Then calls the engine's
  // `Affichage_frequences` and `Relance_traduction`. x is taken within
  // 0..W-1.
  void Marquage_frequence(int32_t x);

  // The bins b1..b2 under a slave marker spanning pixels gauche..droite.
  void Canaux_marqueur(int32_t gauche, int32_t droite, int32_t& b1, int32_t& b2) const;

  // Removes the marker drawn at x: `Marqueur_visible` := false and the
  // observer redraws. `Marqueur_affiche` is kept.
  void Effacement_marqueur(int32_t x);

  // What the image shows now.
  DessinSpectre Dessin() const;

  // --- State ---
  // The integer FFT; `Fourier.Spectre` holds the averaged magnitudes.
  FourierEntier Fourier;

  int32_t Hauteur_image = 225;   // H, pixels
  int32_t Largeur_image = 329;   // W, pixels, 2..1001
  int32_t Hauteur_titre = 30;    // T1, pixels (title in bold 26 points)
  int32_t Hauteur_echelle = 10;  // T2, pixels (scale in 6 points)
  int32_t Hauteur_trace = 185;   // P = H - T1 - T2, pixels

  // L[v] for a spectrum value v (in units of 30), 0..300.
  std::array<int32_t, 1001> Table_niveaux{};

  // The curve of the latest display and of the one before, W points each
  // (entries W.. unused): x = d, y = (H - 1) - (L x P) div 300.
  std::array<PointSpectre, Largeur_maximale> Points_courbe{};
  std::array<PointSpectre, Largeur_maximale> Points_precedents{};

  bool Courbe_tracee = false;         // a display has run since `Init_affichage_spectre`
  bool Premier_affichage = false;     // next display is the first: marker to 500 Hz
  bool Marquage_automatique = false;  // next marking only redraws, never retunes
  int32_t Curseur_spectre = 0;        // x of the tuning position, pixels
  int32_t Position_marqueur = 0;      // x of the marker drawn, pixels
  bool Marqueur_affiche = false;      // a marker has been placed since start

  // The marker as last placed, and whether it is on the image now.
  RectangleMarqueur Marqueur{};
  CouleurMarqueur Couleur_marqueur = CouleurMarqueur::Marine;
  bool Marqueur_visible = false;

  // Bin of the strongest line of the latest display, 66..733.
  int32_t Meilleur_canal = 0;
  // The latest S/N label.
  Texte Texte_s_sur_b;

 private:
  // The marker rectangle around x in the current mode.
  RectangleMarqueur Rectangle_autour(int32_t x) const;
  int32_t Dans_image(int32_t x) const;
  void Redessin();

  Costas* costas_;
  const Langue* langue_;
  ObservateurSpectre* observateur_ = nullptr;
  ActionsAccord* actions_ = nullptr;
  // Nesting depth of operations that tell the observer once, at their end.
  int32_t differe_ = 0;
};

}  // namespace talven
