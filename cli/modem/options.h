// Command line of talven-modem: which command, with which settings.
//
// Responsibilities: read the arguments of one command, check each value and
// its range, and say plainly what is wrong; give the usage text.
// Collaborations: none; the commands read the resulting record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace talven::modem {

enum class Commande { Aide, Encode, Decode, Loopback, Transmit, Receive, Morse, Devices };

struct Options {
  Commande commande = Commande::Aide;
  // Tuned or transmit frequency, tenths of a hertz, 2000..22000 (200.0 to
  // 2200.0 Hz).
  int32_t frequence = 5000;
  // decode -f auto: tune on the strongest line of the spectrum.
  bool frequence_auto = false;
  // Receive processor class, 1 (cheaper) or 2.
  int32_t classe = 2;
  // encode, morse: output WAV file.
  std::string sortie = "talven.wav";
  // encode, morse: rate of the output file, Hz, 1000..384000.
  uint32_t taux = 11025;
  // encode, morse: 16-bit signed samples instead of 8-bit unsigned.
  bool s16 = false;
  // decode: channel of the file to decode, 1 = first (left).
  uint32_t voie = 1;
  // decode: one line per input buffer on standard error.
  bool trace = false;
  // decode, receive: the squelch's threshold, an S/N as the receive window
  // shows it; none = every character shown.
  std::optional<double> squelch;
  // loopback: S/N in 2500 Hz, dB; none = no noise added.
  std::optional<double> snr_db;
  // loopback: seed of the noise generator.
  uint32_t graine = 1;
  // transmit, receive, morse: ALSA PCM name; without --device, the one
  // chosen in talven.conf, else "default" (see `peripherique_donne`).
  std::string peripherique = "default";
  // --device was given.
  bool peripherique_donne = false;
  // morse: through the sound card `peripherique` (--device given) instead
  // of into a file.
  bool carte = false;
  // transmit, morse: serial port keying the transmitter, 1..4 (COM1..COM4);
  // 0 = none (the transmitter keys itself on the audio).
  int32_t port = 0;
  // encode, loopback, transmit, morse: the text, UTF-8 as typed, or "-" for
  // standard input.
  std::optional<std::string> texte;
  // decode: the file to decode.
  std::string fichier;
};

// Outcome of reading the command line: the options, or the usage error to
// print (exit code 2).
struct Lecture_options {
  Options options;
  std::string erreur;  // empty when the command line is sound
};

Lecture_options Analyse_options(const std::vector<std::string>& arguments);

// A frequency "HZ" with at most one decimal, into tenths of a hertz within
// 200.0..2200.0; nullopt otherwise.
std::optional<int32_t> Lecture_frequence(const std::string& texte);

extern const char* const Texte_aide;

}  // namespace talven::modem
