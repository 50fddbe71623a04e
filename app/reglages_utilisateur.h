// The user's settings file talven.conf, beside ports.conf in the user's
// configuration directory.
//
// Responsibilities: find that directory ($XDG_CONFIG_HOME/talven, or
// ~/.config/talven when XDG_CONFIG_HOME is not set) and read the settings
// of talven.conf, one per line:
//     # minutes of idle transmission before it ends; 0 turns the watchdog off
//     transmit_watchdog_minutes=10
// Blank lines and lines starting with '#' are ignored, spaces around the
// key and the value are trimmed, unknown keys are ignored. A missing file
// or key leaves the default; a bad value is reported (file, line, what the
// key takes) and changes nothing.
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

  // Applies the lines of a talven.conf file's content; `nom` names the file
  // in the reports sent to `journal`.
  void Lecture_fichier(std::string_view contenu, std::string_view nom, const Journal& journal);
  // Defaults, then the user's talven.conf when there is one.
  static Reglages_utilisateur Chargement(const Journal& journal = Journal_erreur_standard());
};

}  // namespace talven
