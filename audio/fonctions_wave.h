// FONCTIONS_WAVE: the program's only access to sound-card audio.
//
// Responsibilities: open the input and the output stream in PCM, give each
// direction two fixed buffers with their headers ("header" and "header
// bis"), and wrap every device call in an operation that reports a failure to
// the operator with a fixed French text followed by the result code. No
// callback reaches the caller: a buffer is finished when its header shows
// flags AND 3 = 3 (the input callers also watch the recorded bytes), polled
// from the real-time loop; own the wake-up descriptor that lets that loop
// sleep until a buffer completes instead of polling every millisecond.
// Collaborations: a `Peripherique_son` back-end (ALSA or simulated) does the
// device work and writes the wake-up descriptor; a `Boite_messages` shows the
// reports.
//
// Failures never throw: each is shown and the operation returns (1 for the
// operations that return a result). A device lost mid-stream (unplugged card)
// is shown once per opening of the device: its buffers still complete, with
// `Entete_tampon::Erreur` set and silence for input, and later operations on
// that direction fail with the same code without a new message, so the
// real-time loop keeps running until the operator stops it. An open that
// fails because the chosen device is not there (Son_absent) is reported by
// `Message_absence`, which names the device, when one is set.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/peripherique_son.h"
#include "common/messages.h"

namespace talven {

class FonctionsWave {
 public:
  // `peripherique` and `boite` must outlive the unit.
  FonctionsWave(Peripherique_son& peripherique, Boite_messages& boite);
  // Closes whatever is still open before the buffers go, so no device thread
  // writes into freed memory; detaches the wake-up descriptor from the
  // back-end, then closes it.
  ~FonctionsWave();
  FonctionsWave(const FonctionsWave&) = delete;
  FonctionsWave& operator=(const FonctionsWave&) = delete;

  // Sample rate in Hz; the callers set it (11025) before opening.
  int32_t Frequence_echantillonnage = 0;
  // Length of every buffer in bytes (= samples at 8-bit mono), set before
  // allocating: 3675, 2756 or 1122. Must be > 0.
  int32_t Taille_tampon = 0;
  // 1: the two open operations show their failure; any other value: silent.
  uint8_t Affichage_erreurs_son = 0;
  // Width selectors, 1 = 8-bit unsigned, otherwise 16-bit; channel selector
  // of the input, 1 = stereo, otherwise mono. Set by the open operations.
  uint8_t Largeur_sortie = 1;
  uint8_t Largeur_entree = 1;
  uint8_t Voies_entree = 0;
  // The report of an open that failed because the device `nom` is not there,
  // instead of the French text and its code; empty for that text.
  std::function<Texte(const std::string& nom)> Message_absence;
  // Format records as the open operations fill them in.
  Format_son Format_entree;
  Format_son Format_sortie;

  // Headers of the four buffers, nullptr until allocated. The sample area is
  // reached through `Donnees` and holds `Longueur_tampon` bytes.
  Entete_tampon* Entete_entree() const { return entree_.entete.get(); }
  Entete_tampon* Entete_entree_bis() const { return entree_bis_.entete.get(); }
  Entete_tampon* Entete_sortie() const { return sortie_.entete.get(); }
  Entete_tampon* Entete_sortie_bis() const { return sortie_bis_.entete.get(); }

  // The device the back-end opens, and whether it is there now (Son_ok or
  // Son_absent, see `Peripherique_son::Presence`).
  std::string Nom_peripherique() const { return peripherique_.Nom(); }
  uint32_t Presence_peripherique() { return peripherique_.Presence(); }

  // Device counts and format bits of device 0; a format word is left
  // unchanged when its direction has no device or its query fails.
  void Capacites_son(uint32_t& nombre_entrees, uint32_t& formats_entree, uint32_t& nombre_sorties,
                     uint32_t& formats_sortie);

  // Opens the input: `largeur` 1 = 8 bits else 16, `frequence` in Hz (> 0),
  // `voies` 1 = stereo else mono. Returns 1 on failure, 0 on success.
  int Ouverture_entree_son(uint8_t largeur, int32_t frequence, uint8_t voies);
  // Opens the output, always mono. Returns 1 on failure, 0 on success.
  int Ouverture_sortie_son(uint8_t largeur, int32_t frequence);

  // (Re)allocate a buffer of `Taille_tampon` bytes, zeroed, and its header.
  void Allocation_entree();
  void Allocation_entree_bis();
  void Allocation_sortie();
  void Allocation_sortie_bis();
  // Release a buffer and its header (the caller's "unlock and free"); a buffer
  // still queued is taken back from the device first.
  void Liberation_entree();
  void Liberation_entree_bis();
  void Liberation_sortie();
  void Liberation_sortie_bis();

  // Operations returning 1 on failure, 0 on success.
  int Preparation_entree();
  int Preparation_entree_bis();
  int Ajout_tampon_entree();
  int Ajout_tampon_entree_bis();
  int Preparation_sortie();
  int Preparation_sortie_bis();
  int Ecriture_sortie();
  int Ecriture_sortie_bis();

  // Wake-up descriptor: a Linux eventfd that becomes readable (poll, select)
  // when a buffer of either direction has completed since the last
  // acknowledgement; the completed buffer is finished by then. Made and
  // handed to the back-end on the first call; -1 (now and on every later
  // call) when it could not be made, the loop then polls as before. Owned by
  // this unit: the caller must not close it.
  int Descripteur_reveil();
  // Empties the descriptor so that it is unreadable until the next
  // completion; nothing when there is none. Acknowledge before looking at
  // the buffers, so that a completion after the look wakes again.
  void Acquittement_reveil();

  // Operations that only report.
  void Arret_sortie();
  void Suppression_entree();
  void Suppression_entree_bis();
  void Suppression_sortie();
  void Suppression_sortie_bis();
  void Demarrage_entree();
  void Arret_entree();
  void Fermeture_entree();
  void Fermeture_sortie();

 private:
  struct Tampon {
    std::unique_ptr<Entete_tampon> entete;
    std::vector<uint8_t> zone;
  };

  void Allocation(Tampon& t, Sens sens, const char* message_entete, const char* message_tampon);
  void Liberation(Tampon& t, Sens sens);
  Format_son Format(uint8_t largeur, int32_t frequence, uint16_t voies) const;
  // Shows `texte` followed by the code when r != 0; returns 1 when r != 0.
  int Rapport(uint32_t r, Sens sens, const char* texte);
  // The report of a failed open.
  int Rapport_ouverture(uint32_t r, Sens sens, const char* texte);
  uint32_t Preparer(Tampon& t, Sens sens);
  uint32_t Ajouter(Tampon& t, Sens sens);
  uint32_t Depreparer(Tampon& t, Sens sens);

  Peripherique_son& peripherique_;
  Boite_messages& boite_;
  Tampon entree_, entree_bis_, sortie_, sortie_bis_;
  // Loss code already shown for the open device of each direction, 0 if none.
  uint32_t perte_signalee_entree_ = 0;
  uint32_t perte_signalee_sortie_ = 0;
  int reveil_ = -1;              // eventfd handed to the back-end, -1 before or without it
  bool reveil_demande_ = false;  // its making was tried
};

}  // namespace talven
