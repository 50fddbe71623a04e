// The main window's model over a station with the simulated card (stepped
// one buffer at a time, playing into memory), the simulated mixer and the
// simulated serial port, its files in a temporary directory, and a view
// that records every caption, hint, status line, big label and window it is
// asked for.
#include "app/fiche_principale/fiche_principale.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/files/disque_de_test.h"
#include "tests/support/acces_unites.h"
#include "tests/support/boite_messages_enregistreuse.h"
#include "tests/support/variable_environnement.h"

namespace talven {
namespace {

using E = ElementMenu;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Bound on the buffers a Morse drive plays, so that a fault fails the test
// instead of hanging it.
constexpr int Tampons_max = 400;

const std::string Titre_anglais = "THE TALVEN DIGITAL TRANSCEIVER - VERSION 1.0 of the 10th of october 2001";
const std::string Titre_francais = "L'EMETTEUR-RECEPTEUR TALVEN INFORMATIQUE - VERSION 1.0 du 10/10/2001";

// A configuration record from its byte values.
std::string Octets(std::initializer_list<int> valeurs) {
  std::string s;
  for (int v : valeurs) s += static_cast<char>(v);
  return s;
}

// English, x 0.4, "/ 2", class 2, no serial port, left line, software
// adjustment: every choice of the menu table below is a change from here.
const std::string Depart = Octets({1, 40, 2, 2, 5, 1, 1});

// Everything the model shows, texts in UTF-8.
class VueEnregistreuse final : public VueFichePrincipale {
 public:
  void Label1(VueTexte texte) override { label1.push_back(Vers_utf8(texte)); }
  void Legende_menu(ElementMenu e, VueTexte legende) override {
    legendes[static_cast<size_t>(e)] = Vers_utf8(legende);
  }
  void Bulle_menu(ElementMenu e, VueTexte bulle) override {
    bulles[static_cast<size_t>(e)] = Vers_utf8(bulle);
  }
  void Legende_fenetre(VueTexte legende) override { fenetre = Vers_utf8(legende); }
  void Fenetre_transceiver() override { Modale("transceiver", pendant_transceiver); }
  void Fenetre_editeur_sequence(VueTexte fichier) override { Modale("editor " + Vers_utf8(fichier), {}); }
  void Fenetre_visionneuse_qso() override { Modale("qso viewer", {}); }
  void Fenetre_a_propos() override { Modale("about", {}); }
  void Fenetre_moniteur_niveau() override { Modale("level monitor", pendant_moniteur); }
  void Label2(VueTexte texte) override { label2.push_back(Vers_utf8(texte)); }
  void Debut_emission_morse() override { ++debuts_morse; }
  void Aide(const Langue& langue) override { modales.push_back("help " + std::to_string(langue.valeur)); }
  void Fermeture() override { ++fermetures; }

  const std::string& Legende(ElementMenu e) const { return legendes[static_cast<size_t>(e)]; }
  const std::string& Bulle(ElementMenu e) const { return bulles[static_cast<size_t>(e)]; }

  std::array<std::string, Nombre_elements_menu> legendes;
  std::array<std::string, Nombre_elements_menu> bulles;
  std::string fenetre;
  std::vector<std::string> label1;  // every text, in order
  std::vector<std::string> label2;  // every text, in order ("" hides it)
  std::vector<std::string> modales;
  int debuts_morse = 0;
  int fermetures = 0;
  // Run while that window is open.
  std::function<void()> pendant_transceiver;
  std::function<void()> pendant_moniteur;

 private:
  void Modale(const std::string& nom, const std::function<void()>& pendant) {
    modales.push_back(nom);
    if (pendant) pendant();
  }
};

// A station over the simulated devices and a temporary directory, and the
// model with its recording view and screen saver.
struct Banc {
  // `peripherique`: the chosen sound device, "default" when not given.
  explicit Banc(std::optional<std::string> peripherique = std::nullopt) {
    Parametres_station p;
    p.peripherique = std::move(peripherique);
    p.mixer = Parametres_station::Mixer::Simule;
    p.repertoire = rep.Chemin();
    p.ports = Correspondance_ports{};
    station = std::make_unique<Station>(p, boite);
    // A busy port's holder is not looked for among this machine's processes.
    station->manipulation.Racine_proc = "/talven-no-proc";
    carte().Sortie_memoire();
    fiche = std::make_unique<FichePrincipale>(*station, economiseur, vue);
  }
  ~Banc() {
    fiche.reset();
    station.reset();
  }

  // Starts over `configuration` as CONFPSER.SER, the eight sequences
  // present: nothing to report. Forgets the start's status lines.
  void Demarrage(const std::string& configuration = Depart) {
    rep.Ecrire("CONFPSER.SER", configuration);
    for (int n = 1; n <= 8; ++n) rep.Ecrire(ConfigurationSequences::Nom_fichier_sequence(n), "");
    EXPECT_TRUE(fiche->A_la_creation_de_la_fiche());
    EXPECT_THAT(boite.En_utf8(), IsEmpty());
    vue.label1.clear();
  }

  SonSimule& carte() { return *station->Carte_simulee(); }
  MixerSimule& mixer() { return *station->Mixer_simule(); }
  Serie_simulee& serie() { return *station->Serie_simulee_(); }
  ControleGain& gain() { return AccesUnites(station->moteur).gain; }
  const std::string& L(ElementMenu e) const { return vue.Legende(e); }
  std::string Configuration_disque() const { return rep.Lire("CONFPSER.SER").value_or("(none)"); }

  // The values of the volume control of a line: the first line of
  // `type_ligne`, or source `source` of it when it is a destination.
  std::vector<uint32_t> Volume(uint32_t type_ligne, int source = -1) {
    Ligne_mixer ligne;
    std::vector<Controle_mixer> controles;
    EXPECT_EQ(mixer().Ligne_par_type(type_ligne, ligne), MMSYSERR_NOERROR);
    if (source >= 0) {
      EXPECT_EQ(mixer().Ligne_par_indices(ligne.Destination, static_cast<uint32_t>(source), ligne),
                MMSYSERR_NOERROR);
    }
    EXPECT_EQ(mixer().Controles(ligne.Identifiant, controles), MMSYSERR_NOERROR);
    for (const Controle_mixer& c : controles)
      if (c.Type == MIXERCONTROL_CONTROLTYPE_VOLUME) return mixer().Valeurs(c.Identifiant);
    ADD_FAILURE() << "no volume";
    return {};
  }
  // The items of the recording source selector (1: selected).
  std::vector<uint32_t> Selecteur_enregistrement() {
    Ligne_mixer ligne;
    std::vector<Controle_mixer> controles;
    EXPECT_EQ(mixer().Ligne_par_type(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, ligne), MMSYSERR_NOERROR);
    EXPECT_EQ(mixer().Controles(ligne.Identifiant, controles), MMSYSERR_NOERROR);
    for (const Controle_mixer& c : controles)
      if (c.Type == MIXERCONTROL_CONTROLTYPE_MUX) return mixer().Valeurs(c.Identifiant);
    ADD_FAILURE() << "no selector";
    return {};
  }
  // Recording volume (left, right) of the line input.
  std::vector<uint32_t> Volume_enregistrement_ligne() {
    return Volume(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, 1);
  }

