#include "app/affiche_puissance_voies.h"

#include <cmath>
#include <string>
#include <utility>

#include "common/arrondi.h"

namespace talven {

AffichePuissanceVoies::AffichePuissanceVoies(FonctionsWave& wave, FonctionsMixer& mixer, const Langue& langue,
                                             Horloge_datee& horloge)
    : wave_(wave), mixer_(mixer), langue_(langue), horloge_(horloge) {}

AffichePuissanceVoies::~AffichePuissanceVoies() {
  if (etat_ == Etat::Acquisition) {
    Arret_acquisition();
    Liberation_niveau();
  }
}

Texte AffichePuissanceVoies::Legende(ElementMoniteur element) const {
  switch (element) {
    case ElementMoniteur::Fenetre:
      return langue_.Choix("Level on sound inputs", "Niveau des entrées son");
    case ElementMoniteur::Retour_au_menuBouton:
      return langue_.Choix("Return to the menu", "Retour au menu");
    case ElementMoniteur::Entree_ligne_gauche:
      return langue_.Choix("Line in left channel", "Entrée ligne gauche");
    case ElementMoniteur::Entree_ligne_droite:
      return langue_.Choix("Line in right channel", "Entrée ligne droite");
    case ElementMoniteur::Entree_micro:
      break;
  }
  return langue_.Choix("Microphone", "Entrée microphone");
}

Texte AffichePuissanceVoies::Texte_sans_son() const {
  return langue_.Choix("No sound from the card", "Pas de son de la carte");
}

void AffichePuissanceVoies::A_l_activation_de_la_fiche() {
  if (etat_ == Etat::Acquisition) {
    Arret_acquisition();
    Liberation_niveau();
  }
  for (Texte& a : affichages_) a.clear();
  entree_ = Entree_son::Ligne_gauche;
  etat_ = Etat::Repos;
  rapport_ouverture_ = true;
  Mesure_active = true;
}

void AffichePuissanceVoies::Retour_au_menuBoutonClick() {
  Mesure_active = false;
  if (etat_ == Etat::Acquisition) {
    Arret_acquisition();
    Liberation_niveau();
  }
  etat_ = Etat::Repos;
}

void AffichePuissanceVoies::Timer1Timer() {
  if (!Mesure_active) return;
  switch (etat_) {
    case Etat::Repos:
      Selection_entree();
      Acquisition_niveau();
      break;
    case Etat::Acquisition:
      Suivi_acquisition();
      break;
    case Etat::Pause:
      if (horloge_.Maintenant() - debut_ >= Attente_maximale) etat_ = Etat::Repos;
      break;
  }
}

void AffichePuissanceVoies::Selection_entree() {
  // The unused channel at zero, as the main window sets its inputs.
  mixer_.Choix_microphone = entree_ == Entree_son::Microphone;
  mixer_.Niveau_voie_gauche = entree_ == Entree_son::Ligne_droite ? 0 : Gain_choisi;
  mixer_.Niveau_voie_droite = entree_ == Entree_son::Ligne_droite ? Gain_choisi : 0;
  mixer_.Reglage_mixer();
}

void AffichePuissanceVoies::Acquisition_niveau() {
  debut_ = horloge_.Maintenant();
  wave_.Taille_tampon = Taille_tampon;
  wave_.Frequence_echantillonnage = Frequence;
  wave_.Allocation_entree();
  wave_.Affichage_erreurs_son = rapport_ouverture_ ? 1 : 0;
  const int ouverture = wave_.Ouverture_entree_son(1, Frequence, 0);
  wave_.Affichage_erreurs_son = 1;
  rapport_ouverture_ = ouverture == 0;
  bool demarre = false;
  if (ouverture == 0) {
    if (wave_.Preparation_entree() != 0) {
      wave_.Fermeture_entree();
    } else if (wave_.Ajout_tampon_entree() != 0) {
      wave_.Suppression_entree();
      wave_.Fermeture_entree();
    } else {
      wave_.Demarrage_entree();
      demarre = true;
    }
  }
  if (demarre) {
    etat_ = Etat::Acquisition;
    return;
  }
  // The failure has been shown; the next input waits out this one's
  // second, so that a card that keeps failing leaves the operator time to
  // press the button between two messages.
  Liberation_niveau();
  Resultat(Texte_sans_son());
  etat_ = Etat::Pause;
}

void AffichePuissanceVoies::Suivi_acquisition() {
  const Entete_tampon* entete = wave_.Entete_entree();
  const bool plein = entete != nullptr &&
                     entete->Octets_enregistres.load(std::memory_order_acquire) >= uint32_t{Taille_tampon};
  if (!plein && horloge_.Maintenant() - debut_ < Attente_maximale) return;
  Arret_acquisition();
  // A buffer ended by the loss of the device holds silence, not sound.
  if (plein && entete->Erreur.load(std::memory_order_acquire) == 0) {
    Mesure_niveau(entete->Donnees);
    Liberation_niveau();
    Resultat(Texte_niveau(Niveau_mesure));
  } else {
    Liberation_niveau();
    Resultat(Texte_sans_son());
  }
  etat_ = Etat::Repos;
}

void AffichePuissanceVoies::Arret_acquisition() {
  wave_.Arret_entree();
  wave_.Suppression_entree();
  wave_.Fermeture_entree();
}

void AffichePuissanceVoies::Liberation_niveau() {
  wave_.Liberation_entree();
}

void AffichePuissanceVoies::Resultat(Texte texte) {
  affichages_[static_cast<std::size_t>(entree_)] = std::move(texte);
  entree_ = static_cast<Entree_son>((static_cast<int>(entree_) + 1) % Nombre_entrees_son);
}

double AffichePuissanceVoies::Mesure_niveau(const uint8_t* echantillons) {
  double somme = 0.0;
  Index_lecture = Echantillons_ignores;
  for (int32_t i = 0; i < Echantillons_mesures; ++i) somme += echantillons[Index_lecture++];
  const double moyenne = somme / Echantillons_mesures;
  double carres = 0.0;
  Index_lecture = Echantillons_ignores;
  for (int32_t i = 0; i < Echantillons_mesures; ++i) {
    const double ecart = echantillons[Index_lecture++] - moyenne;
    carres += ecart * ecart;
  }
  Niveau_mesure = std::sqrt(carres / Echantillons_mesures) / Deviation_pleine_echelle * 100.0;
  return Niveau_mesure;
}

Texte AffichePuissanceVoies::Texte_niveau(double niveau) {
  return std::to_string(Arrondi(niveau)) + " %";
}

}  // namespace talven
