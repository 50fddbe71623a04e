// The sound devices by stable name: the list built from what ALSA reports,
// the simulated card's devices unplugged and plugged in again, the report of
// a missing device through the wave unit, and the ALSA back-end's presence
// test on a machine without sound hardware.
#include "audio/liste_peripheriques_son.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "audio/fonctions_wave.h"
#include "audio/liste_alsa.h"
#include "audio/son_alsa.h"
#include "audio/son_simule.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

using G = Peripherique_audio::Genre;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct CasListe {
  const char* nom;
  std::vector<std::string> indiques;
  std::vector<Carte_alsa> cartes;
  std::vector<Peripherique_audio> attendu;
};

class ListeAlsa : public ::testing::TestWithParam<CasListe> {};

TEST_P(ListeAlsa, StableNamesInTheirOrder) {
  EXPECT_EQ(Liste_depuis_alsa(GetParam().indiques, GetParam().cartes), GetParam().attendu);
}

const Peripherique_audio Defaut{G::Defaut, "default", {}, true, true};

INSTANTIATE_TEST_SUITE_P(
    Cas, ListeAlsa,
    ::testing::Values(
        // No card, no server: ALSA's default alone, where a program naming no
        // device goes.
        CasListe{"nothing", {}, {}, {Defaut}},
        // The servers when their plugins are listed, in a fixed order whatever
        // the hints' order; the other plugins are not devices to choose.
        CasListe{"servers",
                 {"null", "pulse", "jack", "pipewire", "sysdefault:CARD=PCH", "lavrate"},
                 {},
                 {Defaut, {G::Pipewire, "pipewire", {}, true, true}, {G::Pulse, "pulse", {}, true, true}}},
        // Each card by its id, never its number: the USB interface found first
        // or second keeps its name; a device's directions are kept, one with
        // none is left out, a card's pcm without a name shows the long name.
        CasListe{
            "cards",
            {"pulse"},
            {{"PCH",
              "HDA Intel PCH at 0xf7f10000 irq 32",
              {{0, "ALC3246 Analog", true, true}, {3, "HDMI 0", false, true}, {7, "", false, false}}},
             {"RADIO",
              "Burr-Brown USB Audio CODEC at usb-0000:00:14.0-2, full speed",
              {{0, "", true, true}}}},
            {Defaut,
             {G::Pulse, "pulse", {}, true, true},
             {G::Carte, "plughw:CARD=PCH,DEV=0", "HDA Intel PCH at 0xf7f10000 irq 32: ALC3246 Analog", true,
              true},
             {G::Carte, "plughw:CARD=PCH,DEV=3", "HDA Intel PCH at 0xf7f10000 irq 32: HDMI 0", false, true},
             {G::Carte, "plughw:CARD=RADIO,DEV=0",
              "Burr-Brown USB Audio CODEC at usb-0000:00:14.0-2, full speed", true, true}}},
        CasListe{"card_without_long_name",
                 {},
                 {{"Loopback", "", {{1, "Loopback PCM", true, true}}}},
                 {Defaut, {G::Carte, "plughw:CARD=Loopback,DEV=1", "Loopback: Loopback PCM", true, true}}}),
    [](const auto& cas) { return std::string(cas.param.nom); });

// The mixer of a card's PCM is on the card's control device: the PCM names
// are not control names, so the mixer would not open with them.
TEST(ListeAlsa, MixerOfADeviceIsItsCardsControl) {
  const std::pair<const char*, const char*> cas[] = {
      {"plughw:CARD=RADIO,DEV=0", "hw:CARD=RADIO"},
      {"hw:CARD=USB,DEV=1", "hw:CARD=USB"},
      {"plughw:DEV=2,CARD=PCH", "hw:CARD=PCH"},
      {"hw:1,0", "hw:CARD=1"},
      {"plughw:Device", "hw:CARD=Device"},
      {"plughw:DEV=0", "hw"},
      {"default", "default"},
      {"pulse", "pulse"},
      {"pipewire", "pipewire"},
  };
  for (const auto& [pcm, controle] : cas) EXPECT_EQ(Nom_mixer(pcm), controle) << pcm;
}

TEST(ListeAlsa, MissingMeansNoSuchDeviceOrName) {
  for (int code : {ENODEV, -ENODEV, ENOENT, -ENOENT}) EXPECT_TRUE(Code_absence(code)) << code;
  for (int code : {0, EBUSY, -EBUSY, EINVAL, EIO, ECONNREFUSED}) EXPECT_FALSE(Code_absence(code)) << code;
}

TEST(ListeAlsa, TheReportNamesTheDeviceAndWhatToDoInBothLanguages) {
  const std::string nom = "plughw:CARD=RADIO,DEV=0";
  EXPECT_EQ(Vers_utf8(Message_peripherique_absent(nom, Langue{1})),
            "The sound card \"plughw:CARD=RADIO,DEV=0\" is not connected, and no other card is used in its "
            "place. Plug it in and try again, or choose another card in the \"Sound card\" menu.");
  EXPECT_EQ(
      Vers_utf8(Message_peripherique_absent(nom, Langue{2})),
      "La carte son \"plughw:CARD=RADIO,DEV=0\" n'est pas branchée, et aucune autre carte n'est utilisée "
      "à sa place. Branchez-la et recommencez, ou choisissez une autre carte dans le menu \"Carte son\".");
}

const Peripherique_audio Radio{G::Carte, "plughw:CARD=RADIO,DEV=0", "USB Audio CODEC", true, true};

Format_son Format_8_bits() {
  Format_son f;
  f.Format = 1;
  f.Voies = 1;
  f.Echantillons_par_seconde = 11025;
  f.Octets_par_seconde = 11025;
  f.Alignement_bloc = 1;
  f.Bits_par_echantillon = 8;
  return f;
}

