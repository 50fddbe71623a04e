// Fuzzing of the configuration reader: CONFPSER.SER as found at start-up,
// any bytes of any length, present or not, on a disk that may fail one call.
//
// Input: byte 0 chooses whether the file exists (bit 0), which disk call
// fails (bits 1-3, none when 6 or 7) and reads or writes in small pieces
// (bit 4); byte 1 is the rank of the failing call; the rest is the file.
//
// Checked: the configuration in memory is valid afterwards and the language
// flag follows its byte 1; a valid file is taken as it is (up to its first
// zero byte), applied once and left alone; anything else gives the defaults,
// written back unless the disk failed; one message at most beyond the file
// unit's own; nothing left open, no temporary file left behind; a second
// start-up reads back what the first one kept.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/langue.h"
#include "files/configuration_sequences.h"
#include "files/fonctions_fichiers.h"
#include "fuzz/disque_memoire.h"
#include "fuzz/verification.h"
#include "tests/support/boite_messages_enregistreuse.h"

namespace talven {
namespace {

constexpr const char* Nom = "CONFPSER.SER";

// The main window's side: records the order of the apply operations and
// reads every byte of the record as the window does.
class Reglages_enregistres final : public Application_reglages {
 public:
  explicit Reglages_enregistres(const ConfigurationSequences*& configuration)
      : configuration_(configuration) {}
  void Application_langue() override { Appel('L'); }
  void Application_mixer() override { Appel('M'); }
  void Application_entree_son() override { Appel('E'); }
  void Application_niveau_entree() override { Appel('N'); }
  void Application_niveau_sortie() override { Appel('S'); }
  void Choix_port_serie() override { Appel('P'); }

  std::string appels;

 private:
  void Appel(char c) {
    appels += c;
    for (int n = 0; n <= 11; ++n) static_cast<void>(configuration_->Octet(n));
  }
  const ConfigurationSequences*& configuration_;
};

// What a start-up reads and keeps.
struct Demarrage {
  Texte configuration;
  uint8_t langue = 0;
  std::string appels;
  std::size_t messages = 0;
};

Demarrage Lecture(fuzz::Disque_memoire& disque) {
  test::Boite_messages_enregistreuse boite;
  FonctionsFichiers fichiers(boite, "", &disque);
  Langue langue;
  const ConfigurationSequences* vue = nullptr;
  Reglages_enregistres reglages(vue);
  ConfigurationSequences configuration(fichiers, boite, langue, reglages);
  vue = &configuration;
  configuration.Lecture_configuration();
  return Demarrage{configuration.Configuration, langue.valeur, reglages.appels, boite.messages.size()};
}

bool Temporaire_restant(const fuzz::Disque_memoire& disque) {
  for (const auto& [nom, contenu] : disque.fichiers)
    if (nom != Nom) return true;
  return false;
}

}  // namespace
}  // namespace talven

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, std::size_t taille) {
  using namespace talven;
  if (taille < 2) return 0;
  const uint8_t choix = donnees[0];
  const bool present = (choix & 1) != 0;
  const auto appel = static_cast<fuzz::Disque_memoire::Appel>((choix >> 1) & 7);
  const std::string fichier(reinterpret_cast<const char*>(donnees + 2), taille - 2);

  fuzz::Disque_memoire disque;
  if (present) disque.fichiers[Nom] = fichier;
  disque.panne = {appel, donnees[1], 5};
  if ((choix & 16) != 0) disque.morceau_max = 3;

  const Demarrage d = Lecture(disque);
  const std::string sequence_application = "LMENSP";

  TALVEN_VERIFIE(ConfigurationSequences::Configuration_valide(d.configuration));
  TALVEN_VERIFIE(d.langue == static_cast<uint8_t>(d.configuration[0]));
  TALVEN_VERIFIE(disque.Ouverts() == 0);
  TALVEN_VERIFIE(!Temporaire_restant(disque));

  // The record a sound disk gives: the file up to its first zero byte.
  const Texte lu = fichier.substr(0, fichier.find('\0'));
  const bool sans_panne = disque.panne.rang == 0 || appel >= fuzz::Disque_memoire::Appel::Nombre;
  if (present && sans_panne && ConfigurationSequences::Configuration_valide(lu)) {
    TALVEN_VERIFIE(d.configuration == lu);
    TALVEN_VERIFIE(d.appels == sequence_application);
    TALVEN_VERIFIE(d.messages == 0);
    TALVEN_VERIFIE(disque.Contenu(Nom) == fichier);
    return 0;
  }
  if (d.configuration != lu || !present) {
    // Defaults taken: after the language alone for the message, the whole
    // apply sequence.
    TALVEN_VERIFIE(d.configuration == ConfigurationSequences::Configuration_par_defaut());
    TALVEN_VERIFIE(d.appels == "L" + sequence_application);
    TALVEN_VERIFIE(d.messages >= 1);
    if (sans_panne) {
      TALVEN_VERIFIE(d.messages == 1);
      TALVEN_VERIFIE(disque.Contenu(Nom) == d.configuration);
    }
  }
  // Whatever the file now holds, the next start-up on a sound disk reads it
  // back: a valid record as it stands, otherwise the defaults again.
  const auto garde = disque.Contenu(Nom);
  disque.panne = {};
  disque.morceau_max = SIZE_MAX;
  const Demarrage suivant = Lecture(disque);
  if (garde && ConfigurationSequences::Configuration_valide(garde->substr(0, garde->find('\0')))) {
    TALVEN_VERIFIE(suivant.messages == 0);
    TALVEN_VERIFIE(suivant.configuration == garde->substr(0, garde->find('\0')));
  } else {
    TALVEN_VERIFIE(suivant.configuration == ConfigurationSequences::Configuration_par_defaut());
    TALVEN_VERIFIE(disque.Contenu(Nom) == suivant.configuration);
  }
  return 0;
}
