#include "audio/mixer_alsa.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "audio/fonctions_mixer.h"
#include "audio/mixer_listing.h"

namespace talven {
namespace {

// A listing kept in tests/audio/amixer (each file names where it comes from).
std::string Listing(const std::string& fichier) {
  std::ifstream f(std::string(TALVEN_LISTINGS_AMIXER) + "/" + fichier);
  EXPECT_TRUE(f.good()) << fichier;
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// A card read from a listing and mapped, its elements kept at hand.
struct Carte {
  Elements_listing* elements;
  MixerAlsa mixer;

  explicit Carte(const std::string& fichier) : Carte(std::make_unique<Elements_listing>(Listing(fichier))) {}
  explicit Carte(std::unique_ptr<Elements_listing> e) : elements(e.get()), mixer(std::move(e)) {}
};

// Canal -1: the switch of that direction (1 on); -2: the enumeration's item.
struct Valeur_element {
  const char* element;
  uint32_t indice;
  bool lecture;
  int canal;
  long valeur;
};

long Lue(Elements_mixer& e, const Valeur_element& v) {
  const size_t k = e.Recherche(v.element, v.indice);
  EXPECT_NE(k, Elements_mixer::Absent) << v.element;
  long valeur = -1;
  bool actif = false;
  unsigned item = 0;
  if (v.canal == -1 && e.Commutateur(k, v.lecture, actif) == 0) valeur = actif ? 1 : 0;
  if (v.canal == -2 && e.Item(k, item) == 0) valeur = item;
  if (v.canal >= 0) e.Volume(k, v.lecture, v.canal, valeur);
  return valeur;
}

// Every value of every element, to compare whole card states.
using Etat = std::vector<std::tuple<long, long, long, long, int, int, unsigned>>;
Etat Etat_de(Elements_mixer& e) {
  Etat etat;
  for (size_t k = 0; k < e.Elements().size(); ++k) {
    long v[4] = {-1, -1, -1, -1};
    bool c[2] = {false, false};
    unsigned item = 0;
    int commutateurs[2] = {-1, -1};
    for (int d = 0; d < 2; ++d) {
      e.Volume(k, d == 0, 0, v[2 * d]);
      e.Volume(k, d == 0, 1, v[2 * d + 1]);
      if (e.Commutateur(k, d == 0, c[d]) == 0) commutateurs[d] = c[d];
    }
    e.Item(k, item);
    etat.emplace_back(v[0], v[1], v[2], v[3], commutateurs[0], commutateurs[1], item);
  }
  return etat;
}

bool Tout_trouve(const FonctionsMixer& f) {
  return f.Mixer_present && f.Enregistrement_trouve && f.Haut_parleurs_trouves && f.Sortie_wave_trouvee &&
         f.Source_selectionnee && f.Entree_restitution_trouvee && f.Controle_volume_trouve;
}

// This machine has no sound hardware: a card that does not exist must give
// "no mixer" through the result flags, without a crash or a write.
TEST(MixerAlsa, MissingCardGivesNoMixer) {
  MixerAlsa alsa("hw:31");
  EXPECT_EQ(alsa.Nombre_mixers(), 0u);
  EXPECT_NE(alsa.Erreur_ouverture(), 0);
  Ligne_mixer ligne;
  EXPECT_NE(alsa.Ligne_par_type(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, ligne), MMSYSERR_NOERROR);
  EXPECT_NE(alsa.Ecriture(1, 1, 0, {0}), MMSYSERR_NOERROR);

  FonctionsMixer f(&alsa);
  f.Mixer_present = true;
  f.Reglage_mixer();
  EXPECT_FALSE(f.Mixer_present);
  f.Restauration_mixer();

  MixerAlsa sans_elements(std::unique_ptr<Elements_mixer>{});
  EXPECT_EQ(sans_elements.Nombre_mixers(), 0u);
}

TEST(ElementsListing, ReadsCapabilitiesLimitsValuesAndChoices) {
  Elements_listing hda(Listing("hda_input_source.txt"));
  ASSERT_EQ(hda.Elements().size(), 6u);
  const Element_simple& master = hda.Elements()[hda.Recherche("Master")];
  EXPECT_TRUE(master.Volume_lecture && master.Commutateur_lecture && master.Lecture_mono);
  EXPECT_FALSE(master.Volume_capture || master.Enumeration_capture);  // "penum" without items
  EXPECT_EQ(master.Maximum_lecture, 64);
  const size_t capture1 = hda.Recherche("Capture", 1);
  ASSERT_NE(capture1, Elements_mixer::Absent);
  EXPECT_FALSE(hda.Elements()[capture1].Capture_mono);
  EXPECT_EQ(hda.Elements()[capture1].Maximum_capture, 31);
  const size_t source = hda.Recherche("Input Source");
  EXPECT_TRUE(hda.Elements()[source].Enumeration_capture);
  EXPECT_EQ(hda.Elements()[source].Items, (std::vector<std::string>{"Mic", "Line"}));
  for (const Valeur_element& v : {Valeur_element{"Master", 0, true, 0, 51},
                                  {"Master", 0, true, 1, 51},
                                  {"Master", 0, true, -1, 1},
                                  {"Capture", 1, false, 0, 9},
                                  {"Capture", 1, false, -1, 0},
                                  {"Input Source", 0, false, -2, 1}})
    EXPECT_EQ(Lue(hda, v), v.valeur) << v.element << "," << v.indice << " " << v.canal;

  // Both directions on one line; a boost shared by both directions; a
  // playback enumeration; an element cut short.
  Elements_listing cm108(Listing("usb_cm108.txt"));
  for (const Valeur_element& v : {Valeur_element{"Mic", 0, true, 0, 23},
                                  {"Mic", 0, true, 1, 23},
                                  {"Mic", 0, true, -1, 1},
                                  {"Mic", 0, false, 0, 12},
                                  {"Mic", 0, false, -1, 0}})
    EXPECT_EQ(Lue(cm108, v), v.valeur) << v.element << " " << v.lecture << " " << v.canal;
  Elements_listing carte(Listing("hda_pcm_mic.txt"));
  const Element_simple& boost = carte.Elements()[carte.Recherche("Mic Boost")];
  EXPECT_TRUE(boost.Volume_commun && boost.Volume_lecture && boost.Volume_capture);
  EXPECT_EQ(boost.Maximum_capture, 3);
  EXPECT_FALSE(carte.Elements()[carte.Recherche("IEC958 Playback Source")].Enumeration_capture);
  EXPECT_FALSE(carte.Elements()[carte.Recherche("Headphone")].Volume_lecture);
  Elements_listing usb(Listing("usb_alc4080.txt"));
  EXPECT_NE(usb.Recherche("PCM", 2), Elements_mixer::Absent);
  EXPECT_TRUE(usb.Elements()[usb.Recherche("Mic")].Commutateur_capture);
}

TEST(ElementsListing, ToleratesNoiseAndKeepsValuesWithinLimits) {
  Elements_listing e(
      "Card default 'PCH'/'HDA Intel PCH'\n"
      "  Mixer name\t: 'Realtek ALC892'\n"
      "Simple mixer control 'Cut\n"
      "Simple mixer control 'Line',0\r\n"
      "  Capabilities: pvolume pswitch\r\n"
      "  Playback channels: Front Left - Front Right\r\n"
      "  Limits: Playback -10 - 10\r\n"
      "  Front Left: Playback 99 [100%] [on]\r\n"
      "  Front Right: Playback x [off]\r\n"
      "  Rear Left: Playback 3 [50%] [on]\r\n"
      "Simple mixer control 'Mic's',1\n"
      "  Items: 'a\n");
  ASSERT_EQ(e.Elements().size(), 2u);
  EXPECT_EQ(e.Elements()[1].Nom, "Mic's");
  EXPECT_EQ(e.Elements()[1].Indice, 1u);
  EXPECT_TRUE(e.Elements()[1].Items.empty());
  long v = 0;
  bool actif = true;
  EXPECT_EQ(e.Volume(0, true, 0, v), 0);
  EXPECT_EQ(v, 10);
  EXPECT_EQ(e.Volume(0, true, 1, v), 0);
  EXPECT_EQ(v, 0);  // "x" is no value
  EXPECT_EQ(e.Commutateur(0, true, actif), 0);
  EXPECT_TRUE(actif);
  EXPECT_EQ(e.Ecriture_volume(0, true, 1, -50), 0);
  EXPECT_EQ(e.Volume(0, true, 1, v), 0);
  EXPECT_EQ(v, -10);
  EXPECT_EQ(e.Ecritures, 1u);
  // What an element cannot do is refused and not counted.
  EXPECT_LT(e.Ecriture_volume(0, false, -1, 0), 0);
  EXPECT_LT(e.Ecriture_commutateur(0, false, true), 0);
  EXPECT_LT(e.Ecriture_item(1, 0), 0);
  EXPECT_LT(e.Volume(5, true, 0, v), 0);
  EXPECT_EQ(e.Ecritures, 1u);
}

// Each kind of card, with either input chosen: what the set-up writes into
// the card's own elements, that nothing is reported missing, and that the
// exit gives back every value found.
TEST(MixerAlsa, CommonCardsAreSetUpWholeAndGivenBack) {
  struct Cas {
    const char* fichier;
    bool micro;
    std::vector<Valeur_element> attendu;
  };
  const std::vector<Valeur_element> pulse{{"Master", 0, true, 0, 32750},   {"Master", 0, true, 1, 32750},
                                          {"Master", 0, true, -1, 1},      {"Capture", 0, false, -1, 1},
                                          {"Capture", 0, false, 0, 26200}, {"Capture", 0, false, 1, 65500}};
  const std::vector<Valeur_element> pipewire{{"Master", 0, true, 0, 32750},
                                             {"Master", 0, true, 1, 32750},
                                             {"Master", 0, true, -1, 1},
                                             {"Capture", 0, false, -1, 1},
                                             {"Capture", 0, false, 0, 26200}};
  const Cas cas[] = {
      {"pulseaudio_default.txt", false, pulse},
      {"pulseaudio_default.txt", true, pulse},
      {"pipewire_default.txt", false, pipewire},
      {"pipewire_default.txt", true, pipewire},
      // One recording path, "Mic": recorded whichever input is chosen; its
      // monitor in the output muted either way.
      {"usb_cm108.txt",
       false,
       {{"Speaker", 0, true, 0, 75},
        {"Speaker", 0, true, -1, 1},
        {"Mic", 0, true, -1, 0},
        {"Mic", 0, true, 0, 23},
        {"Mic", 0, false, -1, 1},
        {"Mic", 0, false, 0, 6}}},
      {"usb_cm108.txt",
       true,
       {{"Speaker", 0, true, 1, 75},
        {"Mic", 0, true, -1, 0},
        {"Mic", 0, true, 0, 12},
        {"Mic", 0, false, -1, 1},
        {"Mic", 0, false, 0, 6}}},
      // "PCM" is the speaker output; "Line" and "Mic" each switch their own
      // recording.
      {"usb_alc4080.txt",
       false,
       {{"PCM", 0, true, 0, 43},
        {"PCM", 0, true, 1, 43},
        {"PCM", 0, true, -1, 1},
        {"Line", 0, false, -1, 1},
        {"Line", 0, false, 0, 15},
        {"Line", 0, false, 1, 39},
        {"Mic", 0, false, -1, 0}}},
      {"usb_alc4080.txt", true, {{"Line", 0, false, -1, 0}, {"Mic", 0, false, -1, 1}}},
      // The input source chosen, recorded at the "Capture" level of the
      // same index; the second converter left alone.
      {"hda_input_source.txt",
       false,
       {{"Master", 0, true, 0, 32},
        {"Input Source", 0, false, -2, 1},
        {"Capture", 0, false, -1, 1},
        {"Capture", 0, false, 0, 12},
        {"Capture", 0, false, 1, 31},
        {"Input Source", 1, false, -2, 1},
        {"Capture", 1, false, -1, 0},
        {"Capture", 1, false, 0, 9}}},
      {"hda_input_source.txt", true, {{"Input Source", 0, false, -2, 0}, {"Capture", 0, false, -1, 1}}},
      // "PCM" is the wave output; the microphone in the output muted (and
      // levelled when chosen); "Capture" the one recording path.
      {"hda_pcm_mic.txt",
       false,
       {{"Master", 0, true, 0, 19},
        {"PCM", 0, true, 0, 39},
        {"PCM", 0, true, 1, 39},
        {"Mic", 0, true, -1, 0},
        {"Mic", 0, true, 0, 0},
        {"Capture", 0, false, -1, 1},
        {"Capture", 0, false, 0, 21},
        {"Capture", 0, false, 1, 54}}},
      {"hda_pcm_mic.txt",
       true,
       {{"Mic", 0, true, -1, 0},
        {"Mic", 0, true, 0, 12},
        {"Mic", 0, true, 1, 31},
        {"Capture", 0, false, 0, 21}}},
  };
  for (const Cas& k : cas) {
    SCOPED_TRACE(std::string(k.fichier) + (k.micro ? ", microphone" : ", line input"));
    Carte c(k.fichier);
    const Etat avant = Etat_de(*c.elements);
    FonctionsMixer f(&c.mixer);
    f.Choix_microphone = k.micro;
    f.Volume_haut_parleur = 50;
    f.Volume_wave = 100;
    f.Niveau_voie_gauche = 40;
    f.Niveau_voie_droite = 100;
    f.Reglage_mixer();
    EXPECT_TRUE(Tout_trouve(f));
    for (const Valeur_element& v : k.attendu)
      EXPECT_EQ(Lue(*c.elements, v), v.valeur) << v.element << "," << v.indice << " " << v.canal;
    f.Restauration_mixer();
    EXPECT_EQ(Etat_de(*c.elements), avant);
  }
}

// A sound server's device records only what the server is given, and the
// input never reaches the output: the playback mix has the two inputs and
// the wave output, without controls, and one recording path listed as
// either input.
TEST(MixerAlsa, SoundServerDeviceMapsOntoOnePathForEitherInput) {
  Carte c("pulseaudio_default.txt");
  Ligne_mixer l;
  std::vector<Controle_mixer> controles;
  for (uint32_t type : {MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, MIXERLINE_COMPONENTTYPE_SRC_LINE,
                        MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE}) {
    ASSERT_EQ(c.mixer.Ligne_par_type(type, l), MMSYSERR_NOERROR) << type;
    ASSERT_EQ(c.mixer.Controles(l.Identifiant, controles), MMSYSERR_NOERROR);
    EXPECT_TRUE(controles.empty()) << type;
  }
  ASSERT_EQ(c.mixer.Ligne_par_type(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, l), MMSYSERR_NOERROR);
  ASSERT_EQ(c.mixer.Controles(l.Identifiant, controles), MMSYSERR_NOERROR);
  ASSERT_EQ(controles.size(), 1u);
  std::vector<Item_liste> items;
  ASSERT_EQ(c.mixer.Textes_liste(controles[0].Identifiant, items), MMSYSERR_NOERROR);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].Type_composant, MIXERLINE_COMPONENTTYPE_SRC_LINE);
  EXPECT_EQ(items[1].Type_composant, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE);
  EXPECT_EQ(items[0].Identifiant_ligne, items[1].Identifiant_ligne);
  EXPECT_EQ(Vers_utf8(items[0].Nom), "Capture");

