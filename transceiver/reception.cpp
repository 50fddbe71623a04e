#include "transceiver/reception.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace talven {

Reception::Reception(FonctionsWave& wave, ChaineReception& chaine, ControleGain& gain,
                     SpectreReception& spectre, ObservateurTransceiver& observateur)
    : wave_(&wave), chaine_(&chaine), gain_(&gain), spectre_(&spectre), observateur_(&observateur) {}

void Reception::Vidage() {
  Nombre_echantillons = 0;
  Position_lecture = 1;
}

void Reception::Affichage_label5(bool rouge) {
  Label5_rouge = rouge;
  observateur_->Label5(rouge);
}

void Reception::Traitement_reception(bool& Passage_termine) {
  while (!Passage_termine) {
    Entete_tampon* premier = wave_->Entete_entree();
    Entete_tampon* second = wave_->Entete_entree_bis();
    const auto complet = [](const Entete_tampon* e) {
      return e != nullptr && e->Octets_enregistres.load(std::memory_order_acquire) == Taille_tampon;
    };
    if (complet(premier)) {
      Prise_tampon(*premier, false);
      Passage_termine = true;
      wave_->Suppression_entree();
      wave_->Preparation_entree();
      wave_->Ajout_tampon_entree();
    } else if (complet(second)) {
      Prise_tampon(*second, true);
      Passage_termine = true;
      wave_->Suppression_entree_bis();
      wave_->Preparation_entree_bis();
      wave_->Ajout_tampon_entree_bis();
    }
    // Nothing pending and no buffer complete: the rest of the pass would
    // only poll the headers, so it is left to the next call.
    if (!Traitement_echantillon() && !Passage_termine) return;
  }
}

void Reception::Prise_tampon(Entete_tampon& entete, bool second) {
  const bool deux_tampons = Nombre_echantillons > Taille_tampon;
  if (deux_tampons) {
    if (Position_lecture > Taille_tampon) {
      Affichage_label5(false);
    } else {
      // Processing fell behind: the rest of the older buffer is dropped.
      Position_lecture = Taille_tampon + 1;
      Affichage_label5(true);
    }
  }

  // The copy ends at the first sample of value 0, the bottom of the range,
  // which the gain control takes as saturation. The bytes recorded after it
  // are kept, so the copy is always a whole buffer for the chain.
  const uint32_t longueur = std::min<uint32_t>(entete.Longueur_tampon, Taille_tampon);
  const uint8_t* donnees = entete.Donnees;
  std::fill(copie_.begin(), copie_.end(), uint8_t{128});
  if (donnees != nullptr) std::memcpy(copie_.data(), donnees, longueur);
  const auto zero = std::find(copie_.begin(), copie_.begin() + longueur, uint8_t{0});
  Longueur_copie = static_cast<int32_t>(zero - copie_.begin());
  gain_->Controle_gain(static_cast<size_t>(Longueur_copie), chaine_->Niveau_signal);

  if (deux_tampons) {
    std::memmove(Echantillons_recus.data(), Echantillons_recus.data() + Taille_tampon,
                 static_cast<size_t>(Nombre_echantillons - Taille_tampon));
    Nombre_echantillons -= Taille_tampon;
    if (!second || Parametres_de_classe(chaine_->Classe_processeur).Spectre_second_tampon) {
      spectre_->Pas_spectre(std::span<const uint8_t>(copie_.data(), copie_.size()));
    }
    std::memcpy(Echantillons_recus.data() + Nombre_echantillons, copie_.data(), Taille_tampon);
    Nombre_echantillons += Taille_tampon;
    Position_lecture -= Taille_tampon;
  } else {
    std::memcpy(Echantillons_recus.data() + Nombre_echantillons, copie_.data(), Taille_tampon);
    Nombre_echantillons += Taille_tampon;
  }
  entete.Octets_enregistres.store(0, std::memory_order_release);
  ++Tampons_pris;
}

bool Reception::Echantillon_suivant(uint8_t& c) {
  if (Position_lecture > Nombre_echantillons) return false;
  c = Echantillons_recus[static_cast<size_t>(Position_lecture - 1)];
  ++Position_lecture;
  return true;
}

bool Reception::Traitement_echantillon() {
  uint8_t c = 0;
  if (!Echantillon_suivant(c)) return false;
  chaine_->Traitement_echantillon(c);
  return true;
}

}  // namespace talven
