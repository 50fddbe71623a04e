// The sound devices present now, as ALSA reports them.
//
// Responsibilities: read the PCM names of ALSA's device hints (for the
// `pipewire` and `pulse` plugins) and, for each card, its id, its long name
// and each PCM device with the directions it offers (card control and PCM
// info, no PCM opened), and hand them to `Liste_depuis_alsa` for the stable
// names.
// Collaborations: implements `Liste_peripheriques_son`; alsa-lib's own
// diagnostics go through `audio/messages_alsa.h` like the other ALSA
// back-ends.
#pragma once

#include "audio/liste_peripheriques_son.h"

namespace talven {

class Liste_alsa final : public Liste_peripheriques_son {
 public:
  Liste_alsa();
  std::vector<Peripherique_audio> Peripheriques() override;
};

}  // namespace talven
