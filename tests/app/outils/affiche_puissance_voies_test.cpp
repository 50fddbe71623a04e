// The level monitor over a station with the simulated card, stepped one
// buffer at a time, the simulated mixer and a clock that moves only when
// told.
#include "app/affiche_puissance_voies.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <span>
#include <vector>

#include "app/station/station.h"
#include "tests/app/outils/horloge_datee_factice.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Bound of every drive loop, so that a fault fails instead of hanging.
constexpr int Pas_max = 10000;

// A full-scale square wave of ten samples a period, starting high at each
// buffer: samples 10..1111 of a buffer hold 552 highs (255) and 550 lows (1).
void Carre(std::span<float> x, uint32_t) {
  for (size_t i = 0; i < x.size(); ++i) x[i] = (i % 10) < 5 ? 1.0f : -1.0f;
}

// Full scale in the ten samples at each end of a buffer, silence between.
void Bords(std::span<float> x, uint32_t) {
  for (size_t i = 0; i < x.size(); ++i) x[i] = (i < 10 || i + 10 >= x.size()) ? 1.0f : 0.0f;
}

struct Selection {
  bool microphone;
  int32_t gauche;
  int32_t droite;
  bool item_micro;  // the recording selector's item of the microphone
  std::vector<uint32_t> volume_micro;
  std::vector<uint32_t> volume_ligne;
};

class AffichePuissanceVoiesTest : public ::testing::Test {
 protected:
  explicit AffichePuissanceVoiesTest(uint8_t langue = 1) {
    Parametres_station p;
    p.mixer = Parametres_station::Mixer::Simule;
    p.langue = langue;
    station = std::make_unique<Station>(p, boite);
    moniteur = std::make_unique<AffichePuissanceVoies>(station->wave, station->mixer, station->langue, horloge);
    moniteur->Gain_choisi = 60;
  }

  SonSimule& carte() { return *station->Carte_simulee(); }
  MixerSimule& mixer() { return *station->Mixer_simule(); }

  // The identifier of the first control of `type` on the line of `type_ligne`.
  uint32_t Controle(uint32_t type_ligne, uint32_t type) {
    Ligne_mixer ligne;
    std::vector<Controle_mixer> controles;
    EXPECT_EQ(mixer().Ligne_par_type(type_ligne, ligne), MMSYSERR_NOERROR);
    EXPECT_EQ(mixer().Controles(ligne.Identifiant, controles), MMSYSERR_NOERROR);
    for (const Controle_mixer& c : controles)
      if (c.Type == type) return c.Identifiant;
    ADD_FAILURE() << "no control";
    return 0;
  }

  // The recording volume of source `source` (0 microphone, 1 line) of the
  // recording destination.
  std::vector<uint32_t> Volume_enregistrement(uint32_t source) {
    Ligne_mixer destination, ligne;
    std::vector<Controle_mixer> controles;
    EXPECT_EQ(mixer().Ligne_par_type(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, destination), MMSYSERR_NOERROR);
    EXPECT_EQ(mixer().Ligne_par_indices(destination.Destination, source, ligne), MMSYSERR_NOERROR);
    EXPECT_EQ(mixer().Controles(ligne.Identifiant, controles), MMSYSERR_NOERROR);
    for (const Controle_mixer& c : controles)
      if (c.Type == MIXERCONTROL_CONTROLTYPE_VOLUME) return mixer().Valeurs(c.Identifiant);
    ADD_FAILURE() << "no volume";
    return {};
  }

  // Ticks until a recording is in progress.
  void Jusqu_a_l_acquisition() {
    for (int k = 0; k < Pas_max && !moniteur->Acquisition_en_cours(); ++k) moniteur->Timer1Timer();
    ASSERT_TRUE(moniteur->Acquisition_en_cours());
  }
  // The recording started, its buffer filled by the card, the result shown.
  void Mesure() {
    Jusqu_a_l_acquisition();
    ASSERT_TRUE(carte().Completer_entree());
    moniteur->Timer1Timer();
    ASSERT_FALSE(moniteur->Acquisition_en_cours());
  }
  // The input device is closed: it opens again.
  bool Entree_fermee() {
    Format_son f = station->wave.Format_entree;
    if (carte().Ouvrir(Sens::Entree, f) != Son_ok) return false;
    carte().Fermer(Sens::Entree);
    return true;
  }

  test::Boite_messages_enregistreuse boite;
  test::Horloge_datee_factice horloge;
  std::unique_ptr<Station> station;
  std::unique_ptr<AffichePuissanceVoies> moniteur;
};

