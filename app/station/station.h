// The station: every platform layer of the transceiver and the engine over
// them, built in one place for the program, the command-line tool, the
// benchmarks and the tests.
//
// Responsibilities: choose and build the back-ends (sound card: ALSA device
// by name or the simulated card; mixer: ALSA, simulated or none; serial
// keying: the Linux driver or the simulated one, and CAT keying through
// Hamlib or its dummy rig; PC speaker: the Linux
// back-ends or silence), then the layers over them in order (wave streaming,
// mixer control, port space with the keying attached, QSO record, language,
// the eight sequence texts) and the engine with its clock and its transmit
// watchdog's minutes; install the serial-line guard,
// so a transmitter keyed by this process is released on Ctrl-C, SIGTERM and
// crash signals; open, close and apply the keying port to the engine;
// choose the sound device by its stable name, keep the choice in talven.conf
// and word the report of a chosen device that is missing.
// Collaborations: owns everything it builds; a front-end gives it the
// message box that shows the operator's reports and attaches its view to
// `moteur`. Tests reach the simulated back-ends through `Carte_simulee`,
// `Serie_simulee_` and `Mixer_simule` to step, fail or inspect them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/fonctions_pascal.h"
#include "app/haut_parleur.h"
#include "app/horloge.h"
#include "app/manipulation_serie.h"
#include "app/pilote_ptt.h"
#include "app/pilote_serie.h"
#include "app/reglages_utilisateur.h"
#include "app/serie_simulee.h"
#include "audio/fonctions_mixer.h"
#include "audio/fonctions_wave.h"
#include "audio/liste_peripheriques_son.h"
#include "audio/mixer_simule.h"
#include "audio/peripherique_son.h"
#include "audio/son_simule.h"
#include "common/langue.h"
#include "common/messages.h"
#include "common/texte.h"
#include "files/acces_disque.h"
#include "files/configuration_sequences.h"
#include "files/fonctions_fichiers.h"
#include "transceiver/enregistrement_qso.h"
#include "transceiver/traducteur_editeur_psk.h"

namespace talven {

struct Parametres_station {
  enum class Carte { Alsa, Simulee };
  enum class Mixer { Aucun, Alsa, Simule };
  enum class Serie { Linux, Simulee };
  enum class Bip { Muet, Linux };

  Carte carte = Carte::Simulee;
  // ALSA device of the sound card and of its mixer ("default",
  // "plughw:CARD=...,DEV=0", ...), for `Carte::Alsa` and `Mixer::Alsa`; the
  // simulated card's chosen device. When not given: for `Carte::Alsa` the
  // user's talven.conf (sound_device), else "default".
  std::optional<std::string> peripherique;
  // Whether a device chosen later (the "Sound card" menu) is written to the
  // user's talven.conf: the programs on the real card; the tests and the
  // demonstration keep it in memory.
  bool sauvegarde_peripherique = false;
  // Rhythm of the simulated card: stepped by the caller or paced in real time.
  SonSimule::Rythme rythme = SonSimule::Rythme::Pas_a_pas;
  Mixer mixer = Mixer::Aucun;
  Serie serie = Serie::Simulee;
  // Beeps: silent, or the Linux PC-speaker back-ends.
  Bip bip = Bip::Muet;
  // Or this speaker (a test's recorder), not owned, when not null.
  talven::Haut_parleur* haut_parleur = nullptr;
  // The station's clock: the delays (`FonctionsPascal::Delai`) wait on it
  // and the engine's transmit watchdog reads it. nullptr for the monotonic
  // clock; not owned, must outlive the station.
  Horloge_datee* horloge = nullptr;
  // Initial language flag: 1 English, any other value French.
  uint8_t langue = 1;
  // COM 1 to COM 4 devices; the defaults, the user's ports.conf and the
  // environment when not given.
  std::optional<Correspondance_ports> ports;
  // CAT keying's back-end, not owned, when not null (a test's recorder);
  // otherwise Hamlib, with its dummy rig for `Serie::Simulee`.
  Pilote_ptt* ptt = nullptr;
  // Minutes of idle transmission before the transmit watchdog ends it, 0
  // (off) to `GardeEmission::Minutes_maximales`; the user's talven.conf
  // (10 without one) when not given.
  std::optional<int32_t> minutes_garde_emission;
  // Keep the QSO record. The command-line modem keeps no contact: its record
  // stays empty, so that no transmission or reception of any length fills
  // it.
  bool qso = true;
  // The directory of CONFPSER.SER, F13.SER .. F20.SER and QSO_PSK.TXT: the
  // working directory unless given.
  std::string repertoire = ".";
  // The disk under the files, nullptr for the real one; not owned.
  Acces_disque* disque = nullptr;
};

class Station {
 public:
  // `boite`: where the operator's reports go; must outlive the station.
  Station(const Parametres_station& parametres, Boite_messages& boite);
  ~Station();
  Station(const Station&) = delete;
  Station& operator=(const Station&) = delete;

