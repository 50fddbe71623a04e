// Low-level access to the disk, under the whole-file operations.
//
// Responsibilities: the handful of POSIX calls the file operations need
// (open, read, write, sync, close, rename, remove, status), each returning
// either its result or the negated error number, so that callers never
// depend on the global errno and a test can inject a failure at any step.
// Collaborations: used only by FonctionsFichiers; Acces_disque_posix is the
// real one, tests wrap it to make a chosen call fail.
//
// The error numbers are those of <cerrno> on Linux (ENOSPC 28, EIO 5,
// EACCES 13, ENOENT 2, EROFS 30, ...); they are the codes the operator sees
// after "n°" in the file messages.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace talven {

class Acces_disque {
 public:
  virtual ~Acces_disque() = default;

  // Opens `chemin` with the open(2) flags `drapeaux`; `droits` are the
  // permission bits of a created file (before the umask).
  // Returns the descriptor (>= 0) or -errno.
  virtual int Ouvrir(const std::string& chemin, int drapeaux, mode_t droits) = 0;
  // Reads at most `taille` bytes. Returns the count read (0 at end of file)
  // or -errno.
  virtual int64_t Lire(int descripteur, char* tampon, std::size_t taille) = 0;
  // Writes at most `taille` bytes. Returns the count written or -errno.
  virtual int64_t Ecrire(int descripteur, const char* donnees, std::size_t taille) = 0;
  // Forces the written data to the disk. Returns 0 or -errno.
  virtual int Synchroniser(int descripteur) = 0;
  // Returns 0 or -errno; the descriptor is released either way.
  virtual int Fermer(int descripteur) = 0;
  // Atomically puts `source` in the place of `destination` and syncs the
  // directory that holds them. Returns 0 or -errno.
  virtual int Renommer(const std::string& source, const std::string& destination) = 0;
  // Removes a file. Returns 0 or -errno.
  virtual int Supprimer(const std::string& chemin) = 0;
  // Status of a path: -ENOENT when it does not exist, 0 otherwise, with
  // `repertoire` true for a directory and `droits` its permission bits.
  virtual int Etat(const std::string& chemin, bool& repertoire, mode_t& droits) = 0;
};

// The real disk, through the POSIX calls; it retries calls interrupted by a
// signal.
class Acces_disque_posix final : public Acces_disque {
 public:
  int Ouvrir(const std::string& chemin, int drapeaux, mode_t droits) override;
  int64_t Lire(int descripteur, char* tampon, std::size_t taille) override;
  int64_t Ecrire(int descripteur, const char* donnees, std::size_t taille) override;
  int Synchroniser(int descripteur) override;
  int Fermer(int descripteur) override;
  int Renommer(const std::string& source, const std::string& destination) override;
  int Supprimer(const std::string& chemin) override;
  int Etat(const std::string& chemin, bool& repertoire, mode_t& droits) override;
};

}  // namespace talven