  // Switching the path off through the selector mutes the capture; the
  // selector reads back what the switch says.
  ASSERT_EQ(c.mixer.Ecriture(controles[0].Identifiant, 1, 2, {0, 0}), MMSYSERR_NOERROR);
  EXPECT_EQ(Lue(*c.elements, {"Capture", 0, false, -1, 0}), 0);
  std::vector<uint32_t> etats;
  ASSERT_EQ(c.mixer.Lecture(controles[0].Identifiant, 1, 2, etats), MMSYSERR_NOERROR);
  EXPECT_EQ(etats, (std::vector<uint32_t>{0, 0}));
}

// The input-source enumeration records only while "Capture" is switched on:
// a card found with it off is switched on for the chosen source and off
// again at exit.
TEST(MixerAlsa, InputSourceSwitchesTheCaptureOnAndTheExitOffAgain) {
  auto elements = std::make_unique<Elements_listing>(Listing("hda_input_source.txt"));
  ASSERT_EQ(elements->Ecriture_commutateur(elements->Recherche("Capture"), false, false), 0);
  Carte c(std::move(elements));
  FonctionsMixer f(&c.mixer);
  f.Reglage_mixer();
  EXPECT_TRUE(Tout_trouve(f));
  EXPECT_EQ(Lue(*c.elements, {"Capture", 0, false, -1, 0}), 1);
  EXPECT_EQ(Lue(*c.elements, {"Input Source", 0, false, -2, 0}), 1);
  f.Restauration_mixer();
  EXPECT_EQ(Lue(*c.elements, {"Capture", 0, false, -1, 0}), 0);
  EXPECT_EQ(Lue(*c.elements, {"Capture", 0, false, 0, 0}), 0);
}

// A card that cannot record, or has no level to set, is not dressed up:
// the flags say what is missing and nothing is written.
TEST(MixerAlsa, CardWithoutRecordingOrLevelsReportsThem) {
  Carte c("iec958_seulement.txt");
  FonctionsMixer f(&c.mixer);
  f.Reglage_mixer();
  EXPECT_TRUE(f.Mixer_present);
  EXPECT_FALSE(f.Enregistrement_trouve);
  EXPECT_FALSE(f.Haut_parleurs_trouves);
  EXPECT_FALSE(f.Sortie_wave_trouvee);
  EXPECT_FALSE(f.Source_selectionnee);
  f.Restauration_mixer();
  EXPECT_EQ(c.elements->Ecritures, 0u);

  // The sound server's device without its source: no recording.
  std::string sans_source = Listing("pulseaudio_default.txt");
  sans_source.erase(sans_source.find("Simple mixer control 'Capture'"));
  Carte lecture_seule(std::make_unique<Elements_listing>(sans_source));
  FonctionsMixer g(&lecture_seule.mixer);
  g.Reglage_mixer();
  EXPECT_TRUE(g.Haut_parleurs_trouves);
  EXPECT_FALSE(g.Enregistrement_trouve);
}

}  // namespace
}  // namespace talven