  // The simulated back-ends, nullptr when the real one was chosen.
  SonSimule* Carte_simulee() const { return carte_simulee_; }
  Serie_simulee* Serie_simulee_() const { return serie_simulee_; }
  MixerSimule* Mixer_simule() const { return mixer_simule_; }
  Peripherique_son& Carte() const { return *carte_; }
  // The devices present now: ALSA's, or the simulated card's own.
  Liste_peripheriques_son& Peripheriques() const { return *liste_; }

  // The sound device the streams open from now on (`Peripherique_son::Nom`
  // tells which is in force), written to talven.conf when the parameters
  // say so. Never replaced by another when it is missing. False when it
  // could not be written (the reason on standard error); it is in force all
  // the same.
  bool Choix_peripherique_son(const std::string& nom);

  // Keying port: `octet` is the configuration's serial-port byte (1..4 for
  // COM 1..4, any other value for none); the engine keys through it from
  // now on. Nothing is opened.
  void Choix_port_serie(uint8_t octet);
  // Opens the chosen port exclusively, or the rig for CAT keying (never
  // keying either); true when none is chosen or it opened.
  bool Ouverture_port_serie();
  void Fermeture_port_serie();

  // Who applies the configuration's settings when it is read or changed
  // (the main window); nullptr for nobody. Not owned.
  void Reglages(Application_reglages* reglages) { relais_reglages_.cible = reglages; }

  // A simulated mixer shaped like a common sound card: speaker output with
  // volume and mute, wave, line and microphone sources, and a recording
  // destination with line and microphone behind a selector.
  static void Topologie_demonstration(MixerSimule& mixer);

 private:
  // Forwards the configuration's apply operations to the main window once
  // one is attached.
  struct RelaisReglages final : Application_reglages {
    Application_reglages* cible = nullptr;
    void Application_langue() override {
      if (cible) cible->Application_langue();
    }
    void Application_mixer() override {
      if (cible) cible->Application_mixer();
    }
    void Application_entree_son() override {
      if (cible) cible->Application_entree_son();
    }
    void Application_niveau_entree() override {
      if (cible) cible->Application_niveau_entree();
    }
    void Application_niveau_sortie() override {
      if (cible) cible->Application_niveau_sortie();
    }
    void Choix_port_serie() override {
      if (cible) cible->Choix_port_serie();
    }
  };

  // Declared before the back-ends, which set them as they are built.
  SonSimule* carte_simulee_ = nullptr;
  Serie_simulee* serie_simulee_ = nullptr;
  MixerSimule* mixer_simule_ = nullptr;
  // The user's talven.conf, read when the parameters leave a value to it.
  Reglages_utilisateur reglages_;
  bool sauvegarde_peripherique_ = false;
  std::unique_ptr<Peripherique_son> carte_;
  std::unique_ptr<Liste_peripheriques_son> liste_alsa_;
  Liste_peripheriques_son* liste_ = nullptr;
  std::unique_ptr<Pilote_mixer> pilote_mixer_;
  std::unique_ptr<Pilote_serie> pilote_serie_;
  // CAT keying through Hamlib (its dummy rig for the simulated serial
  // back-end).
  Ptt_hamlib ptt_;
  std::unique_ptr<talven::Haut_parleur> haut_parleur_;
  // The clock when the parameters name none.
  Horloge_datee_monotone horloge_monotone_;

 public:
  // The layers, in the order they are built.
  Boite_messages& boite;
  Langue langue;
  FonctionsWave wave;
  FonctionsMixer mixer;
  FonctionsPascal pascal;
  ManipulationSerie manipulation;
  EnregistrementQso enregistrement;
  FonctionsFichiers fichiers;

 private:
  RelaisReglages relais_reglages_;

 public:
  // CONFPSER.SER and the eight sequences; the engine reads
  // `configuration.Textes_sequences` (sequence n is entry n - 1) when a
  // sequence is sent.
  ConfigurationSequences configuration;
  TraducteurEditeurPsk moteur;
};

}  // namespace talven