  // Drives a Morse sending as the window does until `Pas_morse` says it is
  // over, the card playing a buffer whenever the sending waits for it;
  // `en_attente(n)` runs each time it waits, n buffers played so far.
  int Envoi_morse(const std::function<void(int)>& en_attente = {}) {
    int joues = 0;
    while (fiche->Pas_morse()) {
      if (fiche->morse.Tampon_servi) continue;
      if (en_attente) en_attente(joues);
      if (joues == Tampons_max || !carte().Completer_sortie()) {
        ADD_FAILURE() << "the sending does not end";
        break;
      }
      ++joues;
    }
    return joues;
  }
  // Whether DTR and RTS are both up now (the transmitter keyed).
  bool Emetteur_manipule() {
    const auto& j = serie().Journal;
    return !j.empty() && j.back().dtr && j.back().rts;
  }

  test::Repertoire_temporaire rep;
  test::Boite_messages_enregistreuse boite;
  Economiseur_enregistreur economiseur;
  VueEnregistreuse vue;
  std::unique_ptr<Station> station;
  std::unique_ptr<FichePrincipale> fiche;
};

// First run in a directory without CONFPSER.SER: the one message is French
// (no language is known yet), the defaults are written, and the menu comes
// up in English with the defaults marked.
TEST(FichePrincipale, FirstStartWritesTheDefaultsAfterAFrenchMessage) {
  Banc b;
  ASSERT_TRUE(b.fiche->A_la_creation_de_la_fiche());
  const std::vector<std::string> messages = b.boite.En_utf8();
  ASSERT_EQ(messages.size(), 9u);
  EXPECT_EQ(messages[0],
            "Pas de présence du fichier de configuration CONFPSER.SER, donc paramètres par défaut.");
  EXPECT_EQ(messages[1], "No presence of the file F13.SER, so reinitialization of this file.");
  EXPECT_EQ(messages[8], "No presence of the file F20.SER, so reinitialization of this file.");
  EXPECT_EQ(b.Configuration_disque(), Octets({1, 120, 1, 2, 5, 1, 1}));
  EXPECT_EQ(b.rep.Lire("F20.SER"), "");

  EXPECT_EQ(b.vue.fenetre, Titre_anglais);
  EXPECT_EQ(b.L(E::Abandon), "&Exit");
  EXPECT_EQ(b.L(E::English1), "English...selected");
  EXPECT_EQ(b.L(E::Francais1), "Français");
  EXPECT_EQ(b.L(E::Aucun_port_serie), "None...selected");
  EXPECT_EQ(b.L(E::Software_adjustment), "Software adjustment...selected");
  EXPECT_EQ(b.L(E::Entree_Gauche), "Line in left channel...selected");
  EXPECT_EQ(b.L(E::AGC), "AGC (Auto)...selected");
  EXPECT_EQ(b.L(E::DIV1), "/ 1...selected");
  EXPECT_EQ(b.L(E::x1), "x 1");
  EXPECT_EQ(
      b.vue.Bulle(E::Portserie),
      "Selection of the serial port on which the DTR/RQS pins are activated (in case of no VOX available)");
  EXPECT_TRUE(b.fiche->CAG_active);
  EXPECT_EQ(b.station->moteur.Classe_processeur, 2);
  EXPECT_FALSE(b.station->moteur.Boucle_active);
  EXPECT_THAT(b.vue.label1, IsEmpty()) << "the simulated mixer has every control";
}

// A saved configuration is read back without a message and applied.
TEST(FichePrincipale, StartAppliesTheSavedConfiguration) {
  Banc b;
  b.Demarrage(Octets({2, 80, 10, 1, 4, 2, 2}));
  EXPECT_EQ(b.vue.fenetre, Titre_francais);
  EXPECT_EQ(b.L(E::x0_8), "x 0.8...choisi");
  EXPECT_EQ(b.L(E::DIV256), "/ 256...choisi");
  EXPECT_EQ(b.L(E::COM4), "COM 4...choisi");
  EXPECT_EQ(b.L(E::Entree_Droite), "Entrée ligne droite...choisie");
  EXPECT_EQ(b.L(E::User_adjustment), "Réglage par l'utilisateur...choisi");
  EXPECT_EQ(b.fiche->Gain_choisi, 80);
  EXPECT_EQ(b.station->moteur.Classe_processeur, 1);
  EXPECT_EQ(b.fiche->Classe_processeur_sauvee, 1);
  EXPECT_EQ(b.station->manipulation.Adresse_MCR, 0x2EC);
  EXPECT_FALSE(b.station->mixer.Reglage_logiciel);
  EXPECT_EQ(b.mixer().Ecritures, 0u) << "user adjustment: the mixer is the operator's";
}

// --- The settings menus: each click writes its byte, applies it at once
// and saves the whole record ---

struct CasMenu {
  const char* nom;
  std::function<void(FichePrincipale&)> clic;
  int octet;  // the byte of CONFPSER.SER it sets, 1..7
  int valeur;
  std::function<void(Banc&)> effet;
};

void PrintTo(const CasMenu& c, std::ostream* os) {
  *os << c.nom;
}

class FichePrincipaleMenu : public ::testing::TestWithParam<CasMenu> {};

TEST_P(FichePrincipaleMenu, ClickAppliesAndSavesItsByte) {
  const CasMenu& c = GetParam();
  Banc b;
  b.Demarrage();
  c.clic(*b.fiche);
  std::string attendu = Depart;
  attendu[static_cast<size_t>(c.octet - 1)] = static_cast<char>(c.valeur);
  EXPECT_EQ(b.Configuration_disque(), attendu);
  c.effet(b);
  EXPECT_THAT(b.boite.En_utf8(), IsEmpty());
}

const CasMenu Cas_menu[] = {
    {"x0_6", [](FichePrincipale& f) { f.Niveau_entreeClick(60); }, 2, 60,
     [](Banc& b) {
       EXPECT_EQ(b.fiche->Gain_choisi, 60);
       EXPECT_FALSE(b.fiche->CAG_active);
       EXPECT_EQ(b.gain().Gain_choisi, 60) << "the engine's gain control";
       EXPECT_FALSE(b.gain().CAG_active);
       EXPECT_EQ(b.L(E::x0_6), "x 0.6...selected");
       EXPECT_EQ(b.L(E::x0_4), "x 0.4");
       EXPECT_THAT(b.Volume_enregistrement_ligne(), ElementsAre(39321u, 0u));  // 60 % left
     }},
    {"AGC", [](FichePrincipale& f) { f.Niveau_entreeClick(FichePrincipale::Octet_cag); }, 2, 120,
     [](Banc& b) {
       EXPECT_EQ(b.fiche->Gain_choisi, 100);
       EXPECT_TRUE(b.fiche->CAG_active);
       EXPECT_EQ(b.gain().Gain_choisi, 100);
       EXPECT_TRUE(b.gain().CAG_active);
       EXPECT_EQ(b.L(E::AGC), "AGC (Auto)...selected");
       EXPECT_EQ(b.L(E::x1), "x 1");
       EXPECT_THAT(b.Volume_enregistrement_ligne(), ElementsAre(65535u, 0u));
     }},
    {"DIV128", [](FichePrincipale& f) { f.Niveau_sortieClick(9); }, 3, 9,
     [](Banc& b) {
       EXPECT_EQ(b.station->mixer.Volume_haut_parleur, 8);
       EXPECT_EQ(b.station->mixer.Volume_wave, 27);
       EXPECT_THAT(b.Volume(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS), ElementsAre(5242u, 5242u));
       EXPECT_THAT(b.Volume(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT), ElementsAre(17694u, 17694u));
       EXPECT_EQ(b.L(E::DIV128), "/ 128...selected");
       EXPECT_EQ(b.L(E::DIV2), "/ 2");
     }},
    {"Entree_Droite", [](FichePrincipale& f) { f.Entree_DroiteClick(); }, 6, 2,
     [](Banc& b) {
       EXPECT_TRUE(b.fiche->Choix_entree_droite);
       EXPECT_FALSE(b.fiche->Choix_entree_gauche);
       EXPECT_EQ(b.station->mixer.Niveau_voie_gauche, 0);
       EXPECT_EQ(b.station->mixer.Niveau_voie_droite, 40);
       EXPECT_THAT(b.Volume_enregistrement_ligne(), ElementsAre(0u, 26214u));  // 40 % right
       EXPECT_FALSE(b.gain().Choix_entree_gauche);
       EXPECT_EQ(b.L(E::Entree_Droite), "Line in right channel...selected");
       EXPECT_EQ(b.L(E::Entree_Gauche), "Line in left channel");
     }},
    {"COM3", [](FichePrincipale& f) { f.COMClick(3); }, 5, 3,
     [](Banc& b) {
       const ManipulationSerie& m = b.station->manipulation;
       EXPECT_TRUE(m.Port_serie_actif);
       EXPECT_EQ(m.Port_serie, 3);
       EXPECT_EQ(m.Adresse_MCR, 0x3EC);
       EXPECT_THAT(b.vue.label1, ElementsAre("Success when opening the serial port COM 3."));
       EXPECT_EQ(b.serie().Ouverts(), 0u) << "the check closes the port again";
       EXPECT_TRUE(b.serie().Jamais_manipule());
       EXPECT_EQ(b.L(E::COM3), "COM 3...selected");
       EXPECT_EQ(b.L(E::Aucun_port_serie), "None");
     }},
    {"User_adjustment", [](FichePrincipale& f) { f.User_adjustmentClick(); }, 7, 2,
     [](Banc& b) {
       EXPECT_FALSE(b.station->mixer.Reglage_logiciel);
       EXPECT_EQ(b.L(E::User_adjustment), "User adjustment...selected");
       EXPECT_EQ(b.L(E::Software_adjustment), "Software adjustment");
       // From now on the levels are the operator's.
       const uint32_t ecritures = b.mixer().Ecritures;
       b.fiche->Niveau_entreeClick(60);
       b.fiche->Niveau_sortieClick(10);
       EXPECT_EQ(b.mixer().Ecritures, ecritures);
     }},
};

INSTANTIATE_TEST_SUITE_P(Menu, FichePrincipaleMenu, ::testing::ValuesIn(Cas_menu),
                         [](const ::testing::TestParamInfo<CasMenu>& i) { return std::string(i.param.nom); });

// Switching language rewrites every caption, hint and marker; the items
// whose caption is the same in both languages keep it.
TEST(FichePrincipale, SwitchingToFrenchAndBack) {
  Banc b;
  b.Demarrage(Octets({1, 120, 5, 2, 2, 1, 1}));  // "/ 16", COM 2
  b.fiche->Francais1Click();
  EXPECT_EQ(b.Configuration_disque(), Octets({2, 120, 5, 2, 2, 1, 1}));
  EXPECT_FALSE(b.station->langue.Anglais());
  EXPECT_EQ(b.vue.fenetre, Titre_francais);
  EXPECT_EQ(b.L(E::DIV16), "/ 16...choisi");
  EXPECT_EQ(b.L(E::DIV1), "/ 1");
  EXPECT_EQ(b.L(E::Aucun_port_serie), "Aucun");
  EXPECT_EQ(b.L(E::COM2), "COM 2...choisi");
  EXPECT_EQ(b.L(E::English1), "English");
  EXPECT_EQ(b.L(E::Francais1), "Français...choisi");
  EXPECT_EQ(b.L(E::Language1), "&Lang(u)age");
  EXPECT_EQ(b.L(E::Actions), "&Actions");
  EXPECT_EQ(b.L(E::Mixer), "&Table de mixage");
  EXPECT_EQ(b.L(E::Software_adjustment), "Réglage par le logiciel...choisi");
  EXPECT_EQ(b.L(E::AGC), "CAG (Auto)...choisi");
  EXPECT_EQ(b.L(E::Abandon), "A&bandon");
  EXPECT_EQ(b.vue.Bulle(E::Aide), "Informations et aide à l'utilisateur");
  EXPECT_EQ(b.vue.Bulle(E::Niveau_de_sortie), "Sélection du niveau de sortie du signal issu de la carte son");

  b.fiche->English1Click();
  EXPECT_EQ(b.Configuration_disque(), Octets({1, 120, 5, 2, 2, 1, 1}));
  EXPECT_EQ(b.vue.fenetre, Titre_anglais);
  EXPECT_EQ(b.L(E::DIV16), "/ 16...selected");
  EXPECT_EQ(b.L(E::Aucun_port_serie), "None");
  EXPECT_EQ(b.L(E::English1), "English...selected");
  EXPECT_EQ(b.L(E::Francais1), "Français");
  EXPECT_EQ(b.vue.Bulle(E::Aide), "") << "the French hint does not stay";
  EXPECT_THAT(b.boite.En_utf8(), IsEmpty());
}

// The captions that do not follow the "...selected" / "...choisi" rule.
TEST(FichePrincipale, MarkingExceptions) {
  struct Cas {
    int langue;
    std::function<void(FichePrincipale&)> entree;
    const char* gauche;
    const char* droite;
    const char* micro;
    const char* english;
    const char* francais;
  };
  const Cas cas[] = {
      {1, &FichePrincipale::MicrophonClick, "Line in left channel", "Line in right channel",
       "Microphone..........selected", "English...selected", "Français"},
      {1, &FichePrincipale::Entree_GaucheClick, "Line in left channel...selected", "Line in right channel",
       "Microphone", "English...selected", "Français"},
      {2, &FichePrincipale::Entree_GaucheClick, "Entrée ligne gauche...choisie", "Entrée ligne droite",
       "Entrée microphone", "English", "Français...choisi"},
      {2, &FichePrincipale::Entree_DroiteClick, "Entrée ligne gauche", "Entrée ligne droite...choisie",
       "Entrée microphone", "English", "Français...choisi"},
      {2, &FichePrincipale::MicrophonClick, "Entrée ligne gauche", "Entrée ligne droite",
       "Entrée microphone...choisie", "English", "Français...choisi"},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.micro);
    Banc b;
    b.Demarrage(Octets({c.langue, 120, 1, 2, 5, 2, 1}));  // right line at start
    c.entree(*b.fiche);
    EXPECT_EQ(b.L(E::Entree_Gauche), c.gauche);
    EXPECT_EQ(b.L(E::Entree_Droite), c.droite);
    EXPECT_EQ(b.L(E::Microphon), c.micro);
    EXPECT_EQ(b.L(E::English1), c.english);
    EXPECT_EQ(b.L(E::Francais1), c.francais);
  }
}

// The windows the other items open, and what they are given.
TEST(FichePrincipale, ItemsOpenTheirWindows) {
  struct Cas {
    std::function<void(FichePrincipale&)> clic;
    const char* fenetre;
  };
  const Cas cas[] = {
      {&FichePrincipale::AproposdeClick, "about"},
      {&FichePrincipale::HelpClick, "help 1"},
      {[](FichePrincipale& f) { f.Creation_sequenceClick(1); }, "editor F13.SER"},
      {[](FichePrincipale& f) { f.Creation_sequenceClick(6); }, "editor F18.SER"},
      {[](FichePrincipale& f) { f.Creation_sequenceClick(8); }, "editor F20.SER"},
      {&FichePrincipale::Lecture_fichier_QSOClick, "qso viewer"},
  };
  Banc b;
  b.Demarrage();
  for (const Cas& c : cas) {
    b.vue.modales.clear();
    c.clic(*b.fiche);
    EXPECT_THAT(b.vue.modales, ElementsAre(c.fenetre));
  }
  EXPECT_EQ(b.fiche->Fichier_sequence_edite, "F20.SER");
  b.fiche->Verification_port_serieClick();
  EXPECT_THAT(b.vue.label1, ElementsAre("No selected serial port."));
}

// --- The watched windows: the transceiver and the level monitor ---

// The screen stays on exactly while the window is open; master or slave
// is set for the transceiver window before it opens.
TEST(FichePrincipale, ScreenSaverInhibitedWhileTheWindowIsOpen) {
  struct Cas {
    std::function<void(FichePrincipale&)> clic;
    const char* fenetre;
    const char* raison;
    bool maitre;
  };
  const Cas cas[] = {
      {&FichePrincipale::Traducteur_Editeur_MasterClick, "transceiver", "Receiving and transmitting TALVEN",
       true},
      {&FichePrincipale::Traducteur_Editeur_SlaveClick, "transceiver", "Receiving and transmitting TALVEN",
       false},
      {&FichePrincipale::Niveau_sur_les_entrees_sonClick, "level monitor",
       "Measuring the level of the sound inputs", false},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.raison);
    Banc b;
    b.Demarrage(Octets({1, 120, 1, 2, 1, 1, 1}));  // COM 1
    b.station->moteur.Mode_maitre_actif = !c.maitre;
    std::vector<bool> inhibe;
    std::vector<bool> maitre;
    b.vue.pendant_transceiver = b.vue.pendant_moniteur = [&] {
      inhibe.push_back(b.economiseur.Inhibe());
      maitre.push_back(b.station->moteur.Mode_maitre_actif);
    };
    c.clic(*b.fiche);
    EXPECT_THAT(b.vue.modales, ElementsAre(c.fenetre));
    EXPECT_THAT(inhibe, ElementsAre(true));
    EXPECT_THAT(b.economiseur.Appels,
                ElementsAre("Inhibition(" + std::string(c.raison) + ")", "Fin_inhibition()"));
    EXPECT_FALSE(b.economiseur.Inhibe());
    if (std::string(c.fenetre) == "transceiver") {
      EXPECT_THAT(maitre, ElementsAre(c.maitre));
    }
    EXPECT_THAT(b.boite.En_utf8(), IsEmpty());
  }
}

