// talven-modem and the sound devices: the `devices` command, and the device
// a command streams through.
//
// Responsibilities: list the devices present by their stable names, the
// chosen one marked (and shown as not connected when missing); give a
// command without --device the device chosen in talven.conf; refuse to
// start on a chosen device that is missing, naming it, instead of letting
// anything else play or record.
// Collaborations: `Liste_alsa` and `SonAlsa` (audio/), `Reglages_utilisateur`
// (app/).
#pragma once

#include <string>

#include "cli/modem/options.h"

namespace talven::modem {

// Prints the list on standard output; Sortie_ok.
int Devices(const Options& o);

// The device of a command: --device, else sound_device of talven.conf, else
// "default".
std::string Peripherique_de_la_commande(const Options& o);

// True when the device `nom` is there; otherwise says so on standard error
// (its name, what to do) and returns false.
bool Peripherique_present(const std::string& nom);

}  // namespace talven::modem
