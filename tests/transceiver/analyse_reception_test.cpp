#include "transceiver/analyse_reception.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace talven {
namespace {

constexpr int32_t Taille = SpectreReception::Taille_tampon_reception;

// Records what the window would show and what the engine is asked to do.
struct Fenetre final : ObservateurSpectre, ActionsAccord {
  std::vector<std::string> textes;
  int redessins = 0;
  std::vector<std::string> actions;
  void S_sur_B(VueTexte texte) override { textes.emplace_back(texte); }
  void Spectre_a_redessiner() override { ++redessins; }
  void Affichage_image_spectre() override { ++images_montrees; }
  int images_montrees = 0;
  void Affichage_frequences() override { actions.emplace_back("frequences"); }
  void Relance_traduction() override { actions.emplace_back("relance"); }
};

struct Spectre : testing::Test {
  Costas costas;
  Langue langue{1};
  SpectreReception spectre{costas, langue};
  Fenetre fenetre;
  int64_t n = 0;  // running sample index, so that consecutive buffers continue the tone

  Spectre() {
    spectre.Observateur(&fenetre);
    spectre.Actions(&fenetre);
    Accord(5000);
  }
  void Accord(int32_t dixiemes) {
    costas.Frequence_reference = dixiemes;
    costas.Frequence_centrale = dixiemes * 0.1;
  }
  // A buffer of a tone of `amplitude` around 127.5 (clipped to 0..255).
  std::vector<uint8_t> Ton(double frequence, double amplitude) {
    std::vector<uint8_t> t(Taille);
    for (auto& e : t) {
      const double v = std::nearbyint(127.5 + amplitude * std::cos(2 * M_PI * frequence * n++ / 11025.0));
      e = static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
    }
    return t;
  }
  void Spectre_fixe(std::initializer_list<std::pair<int32_t, int32_t>> canaux) {
    spectre.Fourier.Spectre.fill(0);
    for (auto [k, v] : canaux) spectre.Fourier.Spectre[k] = v;
  }
};

TEST(SpectreReceptionSeul, ConversionEchantillonTruncatesTowardZero) {
  const struct {
    uint8_t c;
    int32_t attendu;
  } cas[] = {{0, -20000}, {255, 20000}, {128, 78}, {127, -78}, {1, -19843}};
  for (const auto& k : cas) EXPECT_EQ(SpectreReception::Conversion_echantillon(k.c), k.attendu) << int(k.c);
}

TEST_F(Spectre, TableNiveauxIsLinearThenLogarithmic) {
  const auto& L = spectre.Table_niveaux;
  EXPECT_EQ(L[0], 0);
  EXPECT_EQ(L[1], 2);
  EXPECT_EQ(L[100], 200);
  EXPECT_EQ(L[101], 200);  // 100 log10 101 = 200.43
  EXPECT_EQ(L[500], 270);  // 269.90
  EXPECT_EQ(L[1000], 300);
  for (int v = 1; v <= 1000; ++v) ASSERT_GE(L[v], L[v - 1]) << v;
}

TEST_F(Spectre, BlockTakesExactly2048SamplesFromTheSecondToTheLast) {
  // Sample 1 at the bottom of the range, every other at the top but the last.
  std::vector<uint8_t> tampon(Taille, 255);
  tampon[0] = 0;
  tampon[1] = 200;
  tampon[Taille - 1] = 100;
  spectre.Pas_spectre(tampon);
  const auto& x = spectre.Fourier.Entree_fft;
  EXPECT_EQ(x[0], SpectreReception::Conversion_echantillon(200));
  EXPECT_EQ(x[2047], SpectreReception::Conversion_echantillon(100));
  for (int i = 1; i < 2047; ++i) ASSERT_EQ(x[i], 20000) << i;  // sample 1 never taken, no gap left
}

TEST_F(Spectre, ShortBufferLeavesTheRestOfTheBlockSilent) {
  std::vector<uint8_t> tampon(1000, 255);
  spectre.Pas_spectre(tampon);
  const auto& x = spectre.Fourier.Entree_fft;
  EXPECT_EQ(x[0], 20000);
  EXPECT_EQ(x[2047], 0);
  EXPECT_EQ(x[1000 * 6144 / 11025 - 1], 20000);
  EXPECT_EQ(x[1000 * 6144 / 11025], 0);
}

TEST_F(Spectre, SilenceShowsFlatCurveUnknownRatioAndFirstMarkerAt500HzWithoutRetuning) {
  spectre.Premier_affichage = true;
  costas.Mode_maitre_actif = true;
  std::vector<uint8_t> silence(Taille, 128);
  spectre.Pas_spectre(silence);

  EXPECT_EQ(fenetre.textes, std::vector<std::string>{"S/N=???"});
  EXPECT_EQ(costas.Rapport_signal_bruit, 100.0);
  for (int d = 0; d < spectre.Largeur_image; ++d) {
    ASSERT_EQ(spectre.Points_courbe[d].x, d);
    ASSERT_EQ(spectre.Points_courbe[d].y, 224) << d;
  }
  EXPECT_FALSE(spectre.Premier_affichage);
  EXPECT_EQ(spectre.Curseur_spectre, 49);
  EXPECT_EQ(spectre.Position_marqueur, 49);
  EXPECT_TRUE(spectre.Marqueur_affiche);
  EXPECT_TRUE(spectre.Marqueur_visible);
  EXPECT_EQ(spectre.Marqueur.gauche, 47);
  EXPECT_EQ(spectre.Marqueur.droite, 51);
  EXPECT_EQ(spectre.Marqueur.haut, 224 - 185);
  EXPECT_EQ(spectre.Marqueur.bas, 224);
  EXPECT_EQ(spectre.Couleur_marqueur, CouleurMarqueur::Marine);
  EXPECT_EQ(costas.Frequence_reference, 5000);
  EXPECT_TRUE(fenetre.actions.empty());
  EXPECT_EQ(fenetre.redessins, 1);
  EXPECT_EQ(fenetre.images_montrees, 1);

  // Later displays keep the marker where it is, still without retuning.
  spectre.Pas_spectre(silence);
  EXPECT_EQ(spectre.Position_marqueur, 49);
  EXPECT_FALSE(spectre.Marquage_automatique);
  EXPECT_TRUE(fenetre.actions.empty());
  EXPECT_EQ(fenetre.redessins, 2);
  EXPECT_EQ(fenetre.images_montrees, 2);
  const DessinSpectre d = spectre.Dessin();
  EXPECT_TRUE(d.Courbe_tracee);
  ASSERT_EQ(d.Points_courbe.size(), 329u);
  EXPECT_EQ(d.Points_courbe[328].y, 224);
  EXPECT_EQ(d.Marqueur.gauche, 47);
}

TEST_F(Spectre, FrenchLabelOnSilence) {
  langue.valeur = 2;
  spectre.Pas_spectre(std::vector<uint8_t>(Taille, 128));
  EXPECT_EQ(spectre.Texte_s_sur_b, "S/B=???");
}

TEST_F(Spectre, CleanToneOnABinReadsAbove100) {
  Accord(5010);
  for (int i = 0; i < 3; ++i) spectre.Pas_spectre(Ton(501.0, 100));
  EXPECT_EQ(spectre.Meilleur_canal, 167);
  EXPECT_EQ(spectre.Texte_s_sur_b, "S/N>100");
  EXPECT_GE(costas.Rapport_signal_bruit, 100.0);
  // The peak stands above the rest of the curve.
  const int32_t x = spectre.Pixel_canal(167);
  for (int d = 0; d < spectre.Largeur_image; ++d)
    ASSERT_GE(spectre.Points_courbe[d].y, spectre.Points_courbe[x].y);
}

TEST_F(Spectre, FullScaleToneSumsBeyond32BitSquaresAndStillMeasures) {
  Accord(5010);
  for (int i = 0; i < 9; ++i) spectre.Pas_spectre(Ton(501.0, 127.5));
  ASSERT_GT(spectre.Fourier.Spectre[167], 46340);  // its square overflows 32 bits
  EXPECT_EQ(spectre.Texte_s_sur_b, "S/N>100");
  EXPECT_GE(costas.Rapport_signal_bruit, 100.0);
  EXPECT_EQ(spectre.Barycentre_pic(167), 5010);
}

TEST_F(Spectre, SignalToNoiseArithmetic) {
  // Tuned to 500 Hz: the window is bins 117..217 and the signal bins 162..172.
  const struct {
    std::initializer_list<std::pair<int32_t, int32_t>> canaux;
    const char* texte;
    double rapport;
  } cas[] = {
      // N = 90 + 90 div 9 = 100, x 10; S = 1000 - 10; (990 x 40 / 37) / 1000
      {{{167, 1000}, {117, 300}}, "S/N= 1.070", 990.0 * 40 / 37 / 1000},
      {{{172, 1000}, {217, 300}}, "S/N= 1.070", 990.0 * 40 / 37 / 1000},  // both window edges
      {{{167, 1000}, {116, 300}, {218, 300}}, "S/N>100", 100.0},          // outside the window
      {{{173, 1000}}, "S/N= 0.000", 0.0},                                 // next to the signal bins is noise
      {{}, "S/N=???", 100.0},
  };
  for (const auto& k : cas) {
    Spectre_fixe(k.canaux);
    spectre.Calcul_s_sur_b();
    EXPECT_EQ(spectre.Texte_s_sur_b, k.texte);
    EXPECT_NEAR(costas.Rapport_signal_bruit, k.rapport, 1e-12);
  }
  EXPECT_EQ(fenetre.textes.size(), std::size(cas));
}

TEST_F(Spectre, SignalToNoiseOfStrongSignalUses64BitSquares) {
  // 50000 squared wraps a 32-bit integer. Noise: 90 bins of 500 give
  // p = 250 each, N = (22500 + 2500) x 10; S = 2500000 - 2500; R = 10.8.
  spectre.Fourier.Spectre.fill(0);
  for (int k = 117; k <= 217; ++k) spectre.Fourier.Spectre[k] = 500;
  for (int k = 162; k <= 172; ++k) spectre.Fourier.Spectre[k] = 0;
  spectre.Fourier.Spectre[167] = 50000;
  spectre.Calcul_s_sur_b();
  EXPECT_EQ(spectre.Texte_s_sur_b, "S/N=10.800");
}

TEST_F(Spectre, RecherchePicTakesTheHighestOfEqualBins) {
  Spectre_fixe({{100, 7}, {120, 7}, {130, 3}});
  EXPECT_EQ(spectre.Recherche_pic(66, 733), 120);
  EXPECT_EQ(spectre.Recherche_pic(66, 110), 100);
  EXPECT_EQ(spectre.Recherche_pic(140, 150), 150);  // all zero: the last bin
  EXPECT_EQ(spectre.Recherche_pic(150, 140), 0);    // empty range
}

TEST_F(Spectre, BarycentrePic) {
  const struct {
    int32_t p;
    std::initializer_list<std::pair<int32_t, int32_t>> canaux;
    int32_t attendu;
  } cas[] = {
      {170, {{169, 100}, {170, 100}}, 5085},      // halfway between two equal bins: 169.5 x 30
      {170, {{169, 60000}, {170, 60000}}, 5085},  // same with squares beyond 32 bits
      {170, {{170, 100}, {171, 50}}, 5106},       // weights 100 and 25: 170.2
      {170, {{166, 20}, {170, 100}, {174, 20}}, 5100},
      {170, {{166, 80}, {169, 100}, {174, 80}}, 5070},  // the end bins set the floor: only 169 rises above it
      {2, {{2, 100}}, 60},                              // would read below bin 0: centred on the bin
  };
  for (const auto& k : cas) {
    Spectre_fixe(k.canaux);
    EXPECT_EQ(spectre.Barycentre_pic(k.p), k.attendu) << k.p;
  }
  // A level plateau has nothing above its floor: centred exactly on p.
  spectre.Fourier.Spectre.fill(10);
  EXPECT_EQ(spectre.Barycentre_pic(300), 9000);
}

TEST_F(Spectre, BarycentreOfAToneBetweenBins) {
  Accord(5025);
  for (int i = 0; i < 9; ++i) spectre.Pas_spectre(Ton(502.5, 100));
  const int32_t p = spectre.Recherche_pic(150, 190);
  EXPECT_NEAR(spectre.Barycentre_pic(p), 5025, 3);
}

TEST_F(Spectre, PixelCanal) {
  const struct {
    int32_t k, x;
  } cas[] = {{66, 0},  {166, 49},  {733, 329}, {67, 0},
             {69, 1},  {400, 165}, {126, 29},  // 29.5 pixels: a remainder of exactly 5 rounds down
             {112, 23}};                       // 22.6 rounds up
  for (const auto& c : cas) EXPECT_EQ(spectre.Pixel_canal(c.k), c.x) << c.k;
}

TEST_F(Spectre, MasterClickTunesFromThePosition) {
  costas.Mode_maitre_actif = true;
  const struct {
    int32_t X;
    int32_t reference;
    double hertz;
    int32_t gauche, droite;
  } cas[] = {
      {0, 2000, 200.0, 0, 2},         {328, 21939, 2193.9, 326, 328},
      {164, 11969, 1196.9, 162, 166}, {-7, 2000, 200.0, 0, 2},  // outside the image: taken at its edge
      {500, 21939, 2193.9, 326, 328},
  };
  for (const auto& k : cas) {
    fenetre.actions.clear();
    spectre.Image_spectreMouseDown(k.X);
    EXPECT_EQ(costas.Frequence_reference, k.reference) << k.X;
    EXPECT_DOUBLE_EQ(costas.Frequence_centrale, k.hertz) << k.X;
    EXPECT_EQ(spectre.Marqueur.gauche, k.gauche);
    EXPECT_EQ(spectre.Marqueur.droite, k.droite);
    EXPECT_EQ(fenetre.actions, (std::vector<std::string>{"frequences", "relance"}));
  }
  EXPECT_EQ(spectre.Couleur_marqueur, CouleurMarqueur::Marine);
}

TEST_F(Spectre, SlaveClickNearAnEdgeClipsTheMarkerAndCentresOnTheHighestEqualBin) {
  costas.Mode_maitre_actif = false;
  spectre.Fourier.Spectre.fill(0);
  const struct {
    int32_t X;
    int32_t gauche, droite;
    int32_t reference;  // last bin under the marker x 30
  } cas[] = {{3, 0, 11, 88 * 30}, {325, 317, 328, 731 * 30}};
  for (const auto& k : cas) {
    spectre.Image_spectreMouseDown(k.X);
    EXPECT_EQ(spectre.Marqueur.gauche, k.gauche);
    EXPECT_EQ(spectre.Marqueur.droite, k.droite);
    EXPECT_EQ(costas.Frequence_reference, k.reference);
    EXPECT_EQ(spectre.Couleur_marqueur, CouleurMarqueur::Cyan);
  }
}

TEST_F(Spectre, SlaveClickFindsTheLineUnderTheWideMarker) {
  costas.Mode_maitre_actif = false;
  for (int i = 0; i < 9; ++i) spectre.Pas_spectre(Ton(801.0, 60));
  // The tone's pixel is 6 pixels right of the click, within the 8 of the marker.
  spectre.Image_spectreMouseDown(spectre.Pixel_canal(267) - 6);
  EXPECT_EQ(costas.Frequence_reference, 8010);
  EXPECT_DOUBLE_EQ(costas.Frequence_centrale, 801.0);
  EXPECT_EQ(fenetre.actions, (std::vector<std::string>{"frequences", "relance"}));
}

TEST_F(Spectre, EffacementMarqueurHidesTheMarkerOnly) {
  spectre.Image_spectreMouseDown(100);
  spectre.Effacement_marqueur(spectre.Position_marqueur);
  EXPECT_FALSE(spectre.Marqueur_visible);
  EXPECT_TRUE(spectre.Marqueur_affiche);
}

TEST_F(Spectre, GeometryIsChecked) {
  EXPECT_THROW(spectre.Init_affichage_spectre(225, 1002, 30, 10), std::invalid_argument);
  EXPECT_THROW(spectre.Init_affichage_spectre(225, 1, 30, 10), std::invalid_argument);
  EXPECT_THROW(spectre.Init_affichage_spectre(40, 329, 30, 10), std::invalid_argument);
  EXPECT_EQ(spectre.Largeur_image, 329);
  spectre.Init_affichage_spectre(300, 1001, 40, 20);
  EXPECT_EQ(spectre.Hauteur_trace, 240);
  spectre.Pas_spectre(std::vector<uint8_t>(Taille, 128));
  EXPECT_EQ(spectre.Points_courbe[1000].x, 1000);
  EXPECT_EQ(spectre.Points_courbe[1000].y, 299);
}

}  // namespace
}  // namespace talven