// A check that fails keeps the window shut and the screen saver untouched.
TEST(FichePrincipale, FailedCheckKeepsTheWindowClosed) {
  struct Cas {
    const char* nom;
    int langue;
    std::function<void(Banc&)> panne;
    std::function<void(FichePrincipale&)> clic;
    const char* message;
  };
  const Cas cas[] = {
      {"port held, English", 1, [](Banc& b) { b.serie().Occupes.insert("/dev/ttyS1"); },
       &FichePrincipale::Traducteur_Editeur_MasterClick,
       "The selected serial port (COM 2) cannot be opened. May be, is'nt it the mouse?\n\n/dev/ttyS1 is held "
       "by "
       "another program. Close it, then try again."},
      {"port missing, French", 2, [](Banc& b) { b.serie().Existants.erase("/dev/ttyS1"); },
       &FichePrincipale::Traducteur_Editeur_SlaveClick,
       "Le port série sélectionné (COM 2) ne peut être ouvert. Serait-ce la souris?\n\n/dev/ttyS1 est absent "
       ": "
       "l'interface est débranchée. Branchez-la, ou attribuez un autre périphérique au COM 2 (menu Port "
       "série)."},
      {"input busy", 1, [](Banc& b) { b.carte().Definir_occupe(Sens::Entree, true); },
       &FichePrincipale::Traducteur_Editeur_MasterClick,
       "Impossible working because the Line in of the sound card is yet used by another application."},
      {"output busy, level monitor", 2, [](Banc& b) { b.carte().Definir_occupe(Sens::Sortie, true); },
       &FichePrincipale::Niveau_sur_les_entrees_sonClick,
       "Fonctionnement impossible car sortie carte son utilisée par une autre application."},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    Banc b;
    b.Demarrage(Octets({c.langue, 120, 1, 2, 2, 1, 1}));  // COM 2
    c.panne(b);
    c.clic(*b.fiche);
    EXPECT_THAT(b.boite.En_utf8(), ElementsAre(c.message));
    EXPECT_THAT(b.vue.modales, IsEmpty());
    EXPECT_THAT(b.economiseur.Appels, IsEmpty());
    EXPECT_TRUE(b.serie().Jamais_manipule());
  }
}

