#include "transceiver/emetteur.h"

#include <algorithm>
#include <cstring>

namespace talven {

namespace {
// Largest queue: a buffer's worth short by one sample, plus the longest
// character (10 pattern bits and the separator, 13 symbols of 1102 samples).
constexpr size_t Capacite_file = Emetteur::Taille_tampon + 13 * 1102;
}  // namespace

Emetteur::Emetteur(FonctionsWave& wave, Modulateur& modulateur, SaisieEmission& saisie,
                   EnregistrementQso& enregistrement, Memo& memo3, FonctionsPascal& pascal,
                   ObservateurTransceiver& observateur)
    : wave_(&wave),
      modulateur_(&modulateur),
      saisie_(&saisie),
      enregistrement_(&enregistrement),
      memo3_(&memo3),
      pascal_(&pascal),
      observateur_(&observateur) {
  Echantillons_a_emettre.reserve(Capacite_file);
}

void Emetteur::Manipulation_emission() {
  if (Port_serie_actif) pascal_->Ecriture_port(Adresse_MCR, Mcr_emission);
}

void Emetteur::Manipulation_reception() {
  if (Port_serie_actif) pascal_->Ecriture_port(Adresse_MCR, Mcr_reception);
}

bool Emetteur::Debut_edition(int32_t frequence) {
  Emission_au_repos = false;
  saisie_->Vidage();
  Echantillons_a_emettre.clear();
  Echantillons_texte = 0;
  Repos_tampon[0] = Repos_tampon[1] = true;
  enregistrement_->Marque_QSO(EnregistrementQso::Marque_emission);
  modulateur_->Duree_symbole = static_cast<uint16_t>(10000 / Modulateur::Rapidite);
  modulateur_->Frequence_echantillonnage = wave_->Frequence_echantillonnage;
  modulateur_->Init_modulation(frequence);

  wave_->Allocation_sortie();
  wave_->Allocation_sortie_bis();
  if (wave_->Ouverture_sortie_son(1, wave_->Frequence_echantillonnage) != 0) {
    wave_->Liberation_sortie();
    wave_->Liberation_sortie_bis();
    return false;
  }
  Entete_tampon* premier = wave_->Entete_sortie();
  Entete_tampon* second = wave_->Entete_sortie_bis();
  if (premier == nullptr || second == nullptr || premier->Donnees == nullptr || second->Donnees == nullptr ||
      premier->Longueur_tampon < static_cast<uint32_t>(Taille_tampon) ||
      second->Longueur_tampon < static_cast<uint32_t>(Taille_tampon)) {
    Arret_edition();
    return false;
  }
  // One third of a second of carrier, a reversal, another third: the
  // oscillator and the filter run on from the first buffer into the second.
  for (int32_t i = 0; i < Taille_tampon; ++i) premier->Donnees[i] = modulateur_->Echantillon_module(-1);
  for (int32_t i = 0; i < Taille_tampon; ++i) second->Donnees[i] = modulateur_->Echantillon_module(1);
  // A buffer that could not be queued would never come back finished and the
  // refill cycle would wait for it: the start is abandoned at the first
  // failure instead.
  if (wave_->Preparation_sortie() != 0 || wave_->Preparation_sortie_bis() != 0 ||
      wave_->Ecriture_sortie() != 0 || wave_->Ecriture_sortie_bis() != 0) {
    Arret_edition();
    return false;
  }
  return true;
}

void Emetteur::Affichage_transmission_a_faire(bool visible) {
  if (Transmission_a_faire == visible) return;
  Transmission_a_faire = visible;
  observateur_->Visibilite(ElementFenetre::transmission_a_faire, visible);
}

void Emetteur::Remplissage_emission(bool& Passage_termine) {
  while (!Passage_termine) {
    Entete_tampon* premier = wave_->Entete_sortie();
    Entete_tampon* second = wave_->Entete_sortie_bis();
    bool travail = false;
    if (premier != nullptr && premier->Termine()) {
      wave_->Suppression_sortie();
      Remplissage_tampon(*premier, 0);
      wave_->Preparation_sortie();
      wave_->Ecriture_sortie();
      Passage_termine = true;
    } else if (second != nullptr && second->Termine()) {
      wave_->Suppression_sortie_bis();
      Remplissage_tampon(*second, 1);
      wave_->Preparation_sortie_bis();
      wave_->Ecriture_sortie_bis();
      Passage_termine = true;
    }
    if (Echantillons_a_emettre.size() < static_cast<size_t>(Taille_tampon)) {
      travail = true;
      const uint8_t c = saisie_->Caractere_suivant();
      if (c == SaisieEmission::File_vide) {
        Affichage_transmission_a_faire(false);
        const bool premiere_marque = !Emission_au_repos;
        Codage_caractere(Caractere_repos);
        // The idle mark right after text carries the separator that ends its
        // last character: it counts as text until played.
        if (premiere_marque) Echantillons_texte = Echantillons_a_emettre.size();
        Dernier_caractere = Caractere_repos;
        Emission_au_repos = true;
      } else {
        Affichage_transmission_a_faire(true);
        Codage_caractere(c);
        Echantillons_texte = Echantillons_a_emettre.size();
        Dernier_caractere = c;
        Emission_au_repos = false;
      }
    }
    saisie_->Longueur_texte = static_cast<uint16_t>(saisie_->Texte_a_emettre.size());
    // A buffer's worth is ready and the card still plays both buffers: the
    // rest of the cycle is left to the next call.
    if (!travail && !Passage_termine) return;
  }
}

void Emetteur::Remplissage_tampon(Entete_tampon& entete, int index) {
  const size_t n = Echantillons_a_emettre.size();
  const size_t taille = std::min<size_t>(Taille_tampon, entete.Longueur_tampon);
  // A buffer counts as idle only when none of its samples belongs to text:
  // once both buffers are, every text sample has been played, and stopping
  // the output cannot cut the end of the transmission.
  Repos_tampon[index] = Emission_au_repos && Echantillons_texte == 0;
  Echantillons_texte -= std::min(Echantillons_texte, taille);
  uint8_t* donnees = entete.Donnees;
  if (n < taille) {
    // The encoder fell behind: the queued samples, then plain carrier with
    // sign +1 whatever the phase state.
    Label5_rouge = true;
    observateur_->Label5(true);
    if (donnees != nullptr) {
      std::memcpy(donnees, Echantillons_a_emettre.data(), n);
      for (size_t i = n; i < taille; ++i) donnees[i] = modulateur_->Echantillon_module(1);
    }
    Echantillons_a_emettre.clear();
  } else {
    Label5_rouge = false;
    observateur_->Label5(false);
    if (donnees != nullptr) std::memcpy(donnees, Echantillons_a_emettre.data(), taille);
    Echantillons_a_emettre.erase(Echantillons_a_emettre.begin(),
                                 Echantillons_a_emettre.begin() + static_cast<std::ptrdiff_t>(taille));
  }
}

void Emetteur::Arret_edition() {
  wave_->Arret_sortie();
  wave_->Suppression_sortie();
  wave_->Suppression_sortie_bis();
  wave_->Fermeture_sortie();
  wave_->Liberation_sortie();
  wave_->Liberation_sortie_bis();
}

void Emetteur::Codage_caractere(uint8_t c) {
  memo3_->Frappe(c);
  modulateur_->Modulation_caractere(c, Echantillons_a_emettre);
  if (c != Caractere_repos && c != Caractere_effacement) enregistrement_->Ajout_QSO(c);
  // The full-record warning comes once when the record fills, not after
  // every character.
  enregistrement_->Controle_plein();
  if (c == Caractere_effacement) enregistrement_->Effacement_QSO_emis();
  saisie_->Echo_sequence(c);
  Limitation_memo_emission();
}

void Emetteur::Limitation_memo_emission() {
  saisie_->Memo2.Limitation();
}

bool Emetteur::Emission_terminee() const {
  // Text typed since the last character request is still to be sent: ending
  // now would drop it without a word.
  return Repos_tampon[0] && Repos_tampon[1] && Dernier_caractere == Caractere_repos &&
         (Echantillons_a_emettre.empty() || Emission_au_repos) && saisie_->Texte_a_emettre.empty();
}

}  // namespace talven
