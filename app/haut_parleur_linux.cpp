#include "app/haut_parleur_linux.h"

#include <fcntl.h>
#include <linux/input.h>
#include <linux/kd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace talven {

namespace {

constexpr int32_t Horloge_timer = 1193180;

bool Bit_present(const unsigned long* bits, int numero) {
  constexpr int bits_par_mot = static_cast<int>(sizeof(unsigned long) * CHAR_BIT);
  return (bits[numero / bits_par_mot] >> (numero % bits_par_mot)) & 1UL;
}

// Whether the open evdev device reports EV_SND with SND_TONE.
bool Accepte_tonalite(int poignee) {
  unsigned long types[(EV_MAX + 1 + 63) / 64 + 1] = {};
  unsigned long sons[(SND_MAX + 1 + 63) / 64 + 1] = {};
  if (ioctl(poignee, EVIOCGBIT(0, sizeof(types)), types) < 0) return false;
  if (!Bit_present(types, EV_SND)) return false;
  if (ioctl(poignee, EVIOCGBIT(EV_SND, sizeof(sons)), sons) < 0) return false;
  return Bit_present(sons, SND_TONE);
}

// Entries of `repertoire` whose name contains `motif`, sorted; none when the
// directory cannot be read.
std::vector<std::string> Entrees(const std::string& repertoire, std::string_view motif) {
  std::vector<std::string> chemins;
  std::error_code erreur;
  for (std::filesystem::directory_iterator it(repertoire, erreur), fin; !erreur && it != fin;
       it.increment(erreur)) {
    if (it->path().filename().string().find(motif) != std::string::npos)
      chemins.push_back(it->path().string());
  }
  std::sort(chemins.begin(), chemins.end());
  return chemins;
}

}  // namespace

Journal Journal_erreur_standard() {
  return [](std::string_view ligne) {
    std::fprintf(stderr, "talven: %.*s\n", static_cast<int>(ligne.size()), ligne.data());
  };
}

std::unique_ptr<Haut_parleur_evenement> Haut_parleur_evenement::Ouverture(const std::string& chemin) {
  const int poignee = open(chemin.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
  if (poignee < 0) return nullptr;
  if (!Accepte_tonalite(poignee)) {
    close(poignee);
    return nullptr;
  }
  return std::unique_ptr<Haut_parleur_evenement>(new Haut_parleur_evenement(poignee));
}

Haut_parleur_evenement::~Haut_parleur_evenement() {
  Envoi(0);
  close(poignee_);
}

void Haut_parleur_evenement::Envoi(int32_t hertz) {
  input_event evenement{};
  evenement.type = EV_SND;
  evenement.code = SND_TONE;
  evenement.value = hertz;
  // A lost beep is not worth reporting: the write result is not needed.
  if (write(poignee_, &evenement, sizeof(evenement)) < 0) return;
}

void Haut_parleur_evenement::Tonalite(int32_t hertz) {
  Envoi(hertz);
}

void Haut_parleur_evenement::Silence() {
  Envoi(0);
}

std::unique_ptr<Haut_parleur_console> Haut_parleur_console::Ouverture(const std::string& chemin) {
  int poignee = open(chemin.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (poignee < 0) poignee = open(chemin.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
  if (poignee < 0) return nullptr;
  // Silencing is the harmless probe: it fails on anything but a console
  // that lets this process sound its bell.
  if (ioctl(poignee, KIOCSOUND, 0) < 0) {
    close(poignee);
    return nullptr;
  }
  return std::unique_ptr<Haut_parleur_console>(new Haut_parleur_console(poignee));
}

Haut_parleur_console::~Haut_parleur_console() {
  Silence();
  close(poignee_);
}

void Haut_parleur_console::Tonalite(int32_t hertz) {
  if (hertz <= 0) {
    Silence();
    return;
  }
  // The ioctl takes the timer divisor; a divisor of 0 would mean silence.
  const long diviseur = std::max<long>(1, Horloge_timer / hertz);
  ioctl(poignee_, KIOCSOUND, diviseur);
}

void Haut_parleur_console::Silence() {
  ioctl(poignee_, KIOCSOUND, 0);
}

std::unique_ptr<Haut_parleur> Choix_haut_parleur_linux(const Journal& journal,
                                                       const Emplacements_haut_parleur& emplacements) {
  auto dire = [&journal](const std::string& ligne) {
    if (journal) journal(ligne);
  };
  std::vector<std::string> candidats = Entrees(emplacements.Repertoire_par_chemin, "pcspkr");
  for (const std::string& chemin : Entrees(emplacements.Repertoire_entrees, "event"))
    candidats.push_back(chemin);
  for (const std::string& chemin : candidats) {
    if (auto haut_parleur = Haut_parleur_evenement::Ouverture(chemin)) {
      dire("PC speaker: tones through the input device " + chemin);
      return haut_parleur;
    }
  }
  for (const std::string& chemin : emplacements.Consoles) {
    if (auto haut_parleur = Haut_parleur_console::Ouverture(chemin)) {
      dire("PC speaker: tones through the console bell of " + chemin);
      return haut_parleur;
    }
  }
  dire(
      "PC speaker: no writable pcspkr input device or console found; beeps are silent "
      "(membership of the \"input\" group gives access to the pcspkr device)");
  return std::make_unique<Haut_parleur_muet>();
}

}  // namespace talven
