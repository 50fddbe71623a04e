#include "audio/fonctions_wave.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>
#include <string>

#include "common/texte.h"

namespace talven {

FonctionsWave::FonctionsWave(Peripherique_son& peripherique, Boite_messages& boite)
    : peripherique_(peripherique), boite_(boite) {}

FonctionsWave::~FonctionsWave() {
  // Results ignored: a direction that is not open answers Son_non_ouvert.
  peripherique_.Fermer(Sens::Entree);
  peripherique_.Fermer(Sens::Sortie);
  // Detached first: once the back-end no longer writes it, its number may be
  // given to another file.
  if (reveil_ >= 0) {
    peripherique_.Reveil(-1);
    ::close(reveil_);
  }
}

int FonctionsWave::Descripteur_reveil() {
  if (!reveil_demande_) {
    reveil_demande_ = true;
    reveil_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (reveil_ >= 0) peripherique_.Reveil(reveil_);
  }
  return reveil_;
}

void FonctionsWave::Acquittement_reveil() {
  if (reveil_ < 0) return;
  // One read takes the whole count; EAGAIN means it was already empty.
  uint64_t compte = 0;
  [[maybe_unused]] const ssize_t lus = ::read(reveil_, &compte, sizeof compte);
}

int FonctionsWave::Rapport(uint32_t r, Sens sens, const char* texte) {
  if (r == Son_ok) return 0;
  // A lost device is reported once per opening; the later failures it causes
  // return 1 silently instead of showing a box for every buffer.
  uint32_t& signalee = sens == Sens::Entree ? perte_signalee_entree_ : perte_signalee_sortie_;
  uint32_t perte = peripherique_.Perte(sens);
  if (perte != 0 && r == perte) {
    if (signalee == perte) return 1;
    signalee = perte;
  }
  // The code is shown as the unsigned 16-bit number, digits right after the text.
  boite_.Message(Depuis_utf8(texte) + std::to_string(static_cast<uint16_t>(r)));
  return 1;
}

int FonctionsWave::Rapport_ouverture(uint32_t r, Sens sens, const char* texte) {
  if (r != Son_absent || !Message_absence) return Rapport(r, sens, texte);
  boite_.Message(Message_absence(peripherique_.Nom()));
  return 1;
}

void FonctionsWave::Capacites_son(uint32_t& nombre_entrees, uint32_t& formats_entree,
                                  uint32_t& nombre_sorties, uint32_t& formats_sortie) {
  nombre_entrees = peripherique_.Nombre_peripheriques(Sens::Entree);
  if (nombre_entrees != 0 && peripherique_.Capacites(Sens::Entree, formats_entree) != Son_ok)
    boite_.Message(Depuis_utf8("Erreur sur détermination des capacités d'entrée."));
  nombre_sorties = peripherique_.Nombre_peripheriques(Sens::Sortie);
  if (nombre_sorties != 0 && peripherique_.Capacites(Sens::Sortie, formats_sortie) != Son_ok)
    boite_.Message(Depuis_utf8("Erreur sur détermination des capacités de sortie."));
}

Format_son FonctionsWave::Format(uint8_t largeur, int32_t frequence, uint16_t voies) const {
  const uint32_t bits = largeur == 1 ? 8 : 16;
  const uint32_t taux = static_cast<uint32_t>(frequence);
  Format_son f;
  f.Format = 1;
  f.Voies = voies;
  f.Echantillons_par_seconde = taux;
  f.Octets_par_seconde = voies * (taux * bits / 8);
  f.Alignement_bloc = static_cast<uint16_t>(voies * (bits / 8));
  f.Bits_par_echantillon = static_cast<uint16_t>(bits);
  return f;
}

int FonctionsWave::Ouverture_entree_son(uint8_t largeur, int32_t frequence, uint8_t voies) {
  Largeur_entree = largeur;
  Voies_entree = voies;
  Format_entree = Format(largeur, frequence, voies == 1 ? 2 : 1);
  uint32_t r = frequence > 0 ? peripherique_.Ouvrir(Sens::Entree, Format_entree) : Son_format_refuse;
  if (r == Son_ok) {
    perte_signalee_entree_ = 0;
    return 0;
  }
  if (Affichage_erreurs_son == 1)
    return Rapport_ouverture(r, Sens::Entree, "Erreur ouverture entree son n°:");
  return 1;
}

int FonctionsWave::Ouverture_sortie_son(uint8_t largeur, int32_t frequence) {
  Largeur_sortie = largeur;
  Format_sortie = Format(largeur, frequence, 1);
  uint32_t r = frequence > 0 ? peripherique_.Ouvrir(Sens::Sortie, Format_sortie) : Son_format_refuse;
  if (r == Son_ok) {
    perte_signalee_sortie_ = 0;
    return 0;
  }
  if (Affichage_erreurs_son == 1)
    return Rapport_ouverture(r, Sens::Sortie, "Erreur ouverture sortie son n°:");
  return 1;
}

void FonctionsWave::Liberation(Tampon& t, Sens sens) {
  // A buffer still queued would be written or read by the device thread after
  // it is freed: take it back first.
  if (t.entete && (t.entete->Drapeaux.load(std::memory_order_acquire) & Drapeau_en_file))
    peripherique_.Reinitialiser(sens);
  t.entete.reset();
  t.zone = std::vector<uint8_t>();
}

void FonctionsWave::Allocation(Tampon& t, Sens sens, const char* message_entete, const char* message_tampon) {
  Liberation(t, sens);
  t.entete.reset(new (std::nothrow) Entete_tampon());
  if (!t.entete) boite_.Message(Depuis_utf8(message_entete));
  bool zone_ok = false;
  if (Taille_tampon > 0) {
    try {
      t.zone.assign(static_cast<size_t>(Taille_tampon), 0);
      zone_ok = true;
    } catch (const std::bad_alloc&) {
      t.zone = std::vector<uint8_t>();
    }
  }
  // A length of 0 or less cannot hold a sample: treated as a failed allocation.
  if (!zone_ok) boite_.Message(Depuis_utf8(message_tampon));
  if (!t.entete) return;
  t.entete->Donnees = zone_ok ? t.zone.data() : nullptr;
  t.entete->Longueur_tampon = zone_ok ? static_cast<uint32_t>(Taille_tampon) : 0;
}

void FonctionsWave::Allocation_entree() {
  Allocation(entree_, Sens::Entree, "Erreur allocation header d'entrée", "Erreur allocation buffer d'entrée");
}
void FonctionsWave::Allocation_entree_bis() {
  Allocation(entree_bis_, Sens::Entree, "Erreur allocation header d'entrée 2",
             "Erreur allocation buffer d'entrée 2");
}
void FonctionsWave::Allocation_sortie() {
  Allocation(sortie_, Sens::Sortie, "Erreur allocation header de sortie",
             "Erreur allocation buffer de sortie");
}
void FonctionsWave::Allocation_sortie_bis() {
  Allocation(sortie_bis_, Sens::Sortie, "Erreur allocation header de sortie 2",
             "Erreur allocation buffer de sortie 2");
}
void FonctionsWave::Liberation_entree() {
  Liberation(entree_, Sens::Entree);
}
void FonctionsWave::Liberation_entree_bis() {
  Liberation(entree_bis_, Sens::Entree);
}
void FonctionsWave::Liberation_sortie() {
  Liberation(sortie_, Sens::Sortie);
}
void FonctionsWave::Liberation_sortie_bis() {
  Liberation(sortie_bis_, Sens::Sortie);
}

// An unallocated buffer is refused with Son_tampon_invalide rather than
// handed to the device.
uint32_t FonctionsWave::Preparer(Tampon& t, Sens sens) {
  return t.entete ? peripherique_.Preparer(sens, *t.entete) : Son_tampon_invalide;
}
uint32_t FonctionsWave::Ajouter(Tampon& t, Sens sens) {
  return t.entete ? peripherique_.Ajouter(sens, *t.entete) : Son_tampon_invalide;
}
uint32_t FonctionsWave::Depreparer(Tampon& t, Sens sens) {
  return t.entete ? peripherique_.Depreparer(sens, *t.entete) : Son_tampon_invalide;
}

int FonctionsWave::Preparation_entree() {
  return Rapport(Preparer(entree_, Sens::Entree), Sens::Entree, "Erreur préparation header éch. n°:");
}
int FonctionsWave::Preparation_entree_bis() {
  return Rapport(Preparer(entree_bis_, Sens::Entree), Sens::Entree, "Erreur préparation header bis éch. n°:");
}
int FonctionsWave::Ajout_tampon_entree() {
  return Rapport(Ajouter(entree_, Sens::Entree), Sens::Entree, "Erreur préparation buffer éch. n°:");
}
int FonctionsWave::Ajout_tampon_entree_bis() {
  return Rapport(Ajouter(entree_bis_, Sens::Entree), Sens::Entree, "Erreur préparation buffer bis éch. n°:");
}
int FonctionsWave::Preparation_sortie() {
  return Rapport(Preparer(sortie_, Sens::Sortie), Sens::Sortie, "Erreur préparation header n°:");
}
int FonctionsWave::Preparation_sortie_bis() {
  return Rapport(Preparer(sortie_bis_, Sens::Sortie), Sens::Sortie, "Erreur préparation header bis n°:");
}
int FonctionsWave::Ecriture_sortie() {
  return Rapport(Ajouter(sortie_, Sens::Sortie), Sens::Sortie, "Erreur de restitution des données n°");
}
int FonctionsWave::Ecriture_sortie_bis() {
  return Rapport(Ajouter(sortie_bis_, Sens::Sortie), Sens::Sortie,
                 "Erreur de restitution des données bis n°");
}

void FonctionsWave::Arret_sortie() {
  Rapport(peripherique_.Reinitialiser(Sens::Sortie), Sens::Sortie,
          "Erreur d'arrêt de restitution des données n°");
}
void FonctionsWave::Suppression_entree() {
  Rapport(Depreparer(entree_, Sens::Entree), Sens::Entree, "Erreur de suppression de header d'entrée n°");
}
void FonctionsWave::Suppression_entree_bis() {
  Rapport(Depreparer(entree_bis_, Sens::Entree), Sens::Entree,
          "Erreur de suppression de header d'entrée bis n°");
}
void FonctionsWave::Suppression_sortie() {
  Rapport(Depreparer(sortie_, Sens::Sortie), Sens::Sortie, "Erreur de suppression de header de sortie n°");
}
void FonctionsWave::Suppression_sortie_bis() {
  Rapport(Depreparer(sortie_bis_, Sens::Sortie), Sens::Sortie,
          "Erreur de suppression de header de sortie bis n°");
}
void FonctionsWave::Demarrage_entree() {
  Rapport(peripherique_.Demarrer(Sens::Entree), Sens::Entree, "Erreur lors de l'échantillonnage n°");
}
void FonctionsWave::Arret_entree() {
  Rapport(peripherique_.Reinitialiser(Sens::Entree), Sens::Entree,
          "Erreur lors de l'arrêt de l'échantillonnage n°");
}
void FonctionsWave::Fermeture_entree() {
  Rapport(peripherique_.Fermer(Sens::Entree), Sens::Entree, "Erreur lors de fermeture du device d'entrée n°");
}
void FonctionsWave::Fermeture_sortie() {
  Rapport(peripherique_.Fermer(Sens::Sortie), Sens::Sortie,
          "Erreur lors de fermeture du device de sortie n°");
}

}  // namespace talven
