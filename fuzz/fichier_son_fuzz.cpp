// Fuzzing of talven-modem's sound-file reading, the way `decode` reads a
// file: the header through `Description` and the length it gives once at
// 11025 Hz, then the simulated card opened on the file (any format
// libsndfile knows, any rate and channel count) recording its first buffers,
// mixed to mono or one channel taken, and resampled to the card's rate.
//
// Input: the file itself, held in memory (a memfd) and opened by its /proc
// path as `decode` opens a path. Its last byte also chooses the channel:
// 0 mixes them all, n takes channel n, and one beyond the last must be
// refused.
//
// Checked: a header that cannot be read comes with a reason; a readable one
// has a rate, at least one channel and a length, and the card opens the
// same file on every channel it has and refuses one beyond; every buffer of
// the first few completes full; when the whole file fits in the buffers
// read, the card is silent (128) once it is over.
//
// The same bytes are also read as `decode -` reads standard input: through
// a pipe, opened as a stream and handed to the card, which records a few
// buffers, and one more once the stream has ended. Checked: a refused
// stream comes with a reason; every buffer completes full.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/peripherique_son.h"
#include "audio/son_simule.h"
#include "cli/modem/fichier_audio.h"
#include "fuzz/verification.h"

namespace {

constexpr uint32_t Taux_carte = 11025;
constexpr uint32_t Taille_tampon = 3675;  // one third of a second, as the receiver records
constexpr uint64_t Tampons_lus = 4;
// Samples the resampler may still give after the file's length, filter tail.
constexpr uint64_t Marge_reechantillonnage = 256;

// The in-memory file, reused by every input.
class Fichier_memoire {
 public:
  Fichier_memoire() : descripteur_(::memfd_create("talven-fuzz-son", MFD_CLOEXEC)) {
    TALVEN_VERIFIE(descripteur_ >= 0);
    chemin_ = "/proc/self/fd/" + std::to_string(descripteur_);
  }
  const std::string& Remplacer(const uint8_t* donnees, std::size_t taille) {
    TALVEN_VERIFIE(::ftruncate(descripteur_, 0) == 0);
    std::size_t ecrits = 0;
    while (ecrits < taille) {
      const ssize_t n = ::pwrite(descripteur_, donnees + ecrits, taille - ecrits, static_cast<off_t>(ecrits));
      TALVEN_VERIFIE(n > 0);
      ecrits += static_cast<std::size_t>(n);
    }
    return chemin_;
  }

