// Test helpers of the file tests: a temporary working directory removed at
// the end of each test, and a disk that fails at a chosen step.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "files/acces_disque.h"

namespace talven::test {

// A fresh directory under the system's temporary directory.
class Repertoire_temporaire {
 public:
  Repertoire_temporaire() {
    std::string modele = (std::filesystem::temp_directory_path() / "talven-fichiers-XXXXXX").string();
    if (::mkdtemp(modele.data()) == nullptr) throw std::runtime_error("mkdtemp");
    chemin_ = modele;
  }
  ~Repertoire_temporaire() {
    std::error_code e;
    std::filesystem::permissions(chemin_, std::filesystem::perms::owner_all, e);
    std::filesystem::remove_all(chemin_, e);
  }
  Repertoire_temporaire(const Repertoire_temporaire&) = delete;
  Repertoire_temporaire& operator=(const Repertoire_temporaire&) = delete;

  const std::string& Chemin() const { return chemin_; }
  std::string Chemin(const std::string& nom) const { return chemin_ + "/" + nom; }

  void Ecrire(const std::string& nom, const std::string& octets) const {
    std::ofstream f(Chemin(nom), std::ios::binary | std::ios::trunc);
    f.write(octets.data(), static_cast<std::streamsize>(octets.size()));
    if (!f) throw std::runtime_error("cannot write " + nom);
  }

  // The bytes of a file, or nothing when it does not exist.
  std::optional<std::string> Lire(const std::string& nom) const {
    std::ifstream f(Chemin(nom), std::ios::binary);
    if (!f) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(f), {});
  }

  // Names of the entries, sorted: shows leftover temporary files.
  std::vector<std::string> Noms() const {
    std::vector<std::string> noms;
    for (const auto& e : std::filesystem::directory_iterator(chemin_))
      noms.push_back(e.path().filename().string());
    std::sort(noms.begin(), noms.end());
    return noms;
  }

 private:
  std::string chemin_;
};

// The real disk, except that the chosen step fails with the chosen error.
class Disque_defaillant final : public Acces_disque {
 public:
  enum class Etape {
    Aucune,
    Ouvrir_ecriture,
    Ecrire,
    Synchroniser,
    Fermer_ecriture,
    Renommer,
    Lire,
    Fermer_lecture
  };

  Etape etape = Etape::Aucune;
  int code = EIO;
  // With Etape::Ecrire: bytes that really reach the file before the failure.
  std::size_t octets_avant_echec = 0;
  // Largest count one write call accepts (short writes without an error).
  std::size_t morceau_max = SIZE_MAX;
  // Number of files opened for reading, and for writing.
  int ouvertures_lecture = 0;
  int ouvertures_ecriture = 0;

  int Ouvrir(const std::string& chemin, int drapeaux, mode_t droits) override {
    bool ecriture = (drapeaux & O_ACCMODE) != O_RDONLY;
    if (ecriture && etape == Etape::Ouvrir_ecriture) return -code;
    int d = reel_.Ouvrir(chemin, drapeaux, droits);
    if (d >= 0 && ecriture) {
      en_ecriture_.insert(d);
      ++ouvertures_ecriture;
    }
    if (d >= 0 && !ecriture) ++ouvertures_lecture;
    return d;
  }
  int64_t Lire(int d, char* tampon, std::size_t taille) override {
    if (etape == Etape::Lire) return -code;
    return reel_.Lire(d, tampon, taille);
  }
  int64_t Ecrire(int d, const char* donnees, std::size_t taille) override {
    taille = std::min(taille, morceau_max);
    if (etape == Etape::Ecrire) {
      if (ecrits_ >= octets_avant_echec) return -code;
      taille = std::min(taille, octets_avant_echec - ecrits_);
    }
    int64_t n = reel_.Ecrire(d, donnees, taille);
    if (n > 0) ecrits_ += static_cast<std::size_t>(n);
    return n;
  }
  int Synchroniser(int d) override { return etape == Etape::Synchroniser ? -code : reel_.Synchroniser(d); }
  int Fermer(int d) override {
    bool ecriture = en_ecriture_.erase(d) > 0;
    int r = reel_.Fermer(d);
    if (ecriture && etape == Etape::Fermer_ecriture) return -code;
    if (!ecriture && etape == Etape::Fermer_lecture) return -code;
    return r;
  }
  int Renommer(const std::string& source, const std::string& destination) override {
    return etape == Etape::Renommer ? -code : reel_.Renommer(source, destination);
  }
  int Supprimer(const std::string& chemin) override { return reel_.Supprimer(chemin); }
  int Etat(const std::string& chemin, bool& repertoire, mode_t& droits) override {
    return reel_.Etat(chemin, repertoire, droits);
  }

 private:
  Acces_disque_posix reel_;
  std::set<int> en_ecriture_;
  std::size_t ecrits_ = 0;
};

}  // namespace talven::test
