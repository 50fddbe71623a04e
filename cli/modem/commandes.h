// The commands of talven-modem, each a thin front on the transceiver engine
// (`TraducteurEditeurPsk`) or the Morse sender (`EmissionMorse`) and a sound
// card: the simulated one for files, the ALSA one for a headless station.
#pragma once

#include "cli/modem/options.h"

namespace talven::modem {

// Exit codes.
inline constexpr int Sortie_ok = 0;
inline constexpr int Sortie_echec = 1;  // unreadable or corrupt file, sound card, ...
inline constexpr int Sortie_usage = 2;  // bad command line

int Encode(const Options& o);
int Decode(const Options& o);
int Loopback(const Options& o);
int Transmit(const Options& o);
int Receive(const Options& o);
int Morse(const Options& o);

}  // namespace talven::modem
