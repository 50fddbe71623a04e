#include "files/acces_disque.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace talven {
namespace {

// The directory part of a path, "." when it has none.
std::string Repertoire_de(const std::string& chemin) {
  auto barre = chemin.find_last_of('/');
  if (barre == std::string::npos) return ".";
  if (barre == 0) return "/";
  return chemin.substr(0, barre);
}

}  // namespace

int Acces_disque_posix::Ouvrir(const std::string& chemin, int drapeaux, mode_t droits) {
  int d;
  do d = ::open(chemin.c_str(), drapeaux | O_CLOEXEC, droits);
  while (d < 0 && errno == EINTR);
  return d >= 0 ? d : -errno;
}

int64_t Acces_disque_posix::Lire(int descripteur, char* tampon, std::size_t taille) {
  ssize_t n;
  do n = ::read(descripteur, tampon, taille);
  while (n < 0 && errno == EINTR);
  return n >= 0 ? static_cast<int64_t>(n) : -errno;
}

int64_t Acces_disque_posix::Ecrire(int descripteur, const char* donnees, std::size_t taille) {
  ssize_t n;
  do n = ::write(descripteur, donnees, taille);
  while (n < 0 && errno == EINTR);
  return n >= 0 ? static_cast<int64_t>(n) : -errno;
}

int Acces_disque_posix::Synchroniser(int descripteur) {
  int r;
  do r = ::fsync(descripteur);
  while (r < 0 && errno == EINTR);
  return r == 0 ? 0 : -errno;
}

int Acces_disque_posix::Fermer(int descripteur) {
  // close() is not retried on EINTR: on Linux the descriptor is released
  // whatever it returns.
  return ::close(descripteur) == 0 ? 0 : -errno;
}

int Acces_disque_posix::Renommer(const std::string& source, const std::string& destination) {
  if (std::rename(source.c_str(), destination.c_str()) != 0) return -errno;
  // Makes the new directory entry durable. A failure here is not reported:
  // the rename itself has happened, and the directory holds either the old
  // or the new file after a crash, never neither.
  int d = ::open(Repertoire_de(destination).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (d >= 0) {
    ::fsync(d);
    ::close(d);
  }
  return 0;
}

int Acces_disque_posix::Supprimer(const std::string& chemin) {
  return ::unlink(chemin.c_str()) == 0 ? 0 : -errno;
}

int Acces_disque_posix::Etat(const std::string& chemin, bool& repertoire, mode_t& droits) {
  struct stat e {};
  if (::stat(chemin.c_str(), &e) != 0) return -errno;
  repertoire = S_ISDIR(e.st_mode);
  droits = e.st_mode & 07777;
  return 0;
}

}  // namespace talven