class AffichePuissanceVoiesFrancais : public AffichePuissanceVoiesTest {
 protected:
  AffichePuissanceVoiesFrancais() : AffichePuissanceVoiesTest(2) {}
};

TEST_F(AffichePuissanceVoiesTest, LevelOfSilenceSquareAndSine) {
  const double p = 552.0 / 1102.0;
  const double carre = std::sqrt(p * (1.0 - p)) * 254.0 / 90.2 * 100.0;  // 140.797...
  struct Cas {
    const char* nom;
    SonSimule::Generateur generateur;
    double niveau;
    double tolerance;
    const char* texte;
  };
  const Cas cas[] = {
      {"silence", nullptr, 0.0, 0.0, "0 %"},
      {"only the unused ends", Bords, 0.0, 0.0, "0 %"},
      {"full-scale square", Carre, carre, 1e-9, "141 %"},
      // 128 + 127 sin: an RMS deviation of 127 / sqrt(2) = 89.80, what
      // rounding to the byte adds aside.
      {"full-scale sine", SonSimule::Tonalite(1000.0, 1.0), 127.0 / std::sqrt(2.0) / 90.2 * 100.0, 0.03, "100 %"},
  };
  moniteur->A_l_activation_de_la_fiche();
  for (const Cas& c : cas) {
    if (c.generateur) {
      carte().Source_generateur(c.generateur);
    } else {
      carte().Source_silence();
    }
    const auto entree = moniteur->Entree_mesuree();
    Mesure();
    EXPECT_NEAR(moniteur->Niveau_mesure, c.niveau, c.tolerance) << c.nom;
    EXPECT_EQ(moniteur->Affichage(entree), c.texte) << c.nom;
  }
  EXPECT_THAT(boite.messages, IsEmpty());
}

TEST(TexteNiveau, NearestIntegerHalvesToEven) {
  const std::pair<double, const char*> cas[] = {{0.0, "0 %"},     {0.49, "0 %"},    {0.5, "0 %"},
                                                {1.5, "2 %"},     {2.5, "2 %"},     {99.5, "100 %"},
                                                {100.5, "100 %"}, {140.797, "141 %"}};
  for (const auto& [niveau, texte] : cas) EXPECT_EQ(AffichePuissanceVoies::Texte_niveau(niveau), texte) << niveau;
}

TEST_F(AffichePuissanceVoiesTest, TheInputsAreSelectedAndShownLeftRightMicrophoneInTurn) {
  // The main window's settings: the speaker at half volume.
  station->mixer.Volume_haut_parleur = 50;
  station->mixer.Reglage_mixer();
  const uint32_t haut_parleur = Controle(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, MIXERCONTROL_CONTROLTYPE_VOLUME);
  const std::vector<uint32_t> volume_haut_parleur = mixer().Valeurs(haut_parleur);
  const uint32_t mux = Controle(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, MIXERCONTROL_CONTROLTYPE_MUX);

  carte().Source_generateur(Carre);
  moniteur->A_l_activation_de_la_fiche();
  // 60 % of the volumes' range, 0..65535; the microphone is mono. A source
  // keeps its volume once another is chosen.
  const uint32_t v = 65535 * 60 / 100;
  const std::vector<uint32_t> micro_avant = Volume_enregistrement(0);
  const Selection attendues[] = {{false, 60, 0, false, micro_avant, {v, 0}},
                                 {false, 0, 60, false, micro_avant, {0, v}},
                                 {true, 60, 0, true, {v}, {0, v}}};
  const Entree_son entrees[] = {Entree_son::Ligne_gauche, Entree_son::Ligne_droite, Entree_son::Microphone};
  for (int tour = 0; tour < 2; ++tour) {
    for (int i = 0; i < 3; ++i) {
      SCOPED_TRACE(testing::Message() << "round " << tour << ", input " << i);
      Jusqu_a_l_acquisition();
      EXPECT_EQ(moniteur->Entree_mesuree(), entrees[i]);
      EXPECT_EQ(station->mixer.Choix_microphone, attendues[i].microphone);
      EXPECT_EQ(station->mixer.Niveau_voie_gauche, attendues[i].gauche);
      EXPECT_EQ(station->mixer.Niveau_voie_droite, attendues[i].droite);
      EXPECT_EQ(mixer().Valeurs(mux).at(0), attendues[i].item_micro ? 1u : 0u);
      if (tour == 0) {
        EXPECT_EQ(Volume_enregistrement(0), attendues[i].volume_micro);
        EXPECT_EQ(Volume_enregistrement(1), attendues[i].volume_ligne);
      }
      EXPECT_EQ(mixer().Valeurs(haut_parleur), volume_haut_parleur);
      // Recorded 8-bit mono at 11025 Hz into one buffer of 1122 bytes.
      const Format_son& f = station->wave.Format_entree;
      EXPECT_EQ(f.Bits_par_echantillon, 8);
      EXPECT_EQ(f.Voies, 1);
      EXPECT_EQ(f.Echantillons_par_seconde, 11025u);
      ASSERT_NE(station->wave.Entete_entree(), nullptr);
      EXPECT_EQ(station->wave.Entete_entree()->Longueur_tampon, 1122u);
      // The labels fill in order.
      for (int j = 0; j < 3; ++j)
        EXPECT_EQ(moniteur->Affichage(entrees[j]).empty(), tour == 0 && j >= i) << j;
      ASSERT_TRUE(carte().Completer_entree());
      moniteur->Timer1Timer();
      EXPECT_EQ(moniteur->Affichage(entrees[i]), "141 %");
      // The device is closed and the buffer released after each measurement.
      EXPECT_TRUE(Entree_fermee());
      EXPECT_EQ(station->wave.Entete_entree(), nullptr);
    }
  }
  // A new showing starts again from empty labels and the left input.
  moniteur->A_l_activation_de_la_fiche();
  for (Entree_son e : entrees) EXPECT_EQ(moniteur->Affichage(e), "");
  EXPECT_EQ(moniteur->Entree_mesuree(), Entree_son::Ligne_gauche);
  EXPECT_THAT(boite.messages, IsEmpty());
}

