#include "app/station/station.h"

#include <utility>

#include "app/haut_parleur_linux.h"
#include "app/reglages_utilisateur.h"
#include "audio/liste_alsa.h"
#include "audio/liste_peripheriques_son.h"
#include "audio/mixer_alsa.h"
#include "audio/son_alsa.h"

namespace talven {

namespace {

// talven.conf takes what the watchdog accepts.
static_assert(Reglages_utilisateur::Minutes_garde_par_defaut == GardeEmission::Minutes_par_defaut);
static_assert(Reglages_utilisateur::Minutes_garde_maximales == GardeEmission::Minutes_maximales);

// talven.conf is read only for what the parameters leave to it.
Reglages_utilisateur Reglages_lus(const Parametres_station& p) {
  const bool peripherique = !p.peripherique && p.carte == Parametres_station::Carte::Alsa;
  if (p.minutes_garde_emission && !peripherique) return {};
  return Reglages_utilisateur::Chargement();
}

// The device named by the parameters, else by talven.conf for the real card,
// else ALSA's default.
std::string Peripherique_choisi(const Parametres_station& p, const Reglages_utilisateur& r) {
  if (p.peripherique) return *p.peripherique;
  if (p.carte == Parametres_station::Carte::Alsa && !r.Peripherique_son.empty()) return r.Peripherique_son;
  return "default";
}

std::unique_ptr<Peripherique_son> Carte_choisie(const Parametres_station& p, const std::string& nom,
                                                SonSimule*& simulee) {
  if (p.carte == Parametres_station::Carte::Alsa) return std::make_unique<SonAlsa>(nom);
  auto carte = std::make_unique<SonSimule>(p.rythme);
  carte->Choix_nom(nom);
  simulee = carte.get();
  return carte;
}

std::unique_ptr<Pilote_mixer> Mixer_choisi(const Parametres_station& p, const std::string& nom,
                                           MixerSimule*& simule) {
  switch (p.mixer) {
    case Parametres_station::Mixer::Alsa:
      return std::make_unique<MixerAlsa>(Nom_mixer(nom));
    case Parametres_station::Mixer::Simule: {
      auto mixer = std::make_unique<MixerSimule>();
      Station::Topologie_demonstration(*mixer);
      simule = mixer.get();
      return mixer;
    }
    case Parametres_station::Mixer::Aucun:
      break;
  }
  return nullptr;
}

std::unique_ptr<Pilote_serie> Serie_choisie(const Parametres_station& p, Serie_simulee*& simulee) {
  if (p.serie == Parametres_station::Serie::Linux) {
    // Real lines can key a transmitter: the guard releases them if the
    // process is stopped by a signal. Installed once per process, before
    // any port can be opened.
    Garde_lignes_serie::Installation();
    return std::make_unique<Serie_linux>();
  }
  auto serie = std::make_unique<Serie_simulee>();
  simulee = serie.get();
  return serie;
}

std::unique_ptr<Haut_parleur> Haut_parleur_choisi(const Parametres_station& p) {
  if (p.haut_parleur == nullptr && p.bip == Parametres_station::Bip::Linux)
    return Choix_haut_parleur_linux(Journal_erreur_standard());
  return std::make_unique<Haut_parleur_muet>();
}

}  // namespace

Station::Station(const Parametres_station& p, Boite_messages& boite_messages)
    : reglages_(Reglages_lus(p)),
      sauvegarde_peripherique_(p.sauvegarde_peripherique),
      carte_(Carte_choisie(p, Peripherique_choisi(p, reglages_), carte_simulee_)),
      pilote_mixer_(Mixer_choisi(p, carte_->Nom(), mixer_simule_)),
      pilote_serie_(Serie_choisie(p, serie_simulee_)),
      // The simulated station keys Hamlib's dummy rig, never a real one.
      ptt_(p.serie == Parametres_station::Serie::Simulee),
      haut_parleur_(Haut_parleur_choisi(p)),
      boite(boite_messages),
      langue{p.langue},
      wave(*carte_, boite),
      mixer(pilote_mixer_.get()),
      pascal(p.haut_parleur != nullptr ? p.haut_parleur : haut_parleur_.get(), p.horloge),
      manipulation(*pilote_serie_, p.ports ? *p.ports : Correspondance_ports::Chargement(),
                   p.ptt != nullptr ? p.ptt : &ptt_),
      enregistrement(boite, p.qso),
      fichiers(boite, p.repertoire, p.disque),
      configuration(fichiers, boite, langue, relais_reglages_),
      moteur(wave, mixer, pascal, enregistrement, boite, langue,
             p.horloge != nullptr ? *p.horloge : horloge_monotone_, configuration.Textes_sequences) {
  if (carte_simulee_ != nullptr) {
    liste_ = carte_simulee_;
  } else {
    liste_alsa_ = std::make_unique<Liste_alsa>();
    liste_ = liste_alsa_.get();
  }
  // A chosen device that is missing is named in the report of every open,
  // in the operator's language, instead of a bare error code.
  wave.Message_absence = [this](const std::string& nom) { return Message_peripherique_absent(nom, langue); };
  pascal.Attache_registre_controle_modem(&manipulation);
  // Without a mixer device nothing is adjusted: the levels stay the
  // operator's.
  if (pilote_mixer_ == nullptr) mixer.Reglage_logiciel = false;
  moteur.Reglage_garde_emission(p.minutes_garde_emission ? *p.minutes_garde_emission
                                                         : reglages_.Minutes_garde_emission);
}

bool Station::Choix_peripherique_son(const std::string& nom) {
  carte_->Choix_nom(nom);
  if (!sauvegarde_peripherique_) return true;
  return Reglages_utilisateur::Ecriture_reglage(Reglages_utilisateur::Chemin_fichier(),
                                                Reglages_utilisateur::Cle_peripherique_son, nom,
                                                Journal_erreur_standard());
}

Station::~Station() {
  // The engine's destructor stops the streams and unkeys through the port
  // space; the port is closed (lines released) after it.
  moteur.Detache_observateur();
}

void Station::Choix_port_serie(uint8_t octet) {
  manipulation.Choix_port_serie(octet);
  moteur.Reglage_manipulation(manipulation.Port_serie_actif, manipulation.Adresse_MCR);
}

bool Station::Ouverture_port_serie() {
  return manipulation.Ouverture_selection();
}

void Station::Fermeture_port_serie() {
  manipulation.Fermeture_port_serie();
}

void Station::Topologie_demonstration(MixerSimule& m) {
  const uint32_t hp = m.Destination(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, "Volume Control");
  m.Controle(hp, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, 40000);
  m.Controle(hp, MIXERCONTROL_CONTROLTYPE_MUTE, 0, 1, 0);
  const uint32_t wave = m.Source(hp, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, "Wave");
  m.Controle(wave, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, 40000);
  m.Controle(wave, MIXERCONTROL_CONTROLTYPE_MUTE, 0, 1, 0);
  const uint32_t ligne = m.Source(hp, MIXERLINE_COMPONENTTYPE_SRC_LINE, "Line In");
  m.Controle(ligne, MIXERCONTROL_CONTROLTYPE_MUTE, 0, 1, 0);
  m.Controle(ligne, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, 20000);
  const uint32_t micro = m.Source(hp, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, "Mic", 1);
  m.Controle(micro, MIXERCONTROL_CONTROLTYPE_MUTE, 0, 1, 0);
  m.Controle(micro, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, 20000);

  const uint32_t rec = m.Destination(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, "Recording Control");
  const uint32_t rec_micro = m.Source(rec, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, "Mic", 1);
  m.Controle(rec_micro, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, 30000);
  const uint32_t rec_ligne = m.Source(rec, MIXERLINE_COMPONENTTYPE_SRC_LINE, "Line In");
  m.Controle(rec_ligne, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 65535, 30000);
  m.Selecteur(rec, MIXERCONTROL_CONTROLTYPE_MUX, {rec_micro, rec_ligne});
}

}  // namespace talven
