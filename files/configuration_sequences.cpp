#include "files/configuration_sequences.h"

#include <string>

namespace talven {
namespace {

constexpr VueTexte Nom_configuration = "CONFPSER.SER";
// Sequence N lives in the file F<12 + N>.SER.
constexpr int Premier_numero_fichier = 13;

bool Parmi(uint8_t octet, std::initializer_list<uint8_t> valeurs) {
  for (uint8_t v : valeurs)
    if (octet == v) return true;
  return false;
}

}  // namespace

ConfigurationSequences::ConfigurationSequences(FonctionsFichiers& fichiers, Boite_messages& messages,
                                               Langue& langue, Application_reglages& reglages)
    : fichiers_(fichiers), messages_(messages), langue_(langue), reglages_(reglages) {}

Texte ConfigurationSequences::Configuration_par_defaut() {
  return Texte{1, 120, 1, 2, 5, 1, 1};
}

bool ConfigurationSequences::Configuration_valide(VueTexte record) {
  if (record.size() < Taille_minimale_configuration || record.size() > Taille_maximale_configuration)
    return false;
  auto octet = [&](int n) { return static_cast<uint8_t>(record[static_cast<std::size_t>(n - 1)]); };
  return Parmi(octet(1), {1, 2}) && Parmi(octet(2), {20, 40, 60, 80, 100, 120}) &&
         ((octet(3) >= 1 && octet(3) <= 6) || (octet(3) >= 8 && octet(3) <= 10)) && Parmi(octet(4), {1, 2}) &&
         octet(5) >= 1 && octet(5) <= 5 && octet(6) >= 1 && octet(6) <= 3 && Parmi(octet(7), {1, 2});
}

Texte ConfigurationSequences::Nom_fichier_sequence(int numero) {
  Texte nom = "F";
  nom += std::to_string(Premier_numero_fichier - 1 + numero);
  nom += ".SER";
  return nom;
}

int ConfigurationSequences::Numero_sequence(VueTexte nom) {
  for (int n = 1; n <= Nombre_sequences; ++n)
    if (nom == Nom_fichier_sequence(n)) return n;
  return 0;
}

uint8_t ConfigurationSequences::Octet(int numero) const {
  if (numero < 1 || static_cast<std::size_t>(numero) > Configuration.size()) return 0;
  return static_cast<uint8_t>(Configuration[static_cast<std::size_t>(numero - 1)]);
}

void ConfigurationSequences::Langue_puis_application() {
  // The window's Application_langue sets the flag the same way; it is set
  // here first so that the message that follows is in the record's language
  // whatever the window does. A record without a first byte gives 0, French.
  langue_.valeur = Octet(1);
  reglages_.Application_langue();
}

void ConfigurationSequences::Sequence_application() {
  Langue_puis_application();
  reglages_.Application_mixer();
  reglages_.Application_entree_son();
  reglages_.Application_niveau_entree();
  reglages_.Application_niveau_sortie();
  reglages_.Choix_port_serie();
}

void ConfigurationSequences::Lecture_configuration() {
  if (!fichiers_.Existence_fichier(Nom_configuration)) {
    Langue_puis_application();
    messages_.Message(langue_.Choix("No presence of the file CONFPSER.SER, so standard parameters.",
                                    "Pas de présence du fichier de configuration CONFPSER.SER, donc "
                                    "paramètres par défaut."));
  } else {
    // A failed read has already been reported; what was read (possibly
    // nothing) is then checked like any other record.
    Texte lu;
    int32_t nombre = 0;
    fichiers_.Lecture_fichier(Nom_configuration, lu, nombre);
    Configuration = lu;
    if (Configuration_valide(Configuration)) {
      Sequence_application();
      return;
    }
    Langue_puis_application();
    messages_.Message(langue_.Choix("The file CONFPSER.SER is altered, so standard parameters.",
                                    "Le fichier de configuration CONFPSER.SER est altéré, donc "
                                    "paramètres par défaut."));
  }
  Configuration = Configuration_par_defaut();
  Sequence_application();
  Sauvegarde_configuration();
}

int ConfigurationSequences::Sauvegarde_configuration() {
  return fichiers_.Ecriture_fichier(Nom_configuration, Configuration);
}

void ConfigurationSequences::Verification_sequence(VueTexte nom) {
  const int numero = Numero_sequence(nom);
  auto vider = [&] {
    if (numero != 0) Textes_sequences[static_cast<std::size_t>(numero - 1)].clear();
    fichiers_.Ecriture_fichier(nom, "");
  };
  if (!fichiers_.Existence_fichier(nom)) {
    Texte m = langue_.Choix("No presence of the file ", "Pas de présence du fichier ");
    m += nom;
    m += langue_.Choix(", so reinitialization of this file.", ", donc réinitialisation de celui-ci.");
    messages_.Message(m);
    vider();
    return;
  }
  Texte lu;
  int32_t nombre = 0;
  fichiers_.Lecture_fichier(nom, lu, nombre);
  if (nombre > Taille_maximale_sequence) {
    Texte m = langue_.Choix("The file ", "Le fichier ");
    m += nom;
    m += langue_.Choix(" is altered, so reinitialization of this file.",
                       " est altéré, donc réinitialisation de celui-ci.");
    messages_.Message(m);
    vider();
    return;
  }
  // The text just read is the sequence: reading the file a second time
  // would only repeat any read error message.
  if (numero != 0) Textes_sequences[static_cast<std::size_t>(numero - 1)] = lu;
}

void ConfigurationSequences::Verification_sequences() {
  for (int n = 1; n <= Nombre_sequences; ++n) Verification_sequence(Nom_fichier_sequence(n));
}

}  // namespace talven
