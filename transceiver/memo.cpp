#include "transceiver/memo.h"

namespace talven {

namespace {
constexpr char Retour_chariot = 13;
constexpr char Saut_ligne = 10;
constexpr uint8_t Retour_arriere = 8;
}  // namespace

Memo::Memo() {
  texte_.reserve(Longueur_limite + 2);
}

void Memo::Frappe(uint8_t c) {
  if (c == static_cast<uint8_t>(Retour_chariot)) {
    texte_ += Retour_chariot;
    texte_ += Saut_ligne;
  } else if (c == Retour_arriere) {
    const size_t n = texte_.size();
    if (n >= 2 && texte_[n - 2] == Retour_chariot && texte_[n - 1] == Saut_ligne) {
      texte_.resize(n - 2);
    } else if (n > 0) {
      texte_.pop_back();
    }
  } else {
    texte_ += static_cast<char>(c);
  }
  if (observateur_ != nullptr) observateur_->Memo_caractere(c);
}

void Memo::Effacement() {
  texte_.clear();
  Remplacement_signale();
}

void Memo::Limitation() {
  // Only a text of exactly the limit is cut. A carriage return adds two
  // characters, so a text can step over the limit and is then left as it
  // is: the typing window behaves so, and its growth is slow (ten
  // characters a second at most).
  if (texte_.size() != Longueur_limite) return;
  texte_.erase(0, texte_.size() - Longueur_gardee);
  Remplacement_signale();
}

void Memo::Limitation_au_dela() {
  if (texte_.size() < Longueur_limite) return;
  texte_.erase(0, texte_.size() - Longueur_gardee);
  Remplacement_signale();
}

void Memo::Remplacement_signale() {
  if (observateur_ != nullptr) observateur_->Memo_texte(texte_);
}

}  // namespace talven
