// Linux beep back-ends.
//
// Responsibilities: sound the PC-speaker tones of the program on what Linux
// offers, in this order of preference:
//   1. the PC-speaker input device (the pcspkr driver, an evdev device that
//      accepts EV_SND / SND_TONE events), found under /dev/input/by-path
//      (*pcspkr*) or by scanning /dev/input/event* for that capability;
//   2. the console tone ioctl (KIOCSOUND) on /dev/console or /dev/tty0;
//   3. none: beeps are silent.
// Both devices are usually writable only by root or the "input" / "tty"
// groups; the choice made is reported once through a logging hook.
// Collaborations: implements `Haut_parleur` for `FonctionsPascal`.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/haut_parleur.h"

namespace talven {

// A logging hook: receives one line of text, without its newline.
using Journal = std::function<void(std::string_view ligne)>;

// A hook writing "talven: <line>" to standard error.
Journal Journal_erreur_standard();

// Tones sent as SND_TONE events to an evdev device.
class Haut_parleur_evenement final : public Haut_parleur {
 public:
  // Opens `chemin` for writing if it is an input device with the SND_TONE
  // capability; nullptr otherwise.
  static std::unique_ptr<Haut_parleur_evenement> Ouverture(const std::string& chemin);
  ~Haut_parleur_evenement() override;
  Haut_parleur_evenement(const Haut_parleur_evenement&) = delete;
  Haut_parleur_evenement& operator=(const Haut_parleur_evenement&) = delete;

  void Tonalite(int32_t hertz) override;
  void Silence() override;

 private:
  explicit Haut_parleur_evenement(int poignee) : poignee_(poignee) {}
  void Envoi(int32_t hertz);
  int poignee_;
};

// Tones set through the KIOCSOUND ioctl of a virtual console.
class Haut_parleur_console final : public Haut_parleur {
 public:
  // Opens `chemin` if the console accepts KIOCSOUND; nullptr otherwise.
  static std::unique_ptr<Haut_parleur_console> Ouverture(const std::string& chemin);
  ~Haut_parleur_console() override;
  Haut_parleur_console(const Haut_parleur_console&) = delete;
  Haut_parleur_console& operator=(const Haut_parleur_console&) = delete;

  void Tonalite(int32_t hertz) override;
  void Silence() override;

 private:
  explicit Haut_parleur_console(int poignee) : poignee_(poignee) {}
  int poignee_;
};

// Where the back-ends are looked for (tests point these elsewhere).
struct Emplacements_haut_parleur {
  std::string Repertoire_par_chemin = "/dev/input/by-path";
  std::string Repertoire_entrees = "/dev/input";
  std::vector<std::string> Consoles{"/dev/console", "/dev/tty0"};
};

// The first back-end that works, in the order above, or a silent one; says
// once through `journal` which one was chosen.
std::unique_ptr<Haut_parleur> Choix_haut_parleur_linux(const Journal& journal,
                                                       const Emplacements_haut_parleur& emplacements = {});

}  // namespace talven