 private:
  int descripteur_;
  std::string chemin_;
};

talven::Format_son Format_carte() {
  talven::Format_son format;
  format.Format = 1;
  format.Voies = 1;
  format.Echantillons_par_seconde = Taux_carte;
  format.Octets_par_seconde = Taux_carte;
  format.Alignement_bloc = 1;
  format.Bits_par_echantillon = 8;
  return format;
}

// The stream of standard input, once it holds the input, on the card.
void Lecture_entree_standard(uint32_t voie) {
  using namespace talven;
  int descripteur = -1;
  int64_t trames = -1;
  std::string erreur;
  sf_private_tag* flux = modem::Ouverture_flux("-", voie, descripteur, trames, erreur);
  if (flux == nullptr) {
    TALVEN_VERIFIE(!erreur.empty());
    return;
  }
  SonSimule carte;
  if (!carte.Source_fichier_ouvert(flux, voie, trames)) return;
  TALVEN_VERIFIE(carte.Ouvrir(Sens::Entree, Format_carte()) == Son_ok);
  std::vector<uint8_t> tampon(Taille_tampon);
  Entete_tampon entete;
  entete.Donnees = tampon.data();
  entete.Longueur_tampon = Taille_tampon;
  TALVEN_VERIFIE(carte.Preparer(Sens::Entree, entete) == Son_ok);
  TALVEN_VERIFIE(carte.Demarrer(Sens::Entree) == Son_ok);
  // A few buffers, as for the file (a compressed stream, FLAC say, may
  // announce hours of constant sound in a few bytes), and one more once the
  // stream has ended: it completes too, with silence.
  bool fini = false;
  for (uint64_t b = 0; b < 2 * Tampons_lus && !fini; ++b) {
    fini = carte.Fin_fichier();
    TALVEN_VERIFIE(carte.Ajouter(Sens::Entree, entete) == Son_ok);
    TALVEN_VERIFIE(carte.Completer_entree());
    TALVEN_VERIFIE(entete.Termine());
    TALVEN_VERIFIE(entete.Octets_enregistres.load() == Taille_tampon);
  }
  TALVEN_VERIFIE(carte.Fermer(Sens::Entree) == Son_ok);
}

// The input read as `decode -` reads a pipe: written whole into a pipe whose
// writing end is then closed (so the stream ends after it), the reading end
// put in place of standard input for the reading, then standard input given
// back. Inputs beyond a pipe's capacity are left out.
void Lecture_en_flux(const uint8_t* donnees, std::size_t taille, uint32_t voie) {
  constexpr std::size_t Capacite_tube = 65536;
  if (taille > Capacite_tube) return;
  static const int entree_standard = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
  int tube[2];
  TALVEN_VERIFIE(entree_standard >= 0 && ::pipe2(tube, O_CLOEXEC) == 0);
  for (std::size_t ecrits = 0; ecrits < taille;) {
    const ssize_t n = ::write(tube[1], donnees + ecrits, taille - ecrits);
    TALVEN_VERIFIE(n > 0);
    ecrits += static_cast<std::size_t>(n);
  }
  ::close(tube[1]);
  TALVEN_VERIFIE(::dup2(tube[0], STDIN_FILENO) == STDIN_FILENO);
  ::close(tube[0]);
  Lecture_entree_standard(voie);
  TALVEN_VERIFIE(::dup2(entree_standard, STDIN_FILENO) == STDIN_FILENO);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, std::size_t taille) {
  using namespace talven;
  static Fichier_memoire fichier;
  const std::string& chemin = fichier.Remplacer(donnees, taille);

  Lecture_en_flux(donnees, taille, taille == 0 ? 0 : donnees[taille - 1] % 4);

  std::string erreur;
  const auto description = modem::Description(chemin, erreur);
  if (!description) {
    TALVEN_VERIFIE(!erreur.empty());
    return 0;
  }
  TALVEN_VERIFIE(description->taux > 0 && description->voies >= 1 && description->trames >= 0);
  // The length `decode` receives, once the card has brought the file to
  // 11025 Hz.
  const auto echantillons = static_cast<uint64_t>(
      std::ceil(static_cast<double>(description->trames) * Taux_carte / description->taux));

  const uint32_t voie = taille == 0 ? 0 : donnees[taille - 1] % (description->voies + 2);
  SonSimule carte;
  const bool ouvert = carte.Source_fichier(chemin, voie);
  TALVEN_VERIFIE(ouvert == (voie <= description->voies));
  if (!ouvert) return 0;

  TALVEN_VERIFIE(carte.Ouvrir(Sens::Entree, Format_carte()) == Son_ok);
  std::vector<uint8_t> tampon(Taille_tampon);
  Entete_tampon entete;
  entete.Donnees = tampon.data();
  entete.Longueur_tampon = Taille_tampon;
  TALVEN_VERIFIE(carte.Preparer(Sens::Entree, entete) == Son_ok);
  TALVEN_VERIFIE(carte.Demarrer(Sens::Entree) == Son_ok);

  // As many buffers as `decode` would take, at most a few, and one more
  // after the end when the file is that short.
  const uint64_t tampons = std::min(Tampons_lus, (echantillons + Taille_tampon - 1) / Taille_tampon + 1);
  for (uint64_t b = 0; b < tampons; ++b) {
    TALVEN_VERIFIE(carte.Ajouter(Sens::Entree, entete) == Son_ok);
    TALVEN_VERIFIE(carte.Completer_entree());
    TALVEN_VERIFIE(entete.Termine());
    TALVEN_VERIFIE(entete.Octets_enregistres.load() == Taille_tampon);
    for (uint32_t i = 0; i < Taille_tampon; ++i) {
      const uint64_t position = b * Taille_tampon + i;
      if (position >= echantillons + Marge_reechantillonnage) TALVEN_VERIFIE(tampon[i] == 128);
    }
  }
  TALVEN_VERIFIE(carte.Fermer(Sens::Entree) == Son_ok);
  return 0;
}