// The processor class chosen in the transceiver window is saved when it
// changed, and only then.
TEST(FichePrincipale, ProcessorClassSavedOnlyWhenItChanged) {
  struct Cas {
    int classe;  // set in the window; 0: left alone
    bool ecrit;
  };
  Banc b;
  b.Demarrage();
  for (const Cas& c : {Cas{1, true}, Cas{0, false}, Cas{1, false}, Cas{2, true}}) {
    SCOPED_TRACE(c.classe);
    std::filesystem::remove(b.rep.Chemin("CONFPSER.SER"));
    b.vue.pendant_transceiver = [&] {
      if (c.classe != 0) b.station->moteur.Classe_processeur = c.classe;
    };
    b.fiche->Traducteur_Editeur_MasterClick();
    const int classe = b.station->moteur.Classe_processeur;
    EXPECT_EQ(b.fiche->Classe_processeur_sauvee, classe);
    if (c.ecrit) {
      std::string attendu = Depart;
      attendu[3] = static_cast<char>(classe);
      EXPECT_EQ(b.Configuration_disque(), attendu);
    } else {
      EXPECT_FALSE(b.rep.Lire("CONFPSER.SER").has_value());
    }
  }
}

// The level monitor changes the recording source: the configured one is
// set up again once it closes.
TEST(FichePrincipale, LevelMonitorPutsTheConfiguredInputBack) {
  Banc b;
  b.Demarrage();
  const std::vector<uint32_t> selection = b.Selecteur_enregistrement();
  ASSERT_THAT(b.Volume_enregistrement_ligne(), ElementsAre(26214u, 0u));
  b.vue.pendant_moniteur = [&] {
    // What the monitor does for its microphone measurement.
    FonctionsMixer& m = b.station->mixer;
    m.Choix_microphone = true;
    m.Niveau_voie_gauche = m.Niveau_voie_droite = 100;
    m.Reglage_mixer();
    EXPECT_NE(b.Selecteur_enregistrement(), selection);
  };
  b.fiche->Niveau_sur_les_entrees_sonClick();
  EXPECT_FALSE(b.station->mixer.Choix_microphone);
  EXPECT_EQ(b.station->mixer.Niveau_voie_gauche, 40);
  EXPECT_EQ(b.station->mixer.Niveau_voie_droite, 0);
  EXPECT_EQ(b.Selecteur_enregistrement(), selection);
  EXPECT_THAT(b.Volume_enregistrement_ligne(), ElementsAre(26214u, 0u));
}

