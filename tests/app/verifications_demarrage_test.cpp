#include "app/verifications_demarrage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "audio/mixer_alsa.h"
#include "audio/mixer_listing.h"
#include "audio/mixer_simule.h"
#include "audio/son_simule.h"

namespace talven {
namespace {

// One journal for the beeps, the message boxes and the status line, so the
// order of what the operator hears and sees is checked.
struct Journal {
  std::vector<std::string> lignes;
};

class Boite_journal final : public Boite_messages {
 public:
  explicit Boite_journal(Journal& j) : j_(j) {}
  void Message(VueTexte texte) override { j_.lignes.push_back("message: " + Vers_utf8(texte)); }

 private:
  Journal& j_;
};

class Ligne_etat_journal final : public Ligne_etat {
 public:
  explicit Ligne_etat_journal(Journal& j) : j_(j) {}
  void Label1(VueTexte texte) override { j_.lignes.push_back("Label1: " + Vers_utf8(texte)); }

 private:
  Journal& j_;
};

// The beep as heard: tone, wait, silence.
class Haut_parleur_journal final : public Haut_parleur {
 public:
  explicit Haut_parleur_journal(Journal& j) : j_(j) {}
  void Tonalite(int32_t hertz) override { j_.lignes.push_back("tone " + std::to_string(hertz) + " Hz"); }
  void Silence() override { j_.lignes.push_back("silence"); }

 private:
  Journal& j_;
};

class Horloge_journal final : public Horloge {
 public:
  explicit Horloge_journal(Journal& j) : j_(j) {}
  void Attente(std::chrono::milliseconds duree) override {
    j_.lignes.push_back("wait " + std::to_string(duree.count()) + " ms");
  }

