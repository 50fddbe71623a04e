// The user's settings file talven.conf, beside ports.conf in the user's
// configuration directory.
//
// Responsibilities: find that directory ($XDG_CONFIG_HOME/talven, or
// ~/.config/talven when XDG_CONFIG_HOME is not set) and read the settings
// of talven.conf, one per line:
//     # minutes of idle transmission before it ends; 0 turns the watchdog off
//     transmit_watchdog_minutes=10
//     # the sound card, by its ALSA name (the "Sound card" menu writes it)
//     sound_device=plughw:CARD=RADIO,DEV=0
// Blank lines and lines starting with '#' are ignored, spaces around the
// key and the value are trimmed, unknown keys are ignored; the last line of
// a key wins. A missing file or key leaves the default; a bad value is
// reported (file, line, what the key takes) and changes nothing. Write one
// key: its line is rewritten in place (or added at the end), every other
// line and comment kept as it was; the new file is written beside the old
// one and renamed over it, so a crash or a full disk leaves the old file
// whole.
// Collaborations: the station reads it when its parameters give no value;
// `Correspondance_ports` reads ports.conf from the same directory; reports
// go to a `Journal` (standard error in the programs).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/haut_parleur_linux.h"

namespace talven {

// $XDG_CONFIG_HOME/talven, or $HOME/.config/talven; empty when neither
// variable is set.
std::string Dossier_configuration_utilisateur();

struct Reglages_utilisateur {
  static constexpr int32_t Minutes_garde_par_defaut = 10;
  static constexpr int32_t Minutes_garde_maximales = 24 * 60;

  // transmit_watchdog_minutes: 0 (off) .. Minutes_garde_maximales.
  int32_t Minutes_garde_emission = Minutes_garde_par_defaut;
  // sound_device: the ALSA name of the sound card; empty when none was
  // chosen ("default" is then used).
  std::string Peripherique_son;

  // Applies the lines of a talven.conf file's content; `nom` names the file
  // in the reports sent to `journal`.
  void Lecture_fichier(std::string_view contenu, std::string_view nom, const Journal& journal);
  // Defaults, then the user's talven.conf when there is one.
  static Reglages_utilisateur Chargement(const Journal& journal = Journal_erreur_standard());

  // Keys written by the program.
  static constexpr std::string_view Cle_peripherique_son = "sound_device";

  // Writes `cle` = `valeur` into the file `chemin` (created, with its
  // directory, when missing) through a temporary file renamed over it.
  // False, with the reason sent to `journal`, when it could not be written
  // (the old file is then unchanged) or the value holds a line break.
  static bool Ecriture_reglage(const std::string& chemin, std::string_view cle, std::string_view valeur,
                               const Journal& journal);
  // The user's talven.conf; empty when there is no configuration directory.
  static std::string Chemin_fichier();
};

}  // namespace talven