// --- Exit ---

TEST(FichePrincipale, ExitWritesTheQsoAboveEightCharactersAndRunsOnce) {
  for (const int index : {8, 9}) {
    SCOPED_TRACE(index);
    Banc b;
    const auto mixer_depart = b.mixer().Etat();
    b.Demarrage();
    b.fiche->Niveau_sortieClick(10);
    ASSERT_NE(b.mixer().Etat(), mixer_depart);
    for (int i = 0; i < index; ++i) b.station->enregistrement.Ajout_QSO(static_cast<uint8_t>('A' + i));
    b.fiche->Abandon_du_logicielClick();
    EXPECT_EQ(b.vue.fermetures, 1);
    EXPECT_EQ(b.mixer().Etat(), mixer_depart) << "the operator's mixer settings given back";
    const std::optional<std::string> qso = b.rep.Lire("QSO_PSK.TXT");
    if (index == 8) {
      EXPECT_FALSE(qso.has_value());
    } else {
      EXPECT_EQ(qso, "ABCDEFGHI");
      ASSERT_TRUE(std::filesystem::remove(b.rep.Chemin("QSO_PSK.TXT")));
    }
    // However many ways the program is told to end, it ends once.
    b.fiche->Abandon_du_logicielClick();
    EXPECT_EQ(b.vue.fermetures, 1);
    EXPECT_FALSE(b.rep.Lire("QSO_PSK.TXT").has_value());
    EXPECT_THAT(b.boite.En_utf8(), IsEmpty());
  }
}

// A card that cannot be used ends the program before the configuration is
// read: the message is French, nothing is written.
TEST(FichePrincipale, StartStopsWhenTheSoundCardTestFails) {
  struct Cas {
    uint32_t entrees;  // input devices (one output device)
    uint32_t formats;  // offered by both directions
    const char* message;
  };
  const Cas cas[] = {
      {0, 0xFFF, "Fonctionnement impossible car il n'y a pas de carte son."},
      {1, 0,
       "Fonctionnement impossible car le format minimum requis pour la carte son n'est pas disponible."},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.message);
    Banc b;
    b.carte().Definir_peripheriques(Sens::Entree, c.entrees, c.formats);
    b.carte().Definir_peripheriques(Sens::Sortie, 1, c.formats);
    EXPECT_FALSE(b.fiche->A_la_creation_de_la_fiche());
    EXPECT_THAT(b.boite.En_utf8(), ElementsAre(c.message));
    EXPECT_THAT(b.rep.Noms(), IsEmpty());
  }
}

// --- Morse ---

