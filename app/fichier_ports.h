// The keying settings file ports.conf written from the menu, and the serial
// devices the menu offers.
//
// Responsibilities: name the file whose keys (COM1 .. COM4, KEYING,
// CAT_MODEL, CAT_PORT) the menu sets through fichier_reglages.h, every
// other line and comment kept; list the serial devices of the machine:
// their stable /dev/serial/by-id names first, then the ttyUSB, ttyACM and
// ttyS nodes that exist.
// Collaborations: `Correspondance_ports` (manipulation_serie.h) reads the
// file; the main window's model writes it when the operator maps a port or
// chooses CAT keying.
#pragma once

#include <string>
#include <vector>

#include "app/fichier_reglages.h"

namespace talven {

// Values to set in ports.conf, written through `Ecriture_reglages`
// (fichier_reglages.h).
using Valeurs_ports = Valeurs_reglages;

// $XDG_CONFIG_HOME/talven/ports.conf (or ~/.config/talven/ports.conf);
// empty when neither variable is set.
std::string Chemin_ports_conf();

struct Peripherique_serie {
  std::string chemin;  // what is written in ports.conf
  std::string cible;   // for a by-id link, the node it leads to ("ttyUSB0"); empty otherwise
  bool operator==(const Peripherique_serie&) const = default;
};

// The serial devices under `racine` (/dev): serial/by-id/* sorted by name,
// then ttyUSB*, ttyACM* and ttyS* in number order.
std::vector<Peripherique_serie> Liste_peripheriques_serie(const std::string& racine = "/dev");

}  // namespace talven
