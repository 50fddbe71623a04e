// The configuration file CONFPSER.SER and the sequence files F13.SER to
// F20.SER, which keep the operator's settings and the eight sequences
// between runs.
//
// Responsibilities: read and check the configuration at start-up (falling
// back to the defaults, with one message, when it is missing or altered),
// write it whole after each change of a setting, check and load the eight
// sequence files (recreating empty any that is missing or too long), and
// keep both in memory for the whole run.
// Collaborations: FonctionsFichiers for every file access (so the names
// are relative to its directory, the working directory of the program);
// Application_reglages, implemented by the main window, which applies the
// settings; Langue, whose value follows byte 1; Boite_messages.
//
// CONFPSER.SER holds seven one-byte binary settings (up to ten bytes are
// accepted; bytes 8 to 10 are kept and written back unchanged):
//   byte 1  language              1 English, 2 French
//   byte 2  input level           20, 40, 60, 80, 100 (percent), 120 (AGC)
//   byte 3  speaker output level  1..6, 8..10 (never 7): "/ 1" .. "/ 256"
//   byte 4  Classe_processeur     1 (P66), 2 (P166)
//   byte 5  keying serial port    1..4 for COM1..COM4, 5 for none
//   byte 6  sound input           1 line left, 2 line right, 3 microphone
//   byte 7  mixer handling        1 software adjustment, 2 user adjustment
// A sequence file is the sequence's Windows-1252 text, CR LF line breaks,
// no header, at most 5000 bytes.
#pragma once

#include <array>
#include <cstdint>

#include "common/langue.h"
#include "common/messages.h"
#include "common/texte.h"
#include "files/fonctions_fichiers.h"

namespace talven {

// The main window's operations that apply the settings of Configuration to
// the interface, the mixer and the keying port. Application_langue sets the
// language flag from byte 1 and every caption, then runs the five others.
// They read the settings through ConfigurationSequences::Octet, which also
// answers for a short record read from an altered file.
class Application_reglages {
 public:
  virtual ~Application_reglages() = default;
  virtual void Application_langue() = 0;
  virtual void Application_mixer() = 0;
  virtual void Application_entree_son() = 0;
  virtual void Application_niveau_entree() = 0;
  virtual void Application_niveau_sortie() = 0;
  virtual void Choix_port_serie() = 0;
};

class ConfigurationSequences {
 public:
  static constexpr int Nombre_sequences = 8;
  // Largest valid sequence file, in bytes.
  static constexpr int32_t Taille_maximale_sequence = 5000;
  // Accepted lengths of the configuration record, in bytes.
  static constexpr std::size_t Taille_minimale_configuration = 7;
  static constexpr std::size_t Taille_maximale_configuration = 10;

  // All four must outlive this object. `reglages` may be the main window
  // that owns this object: the constructor does not call it.
  ConfigurationSequences(FonctionsFichiers& fichiers, Boite_messages& messages, Langue& langue,
                         Application_reglages& reglages);

  // The defaults: English, AGC, "/ 1", P166, no serial port, left line
  // input, software adjustment.
  static Texte Configuration_par_defaut();
  // True when `record` is a valid configuration (7 to 10 bytes, each of the
  // first seven within its values); otherwise the file is "altered".
  static bool Configuration_valide(VueTexte record);
  // "F13.SER" for sequence 1 ... "F20.SER" for sequence 8 (numero 1..8).
  static Texte Nom_fichier_sequence(int numero);
  // The sequence (1..8) stored in the file named exactly `nom`, 0 for any
  // other name.
  static int Numero_sequence(VueTexte nom);

  // Byte `numero` (1..10) of Configuration; 0 when the record is shorter.
  uint8_t Octet(int numero) const;

  // Start-up: reads CONFPSER.SER into Configuration, checks it, sets the
  // language flag and runs the apply sequence. A missing or altered file
  // gives one message in the language of the record found (French when
  // there is none), then the defaults are taken, applied and written.
  void Lecture_configuration();

  // Writes the whole of Configuration to CONFPSER.SER. Returns the result of
  // FonctionsFichiers::Ecriture_fichier (0, or 1 after its message; the old
  // file is then kept).
  int Sauvegarde_configuration();

  // Start-up, for each sequence file: recreates `nom` empty, after a
  // message, when it is missing or holds more than 5000 bytes (the sequence
  // in memory is then empty); otherwise loads it into the entry of
  // Textes_sequences whose file it is.
  void Verification_sequence(VueTexte nom);
  // Verification_sequence for F13.SER to F20.SER, in that order.
  void Verification_sequences();

  // The settings, byte for byte as in CONFPSER.SER. Holds four spaces until
  // Lecture_configuration has run. The main window changes a byte, applies
  // it, then calls Sauvegarde_configuration.
  Texte Configuration = "    ";
  // The eight sequences; entry 0 is sequence 1 (F13.SER). The sequence
  // editor updates an entry when it writes the file.
  std::array<Texte, Nombre_sequences> Textes_sequences;

 private:
  // Language flag from byte 1, then the window's Application_langue.
  void Langue_puis_application();
  // The six apply operations, in their order.
  void Sequence_application();

  FonctionsFichiers& fichiers_;
  Boite_messages& messages_;
  Langue& langue_;
  Application_reglages& reglages_;
};

}  // namespace talven