// Sequence 7 or 8 sent from its item: the big label says how to stop, the
// transmitter is keyed through the chosen port before the first buffer
// plays and released once the text has been played, then the label goes.
TEST(FichePrincipale, MorseSendsTheSequenceKeyedAndReleasesAfterIt) {
  struct Cas {
    int sequence;
    size_t tonalite;  // samples of tone: 'E' a dot, 'T' a dash
  };
  for (const Cas& c : {Cas{7, EmissionMorse::Longueur_point}, Cas{8, EmissionMorse::Longueur_trait}}) {
    SCOPED_TRACE(c.sequence);
    Banc b;
    b.Demarrage(Octets({1, 120, 1, 2, 1, 1, 1}));  // COM 1
    b.station->configuration.Textes_sequences[6] = "E";
    b.station->configuration.Textes_sequences[7] = "T";
    b.fiche->CW_transmission_of_sequenceClick(c.sequence);
    EXPECT_THAT(b.vue.label2, ElementsAre("<Esc> to stop CW transmission"));
    EXPECT_EQ(b.vue.debuts_morse, 1);
    std::vector<bool> manipule;
    const int joues = b.Envoi_morse([&](int) { manipule.push_back(b.Emetteur_manipule()); });
    EXPECT_GE(joues, 3);
    EXPECT_EQ(std::count(manipule.begin(), manipule.end(), false), 0) << "keyed for the whole sending";
    EXPECT_FALSE(b.Emetteur_manipule());
    EXPECT_FALSE(b.fiche->morse.Actif());
    EXPECT_THAT(b.vue.label2, ElementsAre("<Esc> to stop CW transmission", ""));
    const std::vector<uint8_t> joues_carte = b.carte().Octets_joues();
    EXPECT_EQ(static_cast<size_t>(std::count_if(joues_carte.begin(), joues_carte.end(),
                                                [](uint8_t x) { return x != EmissionMorse::Silence; })),
              c.tonalite);
    EXPECT_FALSE(b.fiche->Pas_morse());
    EXPECT_THAT(b.boite.En_utf8(), IsEmpty());
  }
}

// A port that cannot be opened ends the command before anything is keyed
// or played; the label is hidden again.
TEST(FichePrincipale, MorseEndsBeforeKeyingWhenThePortCannotBeOpened) {
  Banc b;
  b.Demarrage(Octets({2, 120, 1, 2, 2, 1, 1}));  // French, COM 2
  b.serie().Occupes.insert("/dev/ttyS1");
  b.station->configuration.Textes_sequences[6] = "CQ";
  b.fiche->CW_transmission_of_sequenceClick(7);
  EXPECT_THAT(
      b.boite.En_utf8(),
      ElementsAre("Le port série sélectionné (COM 2) ne peut être ouvert. Serait-ce la souris?\n\n/dev/ttyS1 "
                  "est tenu par un autre programme. Fermez-le, puis réessayez."));
  EXPECT_THAT(b.vue.label2, ElementsAre("<Echap> pour arrêter la transmission CW", ""));
  EXPECT_EQ(b.vue.debuts_morse, 0);
  EXPECT_FALSE(b.fiche->morse.Actif());
  EXPECT_TRUE(b.serie().Jamais_manipule());
  EXPECT_THAT(b.carte().Octets_joues(), IsEmpty());
}

// The program told to end in the middle of a sending releases the
// transmitter and closes the output first.
TEST(FichePrincipale, ExitDuringMorseReleasesTheTransmitter) {
  Banc b;
  b.Demarrage(Octets({1, 120, 1, 2, 1, 1, 1}));  // COM 1
  b.station->configuration.Textes_sequences[7] = "PARIS PARIS PARIS";
  b.fiche->CW_transmission_of_sequenceClick(8);
  for (int joues = 0; joues < 4; ++joues) {
    while (b.fiche->Pas_morse() && b.fiche->morse.Tampon_servi) {
    }
    ASSERT_TRUE(b.carte().Completer_sortie());
  }
  ASSERT_TRUE(b.Emetteur_manipule());
  b.fiche->Abandon_du_logicielClick();
  EXPECT_FALSE(b.Emetteur_manipule());
  EXPECT_FALSE(b.fiche->morse.Actif());
  EXPECT_EQ(b.station->wave.Entete_sortie(), nullptr) << "the output released";
  EXPECT_EQ(b.vue.label2.back(), "");
  EXPECT_EQ(b.vue.fermetures, 1);
  EXPECT_FALSE(b.fiche->Pas_morse());
}

}  // namespace
}  // namespace talven

