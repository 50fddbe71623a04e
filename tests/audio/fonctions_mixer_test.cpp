#include "audio/fonctions_mixer.h"

#include <gtest/gtest.h>

#include "audio/mixer_simule.h"

namespace talven {
namespace {

// A typical card: speaker output with volume, mute, bass and a source mixer;
// wave, line and microphone in the playback mix; a recording selector
// between microphone and line, each with its recording volume.
struct Carte_typique {
  MixerSimule m;
  uint32_t hp, hp_volume, hp_sourdine, hp_graves, hp_mixer;
  uint32_t wave, wave_volume, wave_sourdine;
  uint32_t ligne, ligne_sourdine, ligne_volume, micro, micro_sourdine, micro_volume;
  uint32_t rec, rec_gain, rec_micro, rec_micro_volume, rec_ligne, rec_ligne_volume, rec_mux;

  Carte_typique() {
    hp = m.Destination(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, "Volume Control");
    hp_volume = m.Controle(hp, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, 30000);
    hp_sourdine = m.Controle(hp, MIXERCONTROL_CONTROLTYPE_MUTE, 0, 1, 1);
    hp_graves = m.Controle(hp, MIXERCONTROL_CONTROLTYPE_BASS, 0, 65535, 1000);
    wave = m.Source(hp, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, "Wave");
    wave_volume = m.Controle(wave, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, 20000);
    wave_sourdine = m.Controle(wave, MIXERCONTROL_CONTROLTYPE_MUTE, 0, 1, 1);
    ligne = m.Source(hp, MIXERLINE_COMPONENTTYPE_SRC_LINE, "Line In");
    ligne_sourdine = m.Controle(ligne, MIXERCONTROL_CONTROLTYPE_MUTE, 0, 1, 0);
    ligne_volume = m.Controle(ligne, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, 5000);
    micro = m.Source(hp, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, "Mic", 1);
    micro_sourdine = m.Controle(micro, MIXERCONTROL_CONTROLTYPE_MUTE, 0, 1, 0);
    micro_volume = m.Controle(micro, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, 4000);
    hp_mixer = m.Selecteur(hp, MIXERCONTROL_CONTROLTYPE_MIXER, {wave, ligne, micro});
    m.Valeurs(hp_mixer) = {1, 0, 0};
    rec = m.Destination(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, "Recording Control");
    rec_gain = m.Controle(rec, MIXERCONTROL_CONTROLTYPE_UNSIGNED, 0, 65535, 0);
    rec_micro = m.Source(rec, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, "Mic", 1);
    rec_micro_volume = m.Controle(rec_micro, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, 9000);
    rec_ligne = m.Source(rec, MIXERLINE_COMPONENTTYPE_SRC_LINE, "Line In");
    rec_ligne_volume = m.Controle(rec_ligne, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, 7000);
    rec_mux = m.Selecteur(rec, MIXERCONTROL_CONTROLTYPE_MUX, {rec_micro, rec_ligne});
    m.Valeurs(rec_mux) = {1, 0};
  }
};

using V = std::vector<uint32_t>;

TEST(FonctionsMixer, SetsUpLineInputAndPlaybackAndReportsEverythingFound) {
  Carte_typique c;
  FonctionsMixer f(&c.m);
  f.Volume_haut_parleur = 50;
  f.Volume_wave = 100;
  f.Gain_entree_carte = 10;
  f.Niveau_voie_gauche = 40;
  f.Niveau_voie_droite = 100;
  f.Reglage_mixer();

  EXPECT_TRUE(f.Mixer_present && f.Enregistrement_trouve && f.Haut_parleurs_trouves &&
              f.Sortie_wave_trouvee && f.Source_selectionnee && f.Entree_restitution_trouvee &&
              f.Controle_volume_trouve);
  EXPECT_EQ(c.m.Valeurs(c.hp_volume), V({32767, 32767}));
  EXPECT_EQ(c.m.Valeurs(c.hp_sourdine), V({0}));
  EXPECT_EQ(c.m.Valeurs(c.hp_graves), V({65535, 65535}));
  EXPECT_EQ(c.m.Valeurs(c.hp_mixer), V({1, 1, 1}));
  EXPECT_EQ(c.m.Valeurs(c.wave_volume), V({65535, 65535}));
  EXPECT_EQ(c.m.Valeurs(c.wave_sourdine), V({0}));
  // Both inputs muted in the playback mix; the chosen one levelled too.
  EXPECT_EQ(c.m.Valeurs(c.ligne_sourdine), V({1}));
  EXPECT_EQ(c.m.Valeurs(c.micro_sourdine), V({1}));
  EXPECT_EQ(c.m.Valeurs(c.ligne_volume), V({26214, 65535}));
  EXPECT_EQ(c.m.Valeurs(c.micro_volume), V({4000}));
  // Line selected for recording, at 40 % left and 100 % right.
  EXPECT_EQ(c.m.Valeurs(c.rec_mux), V({0, 1}));
  EXPECT_EQ(c.m.Valeurs(c.rec_ligne_volume), V({26214, 65535}));
  EXPECT_EQ(c.m.Valeurs(c.rec_micro_volume), V({9000}));
  EXPECT_EQ(c.m.Valeurs(c.rec_gain), V({6553, 6553}));
}

TEST(FonctionsMixer, PercentageScalesTheRangeAndDividesFirstFromMaximum65536) {
  struct Cas {
    int32_t minimum, maximum, pourcentage;
    uint32_t attendu;
  };
  const Cas cas[] = {
      {0, 65535, 40, 26214}, {0, 65535, 100, 65535}, {0, 65535, 0, 0},
      {0, 65536, 40, 26200}, {0, 99999, 33, 32967},  {0, 2147483647, 100, 2147483600},
      {100, 1100, 50, 500},  {0, 65535, 150, 65535}, {0, 65535, -5, 0},
  };
  for (const Cas& k : cas) {
    Controle_mixer controle{1, MIXERCONTROL_CONTROLTYPE_VOLUME, true, 0, k.minimum, k.maximum};
    EXPECT_EQ(FonctionsMixer::Valeur_pourcentage(controle, k.pourcentage), k.attendu)
        << k.minimum << ".." << k.maximum << " at " << k.pourcentage << " %";
  }
}

TEST(FonctionsMixer, NoMixerDeviceIsReportedAndNothingIsWritten) {
  Carte_typique c;
  c.m.Present = false;
  FonctionsMixer f(&c.m);
  f.Mixer_present = true;
  f.Reglage_mixer();
  EXPECT_FALSE(f.Mixer_present);
  f.Volume_enregistrement(50, 50);
  f.Restauration_mixer();
  EXPECT_EQ(c.m.Ecritures, 0u);

  FonctionsMixer sans_pilote(nullptr);
  sans_pilote.Mixer_present = true;
  sans_pilote.Reglage_mixer();
  sans_pilote.Restauration_mixer();
  EXPECT_FALSE(sans_pilote.Mixer_present);
}

TEST(FonctionsMixer, CardWithoutRecordingDestinationReportsNoRecordControl) {
  MixerSimule m;
  const uint32_t hp = m.Destination(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, "Master");
  m.Controle(hp, MIXERCONTROL_CONTROLTYPE_VOLUME);
  const uint32_t wave = m.Source(hp, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, "PCM");
  m.Controle(wave, MIXERCONTROL_CONTROLTYPE_VOLUME);
  m.Source(hp, MIXERLINE_COMPONENTTYPE_SRC_LINE, "Line");
  FonctionsMixer f(&m);
  f.Reglage_mixer();
  EXPECT_TRUE(f.Mixer_present);
  EXPECT_TRUE(f.Haut_parleurs_trouves);
  EXPECT_TRUE(f.Sortie_wave_trouvee);
  EXPECT_TRUE(f.Entree_restitution_trouvee);
  EXPECT_FALSE(f.Enregistrement_trouve);
  EXPECT_FALSE(f.Source_selectionnee);
  EXPECT_FALSE(f.Controle_volume_trouve);
}

// The recording selector's items, their states before and after the set-up,
// and which source ends up selected.
TEST(FonctionsMixer, RecordingSelectorPicksTheChosenInput) {
  struct Item {
    uint32_t type;
    const char* nom;
  };
  struct Cas {
    const char* nom;
    bool microphone;
    std::vector<Item> items;
    V avant, apres;
    int selectionne;  // index of the selected item, -1 for none
  };
  constexpr uint32_t LINE = MIXERLINE_COMPONENTTYPE_SRC_LINE, MIC = MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE,
                     ANALOG = MIXERLINE_COMPONENTTYPE_SRC_ANALOG, WAVE = MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
  const Cas cas[] = {
      {"line item", false, {{MIC, "Mic"}, {LINE, "Line"}, {ANALOG, "CD"}}, {1, 0, 1}, {0, 1, 1}, 1},
      {"line item wins over an analog 'Line'", false, {{ANALOG, "Line 2"}, {LINE, "Aux"}}, {1, 0}, {0, 1}, 1},
      {"no line item: analog 'LI...'",
       false,
       {{MIC, "Mic"}, {ANALOG, "CD"}, {ANALOG, "line"}},
       {1, 1, 0},
       {0, 0, 1},
       2},
      {"no line item: analog 'L...'", false, {{ANALOG, "Aux"}, {ANALOG, "Loop"}}, {0, 0}, {0, 1}, 1},
      {"no line item: any type 'LI...'", false, {{MIC, "Mic"}, {WAVE, "LInk"}}, {1, 0}, {0, 1}, 1},
      {"microphone", true, {{LINE, "Line"}, {MIC, "Microphone"}, {ANALOG, "x"}}, {1, 0, 1}, {0, 1, 1}, 1},
      {"microphone: only a microphone item counts",
       true,
       {{ANALOG, "Mic"}, {LINE, "Line"}},
       {1, 1},
       {0, 0},
       -1},
  };
  for (const Cas& k : cas) {
    SCOPED_TRACE(k.nom);
    MixerSimule m;
    const uint32_t rec = m.Destination(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, "Capture");
    std::vector<uint32_t> sources, volumes;
    for (const Item& i : k.items) {
      sources.push_back(m.Source(rec, i.type, i.nom));
      volumes.push_back(m.Controle(sources.back(), MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, 123));
    }
    const uint32_t mux = m.Selecteur(rec, MIXERCONTROL_CONTROLTYPE_MIXER, sources);
    m.Valeurs(mux) = k.avant;
    FonctionsMixer f(&m);
    f.Choix_microphone = k.microphone;
    f.Niveau_voie_gauche = f.Niveau_voie_droite = 40;
    f.Reglage_mixer();
    EXPECT_EQ(m.Valeurs(mux), k.apres);
    EXPECT_EQ(f.Source_selectionnee, k.selectionne >= 0);
    EXPECT_EQ(f.Controle_volume_trouve, k.selectionne >= 0);
    for (size_t i = 0; i < volumes.size(); ++i)
      EXPECT_EQ(m.Valeurs(volumes[i]),
                static_cast<int>(i) == k.selectionne ? V({26214, 26214}) : V({123, 123}));
  }
}

TEST(FonctionsMixer, AnalogSourceNamedLikeTheInputStandsForItInThePlaybackMix) {
  struct Cas {
    bool microphone;
    const char* nom;
    bool trouve;
  };
  const Cas cas[] = {
      {false, "LINE", true}, {false, "Mic", false}, {true, "mIc", true}, {true, "Line", false}};
  for (const Cas& k : cas) {
    SCOPED_TRACE(k.nom);
    MixerSimule m;
    const uint32_t hp = m.Destination(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, "Master");
    m.Source(hp, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, "PCM");
    const uint32_t analogique = m.Source(hp, MIXERLINE_COMPONENTTYPE_SRC_ANALOG, k.nom);
    const uint32_t sourdine = m.Controle(analogique, MIXERCONTROL_CONTROLTYPE_MUTE, 0, 1, 0);
    FonctionsMixer f(&m);
    f.Choix_microphone = k.microphone;
    f.Reglage_mixer();
    EXPECT_EQ(f.Entree_restitution_trouvee, k.trouve);
    EXPECT_EQ(m.Valeurs(sourdine), V({k.trouve ? 1u : 0u}));
  }
}

TEST(FonctionsMixer, RestoreAfterSeveralSetUpsGivesBackTheValuesFoundBeforeTheFirst) {
  Carte_typique c;
  auto avant = c.m.Etat();
  FonctionsMixer f(&c.m);
  f.Reglage_mixer();
  f.Volume_enregistrement(10, 20);
  f.Choix_microphone = true;
  f.Volume_haut_parleur = 20;
  f.Gain_sortie_carte = 30;
  f.Reglage_mixer();
  f.Choix_microphone = false;
  f.Volume_wave = 60;
  f.Reglage_mixer();
  ASSERT_NE(c.m.Etat(), avant);
  f.Restauration_mixer();
  // The recording destination's unsigned gain is left at 0 %, every other
  // value is the one the mixer had before the first set-up.
  avant[c.rec_gain] = {0, 0};
  EXPECT_EQ(c.m.Etat(), avant);
}

TEST(FonctionsMixer, RestoreWithoutSetUpWritesOnlyTheRecordingGain) {
  Carte_typique c;
  c.m.Valeurs(c.rec_gain) = {500, 500};
  auto attendu = c.m.Etat();
  attendu[c.rec_gain] = {0, 0};
  FonctionsMixer f(&c.m);
  f.Restauration_mixer();
  EXPECT_EQ(c.m.Etat(), attendu);
  EXPECT_EQ(c.m.Ecritures, 1u);
}

TEST(FonctionsMixer, RecordingVolumeTouchesOnlyTheSelectedSource) {
  Carte_typique c;
  FonctionsMixer f(&c.m);
  f.Choix_microphone = true;
  f.Reglage_mixer();
  auto attendu = c.m.Etat();
  attendu[c.rec_micro_volume] = {26214};
  f.Volume_enregistrement(40, 90);  // a mono source takes the left value
  EXPECT_EQ(c.m.Etat(), attendu);
}

TEST(FonctionsMixer, UserAdjustmentLeavesTheMixerAlone) {
  Carte_typique c;
  FonctionsMixer f(&c.m);
  f.Reglage_logiciel = false;
  f.Reglage_mixer();
  f.Volume_enregistrement(40, 40);
  f.Restauration_mixer();
  EXPECT_EQ(c.m.Ecritures, 0u);
  EXPECT_FALSE(f.Mixer_present);
  EXPECT_FALSE(f.Source_selectionnee);
}

TEST(FonctionsMixer, SwitchingOffSoftwareAdjustmentAfterASetUpStopsTheGainControl) {
  Carte_typique c;
  FonctionsMixer f(&c.m);
  f.Reglage_mixer();
  const uint32_t ecritures = c.m.Ecritures;
  f.Reglage_logiciel = false;
  f.Volume_enregistrement(10, 10);
  f.Restauration_mixer();
  EXPECT_EQ(c.m.Ecritures, ecritures);
}

}  // namespace
}  // namespace talven
