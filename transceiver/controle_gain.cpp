#include "transceiver/controle_gain.h"

#include <charconv>
#include <stdexcept>

namespace talven {

ControleGain::ControleGain(FonctionsMixer& mixer) : mixer_(&mixer) {}

void ControleGain::Routage_gain(int32_t g) {
  // The unused channel is always at zero volume.
  if (Choix_entree_gauche || mixer_->Choix_microphone) {
    mixer_->Niveau_voie_gauche = g;
    mixer_->Niveau_voie_droite = 0;
  } else {
    mixer_->Niveau_voie_gauche = 0;
    mixer_->Niveau_voie_droite = g;
  }
}

void ControleGain::Gain_entree_fois_0_2MouseUP() {
  Choix_gain(20, false);
}
void ControleGain::Gain_entree_fois0_4MouseUP() {
  Choix_gain(40, false);
}
void ControleGain::Gain_entree_fois0_6MouseUP() {
  Choix_gain(60, false);
}
void ControleGain::Gain_entree_fois0_8MouseUP() {
  Choix_gain(80, false);
}
void ControleGain::Gain_entree_fois1MouseUP() {
  Choix_gain(100, false);
}
void ControleGain::AGCMouseUp() {
  Choix_gain(100, true);
}

void ControleGain::Choix_gain(int32_t v, bool automatique) {
  if (v != 20 && v != 40 && v != 60 && v != 80 && v != 100)
    throw std::invalid_argument("gain choice must be 20, 40, 60, 80 or 100 percent");
  if (automatique && v != 100) throw std::invalid_argument("automatic gain starts at 100 percent");
  CAG_active = automatique;
  mixer_->Gain_entree_carte = 0;
  Gain_choisi = v;
  Routage_gain(v);
  Gain_courant = v;
  mixer_->Reglage_mixer();
  if (observateur_ != nullptr) observateur_->Retour_focus();
}

void ControleGain::Activation() {
  Gain_courant = Gain_choisi;
  Routage_gain(Gain_choisi);
}

bool ControleGain::Controle_gain(std::span<const uint8_t> copie, int32_t Niveau_signal) {
  return Controle_gain(copie.size(), Niveau_signal);
}

bool ControleGain::Controle_gain(size_t longueur_copie, int32_t Niveau_signal) {
  const bool automatique = mixer_->Controle_volume_trouve && mixer_->Reglage_logiciel && CAG_active;
  // The copy stops at the first sample at the bottom of the range: the
  // input saturated.
  const bool saturation = longueur_copie < static_cast<size_t>(Taille_tampon);
  if (saturation) {
    Saturation_affichee = true;
    if (observateur_ != nullptr) observateur_->Saturation(true);
    if (automatique && Gain_courant > Gain_minimal) {
      Gain_courant -= Gain_courant > 10 ? 10 : 5;
      Routage_gain(Gain_courant);
      mixer_->Volume_enregistrement(mixer_->Niveau_voie_gauche, mixer_->Niveau_voie_droite);
    }
  } else {
    if (automatique && Gain_courant < Gain_maximal && Niveau_signal < Seuil_faible &&
        Niveau_precedent < Seuil_faible) {
      Gain_courant += Gain_courant < 10 ? 5 : 10;
      Routage_gain(Gain_courant);
      mixer_->Volume_enregistrement(mixer_->Niveau_voie_gauche, mixer_->Niveau_voie_droite);
    }
    Saturation_affichee = false;
    if (observateur_ != nullptr) observateur_->Saturation(false);
  }
  Niveau_precedent = Niveau_signal;
  Affichage_niveau_gain(Niveau_signal);
  return saturation;
}

void ControleGain::Affichage_niveau_gain(int32_t niveau) {
  if (observateur_ == nullptr) return;
  std::array<char, 12> texte_niveau{};
  std::array<char, 12> texte_gain{};
  const auto fin_niveau =
      std::to_chars(texte_niveau.data(), texte_niveau.data() + texte_niveau.size(), niveau).ptr;
  const auto fin_gain =
      std::to_chars(texte_gain.data(), texte_gain.data() + texte_gain.size(), Gain_courant).ptr;
  observateur_->Niveau_gain(
      VueTexte(texte_niveau.data(), static_cast<size_t>(fin_niveau - texte_niveau.data())),
      VueTexte(texte_gain.data(), static_cast<size_t>(fin_gain - texte_gain.data())));
}

}  // namespace talven
