#include "app/verifications_demarrage.h"

#include "audio/liste_peripheriques_son.h"

namespace talven {

namespace {
constexpr int32_t Frequence_test = 11025;  // Hz
constexpr uint8_t Huit_bits = 1;           // width selector: 8 bits
constexpr uint8_t Mono = 0;                // channel selector: anything but 1 is mono
}  // namespace

void VerificationsDemarrage::Probleme(VueTexte anglais_utf8, VueTexte francais_utf8) {
  pascal_.Bip(Frequence_bip, Duree_bip);
  boite_.Message(langue_.Choix(anglais_utf8, francais_utf8));
}

bool VerificationsDemarrage::Peripherique_present() {
  return wave_.Presence_peripherique() == Son_ok;
}

void VerificationsDemarrage::Rapport_peripherique_absent() {
  pascal_.Bip(Frequence_bip, Duree_bip);
  boite_.Message(Message_peripherique_absent(wave_.Nom_peripherique(), langue_));
}

bool VerificationsDemarrage::Carte_et_format(VueTexte sans_carte_fr, VueTexte sans_format_fr) {
  uint32_t entrees = 0, formats_entree = 0, sorties = 0, formats_sortie = 0;
  wave_.Capacites_son(entrees, formats_entree, sorties, formats_sortie);
  if (entrees == 0 || sorties == 0) {
    Probleme("Impossible working because there is no sound card.", sans_carte_fr);
    return false;
  }
  // One direction offering the format is enough.
  if ((formats_entree & Format_1M08) == 0 && (formats_sortie & Format_1M08) == 0) {
    Probleme("Impossible working because the minimum format required for the sound card is not available.",
             sans_format_fr);
    return false;
  }
  return true;
}

bool VerificationsDemarrage::Verification_carte_son() {
  wave_.Affichage_erreurs_son = 0;
  const bool utilisable = Carte_et_format(
      "Fonctionnement impossible car il n'y a pas de carte son.",
      "Fonctionnement impossible car le format minimum requis pour la carte son n'est pas disponible.");
  wave_.Affichage_erreurs_son = 1;
  return utilisable;
}

bool VerificationsDemarrage::Disponibilite_carte_son() {
  if (!Peripherique_present()) {
    Rapport_peripherique_absent();
    return false;
  }
  wave_.Affichage_erreurs_son = 0;
  bool utilisable = Carte_et_format("Fonctionnement impossible car il n'y a pas de carte son",
                                    "Fonctionnement impossible car format minimum non disponible.");
  if (utilisable) {
    if (wave_.Ouverture_entree_son(Huit_bits, Frequence_test, Mono) != 0) {
      Probleme("Impossible working because the Line in of the sound card is yet used by another application.",
               "Fonctionnement impossible car entrée carte son utilisée par une autre application.");
      utilisable = false;
    } else {
      wave_.Fermeture_entree();
      if (wave_.Ouverture_sortie_son(Huit_bits, Frequence_test) != 0) {
        Probleme(
            "Impossible working because the speaker out of the sound card is yet used by another "
            "application.",
            "Fonctionnement impossible car sortie carte son utilisée par une autre application.");
        utilisable = false;
      } else {
        wave_.Fermeture_sortie();
      }
    }
  }
  wave_.Affichage_erreurs_son = 1;
  return utilisable;
}

void VerificationsDemarrage::Verification_mixer() {
  if (!mixer_.Reglage_logiciel) return;
  mixer_.Volume_wave = 100;
  mixer_.Volume_haut_parleur = 20;
  mixer_.Niveau_voie_gauche = 100;
  mixer_.Niveau_voie_droite = 100;
  mixer_.Gain_sortie_carte = 0;
  mixer_.Reglage_mixer();

  struct Verification {
    bool FonctionsMixer::*resultat;
    const char* anglais;
    const char* francais;
  };
  static constexpr Verification verifications[] = {
      {&FonctionsMixer::Mixer_present, "No mixer found!", "Pas de mixer trouvé!"},
      {&FonctionsMixer::Enregistrement_trouve, "Mixer problem. No record control found!",
       "Problème mixer. Pas de contrôle de l'enregistrement trouvé!"},
      {&FonctionsMixer::Haut_parleurs_trouves, "Mixer problem. No gain control found!",
       "Problème mixer. Pas de contrôle du volume trouvé!"},
      {&FonctionsMixer::Sortie_wave_trouvee, "Mixer problem. No sound input (wave) found!",
       "Problème mixer. Pas d'entrée son (wave) trouvée!"},
      {&FonctionsMixer::Source_selectionnee, "Mixer problem. No sound input in record mode found!",
       "Problème mixer. Pas d'entrée ligne en enregistrement trouvée!"},
      {&FonctionsMixer::Entree_restitution_trouvee, "Mixer problem. No sound input in forward mode found!",
       "Problème mixer. Pas d'entrée ligne en restitution trouvée!"},
      {&FonctionsMixer::Controle_volume_trouve, "Mixer problem. No capacity to adjust record level!",
       "Problème mixer. Pas de possibilité de régler le niveau d'enregistrement!"},
  };
  for (const Verification& v : verifications) {
    if (mixer_.*v.resultat) continue;
    pascal_.Bip(Frequence_bip, Duree_bip);
    ligne_etat_.Label1(langue_.Choix(v.anglais, v.francais));
    return;
  }
}

}  // namespace talven
