#include "audio/peripherique_son.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace talven {

uint32_t Bit_format(uint32_t frequence_hz, uint32_t voies, uint32_t bits) {
  uint32_t rang;
  switch (frequence_hz) {
    case 11025:
      rang = 0;
      break;
    case 22050:
      rang = 4;
      break;
    case 44100:
      rang = 8;
      break;
    default:
      return 0;
  }
  if (voies != 1 && voies != 2) return 0;
  if (bits != 8 && bits != 16) return 0;
  // Within a rate: mono 8, stereo 8, mono 16, stereo 16.
  rang += (voies - 1) + (bits == 16 ? 2 : 0);
  return 1u << rang;
}

uint32_t File_tampons::Preparer(Entete_tampon& entete) {
  if (entete.Donnees == nullptr || entete.Longueur_tampon == 0) return Son_tampon_invalide;
  uint32_t d = entete.Drapeaux.load(std::memory_order_acquire);
  if (d & Drapeau_en_file) return Son_tampon_en_file;
  entete.Drapeaux.store(d | Drapeau_prepare, std::memory_order_release);
  return Son_ok;
}

uint32_t File_tampons::Depreparer(Entete_tampon& entete) {
  uint32_t d = entete.Drapeaux.load(std::memory_order_acquire);
  if (d & Drapeau_en_file) return Son_tampon_en_file;
  entete.Drapeaux.store(d & ~Drapeau_prepare, std::memory_order_release);
  return Son_ok;
}

uint32_t File_tampons::Ajouter(Entete_tampon& entete) {
  std::lock_guard verrou(verrou_);
  uint32_t d = entete.Drapeaux.load(std::memory_order_acquire);
  if (!(d & Drapeau_prepare) || entete.Donnees == nullptr || entete.Longueur_tampon == 0)
    return Son_tampon_invalide;
  if (d & Drapeau_en_file) return Son_tampon_en_file;
  entete.Erreur.store(0, std::memory_order_relaxed);
  if (sens_ == Sens::Entree) entete.Octets_enregistres.store(0, std::memory_order_relaxed);
  entete.Drapeaux.store((d & ~Drapeau_termine) | Drapeau_en_file, std::memory_order_release);
  if (file_.empty()) position_ = 0;
  file_.push_back(&entete);
  return Perte();
}

Entete_tampon* File_tampons::Tete(uint32_t& position) {
  std::lock_guard verrou(verrou_);
  position = position_;
  return file_.empty() ? nullptr : file_.front();
}

Entete_tampon* File_tampons::Rang(size_t rang) {
  std::lock_guard verrou(verrou_);
  return rang < file_.size() ? file_[rang] : nullptr;
}

void File_tampons::Terminer(Entete_tampon& e, uint32_t octets, uint32_t erreur) {
  // The samples were written before this point; the recorded count is a
  // release store after them, so a poller that reads the count with acquire
  // order (as the receive pipeline does) also sees the samples.
  e.Erreur.store(erreur, std::memory_order_relaxed);
  if (sens_ == Sens::Entree) e.Octets_enregistres.store(octets, std::memory_order_release);
  uint32_t d = e.Drapeaux.load(std::memory_order_relaxed);
  e.Drapeaux.store((d & ~Drapeau_en_file) | Drapeau_termine, std::memory_order_release);
  // After the done bit, so a loop woken by the descriptor finds the buffer
  // finished. A full counter (EAGAIN) already wakes the loop; any other error
  // only costs the wake-up, the loop still finds the buffer on its next pass.
  if (reveil_ >= 0) {
    const uint64_t un = 1;
    [[maybe_unused]] const ssize_t ecrits = ::write(reveil_, &un, sizeof un);
  }
}

void File_tampons::Reveil(int descripteur) {
  // Every completion runs with the lock held: once the new value is stored,
  // none is still writing to the old one.
  std::lock_guard verrou(verrou_);
  reveil_ = descripteur;
}

void File_tampons::Avancer(uint32_t octets) {
  std::lock_guard verrou(verrou_);
  if (file_.empty()) return;
  Entete_tampon& e = *file_.front();
  position_ = std::min(e.Longueur_tampon, position_ + octets);
  if (position_ < e.Longueur_tampon) return;
  file_.pop_front();
  position_ = 0;
  Terminer(e, e.Longueur_tampon, 0);
}

bool File_tampons::Terminer_tete_en_perte() {
  std::lock_guard verrou(verrou_);
  if (file_.empty()) return false;
  Entete_tampon& e = *file_.front();
  if (sens_ == Sens::Entree) std::memset(e.Donnees + position_, 128, e.Longueur_tampon - position_);
  file_.pop_front();
  position_ = 0;
  uint32_t code = Perte();
  Terminer(e, e.Longueur_tampon, code != 0 ? code : Son_non_ouvert);
  return true;
}

void File_tampons::Vider() {
  std::lock_guard verrou(verrou_);
  bool premier = true;
  for (Entete_tampon* e : file_) {
    Terminer(*e, premier ? position_ : 0, 0);
    premier = false;
  }
  file_.clear();
  position_ = 0;
}

bool File_tampons::Vide() {
  std::lock_guard verrou(verrou_);
  return file_.empty();
}

void File_tampons::Perdre(uint32_t code) {
  perte_.store(code, std::memory_order_release);
}

}  // namespace talven
