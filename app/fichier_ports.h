// The keying settings file ports.conf written from the menu, and the serial
// devices the menu offers.
//
// Responsibilities: replace or add `KEY=value` lines of ports.conf (COM1 ..
// COM4, KEYING, CAT_MODEL, CAT_PORT) keeping every other line and comment
// where it was, and write the file whole or not at all (a temporary file in
// the same directory, then renamed over it); list the serial devices of the
// machine: their stable /dev/serial/by-id names first, then the ttyUSB,
// ttyACM and ttyS nodes that exist.
// Collaborations: `Correspondance_ports` (manipulation_serie.h) reads the
// file; the main window's model writes it when the operator maps a port or
// chooses CAT keying.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace talven {

using Valeurs_ports = std::vector<std::pair<std::string, std::string>>;

// `contenu` with each key of `valeurs` set: its first line rewritten as
// KEY=value, later lines of the same key dropped (the last one would win
// when read), a key not yet there appended; an empty value removes the
// key's lines.
std::string Reecriture_ports_conf(std::string_view contenu, const Valeurs_ports& valeurs);

// Rewrites the file at `chemin` (created with its directory when missing)
// with `valeurs`; false with the reason in `erreur` when it could not be
// written, the old file then left as it was.
bool Ecriture_ports_conf(const std::string& chemin, const Valeurs_ports& valeurs, std::string& erreur);

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