TEST_F(AffichePuissanceVoiesTest, NothingIsMeasuredAfterTheButton) {
  carte().Source_generateur(Carre);
  moniteur->A_l_activation_de_la_fiche();
  Mesure();
  Jusqu_a_l_acquisition();  // the right input, recording
  moniteur->Retour_au_menuBoutonClick();
  EXPECT_FALSE(moniteur->Mesure_active);
  EXPECT_FALSE(moniteur->Acquisition_en_cours());
  EXPECT_TRUE(Entree_fermee());
  EXPECT_EQ(station->wave.Entete_entree(), nullptr);
  const uint32_t ecritures = mixer().Ecritures;
  carte().Completer_entree();
  horloge.maintenant += 5s;
  for (int k = 0; k < 100; ++k) moniteur->Timer1Timer();
  EXPECT_EQ(mixer().Ecritures, ecritures);
  EXPECT_EQ(moniteur->Affichage(Entree_son::Ligne_gauche), "141 %");
  EXPECT_EQ(moniteur->Affichage(Entree_son::Ligne_droite), "");
  EXPECT_TRUE(Entree_fermee());
  EXPECT_THAT(boite.messages, IsEmpty());
}

TEST_F(AffichePuissanceVoiesTest, ABufferNotFilledWithinOneSecondShowsNoSoundAndTheCycleGoesOn) {
  moniteur->A_l_activation_de_la_fiche();
  Jusqu_a_l_acquisition();
  horloge.maintenant += 999ms;
  for (int k = 0; k < 10; ++k) moniteur->Timer1Timer();
  EXPECT_TRUE(moniteur->Acquisition_en_cours());
  EXPECT_EQ(moniteur->Affichage(Entree_son::Ligne_gauche), "");
  horloge.maintenant += 1ms;
  moniteur->Timer1Timer();
  EXPECT_EQ(moniteur->Affichage(Entree_son::Ligne_gauche), "No sound from the card");
  EXPECT_TRUE(Entree_fermee());
  EXPECT_EQ(station->wave.Entete_entree(), nullptr);
  // The right input next, with its own second.
  Jusqu_a_l_acquisition();
  EXPECT_EQ(moniteur->Entree_mesuree(), Entree_son::Ligne_droite);
  EXPECT_EQ(station->mixer.Niveau_voie_droite, 60);
  carte().Source_generateur(Carre);
  ASSERT_TRUE(carte().Completer_entree());
  moniteur->Timer1Timer();
  EXPECT_EQ(moniteur->Affichage(Entree_son::Ligne_droite), "141 %");
  EXPECT_THAT(boite.messages, IsEmpty());
}

TEST_F(AffichePuissanceVoiesFrancais, NoSoundInFrench) {
  moniteur->A_l_activation_de_la_fiche();
  Jusqu_a_l_acquisition();
  horloge.maintenant += 1s;
  moniteur->Timer1Timer();
  EXPECT_EQ(Vers_utf8(moniteur->Affichage(Entree_son::Ligne_gauche)), "Pas de son de la carte");
}