namespace talven {
namespace {

// --- Sound card ---

const Peripherique_audio Radio{Peripherique_audio::Genre::Carte, "plughw:CARD=RADIO,DEV=0",
                               "Burr-Brown USB Audio CODEC: USB Audio", true, true};
const Peripherique_audio Hdmi{Peripherique_audio::Genre::Carte, "plughw:CARD=HDMI,DEV=3",
                              "HDA Intel HDMI: HDMI 0", false, true};

const std::string Absente_anglais =
    "The sound card \"plughw:CARD=RADIO,DEV=0\" is not connected, and no other card is used in its place. "
    "Plug it in and try again, or choose another card in the \"Sound card\" menu.";
const std::string Absente_francais =
    "La carte son \"plughw:CARD=RADIO,DEV=0\" n'est pas branchée, et aucune autre carte n'est utilisée à sa "
    "place. Branchez-la et recommencez, ou choisissez une autre carte dans le menu \"Carte son\".";

// The chosen device missing at start: the program goes on (the operator
// may plug it in or choose another), and says so by name once the
// configuration gives the language, after the beep; nothing is opened.
TEST(FichePrincipaleCarteSon, MissingAtStartReportedInTheOperatorsLanguageAndTheProgramGoesOn) {
  for (int langue : {1, 2}) {
    SCOPED_TRACE(langue);
    Banc b(Radio.Nom);
    std::string configuration = Depart;
    configuration[0] = static_cast<char>(langue);
    b.rep.Ecrire("CONFPSER.SER", configuration);
    for (int n = 1; n <= 8; ++n) b.rep.Ecrire(ConfigurationSequences::Nom_fichier_sequence(n), "");
    EXPECT_TRUE(b.fiche->A_la_creation_de_la_fiche());
    EXPECT_THAT(b.boite.En_utf8(), ElementsAre(langue == 1 ? Absente_anglais : Absente_francais));
    EXPECT_THAT(b.carte().Noms_ouverts(), IsEmpty());
    EXPECT_EQ(b.station->Carte().Nom(), Radio.Nom);
  }
}

// While it is missing, every window that streams stays closed with the
// report, and the transmitter is never keyed; no other device is asked for.
// Plugged in, the next opening finds it.
TEST(FichePrincipaleCarteSon, MissingKeepsEveryStreamingWindowClosedUntilPluggedIn) {
  Banc b(Radio.Nom);
  b.carte().Ajout_peripherique(Radio);
  b.Demarrage(Octets({1, 40, 2, 2, 3, 1, 1}));  // keyed on COM 3
  b.carte().Debranchement(Radio.Nom);
  b.fiche->Traducteur_Editeur_MasterClick();
  b.fiche->Niveau_sur_les_entrees_sonClick();
  EXPECT_FALSE(b.fiche->Emission_morse_sequence("TEST"));
  EXPECT_THAT(b.boite.En_utf8(), ElementsAre(Absente_anglais, Absente_anglais, Absente_anglais));
  EXPECT_THAT(b.vue.modales, IsEmpty());
  EXPECT_EQ(b.vue.debuts_morse, 0);
  EXPECT_FALSE(b.Emetteur_manipule());

  b.boite.messages.clear();
  b.carte().Branchement(Radio.Nom);
  b.fiche->Traducteur_Editeur_SlaveClick();
  EXPECT_THAT(b.vue.modales, ElementsAre("transceiver"));
  EXPECT_THAT(b.boite.messages, IsEmpty());
  EXPECT_THAT(b.carte().Noms_ouverts(), ::testing::Each(Radio.Nom));
  EXPECT_FALSE(b.carte().Noms_ouverts().empty());
}

// Unplugged while the transceiver window is open: the next start of
// transmission, and of reception, names it and starts nothing on another
// card; plugged in again, the next start finds it.
TEST(FichePrincipaleCarteSon, UnpluggedInTheWindowEachStartNamesItThenTheReplugIsFound) {
  Banc b(Radio.Nom);
  b.carte().Ajout_peripherique(Radio);
  b.Demarrage();
  TraducteurEditeurPsk& m = b.station->moteur;
  b.vue.pendant_transceiver = [&] {
    m.A_l_activation_de_la_fiche();
    ASSERT_TRUE(m.Reception_active);
    ASSERT_TRUE(m.Entree_ouverte);
    b.carte().Debranchement(Radio.Nom);
    b.boite.messages.clear();
    m.Passage_emission();
    EXPECT_FALSE(m.Emission_active);
    std::vector<std::string> messages = b.boite.En_utf8();
    ASSERT_FALSE(messages.empty());
    EXPECT_THAT(messages, ::testing::Each(Absente_anglais));

    b.boite.messages.clear();
    b.carte().Branchement(Radio.Nom);
    if (!m.Reception_active) m.Passage_reception();
    if (!m.Emission_active) m.Passage_emission();
    EXPECT_TRUE(m.Emission_active);
    EXPECT_THAT(b.boite.messages, IsEmpty());
  };
  b.fiche->Traducteur_Editeur_MasterClick();
  EXPECT_THAT(b.vue.modales, ElementsAre("transceiver"));
  EXPECT_THAT(b.carte().Noms_ouverts(), ::testing::Each(Radio.Nom));
}

std::vector<std::string> Legendes(const std::vector<Element_carte_son>& liste) {
  std::vector<std::string> l;
  for (const Element_carte_son& e : liste) l.push_back(Vers_utf8(e.Legende));
  return l;
}

// The menu lists the devices present when it opens, the chosen one marked;
// a device that cannot both record and play cannot be chosen; a choice is in
// force at once; the chosen device unplugged stays chosen, listed last as
// not connected; the captions follow the language.
TEST(FichePrincipaleCarteSon, MenuListsThePresentDevicesAndKeepsAMissingChoice) {
  Banc b;
  b.carte().Ajout_peripherique(Radio);
  b.carte().Ajout_peripherique(Hdmi);
  b.Demarrage();
  EXPECT_EQ(b.L(E::Carte_son), "Sound &card");
  EXPECT_EQ(
      b.vue.Bulle(E::Carte_son),
      "Selection of the sound card connected to the radio, by its stable ALSA name (kept in talven.conf)");
  const std::vector<Element_carte_son>& liste = b.fiche->Ouverture_menu_carte_son();
  EXPECT_THAT(Legendes(liste),
              ElementsAre("default - ALSA's default device...selected",
                          "plughw:CARD=RADIO,DEV=0 - Burr-Brown USB Audio CODEC: USB Audio",
                          "plughw:CARD=HDMI,DEV=3 - HDA Intel HDMI: HDMI 0 (playback only)"));
  ASSERT_EQ(liste.size(), 3u);
  EXPECT_TRUE(liste[0].Choisi && liste[0].Utilisable && liste[1].Utilisable);
  EXPECT_FALSE(liste[2].Utilisable);

  b.fiche->Carte_sonClick(Radio.Nom);
  EXPECT_EQ(b.station->Carte().Nom(), Radio.Nom);
  EXPECT_THAT(b.vue.label1, ElementsAre("Sound card: plughw:CARD=RADIO,DEV=0"));
  b.carte().Debranchement(Radio.Nom);
  b.fiche->Francais1Click();
  const std::vector<Element_carte_son>& apres = b.fiche->Ouverture_menu_carte_son();
  EXPECT_THAT(Legendes(apres), ElementsAre("default - périphérique par défaut d'ALSA",
                                           "plughw:CARD=HDMI,DEV=3 - HDA Intel HDMI: HDMI 0 (lecture seule)",
                                           "plughw:CARD=RADIO,DEV=0 - NON BRANCHÉE...choisi"));
  ASSERT_EQ(apres.size(), 3u);
  EXPECT_TRUE(apres[2].Choisi && apres[2].Absent);
  EXPECT_EQ(b.L(E::Carte_son), "&Carte son");
  EXPECT_EQ(b.station->Carte().Nom(), Radio.Nom);
  EXPECT_THAT(b.boite.messages, IsEmpty());
}

TEST(FichePrincipaleCarteSon, AnAmpersandOfACardIsNotAShortcut) {
  Banc b;
  b.carte().Ajout_peripherique(
      {Peripherique_audio::Genre::Carte, "plughw:CARD=M,DEV=0", "Mic & Line", true, true});
  b.Demarrage();
  EXPECT_EQ(Legendes(b.fiche->Ouverture_menu_carte_son()).back(), "plughw:CARD=M,DEV=0 - Mic && Line");
}

using Variable = test::Variable_environnement;

// The programs keep the choice in the user's talven.conf, its other lines
// untouched; the next start on the real card opens it, unless a device is
// given for the run. The tests' and the demonstration's stations write
// nothing.
TEST(FichePrincipaleCarteSon, TheChoiceIsKeptInTalvenConfForTheNextStart) {
  test::Repertoire_temporaire xdg;
  Variable variable("XDG_CONFIG_HOME", xdg.Chemin());
  std::filesystem::create_directories(xdg.Chemin("talven"));
  xdg.Ecrire("talven/talven.conf", "# mine\ntransmit_watchdog_minutes=7\n");
  test::Boite_messages_enregistreuse boite;
  {
    Parametres_station p;
    Station memoire(p, boite);
    EXPECT_TRUE(memoire.Choix_peripherique_son("pulse"));
    EXPECT_EQ(xdg.Lire("talven/talven.conf"), "# mine\ntransmit_watchdog_minutes=7\n");
    p.sauvegarde_peripherique = true;
    Station programme(p, boite);
    EXPECT_TRUE(programme.Choix_peripherique_son(Radio.Nom));
    EXPECT_EQ(programme.Carte().Nom(), Radio.Nom);
  }
  EXPECT_EQ(xdg.Lire("talven/talven.conf"),
            "# mine\ntransmit_watchdog_minutes=7\nsound_device=plughw:CARD=RADIO,DEV=0\n");
  Parametres_station reel;
  reel.carte = Parametres_station::Carte::Alsa;
  EXPECT_EQ(Station(reel, boite).Carte().Nom(), Radio.Nom);
  reel.peripherique = "pulse";
  EXPECT_EQ(Station(reel, boite).Carte().Nom(), "pulse");
  EXPECT_THAT(boite.messages, IsEmpty());
}

// A COM port mapped from the menu is in force at once and written to
// ports.conf beside its other lines; the selected port is checked.
TEST(FichePrincipale, PortMappedFromTheMenuIsKeptAndUsedAtOnce) {
  Banc b;
  const Variable xdg("XDG_CONFIG_HOME", b.rep.Chemin() + "/xdg");
  std::filesystem::create_directories(b.rep.Chemin() + "/xdg/talven");
  b.rep.Ecrire("xdg/talven/ports.conf", "# my interface\nCOM1=/dev/ttyS0\n");
  b.Demarrage(Octets({1, 120, 1, 2, 2, 1, 1}));  // COM 2
  b.serie().Existants.insert("/dev/serial/by-id/usb-FTDI_FT232R-if00-port0");
  EXPECT_TRUE(b.fiche->Attribution_port(2, "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0"));
  EXPECT_EQ(b.rep.Lire("xdg/talven/ports.conf"),
            "# my interface\nCOM1=/dev/ttyS0\nCOM2=/dev/serial/by-id/usb-FTDI_FT232R-if00-port0\n");
  EXPECT_THAT(b.vue.label1, ElementsAre("Success when opening the serial port COM 2."));
  ASSERT_TRUE(b.station->Ouverture_port_serie());
  EXPECT_EQ(b.serie().Journal.back().peripherique, "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0");
  // Another port than the selected one: written, nothing checked.
  EXPECT_TRUE(b.fiche->Attribution_port(3, "/dev/ttyACM0"));
  EXPECT_EQ(b.vue.label1.size(), 1u);
  EXPECT_EQ(b.station->manipulation.Ports().Peripheriques[2], "/dev/ttyACM0");
  EXPECT_FALSE(b.fiche->Attribution_port(5, "/dev/ttyACM0"));
  EXPECT_THAT(b.boite.En_utf8(), IsEmpty());
}

TEST(FichePrincipale, PortsConfThatCannotBeWrittenIsReportedAndTheMappingHolds) {
  Banc b;
  const Variable xdg("XDG_CONFIG_HOME", b.rep.Chemin() + "/xdg");
  std::filesystem::create_directories(b.rep.Chemin() + "/xdg");
  b.rep.Ecrire("xdg/talven", "a file where the folder should be");
  b.Demarrage(Octets({2, 120, 1, 2, 1, 1, 1}));  // French, COM 1
  EXPECT_FALSE(b.fiche->Attribution_port(1, "/dev/ttyS2"));
  const std::string xdg_talven = b.rep.Chemin() + "/xdg/talven";
  EXPECT_THAT(b.boite.En_utf8(),
              ElementsAre("Les réglages de manipulation n'ont pu être écrits dans " + xdg_talven +
                          "/ports.conf (" + xdg_talven + ": Not a directory)."));
  EXPECT_EQ(b.station->manipulation.Ports().Peripheriques[0], "/dev/ttyS2");
}

// CAT keying chosen from the menu: marked, kept in ports.conf, checked on
// the dummy rig; a serial port chosen again turns it off and keeps the rig.
TEST(FichePrincipale, CatKeyingChosenFromTheMenuAndLeftForASerialPort) {
  Banc b;
  const Variable xdg("XDG_CONFIG_HOME", b.rep.Chemin() + "/xdg");
  b.Demarrage(Octets({1, 120, 1, 2, 3, 1, 1}));  // COM 3
  EXPECT_EQ(b.L(E::Manipulation_cat), "CAT (Hamlib)");
  EXPECT_TRUE(b.fiche->Choix_manipulation_cat(Ptt_hamlib::Modele_factice, "/dev/ttyUSB0"));
  EXPECT_EQ(b.L(E::Manipulation_cat), "CAT (Hamlib)...selected");
  EXPECT_EQ(b.L(E::COM3), "COM 3");
  EXPECT_EQ(b.L(E::Aucun_port_serie), "None");
  EXPECT_EQ(b.Configuration_disque(), Octets({1, 120, 1, 2, 5, 1, 1}));
  EXPECT_EQ(b.rep.Lire("xdg/talven/ports.conf"), "KEYING=CAT\nCAT_MODEL=1\nCAT_PORT=/dev/ttyUSB0\n");
  EXPECT_THAT(
      b.vue.label1,
      ElementsAre("Success when opening the radio for CAT keying (Hamlib rig model 1 on /dev/ttyUSB0)."));
  EXPECT_TRUE(b.station->manipulation.Port_serie_actif);
  // What the next start reads.
  EXPECT_TRUE(Correspondance_ports::Chargement().Cat);

  b.fiche->COMClick(1);
  EXPECT_EQ(b.L(E::Manipulation_cat), "CAT (Hamlib)");
  EXPECT_EQ(b.L(E::COM1), "COM 1...selected");
  EXPECT_EQ(b.rep.Lire("xdg/talven/ports.conf"), "CAT_MODEL=1\nCAT_PORT=/dev/ttyUSB0\n");
  EXPECT_EQ(b.station->manipulation.Adresse_MCR, 0x3FC);
  EXPECT_FALSE(b.station->manipulation.Manipulation_cat());
  EXPECT_TRUE(b.serie().Jamais_manipule());
  EXPECT_THAT(b.boite.En_utf8(), IsEmpty());
}

}  // namespace
}  // namespace talven
