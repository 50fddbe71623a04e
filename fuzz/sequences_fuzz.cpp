// Fuzzing of the sequence files' check and load at start-up: F13.SER to
// F20.SER, each missing or holding any bytes, up to a little beyond the
// 5000-byte limit, on a disk that may fail one call.
//
// Input: byte 0 is the language (bit 0), reads and writes in small pieces
// (bit 1) and which disk call fails (bits 2-4, none when 6 or 7); byte 1 is
// the rank of the failing call; then for each file in turn a presence byte
// (bit 0) and two bytes of length (0..5100, so both sides of the limit are
// reached), the file being the rest of the input repeated to that length.
//
// Checked: no sequence in memory is longer than 5000 bytes; on a sound disk
// a file of at most 5000 bytes is loaded as it is (up to its first zero
// byte) and left alone, a missing or longer one is replaced by an empty file
// after one message and its sequence is empty; only these eight files exist
// afterwards and nothing is left open.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "common/langue.h"
#include "files/configuration_sequences.h"
#include "files/fonctions_fichiers.h"
#include "fuzz/disque_memoire.h"
#include "fuzz/verification.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

class Sans_reglages final : public Application_reglages {
 public:
  void Application_langue() override {}
  void Application_mixer() override {}
  void Application_entree_son() override {}
  void Application_niveau_entree() override {}
  void Application_niveau_sortie() override {}
  void Choix_port_serie() override {}
};

constexpr int Nombre = ConfigurationSequences::Nombre_sequences;
constexpr std::size_t Longueur_max_essayee = ConfigurationSequences::Taille_maximale_sequence + 100;

}  // namespace
}  // namespace talven

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, std::size_t taille) {
  using namespace talven;
  constexpr std::size_t Entete = 2 + 3 * Nombre;
  if (taille < Entete) return 0;
  const uint8_t choix = donnees[0];
  const auto appel = static_cast<fuzz::Disque_memoire::Appel>((choix >> 2) & 7);
  const std::string motif(reinterpret_cast<const char*>(donnees + Entete), taille - Entete);

  fuzz::Disque_memoire disque;
  std::array<std::optional<std::string>, Nombre> avant;
  for (int n = 0; n < Nombre; ++n) {
    const uint8_t* f = donnees + 2 + 3 * n;
    if ((f[0] & 1) == 0) continue;
    const std::size_t longueur = (static_cast<std::size_t>(f[1]) << 8 | f[2]) % (Longueur_max_essayee + 1);
    std::string contenu;
    contenu.reserve(longueur);
    while (!motif.empty() && contenu.size() < longueur)
      contenu.append(motif, 0, std::min(motif.size(), longueur - contenu.size()));
    // An empty rest of the input gives files of zeros.
    contenu.resize(longueur, '\0');
    avant[static_cast<std::size_t>(n)] = contenu;
    disque.fichiers[ConfigurationSequences::Nom_fichier_sequence(n + 1)] = contenu;
  }
  disque.panne = {appel, donnees[1], 28};
  if ((choix & 2) != 0) disque.morceau_max = 7;
  const bool sans_panne = disque.panne.rang == 0 || appel >= fuzz::Disque_memoire::Appel::Nombre;

  test::Boite_messages_enregistreuse boite;
  FonctionsFichiers fichiers(boite, "", &disque);
  Langue langue;
  langue.valeur = (choix & 1) != 0 ? 1 : 2;
  Sans_reglages reglages;
  ConfigurationSequences configuration(fichiers, boite, langue, reglages);
  configuration.Verification_sequences();

  TALVEN_VERIFIE(disque.Ouverts() == 0);
  TALVEN_VERIFIE(disque.fichiers.size() <= static_cast<std::size_t>(Nombre));
  std::size_t remplaces = 0;
  for (int n = 0; n < Nombre; ++n) {
    const Texte nom = ConfigurationSequences::Nom_fichier_sequence(n + 1);
    const Texte& sequence = configuration.Textes_sequences[static_cast<std::size_t>(n)];
    const auto& initial = avant[static_cast<std::size_t>(n)];
    TALVEN_VERIFIE(sequence.size() <=
                   static_cast<std::size_t>(ConfigurationSequences::Taille_maximale_sequence));
    TALVEN_VERIFIE(ConfigurationSequences::Numero_sequence(nom) == n + 1);
    const auto apres = disque.Contenu(nom);
    if (initial &&
        initial->size() <= static_cast<std::size_t>(ConfigurationSequences::Taille_maximale_sequence)) {
      // A valid file is never rewritten, whatever the disk did.
      TALVEN_VERIFIE(apres == initial);
      if (sans_panne) TALVEN_VERIFIE(sequence == initial->substr(0, initial->find('\0')));
      continue;
    }
    ++remplaces;
    TALVEN_VERIFIE(sequence.empty());
    // Replaced by an empty file, or the old one kept when the write failed.
    TALVEN_VERIFIE(apres == std::string() || apres == initial);
    if (sans_panne) TALVEN_VERIFIE(apres == std::string());
  }
  TALVEN_VERIFIE(boite.messages.size() >= remplaces);
  if (sans_panne) TALVEN_VERIFIE(boite.messages.size() == remplaces);
  return 0;
}
