#include "transceiver/enregistrement_qso.h"

namespace talven {

namespace {
constexpr uint8_t Retour_chariot = 13;
constexpr uint8_t Saut_ligne = 10;
}  // namespace

EnregistrementQso::EnregistrementQso(Boite_messages& boite, bool conserve)
    : enregistrement_(static_cast<size_t>(Taille), ' '), conserve_(conserve), boite_(&boite) {}

void EnregistrementQso::Ajout_QSO(uint8_t c) {
  if (!conserve_) return;
  if (index_ < Taille) ++index_;
  enregistrement_[static_cast<size_t>(index_ - 1)] = static_cast<char>(c);
}

void EnregistrementQso::Ajout_QSO_recu(uint8_t c) {
  if (!conserve_ || index_ >= Taille) return;
  ++index_;
  enregistrement_[static_cast<size_t>(index_ - 1)] = static_cast<char>(c);
}

void EnregistrementQso::Effacement_QSO_recu() {
  if (index_ > Taille - 1 || index_ <= debut_modifiable_) return;
  const bool saut = static_cast<uint8_t>(enregistrement_[static_cast<size_t>(index_ - 1)]) == Saut_ligne;
  // The pair goes together, but never reaches into the marker block.
  index_ -= (saut && index_ - 2 >= debut_modifiable_) ? 2 : 1;
  Rearmement();
}

void EnregistrementQso::Effacement_QSO_emis() {
  if (index_ > Taille - 1 || index_ <= debut_modifiable_) return;
  --index_;
  Rearmement();
}

void EnregistrementQso::Marque_QSO(uint8_t m) {
  for (uint8_t c : {Retour_chariot, Saut_ligne, Retour_chariot, Saut_ligne, m, static_cast<uint8_t>(' '),
                    Retour_chariot, Saut_ligne}) {
    Ajout_QSO(c);
  }
  debut_modifiable_ = index_;
}

void EnregistrementQso::Controle_plein() {
  if (index_ <= Seuil_plein) {
    message_montre_ = false;
    return;
  }
  if (message_montre_) return;
  message_montre_ = true;
  boite_->Message(Message_plein);
}

void EnregistrementQso::Rearmement() {
  if (index_ <= Seuil_plein) message_montre_ = false;
}

}  // namespace talven
