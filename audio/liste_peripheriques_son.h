// The sound devices the operator may choose from, by the names that stay the
// same from one start to the next.
//
// Responsibilities: define what a device of the list is (its name, a
// description, the directions it offers) and the interface of a back-end
// that lists the devices present now; build the list from what the system
// reports, in a fixed order: ALSA's `default`, the `pipewire` and `pulse`
// sound servers when their plugins are installed, then each PCM device of
// each card as `plughw:CARD=<id>,DEV=<n>` (the card's id, never its number,
// which changes with the order the cards were found); word the report of a
// chosen device that is missing, in the operator's language.
// Collaborations: `Liste_alsa` (liste_alsa.h) reads ALSA's device hints and
// card controls; `SonSimule` lists its own simulated devices; the main
// window's model shows the list in its "Sound card" menu and talven-modem
// prints it (`devices`).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/langue.h"
#include "common/texte.h"

namespace talven {

struct Peripherique_audio {
  enum class Genre {
    Defaut,    // ALSA's default device
    Pipewire,  // the PipeWire sound server
    Pulse,     // the PulseAudio sound server (or PipeWire's replacement of it)
    Carte      // one PCM device of one card
  };
  Genre genre = Genre::Carte;
  std::string Nom;          // the ALSA PCM name to open, e.g. "plughw:CARD=RADIO,DEV=0"
  std::string Description;  // UTF-8; for a card: its long name and the device's name
  bool Capture = false;     // can record (reception)
  bool Lecture = false;     // can play (transmission)

  bool operator==(const Peripherique_audio&) const = default;
};

// The devices present now.
class Liste_peripheriques_son {
 public:
  virtual ~Liste_peripheriques_son() = default;
  virtual std::vector<Peripherique_audio> Peripheriques() = 0;
};

// What ALSA reports of one card: its id (the stable name, e.g. "RADIO" or
// "CODEC"), its long name, and its PCM devices with the directions each has.
struct Carte_alsa {
  struct Pcm {
    int Numero = 0;
    std::string Nom;  // the device's own name, e.g. "USB Audio"
    bool Capture = false;
    bool Lecture = false;
  };
  std::string Id;
  std::string Nom_long;
  std::vector<Pcm> Pcms;
};

// "plughw:CARD=<id>,DEV=<numero>": the plug layer converts to 8-bit mono at
// 11025 Hz for cards that cannot take it themselves.
std::string Nom_stable(std::string_view id, int numero);

// The control device holding the mixer of the sound device `nom`: a card's
// PCM ("plughw:CARD=RADIO,DEV=0", "hw:1,0", "plughw:RADIO") has its mixer
// on the card's control, "hw:CARD=RADIO" ("hw:1"); any other name
// ("default", "pulse", "pipewire") names a control of its own.
std::string Nom_mixer(std::string_view nom);

// The list in its order from the PCM names of ALSA's device hints (only
// "pipewire" and "pulse" are looked for there) and the cards. `default`
// always comes first: it is where ALSA sends a program that names no
// device. A PCM device with neither direction is left out.
std::vector<Peripherique_audio> Liste_depuis_alsa(const std::vector<std::string>& noms_indiques,
                                                  const std::vector<Carte_alsa>& cartes);

// Whether a result code of opening a device means that the device is not
// there (ENODEV: no card with that id, or unplugged; ENOENT: no such PCM
// device or name).
bool Code_absence(int code);

// The report of the chosen device `nom` that is missing: it names the
// device, says that nothing goes to another card instead, and what to do
// (plug it in, or choose another in the "Sound card" menu).
Texte Message_peripherique_absent(std::string_view nom, const Langue& langue);

}  // namespace talven