// The chosen device unplugged: absent from the list, no device counted,
// every open refused with Son_absent and asked of that device alone; an
// open stream is lost; plugged in again, the next open finds it.
TEST(SonSimuleNomme, UnpluggedThenPluggedInAgain) {
  SonSimule carte;
  carte.Ajout_peripherique(Radio);
  carte.Choix_nom(Radio.Nom);
  EXPECT_EQ(carte.Presence(), Son_ok);
  EXPECT_EQ(carte.Peripheriques(), (std::vector<Peripherique_audio>{Defaut, Radio}));
  ASSERT_EQ(carte.Ouvrir(Sens::Sortie, Format_8_bits()), Son_ok);

  carte.Debranchement(Radio.Nom);
  EXPECT_EQ(carte.Perte(Sens::Sortie), Son_absent);
  EXPECT_EQ(carte.Fermer(Sens::Sortie), Son_ok);
  EXPECT_EQ(carte.Presence(), Son_absent);
  EXPECT_EQ(carte.Peripheriques(), std::vector<Peripherique_audio>{Defaut});
  EXPECT_EQ(carte.Nombre_peripheriques(Sens::Entree), 0u);
  EXPECT_EQ(carte.Nombre_peripheriques(Sens::Sortie), 0u);
  uint32_t formats = 0;
  EXPECT_EQ(carte.Capacites(Sens::Entree, formats), Son_absent);
  EXPECT_EQ(carte.Ouvrir(Sens::Entree, Format_8_bits()), Son_absent);
  EXPECT_EQ(carte.Ouvrir(Sens::Sortie, Format_8_bits()), Son_absent);
  EXPECT_EQ(carte.Nom(), Radio.Nom);

  carte.Branchement(Radio.Nom);
  EXPECT_EQ(carte.Presence(), Son_ok);
  EXPECT_EQ(carte.Ouvrir(Sens::Sortie, Format_8_bits()), Son_ok);
  EXPECT_EQ(carte.Perte(Sens::Sortie), 0u);
  EXPECT_THAT(carte.Noms_ouverts(), Each(Radio.Nom));
  EXPECT_EQ(carte.Noms_ouverts().size(), 4u);
}

TEST(SonSimuleNomme, UnpluggingAnotherDeviceLeavesTheChosenOneAlone) {
  SonSimule carte;
  carte.Ajout_peripherique(Radio);
  ASSERT_EQ(carte.Ouvrir(Sens::Entree, Format_8_bits()), Son_ok);
  carte.Debranchement(Radio.Nom);
  EXPECT_EQ(carte.Perte(Sens::Entree), 0u);
  EXPECT_EQ(carte.Presence(), Son_ok);
  // A name no device has is missing as well.
  carte.Choix_nom("plughw:CARD=NONE,DEV=0");
  EXPECT_EQ(carte.Presence(), Son_absent);
}

// The wave unit reports a missing device by its name when it has the
// message for it, the French text and its code otherwise, and nothing while
// its open reports are off.
TEST(SonSimuleNomme, TheWaveUnitNamesTheMissingDevice) {
  SonSimule carte;
  carte.Choix_nom(Radio.Nom);
  test::Boite_messages_enregistreuse boite;
  FonctionsWave wave(carte, boite);
  wave.Affichage_erreurs_son = 0;
  EXPECT_EQ(wave.Ouverture_entree_son(1, 11025, 0), 1);
  EXPECT_THAT(boite.messages, IsEmpty());
  wave.Affichage_erreurs_son = 1;
  EXPECT_EQ(wave.Ouverture_sortie_son(1, 11025), 1);
  EXPECT_THAT(boite.En_utf8(), ElementsAre("Erreur ouverture sortie son n°:19"));
  wave.Message_absence = [](const std::string& nom) { return Message_peripherique_absent(nom, Langue{1}); };
  EXPECT_EQ(wave.Ouverture_entree_son(1, 11025, 0), 1);
  EXPECT_EQ(boite.messages.back(), Message_peripherique_absent(Radio.Nom, Langue{1}));
  // Another failure keeps its code.
  carte.Choix_nom("default");
  carte.Definir_occupe(Sens::Sortie, true);
  EXPECT_EQ(wave.Ouverture_sortie_son(1, 11025), 1);
  EXPECT_EQ(Vers_utf8(boite.messages.back()), "Erreur ouverture sortie son n°:16");
}

// The ALSA back-end on a machine without sound hardware: a card id that no
// card has is missing, and so is a PCM name nothing defines; a defined PCM
// is there. Asked again after the name changes, it opens the new one.
TEST(SonAlsa, PresenceOfTheChosenDeviceOnly) {
  SonAlsa alsa("plughw:CARD=TALVENABSENTE,DEV=0", "pcm.talven_nul { type null }");
  EXPECT_EQ(alsa.Presence(), Son_absent);
  EXPECT_EQ(alsa.Nombre_peripheriques(Sens::Sortie), 0u);
  alsa.Choix_nom("talven_inconnu");
  EXPECT_EQ(alsa.Presence(), Son_absent);
  alsa.Choix_nom("talven_nul");
  EXPECT_EQ(alsa.Nom(), "talven_nul");
  EXPECT_EQ(alsa.Presence(), Son_ok);
  // ALSA's default is routing, never "unplugged": without a card it is the
  // device counts that say there is none.
  alsa.Choix_nom("default");
  EXPECT_EQ(alsa.Presence(), Son_ok);
  // The enumeration on the real library: without a card, the default first.
  const std::vector<Peripherique_audio> liste = Liste_alsa().Peripheriques();
  ASSERT_FALSE(liste.empty());
  EXPECT_EQ(liste.front(), Defaut);
}

}  // namespace
}  // namespace talven
