// A set of simple-mixer elements read from the text `amixer scontents`
// prints (`amixer -c 1 scontents`, `amixer -D default scontents`, or plain
// `amixer`), holding their values in memory:
//
//   Simple mixer control 'Master',0
//     Capabilities: pvolume pswitch pswitch-joined
//     Playback channels: Front Left - Front Right
//     Limits: Playback 0 - 65536
//     Mono:
//     Front Left: Playback 65536 [100%] [on]
//     Front Right: Playback 65536 [100%] [on]
//
// Lines starting with '#' are comments. A line this reader does not know is
// skipped, so that a listing pasted with the rest of a report still reads;
// values outside an element's limits are brought inside them.
//
// Responsibilities: read the listing; answer the element queries of
// `Elements_mixer` from the values read and written since; count the writes.
// Collaborations: none; handed to MixerAlsa to run the mapping on a card the
// machine does not have.
#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "audio/mixer_elements.h"

namespace talven {

class Elements_listing final : public Elements_mixer {
 public:
  explicit Elements_listing(std::string_view listing);

  // Number of successful writes so far.
  uint32_t Ecritures = 0;

  const std::vector<Element_simple>& Elements() const override { return elements_; }
  int Volume(size_t e, bool lecture, int canal, long& valeur) override;
  int Ecriture_volume(size_t e, bool lecture, int canal, long valeur) override;
  int Commutateur(size_t e, bool lecture, bool& actif) override;
  int Ecriture_commutateur(size_t e, bool lecture, bool actif) override;
  int Item(size_t e, unsigned& item) override;
  int Ecriture_item(size_t e, unsigned item) override;

 private:
  // Per direction (0 playback, 1 capture) and channel.
  struct Valeurs {
    std::array<std::array<long, 2>, 2> volume{};
    std::array<std::array<bool, 2>, 2> commutateur{};
    unsigned item = 0;
  };
  bool Valide(size_t e) const { return e < elements_.size(); }

  std::vector<Element_simple> elements_;
  std::vector<Valeurs> valeurs_;
};

}  // namespace talven
