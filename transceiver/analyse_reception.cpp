#include "transceiver/analyse_reception.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "common/arrondi.h"

namespace talven {

namespace {

constexpr int32_t Etendue_canaux =
    SpectreReception::Dernier_canal_affiche - SpectreReception::Premier_canal_affiche;
constexpr int32_t Dernier_canal_fft = FourierEntier::Nombre_canaux;

// The square of a spectrum value. The sums of squares reach far beyond 32
// bits with a strong signal (a full-scale tone sums to about 90000 over the
// nine averaged spectra), so they are held in 64 bits; below 46341 the
// results are those of 32-bit arithmetic.
int64_t Carre(int32_t v) {
  return static_cast<int64_t>(v) * v;
}

}  // namespace

SpectreReception::SpectreReception(Costas& costas, const Langue& langue)
    : costas_(&costas), langue_(&langue) {
  Construction_table_niveaux();
  Init_spectre();
}

void SpectreReception::Init_affichage_spectre(int32_t hauteur, int32_t largeur, int32_t hauteur_titre,
                                              int32_t hauteur_echelle) {
  if (largeur < 2 || largeur > Largeur_maximale)
    throw std::invalid_argument("spectrum image width must be 2..1001 pixels");
  if (hauteur_titre < 0 || hauteur_echelle < 0 || hauteur <= 0 ||
      static_cast<int64_t>(hauteur) - hauteur_titre - hauteur_echelle < 1)
    throw std::invalid_argument("spectrum image height must exceed the title and scale heights");
  Hauteur_image = hauteur;
  Largeur_image = largeur;
  Hauteur_titre = hauteur_titre;
  Hauteur_echelle = hauteur_echelle;
  Hauteur_trace = hauteur - hauteur_titre - hauteur_echelle;
  // The plot area is blank again: no curve, no marker on it.
  Courbe_tracee = false;
  Marqueur_visible = false;
}

void SpectreReception::Init_spectre() {
  Fourier.Taille_fft = Taille_bloc;
  Fourier.Init_fourier_entier();
}

void SpectreReception::Construction_table_niveaux() {
  Table_niveaux[0] = 0;
  for (int32_t v = 1; v <= 100; ++v) Table_niveaux[v] = 2 * v;
  for (int32_t v = 101; v <= 1000; ++v)
    Table_niveaux[v] = Arrondi32(100.0L * std::log10(static_cast<Etendu>(v)));
}

int32_t SpectreReception::Conversion_echantillon(uint8_t c) {
  return ((10 * c - 1275) * 20000) / 1275;
}

void SpectreReception::Pas_spectre(std::span<const uint8_t> tampon) {
  // Resampling to 6144 samples per second by dropping samples: sample i is
  // kept when i x 6144 div 11025 steps, which happens 2048 times in 3675
  // samples.
  const size_t n = std::min(tampon.size(), static_cast<size_t>(Taille_tampon_reception));
  int32_t j_precedent = 0;
  int32_t compte = 0;
  for (size_t i = 1; i <= n && compte < Taille_bloc; ++i) {
    const int32_t j = static_cast<int32_t>(i) * (Taille_bloc * Echelle_frequence) / Frequence_echantillonnage;
    if (j != j_precedent) Fourier.Entree_fft[compte++] = Conversion_echantillon(tampon[i - 1]);
    j_precedent = j;
  }
  for (; compte < Taille_bloc; ++compte) Fourier.Entree_fft[compte] = 0;
  Fourier.Fourier_entier();
  Fourier.Module_spectre();
  Fourier.Moyenne_spectres();
  Affichage_spectre();
}

void SpectreReception::Affichage_spectre() {
  ++differe_;
  const auto& spectre = Fourier.Spectre;
  const int32_t meilleur = Recherche_pic(Premier_canal_affiche, Dernier_canal_affiche);
  Meilleur_canal = meilleur;
  Calcul_s_sur_b();

  Points_precedents = Points_courbe;
  const int32_t W = Largeur_image;
  const int32_t bas = Hauteur_image - 1;
  const int32_t niveau_pic = Table_niveaux[std::min(spectre[meilleur] / 30, 1000)];
  int32_t precedent = Premier_canal_affiche - 1;
  for (int32_t d = 0; d < W; ++d) {
    const int32_t h = d * Etendue_canaux / (W - 1) + Premier_canal_affiche;
    int32_t e = Table_niveaux[std::min(spectre[h] / 30, 1000)];
    // When several bins share a pixel the peak bin is never skipped.
    if (meilleur > precedent && h >= meilleur) e = niveau_pic;
    precedent = h;
    Points_courbe[d] = {d, bas - e * Hauteur_trace / 300};
  }
  Courbe_tracee = true;

  if (actions_ != nullptr) actions_->Affichage_image_spectre();
  // The marker is redrawn where it was (at 500 Hz on the first display)
  // without retuning.
  Marquage_automatique = true;
  if (Premier_affichage) {
    Premier_affichage = false;
    Curseur_spectre = Pixel_canal(500 / Echelle_frequence);
  }
  Image_spectreMouseDown(Curseur_spectre);
  --differe_;
  Redessin();
}

int32_t SpectreReception::Recherche_pic(int32_t a, int32_t b) const {
  a = std::max(a, 0);
  b = std::min(b, Dernier_canal_fft);
  int32_t pic = 0;
  int32_t plus_grand = -1;
  for (int32_t k = a; k <= b; ++k) {
    if (Fourier.Spectre[k] >= plus_grand) {
      plus_grand = Fourier.Spectre[k];
      pic = k;
    }
  }
  return pic;
}

void SpectreReception::Calcul_s_sur_b() {
  const auto& spectre = Fourier.Spectre;
  // Frequencies beyond the spectrum are brought to its ends so that the
  // window of bins stays within it.
  const Etendu F = std::clamp(static_cast<Etendu>(costas_->Frequence_centrale), 0.0L,
                              static_cast<Etendu>(Dernier_canal_fft * Echelle_frequence));
  const int64_t bas = std::max<int64_t>(Arrondi((F - 150) / 3), 1);
  const int64_t haut = std::min<int64_t>(Arrondi((F + 150) / 3), Dernier_canal_fft);
  const int64_t centre = Arrondi(F / 3);

  int64_t S = 0;
  int64_t N = 0;
  for (int64_t k = bas; k <= haut; ++k) {
    const int64_t p = Carre(spectre[k]) / 1000;
    if (k >= centre - 5 && k <= centre + 5)
      S += p;
    else
      N += p;
  }
  // The noise measured over the window's edges stands for the noise under
  // the signal bins too.
  const int64_t q = N / 9;
  N = (N + q) * 10;
  S = std::max<int64_t>(S - q, 0);

  double R = static_cast<double>(static_cast<Etendu>(S) * static_cast<Etendu>(40.0 / 37.0));
  double& rapport = costas_->Rapport_signal_bruit;
  rapport = R;
  const bool anglais = langue_->Anglais();
  Texte_s_sur_b = anglais ? "S/N" : "S/B";
  if (N == 0) {
    rapport = 100.0;
    Texte_s_sur_b += S == 0 ? "=???" : ">100";
  } else {
    R = static_cast<double>(static_cast<Etendu>(R) / static_cast<Etendu>(N));
    rapport = R;
    if (R >= 100) {
      Texte_s_sur_b += ">100";
    } else {
      if (!(R > 0)) rapport = 0.0;
      // Right-aligned in six characters with three decimals, whatever the
      // process's locale.
      char chiffres[32];
      const auto fin =
          std::to_chars(chiffres, chiffres + sizeof chiffres, rapport, std::chars_format::fixed, 3).ptr;
      const auto longueur = static_cast<size_t>(fin - chiffres);
      Texte_s_sur_b += '=';
      if (longueur < 6) Texte_s_sur_b.append(6 - longueur, ' ');
      Texte_s_sur_b.append(chiffres, longueur);
    }
  }
  if (observateur_ != nullptr) observateur_->S_sur_B(Texte_s_sur_b);
}

int32_t SpectreReception::Barycentre_pic(int32_t p) const {
  const int32_t bas = p - 4;
  const int32_t haut = p + 4;
  if (bas < 0 || haut > Dernier_canal_fft) return p * 30;
  const auto& spectre = Fourier.Spectre;
  const int64_t base = (static_cast<int64_t>(spectre[bas]) + spectre[haut]) / 2;
  const int64_t plancher = base * base / 100;
  int64_t S0 = 0;
  int64_t S1 = 0;
  for (int32_t k = bas; k <= haut; ++k) {
    const int64_t w = std::max<int64_t>(Carre(spectre[k]) / 100 - plancher, 0);
    S0 += w;
    S1 += (k - bas) * w;
  }
  const double position =
      S0 == 0 ? p : static_cast<double>(static_cast<Etendu>(S1) / static_cast<Etendu>(S0) + bas);
  return Arrondi32(static_cast<Etendu>(position) * 3 * 10);
}

int32_t SpectreReception::Pixel_canal(int32_t k) const {
  const int64_t dixiemes = (static_cast<int64_t>(k) - Premier_canal_affiche) *
                           (static_cast<int64_t>(Largeur_image) * 10) / Etendue_canaux;
  return static_cast<int32_t>(dixiemes / 10 + (dixiemes % 10 > 5 ? 1 : 0));
}

void SpectreReception::Image_spectreMouseDown(int32_t X) {
  ++differe_;
  X = Dans_image(X);
  Curseur_spectre = X;
  if (Marqueur_affiche) Effacement_marqueur(Position_marqueur);
  Marquage_frequence(X);
  Position_marqueur = X;
  Marqueur_affiche = true;
  --differe_;
  Redessin();
}

void SpectreReception::Marquage_frequence(int32_t x) {
  x = Dans_image(x);
  const bool maitre = costas_->Mode_maitre_actif;
  Marqueur = Rectangle_autour(x);
  Couleur_marqueur = maitre ? CouleurMarqueur::Marine : CouleurMarqueur::Cyan;
  Marqueur_visible = true;
  Redessin();
  if (Marquage_automatique) {
    Marquage_automatique = false;
    return;
  }
  int32_t reference;
  if (maitre) {
    reference = (Frequence_haute_spectre - Frequence_basse_spectre) * (x * 10) / Largeur_image +
                Frequence_basse_spectre * 10;
  } else {
    int32_t b1 = 0;
    int32_t b2 = 0;
    Canaux_marqueur(Marqueur.gauche, Marqueur.droite, b1, b2);
    reference = Barycentre_pic(Recherche_pic(b1, b2));
  }
  costas_->Frequence_reference = reference;
  costas_->Frequence_centrale = static_cast<double>(static_cast<Etendu>(reference) * 0.1L);
  if (actions_ != nullptr) {
    actions_->Affichage_frequences();
    actions_->Relance_traduction();
  }
}

void SpectreReception::Canaux_marqueur(int32_t gauche, int32_t droite, int32_t& b1, int32_t& b2) const {
  const int32_t largeur_hz = Frequence_haute_spectre - Frequence_basse_spectre;
  b1 = (gauche * largeur_hz / Largeur_image + Frequence_basse_spectre) / Echelle_frequence;
  b2 = (droite * largeur_hz / Largeur_image + Frequence_basse_spectre) / Echelle_frequence;
}

void SpectreReception::Effacement_marqueur(int32_t) {
  Marqueur_visible = false;
  Redessin();
}

DessinSpectre SpectreReception::Dessin() const {
  DessinSpectre d;
  d.Hauteur_image = Hauteur_image;
  d.Largeur_image = Largeur_image;
  d.Hauteur_titre = Hauteur_titre;
  d.Hauteur_echelle = Hauteur_echelle;
  d.Hauteur_trace = Hauteur_trace;
  d.Courbe_tracee = Courbe_tracee;
  const auto w = static_cast<size_t>(Largeur_image);
  if (Courbe_tracee) {
    d.Points_courbe = std::span<const PointSpectre>(Points_courbe.data(), w);
    d.Points_precedents = std::span<const PointSpectre>(Points_precedents.data(), w);
  }
  d.Marqueur = Marqueur;
  d.Couleur_marqueur = Couleur_marqueur;
  d.Marqueur_visible = Marqueur_visible;
  return d;
}

RectangleMarqueur SpectreReception::Rectangle_autour(int32_t x) const {
  const int32_t demi = costas_->Mode_maitre_actif ? 2 : Largeur_image / 40;
  return {std::max(x - demi, 0), (Hauteur_image - 1) - Hauteur_trace, std::min(x + demi, Largeur_image - 1),
          Hauteur_image - 1};
}

int32_t SpectreReception::Dans_image(int32_t x) const {
  return std::clamp(x, 0, Largeur_image - 1);
}

void SpectreReception::Redessin() {
  if (differe_ == 0 && observateur_ != nullptr) observateur_->Spectre_a_redessiner();
}

}  // namespace talven
