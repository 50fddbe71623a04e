#include "transceiver/controle_gain.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/mixer_simule.h"

namespace talven {
namespace {

constexpr size_t Plein = ControleGain::Taille_tampon;
constexpr size_t Sature = Plein - 1;  // a copy cut at a sample of value 0

struct Fenetre final : ObservateurGain {
  std::vector<std::string> niveaux;
  std::vector<bool> lampe;
  int focus = 0;
  void Niveau_gain(VueTexte niveau, VueTexte gain) override {
    niveaux.push_back(std::string(niveau) + "/" + std::string(gain));
  }
  void Saturation(bool rouge) override { lampe.push_back(rouge); }
  void Retour_focus() override { ++focus; }
};

// A card whose line and microphone inputs each have a recording volume.
struct Gain : testing::Test {
  MixerSimule m;
  uint32_t rec_ligne_volume = 0, rec_micro_volume = 0;
  FonctionsMixer mixer{&m};
  ControleGain gain{mixer};
  Fenetre fenetre;

  Gain() {
    const uint32_t hp = m.Destination(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, "Volume Control");
    m.Controle(hp, MIXERCONTROL_CONTROLTYPE_VOLUME);
    const uint32_t wave = m.Source(hp, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, "Wave");
    m.Controle(wave, MIXERCONTROL_CONTROLTYPE_VOLUME);
    const uint32_t rec = m.Destination(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, "Recording Control");
    const uint32_t rec_micro = m.Source(rec, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, "Mic");
    rec_micro_volume = m.Controle(rec_micro, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, 9000);
    const uint32_t rec_ligne = m.Source(rec, MIXERLINE_COMPONENTTYPE_SRC_LINE, "Line In");
    rec_ligne_volume = m.Controle(rec_ligne, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, 7000);
    m.Selecteur(rec, MIXERCONTROL_CONTROLTYPE_MUX, {rec_micro, rec_ligne});
    gain.Observateur(&fenetre);
    gain.AGCMouseUp();
  }
  // A recording volume, percent of its range (nearest), left and right.
  std::vector<uint32_t> Pourcentages(uint32_t controle) {
    auto v = m.Valeurs(controle);
    for (auto& x : v) x = (x * 100 + 32767) / 65535;
    return v;
  }
  std::vector<uint32_t> Volume_ligne() { return Pourcentages(rec_ligne_volume); }
  std::vector<int32_t> Suite(size_t longueur, int32_t niveau, int n) {
    std::vector<int32_t> g;
    for (int i = 0; i < n; ++i) {
      gain.Controle_gain(longueur, niveau);
      g.push_back(gain.Gain_courant);
    }
    return g;
  }
};

TEST_F(Gain, AutomaticControlStepsDownOnSaturationAndUpOnQuietPairs) {
  ASSERT_TRUE(mixer.Controle_volume_trouve);
  EXPECT_EQ(Suite(Sature, 100, 12), (std::vector<int32_t>{90, 80, 70, 60, 50, 40, 30, 20, 10, 5, 5, 5}));
  EXPECT_EQ(Volume_ligne(), (std::vector<uint32_t>{5, 0}));
  // The first quiet buffer follows a loud one: no step yet.
  EXPECT_EQ(Suite(Plein, 10, 13),
            (std::vector<int32_t>{5, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 100, 100}));
  EXPECT_EQ(Volume_ligne(), (std::vector<uint32_t>{100, 0}));
  EXPECT_EQ(fenetre.niveaux.back(), "10/100");
}

TEST_F(Gain, QuietPairAt10PercentRaisesTo20) {
  gain.Gain_courant = 10;
  EXPECT_EQ(Suite(Plein, 39, 2), (std::vector<int32_t>{20, 30}));
  EXPECT_EQ(Volume_ligne(), (std::vector<uint32_t>{30, 0}));
}

TEST_F(Gain, LoudOrHalfQuietBuffersLeaveTheGain) {
  gain.Gain_courant = 50;
  gain.Controle_gain(Plein, 40);
  gain.Controle_gain(Plein, 10);  // previous one was not quiet
  gain.Controle_gain(Plein, 60);
  EXPECT_EQ(gain.Gain_courant, 50);
  EXPECT_EQ(gain.Niveau_precedent, 60);
}

TEST_F(Gain, SaturationLampFollowsEachBuffer) {
  const std::vector<uint8_t> copie(Sature, 128);
  EXPECT_TRUE(gain.Controle_gain(copie, 80));
  EXPECT_TRUE(gain.Saturation_affichee);
  EXPECT_FALSE(gain.Controle_gain(std::vector<uint8_t>(Plein, 128), 80));
  EXPECT_FALSE(gain.Saturation_affichee);
  EXPECT_EQ(fenetre.lampe, (std::vector<bool>{true, false}));
  EXPECT_EQ(fenetre.niveaux, (std::vector<std::string>{"80/90", "80/90"}));
}

TEST_F(Gain, InputRoutingPutsTheGainOnTheUsedChannelOnly) {
  const struct {
    bool gauche, micro;
    int32_t attendu_gauche, attendu_droite;
  } cas[] = {{true, false, 60, 0}, {false, true, 60, 0}, {false, false, 0, 60}};
  for (const auto& k : cas) {
    gain.Choix_entree_gauche = k.gauche;
    mixer.Choix_microphone = k.micro;
    gain.Gain_entree_fois0_6MouseUP();
    EXPECT_EQ(mixer.Niveau_voie_gauche, k.attendu_gauche);
    EXPECT_EQ(mixer.Niveau_voie_droite, k.attendu_droite);
    EXPECT_EQ(Pourcentages(k.micro ? rec_micro_volume : rec_ligne_volume),
              (std::vector<uint32_t>{static_cast<uint32_t>(k.attendu_gauche),
                                     static_cast<uint32_t>(k.attendu_droite)}));
  }
}

TEST_F(Gain, ButtonsSetTheChoiceAndTheMixer) {
  const struct {
    void (ControleGain::*bouton)();
    int32_t gain;
    bool automatique;
  } cas[] = {{&ControleGain::Gain_entree_fois_0_2MouseUP, 20, false},
             {&ControleGain::Gain_entree_fois0_4MouseUP, 40, false},
             {&ControleGain::Gain_entree_fois0_8MouseUP, 80, false},
             {&ControleGain::Gain_entree_fois1MouseUP, 100, false},
             {&ControleGain::AGCMouseUp, 100, true}};
  for (const auto& k : cas) {
    mixer.Gain_entree_carte = 50;
    gain.Gain_courant = 35;
    (gain.*k.bouton)();
    EXPECT_EQ(gain.Gain_choisi, k.gain);
    EXPECT_EQ(gain.Gain_courant, k.gain);
    EXPECT_EQ(gain.CAG_active, k.automatique);
    EXPECT_EQ(mixer.Gain_entree_carte, 0);
    EXPECT_EQ(Volume_ligne(), (std::vector<uint32_t>{static_cast<uint32_t>(k.gain), 0}));
  }
  EXPECT_EQ(fenetre.focus, 1 + static_cast<int>(std::size(cas)));
  EXPECT_THROW(gain.Choix_gain(30, false), std::invalid_argument);
}

TEST_F(Gain, FixedGainUserAdjustmentOrNoVolumeControlNeverMoveTheGain) {
  gain.Gain_entree_fois0_8MouseUP();
  EXPECT_EQ(Suite(Sature, 100, 3), std::vector<int32_t>(3, 80));
  EXPECT_EQ(Suite(Plein, 0, 3), std::vector<int32_t>(3, 80));

  gain.AGCMouseUp();
  mixer.Reglage_logiciel = false;
  const uint32_t ecritures = m.Ecritures;
  EXPECT_EQ(Suite(Sature, 100, 3), std::vector<int32_t>(3, 100));
  EXPECT_EQ(m.Ecritures, ecritures);

  mixer.Reglage_logiciel = true;
  mixer.Controle_volume_trouve = false;
  EXPECT_EQ(Suite(Sature, 100, 3), std::vector<int32_t>(3, 100));
  EXPECT_EQ(m.Ecritures, ecritures);
  EXPECT_TRUE(gain.Saturation_affichee);  // saturation is still shown
}

TEST_F(Gain, ActivationAppliesTheStoredChoice) {
  gain.Gain_entree_fois0_4MouseUP();
  gain.Gain_courant = 15;
  gain.Activation();
  EXPECT_EQ(gain.Gain_courant, 40);
  EXPECT_EQ(mixer.Niveau_voie_gauche, 40);
  EXPECT_EQ(mixer.Niveau_voie_droite, 0);
}

}  // namespace
}  // namespace talven
