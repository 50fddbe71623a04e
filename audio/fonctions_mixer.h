// FONCTIONS_MIXER: sets the sound card's mixer up for the transceiver and
// gives the operator's own settings back at exit.
//
// Responsibilities: select the chosen input (line or microphone) as the
// recording source with the wanted recording volume, mute the inputs in the
// playback mix, unmute and level the wave output and the speaker output,
// report what was found, save each changed value the first time it is
// changed in the run and restore those values at exit. With "User
// adjustment" (`Reglage_logiciel` false) nothing touches the mixer.
// Collaborations: a `Pilote_mixer` back-end (ALSA or simulated), owned by the
// caller and outliving this object; read by the start-up checks (result
// flags) and the gain control (`Volume_enregistrement`).
#pragma once

#include <cstdint>
#include <vector>

#include "audio/modele_mixer.h"

namespace talven {

class FonctionsMixer {
 public:
  // `pilote`: the mixer back-end, may be null (then no mixer exists).
  explicit FonctionsMixer(Pilote_mixer* pilote) : pilote_(pilote) {}

  // --- Settings handed in by the callers (percentages 0 .. 100; larger
  // values are taken as 100) ---
  bool Reglage_logiciel = true;       // "Software adjustment"; false leaves the mixer alone
  bool Choix_microphone = false;      // record from the microphone, else from the line input
  int32_t Volume_haut_parleur = 100;  // speaker volume, %, both channels
  int32_t Volume_wave = 100;          // wave-output volume, %, both channels
  int32_t Gain_sortie_carte = 0;      // speaker destination's unsigned controls, %
  int32_t Gain_entree_carte = 0;      // recording destination's unsigned controls, %
  int32_t Niveau_voie_gauche = 100;   // recording volume of the selected source, left, %
  int32_t Niveau_voie_droite = 100;   // recording volume of the selected source, right, %

  // --- Results of the last set-up ---
  bool Mixer_present = false;               // a mixer device exists
  bool Enregistrement_trouve = false;       // recording destination found
  bool Haut_parleurs_trouves = false;       // speaker destination found
  bool Sortie_wave_trouvee = false;         // wave-output source found
  bool Source_selectionnee = false;         // a recording source was selected (never cleared)
  bool Entree_restitution_trouvee = false;  // the chosen input was found in the playback mix
  bool Controle_volume_trouve = false;      // the selected source has a volume control (never cleared)
  Resultat_mixer Derniere_erreur_mixer = MMSYSERR_NOERROR;  // result code of the last primitive

  // The full set-up from the settings above; writes the results.
  void Reglage_mixer();
  // Writes only the recording volume (left %, right %) of the source
  // selected by the last set-up.
  void Volume_enregistrement(int32_t gauche, int32_t droite);
  // Gives back every value saved since the start of the run.
  void Restauration_mixer();

  // --- Primitives: each fills the scratch state below and returns the
  // back-end's result code, also kept in `Derniere_erreur_mixer`. ---
  Resultat_mixer Ligne_par_type(uint32_t type_composant);
  Resultat_mixer Ligne_par_identifiant(uint32_t identifiant);
  Resultat_mixer Ligne_par_indices(uint32_t destination, uint32_t source);
  // Index and number of sources of the speaker destination.
  Resultat_mixer Destination_haut_parleurs(uint32_t& destination, uint32_t& connexions);
  // Every control of `Ligne` (at most 49) into `Controles`.
  Resultat_mixer Controles_ligne();
  // Items of control `Controles[indice]` (at most 49) into `Items`.
  Resultat_mixer Textes_liste(size_t indice);
  Resultat_mixer Lecture_booleen(uint32_t identifiant_controle, uint32_t& valeur);
  Resultat_mixer Ecriture_booleen(uint32_t identifiant_controle, uint32_t valeur);
  // Two-channel values of `Controles[indice]`, sent with `Ligne`'s channel count.
  Resultat_mixer Lecture_valeurs(size_t indice, uint32_t& gauche, uint32_t& droite);
  Resultat_mixer Ecriture_valeurs(size_t indice, uint32_t gauche, uint32_t droite);
  Resultat_mixer Ecriture_pourcentage(size_t indice, int32_t gauche, int32_t droite);
  // Per-item states of `Controles[indice]` (one channel when uniform).
  Resultat_mixer Lecture_items(size_t indice, std::vector<uint32_t>& etats);
  Resultat_mixer Ecriture_item(size_t indice, uint32_t item, uint32_t etat);

  // Raw value of `pourcentage` % of a control's range: (max - min) x % / 100,
  // or (max - min) / 100 x % when the maximum reaches 65536, so that large
  // ranges do not overflow; the minimum is not added.
  static uint32_t Valeur_pourcentage(const Controle_mixer& controle, int32_t pourcentage);

  // --- Scratch state of the current line ---
  Ligne_mixer Ligne;
  std::vector<Controle_mixer> Controles;
  std::vector<Item_liste> Items;

 private:
  // One saved control value: identifier, channel count and raw values.
  struct Valeur_sauvee {
    bool A_sauver = true;  // still to save; false once saved in this run
    uint32_t Controle = 0;
    uint32_t Canaux = 1;
    uint32_t Items = 0;
    std::vector<uint32_t> Valeurs;
  };
  // A mute of an input in the playback mix, found again by its line.
  struct Sourdine_sauvee {
    uint32_t Ligne = 0;
    uint32_t Nombre_controles = 0;
    uint32_t Valeur = 0;
  };
  // The user's values, each saved once per run. The inputs' mutes and
  // volumes are kept per line and per control: when the operator switches
  // between line and microphone, the volume of the newly chosen source is
  // saved before its first change too.
  struct Reglages_sauves {
    Valeur_sauvee Items_haut_parleurs, Sourdine_haut_parleurs, Volume_haut_parleurs, Graves, Aigus;
    Valeur_sauvee Sourdine_wave, Volume_wave;
    Valeur_sauvee Items_enregistrement;
    std::vector<Sourdine_sauvee> Sourdines_entree_choisie, Sourdines_autre_entree;
    std::vector<Valeur_sauvee> Volumes_entree_choisie, Volumes_source_enregistrement;
  };

  Resultat_mixer Note(Resultat_mixer resultat) { return Derniere_erreur_mixer = resultat; }
  void Sauve_valeurs(Valeur_sauvee& sauve, size_t indice);
  void Sauve_items(Valeur_sauvee& sauve, size_t indice);
  void Restaure(const Valeur_sauvee& sauve);
  void Reglage_haut_parleurs();
  void Reglage_sortie_wave();
  void Reglage_entree_restitution(uint32_t type_entree);
  void Sauve_valeurs(std::vector<Valeur_sauvee>& liste, size_t indice);
  void Sauve_sourdine(std::vector<Sourdine_sauvee>& liste, uint32_t identifiant_controle);
  void Reglage_ligne_entree(std::vector<Sourdine_sauvee>& sourdines, std::vector<Valeur_sauvee>* volumes);
  void Reglage_autre_entree(uint32_t type_autre);
  void Reglage_enregistrement();
  void Selection_source(size_t indice);
  void Reglage_volume_source();
  void Restauration_sourdine(const Sourdine_sauvee& sourdine);

  Pilote_mixer* pilote_;
  Reglages_sauves sauves_;
  uint32_t source_choisie_ = 0;  // line identifier of the selected recording source
};

}  // namespace talven