TEST_F(AffichePuissanceVoiesTest, ACardThatCannotOpenIsReportedOnceAndMeasuredOncePerSecond) {
  carte().Source_generateur(Carre);
  carte().Definir_occupe(Sens::Entree, true);
  moniteur->A_l_activation_de_la_fiche();
  moniteur->Timer1Timer();
  EXPECT_THAT(boite.En_utf8(), ElementsAre("Erreur ouverture entree son n°:16"));
  EXPECT_EQ(moniteur->Affichage(Entree_son::Ligne_gauche), "No sound from the card");
  EXPECT_EQ(station->wave.Entete_entree(), nullptr);
  // The next attempt waits out the second of the failed one, so that the
  // operator can reach the button between two messages.
  const uint32_t ecritures = mixer().Ecritures;
  horloge.maintenant += 999ms;
  for (int k = 0; k < 10; ++k) moniteur->Timer1Timer();
  EXPECT_EQ(mixer().Ecritures, ecritures);
  EXPECT_EQ(moniteur->Affichage(Entree_son::Ligne_droite), "");
  horloge.maintenant += 1ms;
  moniteur->Timer1Timer();  // the pause ends
  moniteur->Timer1Timer();  // the right input: refused again, silently
  EXPECT_EQ(moniteur->Affichage(Entree_son::Ligne_droite), "No sound from the card");
  EXPECT_EQ(boite.messages.size(), 1u);
  // Once the card opens again it is measured, and a later failure is
  // reported again.
  carte().Definir_occupe(Sens::Entree, false);
  horloge.maintenant += 1s;
  Mesure();
  EXPECT_EQ(moniteur->Affichage(Entree_son::Microphone), "141 %");
  carte().Definir_occupe(Sens::Entree, true);
  moniteur->Timer1Timer();
  EXPECT_EQ(boite.messages.size(), 2u);
}

TEST_F(AffichePuissanceVoiesTest, AStepThatFailsAfterTheOpeningClosesTheDevice) {
  carte().Source_generateur(Carre);
  carte().Injecter_echec(SonSimule::Operation::Ajouter, Sens::Entree, EIO);
  moniteur->A_l_activation_de_la_fiche();
  moniteur->Timer1Timer();
  EXPECT_THAT(boite.En_utf8(), ElementsAre("Erreur préparation buffer éch. n°:5"));
  EXPECT_EQ(moniteur->Affichage(Entree_son::Ligne_gauche), "No sound from the card");
  EXPECT_TRUE(Entree_fermee());
  horloge.maintenant += 1s;
  Mesure();
  EXPECT_EQ(moniteur->Affichage(Entree_son::Ligne_droite), "141 %");
}

TEST_F(AffichePuissanceVoiesTest, ACardUnpluggedWhileRecordingShowsNoSound) {
  carte().Source_generateur(Carre);
  moniteur->A_l_activation_de_la_fiche();
  Jusqu_a_l_acquisition();
  carte().Debrancher(Sens::Entree, ENODEV);
  ASSERT_TRUE(carte().Completer_entree());
  moniteur->Timer1Timer();
  EXPECT_EQ(moniteur->Affichage(Entree_son::Ligne_gauche), "No sound from the card");
  EXPECT_FALSE(moniteur->Acquisition_en_cours());
}

TEST_F(AffichePuissanceVoiesTest, CaptionsInBothLanguages) {
  struct Cas {
    ElementMoniteur element;
    const char* anglais;
    const char* francais;
  };
  const Cas cas[] = {
      {ElementMoniteur::Fenetre, "Level on sound inputs", "Niveau des entrées son"},
      {ElementMoniteur::Retour_au_menuBouton, "Return to the menu", "Retour au menu"},
      {ElementMoniteur::Entree_ligne_gauche, "Line in left channel", "Entrée ligne gauche"},
      {ElementMoniteur::Entree_ligne_droite, "Line in right channel", "Entrée ligne droite"},
      {ElementMoniteur::Entree_micro, "Microphone", "Entrée microphone"},
  };
  for (const Cas& c : cas) {
    station->langue.valeur = 1;
    EXPECT_EQ(Vers_utf8(moniteur->Legende(c.element)), c.anglais);
    station->langue.valeur = 2;
    EXPECT_EQ(Vers_utf8(moniteur->Legende(c.element)), c.francais);
  }
}

TEST_F(AffichePuissanceVoiesTest, ARecordingInProgressIsStoppedWhenTheMonitorGoes) {
  moniteur->A_l_activation_de_la_fiche();
  Jusqu_a_l_acquisition();
  moniteur.reset();
  EXPECT_TRUE(Entree_fermee());
}

}  // namespace
}  // namespace talven
