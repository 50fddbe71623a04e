// A disk held in memory for the fuzzing harnesses of the file units: the
// same calls as the real one (files/acces_disque.h), with the same results
// and error numbers, and no system call, so that a harness runs its file
// operations thousands of times a second. A harness may also make one chosen
// call fail, as the tests' failing disk does, to drive the error paths.
//
// Only plain files exist, all in one flat directory: any path names a file
// (a path ending with '/' names the directory itself, which exists).
#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>

#include "files/acces_disque.h"

namespace talven::fuzz {

class Disque_memoire final : public Acces_disque {
 public:
  // The calls a harness can make fail.
  enum class Appel : uint8_t { Ouvrir, Lire, Ecrire, Synchroniser, Fermer, Renommer, Nombre };

  // The n-th call (from 1) of `appel` fails with `code` (an errno); 0 for
  // none. Every other call behaves as on a sound disk.
  struct Panne {
    Appel appel = Appel::Nombre;
    uint32_t rang = 0;
    int code = EIO;
  };
  Panne panne;
  // Largest count one read or write call transfers (short transfers without
  // an error, as a pipe or a signal would give), at least 1.
  std::size_t morceau_max = SIZE_MAX;

  std::map<std::string, std::string> fichiers;

  // The content of a file, or nothing when it does not exist.
  std::optional<std::string> Contenu(const std::string& chemin) const {
    auto f = fichiers.find(chemin);
    if (f == fichiers.end()) return std::nullopt;
    return f->second;
  }
  // Descriptors still open: a file unit must close everything it opens.
  std::size_t Ouverts() const { return ouverts_.size(); }
  // Successful opens for reading since construction.
  uint32_t Lectures_ouvertes() const { return lectures_ouvertes_; }

  int Ouvrir(const std::string& chemin, int drapeaux, mode_t) override {
    if (Echoue(Appel::Ouvrir)) return -panne.code;
    if (Repertoire(chemin)) return -EISDIR;
    const bool ecriture = (drapeaux & O_ACCMODE) != O_RDONLY;
    auto f = fichiers.find(chemin);
    if (f == fichiers.end()) {
      if ((drapeaux & O_CREAT) == 0) return -ENOENT;
      f = fichiers.emplace(chemin, std::string()).first;
    } else if ((drapeaux & O_CREAT) != 0 && (drapeaux & O_EXCL) != 0) {
      return -EEXIST;
    }
    if (ecriture && (drapeaux & O_TRUNC) != 0) f->second.clear();
    const int d = prochain_++;
    ouverts_[d] = Ouvert{chemin, 0, ecriture};
    if (!ecriture) ++lectures_ouvertes_;
    return d;
  }

  int64_t Lire(int d, char* tampon, std::size_t taille) override {
    auto o = ouverts_.find(d);
    if (o == ouverts_.end()) return -EBADF;
    if (Echoue(Appel::Lire)) return -panne.code;
    if (o->second.ecriture) return -EBADF;
    const std::string& contenu = fichiers[o->second.chemin];
    const std::size_t reste = contenu.size() - std::min(contenu.size(), o->second.position);
    const std::size_t n = std::min({taille, reste, Morceau()});
    std::memcpy(tampon, contenu.data() + o->second.position, n);
    o->second.position += n;
    return static_cast<int64_t>(n);
  }

  int64_t Ecrire(int d, const char* donnees, std::size_t taille) override {
    auto o = ouverts_.find(d);
    if (o == ouverts_.end()) return -EBADF;
    if (Echoue(Appel::Ecrire)) return -panne.code;
    if (!o->second.ecriture) return -EBADF;
    std::string& contenu = fichiers[o->second.chemin];
    const std::size_t n = std::min(taille, Morceau());
    if (contenu.size() < o->second.position) contenu.resize(o->second.position, '\0');
    contenu.replace(o->second.position, n, donnees, n);
    o->second.position += n;
    return static_cast<int64_t>(n);
  }

  int Synchroniser(int d) override {
    if (ouverts_.count(d) == 0) return -EBADF;
    return Echoue(Appel::Synchroniser) ? -panne.code : 0;
  }

  int Fermer(int d) override {
    // The descriptor is released whatever the result, as close(2) does.
    if (ouverts_.erase(d) == 0) return -EBADF;
    return Echoue(Appel::Fermer) ? -panne.code : 0;
  }

  int Renommer(const std::string& source, const std::string& destination) override {
    if (Echoue(Appel::Renommer)) return -panne.code;
    auto f = fichiers.find(source);
    if (f == fichiers.end()) return -ENOENT;
    std::string contenu = std::move(f->second);
    fichiers.erase(f);
    fichiers[destination] = std::move(contenu);
    return 0;
  }

  int Supprimer(const std::string& chemin) override { return fichiers.erase(chemin) > 0 ? 0 : -ENOENT; }

  int Etat(const std::string& chemin, bool& repertoire, mode_t& droits) override {
    if (Repertoire(chemin)) {
      repertoire = true;
      droits = 0755;
      return 0;
    }
    if (fichiers.count(chemin) == 0) return -ENOENT;
    repertoire = false;
    droits = 0644;
    return 0;
  }

 private:
  struct Ouvert {
    std::string chemin;
    std::size_t position = 0;
    bool ecriture = false;
  };

  static bool Repertoire(const std::string& chemin) { return chemin.empty() || chemin.back() == '/'; }
  std::size_t Morceau() const { return std::max<std::size_t>(1, morceau_max); }
  bool Echoue(Appel appel) {
    const auto k = static_cast<std::size_t>(appel);
    if (k >= appels_.size()) return false;
    return ++appels_[k] == panne.rang && panne.appel == appel;
  }

  std::map<int, Ouvert> ouverts_;
  int prochain_ = 3;
  uint32_t lectures_ouvertes_ = 0;
  std::array<uint32_t, static_cast<std::size_t>(Appel::Nombre)> appels_{};
};

}  // namespace talven::fuzz
