// FONCTIONS_FICHIERS: whole-file access to the system's own text files.
//
// Responsibilities: test whether a file exists, write a whole text into a
// file, read a whole file into a text, and the three-step block write (open,
// write one block, close) of the QSO log. Texts are Windows-1252 bytes,
// written and read as they are, and end at their first zero byte. Every
// failure is reported at once to the operator, in French whatever the
// interface language, and the operation returns 1; success returns 0.
//
// Writing never destroys the previous file: the text goes into a temporary
// file next to the target ("<name>.~<pid>-<n>"), which is synced to the disk
// and then renamed over the target. Until that rename the old file is
// untouched, so a crash, a full disk or a failed write leaves it whole; the
// temporary file is removed after any failure.
//
// File names are relative to the directory given at construction, which is
// the working directory of the program (".") unless a test chooses another.
//
// The numbers shown after "n°" are Linux error numbers (errno), for example
// 5 for an input/output error, 28 for a full disk, 30 for a read-only file
// system.
//
// Collaborations: Acces_disque (the disk, replaceable to inject failures),
// Boite_messages (the operator's message boxes). Used by the configuration
// and sequence files, the sequence editor, the QSO log and its viewer.
//
// One object serves the whole program: at most one block write is in
// progress through it at any time. It is not copyable, since it may hold an
// open file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/messages.h"
#include "common/texte.h"
#include "files/acces_disque.h"

namespace talven {

class FonctionsFichiers {
 public:
  // The largest number of bytes one read takes from a file.
  static constexpr int32_t Taille_maximale_lecture = 100010;

  // messages:   where failures are reported; must outlive this object.
  // repertoire: the directory the file names are relative to ("." is the
  //             working directory; "" is the same).
  // acces:      the disk; nullptr uses the real one. Must outlive this object.
  explicit FonctionsFichiers(Boite_messages& messages, std::string repertoire = ".",
                             Acces_disque* acces = nullptr);
  ~FonctionsFichiers();
  FonctionsFichiers(const FonctionsFichiers&) = delete;
  FonctionsFichiers& operator=(const FonctionsFichiers&) = delete;

  // True when the file exists (and is not a directory). Reports nothing.
  bool Existence_fichier(VueTexte nom);

  // Replaces the file `nom` (creating it when missing) by `texte` up to its
  // first zero byte. Returns 0, or 1 after reporting:
  //   "Impossible d'ouvrir le fichier <nom> en écriture." (no file made),
  //   "Ecriture du texte impossible. Disque dur plein? " (bytes not all
  //   written or not synced), or
  //   "Erreur lors de fermeture de fichier écr. n°<errno>" (close or rename).
  // On every failure the previous file, if any, is left unchanged.
  int Ecriture_fichier(VueTexte nom, VueTexte texte);

  // Reads at most Taille_maximale_lecture bytes of the file `nom`.
  // texte:  receives the bytes read, cut at the first zero byte.
  // nombre: receives the number of bytes read (0 to Taille_maximale_lecture,
  //         counting any zero byte and what follows it), or -1 on a read error.
  // Returns 0, or 1 after reporting:
  //   "Impossible d'ouvrir le fichier <nom> en lecture." (texte and nombre
  //   left as they were),
  //   "Erreur lors de la lecture du fichier <nom>." (texte empty, nombre -1),
  //   "Erreur lors de fermeture de fichier lec. n°<errno>".
  int Lecture_fichier(VueTexte nom, Texte& texte, int32_t& nombre);

  // First step of the block write: prepares the replacement of `nom` and
  // keeps it as the current file. Returns 0, or 1 after the same open
  // message as Ecriture_fichier, with nothing left open. A block write still
  // in progress is abandoned first.
  int Ouverture_fichier_en_ecriture(VueTexte nom);

  // Second step: writes `texte`, up to its first zero byte, into the current
  // file and syncs it to the disk.
  // Plus_de_place: set true when the block did not entirely reach the disk
  //                (full disk or write error); the caller reports it.
  // Returns 1 after "Impossible d'écrire dans le fichier en écriture." when
  // no file is open; otherwise 0 (a block that did not fit is signalled by
  // Plus_de_place only).
  int Ecriture_bloc_fichier(VueTexte texte, bool& Plus_de_place);

  // Last step: puts the current file in the place of the old one. When a
  // block did not fit, the new file is dropped and the old one stays, with
  // no further message. A close or rename failure is reported as
  // "Erreur lors de fermeture de fichier écr. n°<errno>" and also keeps the
  // old file. Returns 0 when the file was replaced, 1 otherwise.
  int Fermeture_fichier_en_ecriture();

 private:
  std::string Chemin(VueTexte nom) const;
  // Creates the temporary file of `nom`; reports and returns 1 on failure.
  int Ouvrir_remplacant(VueTexte nom);
  // Writes all of `donnees` then syncs; returns 0 or -errno (-ENOSPC for a
  // short write that reported no error).
  int Ecrire_et_synchroniser(VueTexte donnees);
  // Closes and renames the temporary file over the target; reports and
  // returns 1 on failure, leaving the target as it was.
  int Valider_remplacant();
  // Closes and removes the temporary file without a message.
  void Abandonner_remplacant();
  void Message(VueTexte utf8_debut, VueTexte nom, VueTexte utf8_fin);
  void Message_fermeture(VueTexte utf8_debut, int code);

  Boite_messages& messages_;
  std::string repertoire_;
  std::unique_ptr<Acces_disque> propre_;  // the real disk, when none was given
  Acces_disque& disque_;

  // The block write (or whole-file write) in progress.
  int descripteur_ = -1;    // the temporary file, -1 when none is open
  std::string cible_;       // path of the file being replaced
  std::string remplacant_;  // path of the temporary file
  bool bloc_rate_ = false;  // a block of the current file did not fit
  uint32_t compteur_ = 0;   // makes successive temporary names distinct
};

}  // namespace talven