 private:
  Journal& j_;
};

// A simulated card, a simulated mixer and the checks wired to one journal.
struct Banc {
  Journal journal;
  Boite_journal boite{journal};
  Ligne_etat_journal ligne_etat{journal};
  SonSimule son;
  FonctionsWave wave{son, boite};
  MixerSimule mixer_simule;
  FonctionsMixer mixer{&mixer_simule};
  Haut_parleur_journal haut_parleur{journal};
  Horloge_journal horloge{journal};
  FonctionsPascal pascal{&haut_parleur, &horloge};
  Langue langue{0};
  VerificationsDemarrage v{wave, mixer, pascal, boite, ligne_etat, langue};
};

const std::vector<std::string> Bip{"tone 1000 Hz", "wait 300 ms", "silence"};

// The warning beep, then one report.
std::vector<std::string> Bip_puis(const std::string& rapport) {
  std::vector<std::string> j = Bip;
  j.push_back(rapport);
  return j;
}

TEST(VerificationsDemarrage, SoundCardCheckOutcomes) {
  struct Cas {
    const char* nom;
    uint32_t entrees, formats_entree, sorties, formats_sortie;
    uint8_t langue;
    bool utilisable;
    const char* message;  // nullptr: none
  };
  const Cas cas[] = {
      {"no input device", 0, Format_1M08, 1, Format_1M08, 0, false,
       "Fonctionnement impossible car il n'y a pas de carte son."},
      {"no output device", 1, Format_1M08, 0, Format_1M08, 1, false,
       "Impossible working because there is no sound card."},
      {"no direction offers the format", 1, 0xFFE, 1, 0xFFE, 0, false,
       "Fonctionnement impossible car le format minimum requis pour la carte son n'est pas disponible."},
      {"English format text", 1, 0, 1, 0, 1, false,
       "Impossible working because the minimum format required for the sound card is not available."},
      {"output-only format passes", 1, 0xFFE, 1, Format_1M08, 0, true, nullptr},
      {"input-only format passes", 1, Format_1M08, 1, 0, 0, true, nullptr},
  };
  for (const Cas& k : cas) {
    SCOPED_TRACE(k.nom);
    Banc b;
    b.langue.valeur = k.langue;
    b.son.Definir_peripheriques(Sens::Entree, k.entrees, k.formats_entree);
    b.son.Definir_peripheriques(Sens::Sortie, k.sorties, k.formats_sortie);
    EXPECT_EQ(b.v.Verification_carte_son(), k.utilisable);
    const std::vector<std::string> attendu =
        k.message ? Bip_puis(std::string("message: ") + k.message) : std::vector<std::string>{};
    EXPECT_EQ(b.journal.lignes, attendu);
    EXPECT_EQ(b.wave.Affichage_erreurs_son, 1);
  }
}

TEST(VerificationsDemarrage, AvailabilityOutcomesAndTheirFrenchTexts) {
  struct Cas {
    const char* nom;
    uint32_t entrees, formats;
    bool entree_occupee, sortie_occupee;
    bool utilisable;
    const char* message;
  };
  const Cas cas[] = {
      {"no card", 0, Format_1M08, false, false, false,
       "Fonctionnement impossible car il n'y a pas de carte son"},
      {"no format", 1, 0, false, false, false,
       "Fonctionnement impossible car format minimum non disponible."},
      {"input held by another program", 1, Format_1M08, true, false, false,
       "Fonctionnement impossible car entrée carte son utilisée par une autre application."},
      {"output held by another program", 1, Format_1M08, false, true, false,
       "Fonctionnement impossible car sortie carte son utilisée par une autre application."},
      {"both free", 1, Format_1M08, false, false, true, nullptr},
  };
  for (const Cas& k : cas) {
    SCOPED_TRACE(k.nom);
    Banc b;
    b.son.Definir_peripheriques(Sens::Entree, k.entrees, k.formats);
    b.son.Definir_peripheriques(Sens::Sortie, 1, k.formats);
    b.son.Definir_occupe(Sens::Entree, k.entree_occupee);
    b.son.Definir_occupe(Sens::Sortie, k.sortie_occupee);
    EXPECT_EQ(b.v.Disponibilite_carte_son(), k.utilisable);
    // Only the check's own text: the wave unit's open messages stay silent.
    const std::vector<std::string> attendu =
        k.message ? Bip_puis(std::string("message: ") + k.message) : std::vector<std::string>{};
    EXPECT_EQ(b.journal.lignes, attendu);
    EXPECT_EQ(b.wave.Affichage_erreurs_son, 1);
    // Whatever the outcome, both directions were closed again.
    if (k.entrees == 0 || k.formats == 0) continue;
    b.son.Definir_occupe(Sens::Entree, false);
    b.son.Definir_occupe(Sens::Sortie, false);
    EXPECT_EQ(b.wave.Ouverture_entree_son(1, 11025, 0), 0);
    EXPECT_EQ(b.wave.Ouverture_sortie_son(1, 11025), 0);
  }
}

TEST(VerificationsDemarrage, AvailabilityEnglishTexts) {
  Banc b;
  b.langue.valeur = 1;
  b.son.Definir_occupe(Sens::Entree, true);
  EXPECT_FALSE(b.v.Disponibilite_carte_son());
  b.son.Definir_occupe(Sens::Entree, false);
  b.son.Definir_occupe(Sens::Sortie, true);
  EXPECT_FALSE(b.v.Disponibilite_carte_son());
  std::vector<std::string> attendu = Bip_puis(
      "message: Impossible working because the Line in of the sound card is yet used by another "
      "application.");
  for (const std::string& l : Bip_puis(
           "message: Impossible working because the speaker out of the sound card is yet used by another "
           "application."))
    attendu.push_back(l);
  EXPECT_EQ(b.journal.lignes, attendu);
}

// Builds a mixer with every element, then removes the ones named.
struct Topologie {
  bool enregistrement = true, haut_parleurs = true, wave = true, selection = true, restitution = true,
       volume_source = true;
};

void Construction(MixerSimule& m, const Topologie& t) {
  if (t.haut_parleurs) {
    const uint32_t hp = m.Destination(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, "Master");
    m.Controle(hp, MIXERCONTROL_CONTROLTYPE_VOLUME);
    if (t.wave)
      m.Controle(m.Source(hp, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, "PCM"), MIXERCONTROL_CONTROLTYPE_VOLUME);
    if (t.restitution)
      m.Controle(m.Source(hp, MIXERLINE_COMPONENTTYPE_SRC_LINE, "Line"), MIXERCONTROL_CONTROLTYPE_MUTE, 0, 1);
  }
  if (t.enregistrement) {
    const uint32_t rec = m.Destination(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, "Capture");
    // Without a line in the playback mix, the recording item is an analog
    // "Line", so that no line-input line exists anywhere on the card.
    const uint32_t type_source = !t.selection    ? MIXERLINE_COMPONENTTYPE_SRC_ANALOG
                                 : t.restitution ? MIXERLINE_COMPONENTTYPE_SRC_LINE
                                                 : MIXERLINE_COMPONENTTYPE_SRC_ANALOG;
    const uint32_t source = m.Source(rec, type_source, t.selection ? "Line" : "CD");
    if (t.volume_source) m.Controle(source, MIXERCONTROL_CONTROLTYPE_VOLUME);
    m.Selecteur(rec, MIXERCONTROL_CONTROLTYPE_MUX, {source});
  }
}

TEST(VerificationsDemarrage, MixerCheckShowsTheFirstMissingElementAfterTheBeep) {
  struct Cas {
    const char* nom;
    bool mixer;
    Topologie topologie;
    uint8_t langue;
    const char* label;  // nullptr: status line untouched
  };
  Topologie sans_enregistrement, sans_hp, sans_wave, sans_selection, sans_restitution, sans_volume;
  sans_enregistrement.enregistrement = false;
  sans_hp.haut_parleurs = false;
  sans_wave.wave = false;
  sans_selection.selection = false;
  sans_restitution.restitution = false;
  sans_volume.volume_source = false;
  const Cas cas[] = {
      {"no mixer", false, {}, 0, "Pas de mixer trouvé!"},
      {"no mixer, English", false, {}, 1, "No mixer found!"},
      {"no recording destination", true, sans_enregistrement, 1, "Mixer problem. No record control found!"},
      {"no speaker destination", true, sans_hp, 0, "Problème mixer. Pas de contrôle du volume trouvé!"},
      {"no wave output", true, sans_wave, 0, "Problème mixer. Pas d'entrée son (wave) trouvée!"},
      {"no line for recording", true, sans_selection, 0,
       "Problème mixer. Pas d'entrée ligne en enregistrement trouvée!"},
      {"no line in the playback mix", true, sans_restitution, 1,
       "Mixer problem. No sound input in forward mode found!"},
      {"only the record level missing", true, sans_volume, 0,
       "Problème mixer. Pas de possibilité de régler le niveau d'enregistrement!"},
      {"only the record level missing, English", true, sans_volume, 1,
       "Mixer problem. No capacity to adjust record level!"},
      {"complete mixer", true, {}, 0, nullptr},
  };
  for (const Cas& k : cas) {
    SCOPED_TRACE(k.nom);
    Banc b;
    b.langue.valeur = k.langue;
    b.mixer_simule.Present = k.mixer;
    Construction(b.mixer_simule, k.topologie);
    b.v.Verification_mixer();
    const std::vector<std::string> attendu =
        k.label ? Bip_puis(std::string("Label1: ") + k.label) : std::vector<std::string>{};
    EXPECT_EQ(b.journal.lignes, attendu);
  }
}

// The mixer check on the ALSA mapping of real cards' listings
// (tests/audio/amixer): a sound server's default device and the USB and
// on-board cards map whole, so the status line stays as it was, with either
// input; a card that cannot record still gets its message.
TEST(VerificationsDemarrage, MixerCheckOnCommonCards) {
  struct Cas {
    const char* fichier;
    bool micro;
    uint8_t langue;
    const char* label;  // nullptr: status line untouched
  };
  const Cas cas[] = {
      {"pipewire_default.txt", false, 1, nullptr},
      {"pipewire_default.txt", true, 1, nullptr},
      {"pulseaudio_default.txt", false, 1, nullptr},
      {"pulseaudio_default.txt", true, 0, nullptr},
      {"usb_cm108.txt", false, 1, nullptr},
      {"usb_cm108.txt", true, 1, nullptr},
      {"usb_alc4080.txt", false, 1, nullptr},
      {"hda_input_source.txt", false, 1, nullptr},
      {"hda_input_source.txt", true, 1, nullptr},
      {"hda_pcm_mic.txt", false, 1, nullptr},
      {"iec958_seulement.txt", false, 1, "Mixer problem. No record control found!"},
      {"iec958_seulement.txt", true, 0, "Problème mixer. Pas de contrôle de l'enregistrement trouvé!"},
  };
  for (const Cas& k : cas) {
    SCOPED_TRACE(k.fichier);
    std::ifstream f(std::string(TALVEN_LISTINGS_AMIXER) + "/" + k.fichier);
    ASSERT_TRUE(f.good());
    std::stringstream listing;
    listing << f.rdbuf();
    MixerAlsa alsa(std::make_unique<Elements_listing>(listing.str()));
    Banc b;
    b.langue.valeur = k.langue;
    FonctionsMixer mixer(&alsa);
    mixer.Choix_microphone = k.micro;
    VerificationsDemarrage v{b.wave, mixer, b.pascal, b.boite, b.ligne_etat, b.langue};
    v.Verification_mixer();
    const std::vector<std::string> attendu =
        k.label ? Bip_puis(std::string("Label1: ") + k.label) : std::vector<std::string>{};
    EXPECT_EQ(b.journal.lignes, attendu);
  }
}

TEST(VerificationsDemarrage, MixerCheckUsesTheTestLevels) {
  Banc b;
  const uint32_t hp = b.mixer_simule.Destination(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, "Master");
  const uint32_t volume_hp = b.mixer_simule.Controle(hp, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, 7);
  const uint32_t gain_hp = b.mixer_simule.Controle(hp, MIXERCONTROL_CONTROLTYPE_UNSIGNED, 0, 65535, 7);
  b.mixer.Volume_haut_parleur = 90;
  b.mixer.Gain_sortie_carte = 50;
  b.v.Verification_mixer();
  EXPECT_EQ(b.mixer_simule.Valeurs(volume_hp), (std::vector<uint32_t>{13107, 13107}));
  EXPECT_EQ(b.mixer_simule.Valeurs(gain_hp), (std::vector<uint32_t>{0, 0}));
}

TEST(VerificationsDemarrage, MixerCheckWithUserAdjustmentDoesNothing) {
  Banc b;
  b.mixer_simule.Present = false;
  b.mixer.Reglage_logiciel = false;
  b.v.Verification_mixer();
  EXPECT_TRUE(b.journal.lignes.empty());
  EXPECT_EQ(b.mixer_simule.Ecritures, 0u);
}

}  // namespace
}  // namespace talven
