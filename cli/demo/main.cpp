// talven-demo: a TALVEN signal made by the transmitter's modulation, with
// white noise at a chosen signal-to-noise ratio, decoded back to text by the
// receive chain, all in the terminal.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>

#include "common/texte.h"
#include "transceiver/code_caractere.h"
#include "transceiver/decodeur_hors_ligne.h"
#include "transceiver/modulateur.h"

namespace {

constexpr const char* Aide =
    "Usage: talven-demo [-f HZ] [--class 1|2] [--snr DB] [--seed N] [TEXT]\n"
    "\n"
    "Synthesizes a TALVEN transmission of TEXT (default: a short call) on a\n"
    "carrier of HZ hertz (200.0 to 2200.0, default 1000.0), adds white\n"
    "Gaussian noise at DB decibels of signal-to-noise ratio in 2500 Hz\n"
    "(default -10), and decodes it with the receive chain of processor\n"
    "class 1 or 2 (default 2). Prints the text sent and the text received.\n"
    "\n"
    "Lower-case letters are sent as capitals; characters the mode cannot\n"
    "send are left out.\n";

int Erreur(const std::string& message) {
  std::fprintf(stderr, "talven-demo: %s\nTry 'talven-demo --help'.\n", message.c_str());
  return 2;
}

bool Nombre(std::string_view texte, double& valeur) {
  const std::string copie(texte);
  char* fin = nullptr;
  valeur = std::strtod(copie.c_str(), &fin);
  return !copie.empty() && fin == copie.c_str() + copie.size() && std::isfinite(valeur);
}

}  // namespace

int main(int argc, char** argv) {
  double frequence = 1000.0;
  double snr = -10.0;
  double classe = 2;
  double graine = 1;
  std::string texte_utf8 = "CQ CQ CQ DE F6XYZ F6XYZ F6XYZ PSE K";
  bool texte_donne = false;

  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    auto valeur = [&](double& v) {
      if (i + 1 >= argc || !Nombre(argv[i + 1], v)) return false;
      ++i;
      return true;
    };
    if (a == "-h" || a == "--help") {
      std::fputs(Aide, stdout);
      return 0;
    } else if (a == "-f") {
      if (!valeur(frequence)) return Erreur("-f needs a frequency in hertz");
    } else if (a == "--class") {
      if (!valeur(classe)) return Erreur("--class needs 1 or 2");
    } else if (a == "--snr") {
      if (!valeur(snr)) return Erreur("--snr needs a number of decibels");
    } else if (a == "--seed") {
      if (!valeur(graine)) return Erreur("--seed needs a number");
    } else if (!a.empty() && a[0] == '-') {
      return Erreur("unknown option " + std::string(a));
    } else if (texte_donne) {
      return Erreur("give the text as one argument (quote it)");
    } else {
      texte_utf8 = a;
      texte_donne = true;
    }
  }
  const auto dixiemes = static_cast<int32_t>(std::lround(frequence * 10));
  if (dixiemes < 2000 || dixiemes > 22000)
    return Erreur("the frequency must lie between 200.0 and 2200.0 Hz");
  if (classe != 1 && classe != 2) return Erreur("the processor class is 1 or 2");

  // The text as the mode can send it.
  std::string texte;
  for (char c : talven::Depuis_utf8(texte_utf8)) {
    auto octet = static_cast<uint8_t>(c);
    if (octet >= 'a' && octet <= 'z') octet = static_cast<uint8_t>(octet - 'a' + 'A');
    if (octet != '<' && octet != '>' && !talven::Code_caractere(octet).empty())
      texte += static_cast<char>(octet);
  }

  // The transmission: a third of a second of carrier, one reversal, another
  // third of a second, idle marks, the text, idle marks.
  talven::FiltrePasseBande filtre;
  talven::Modulateur modulateur(filtre);
  modulateur.Init_modulation(dixiemes);
  talven::Echantillons signal;
  for (int32_t signe : {-1, 1})
    for (int i = 0; i < 3675; ++i) signal.push_back(modulateur.Echantillon_module(signe));
  for (int i = 0; i < 15; ++i) modulateur.Modulation_caractere('>', signal);
  for (char c : texte) modulateur.Modulation_caractere(static_cast<uint8_t>(c), signal);
  for (int i = 0; i < 10; ++i) modulateur.Modulation_caractere('>', signal);

  // White noise at the chosen S/N in 2500 Hz; the transmitter's carrier
  // swings about +-54 around 127.5.
  double puissance = 0;
  for (uint8_t e : signal) puissance += (e - 127.5) * (e - 127.5);
  puissance /= static_cast<double>(signal.size());
  const double sigma = std::sqrt(puissance / std::pow(10.0, snr / 10.0) * (11025.0 / 2.0) / 2500.0);
  std::mt19937 generateur(static_cast<uint32_t>(graine));
  std::normal_distribution<double> bruit(0.0, sigma);
  for (uint8_t& e : signal)
    e = static_cast<uint8_t>(std::clamp(std::lround(e + bruit(generateur)), 1L, 255L));

  const auto debut = std::chrono::steady_clock::now();
  talven::DecodeurHorsLigne recepteur(dixiemes, static_cast<int32_t>(classe));
  recepteur.Traitement(signal);
  const std::chrono::duration<double> duree = std::chrono::steady_clock::now() - debut;

  std::string recu = talven::Vers_utf8(recepteur.Texte_recu());
  std::erase(recu, '\r');
  std::printf("Sent     (%.1f Hz, S/N %.1f dB in 2500 Hz): %s\n", dixiemes / 10.0, snr,
              talven::Vers_utf8(texte).c_str());
  std::printf("Received (class %d, %s):%s%s\n", static_cast<int>(classe),
              recepteur.decodeur.Signal_verrouille() ? "locked" : "not locked", recu.empty() ? "" : " ",
              recu.c_str());
  std::printf("%.1f s of audio decoded in %.3f s (%.0f times real time)\n", signal.size() / 11025.0,
              duree.count(), signal.size() / 11025.0 / duree.count());
  return 0;
}
