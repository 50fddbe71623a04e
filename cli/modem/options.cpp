#include "cli/modem/options.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <set>

#include "cli/modem/fichier_audio.h"
#include "transceiver/silencieux.h"

namespace talven::modem {

const char* const Texte_aide =
    "Usage: talven-modem COMMAND [OPTIONS]\n"
    "\n"
    "A TALVEN modem without window: differential BPSK at 10 bauds, 8-bit mono\n"
    "samples at 11025 Hz.\n"
    "\n"
    "Commands:\n"
    "  encode [-f HZ] [-o FILE] [--rate R] [--format u8|s16] [TEXT | -]\n"
    "      Writes the transmitter's output for TEXT (standard input with '-' or\n"
    "      without TEXT) to a WAV file (default talven.wav, 8-bit unsigned mono\n"
    "      at 11025 Hz) as it is played: carrier and one reversal, idle marks,\n"
    "      the text, idle marks until the transmission is drained.\n"
    "  decode [-f HZ | -f auto] [--class 1|2] [--channel N] [--trace]\n"
    "         [--squelch[=S]] FILE | -\n"
    "      Decodes a sound file (any format and channel count that libsndfile\n"
    "      reads, 1000 to 384000 Hz) and prints the received text. Standard\n"
    "      input ('-') and a named pipe are read as a live stream, to its end\n"
    "      or Ctrl-C (arecord -f U8 -r 11025 | talven-modem decode -); not\n"
    "      with -f auto, which reads the sound twice.\n"
    "  loopback [--snr DB] [-f HZ] [--class 1|2] [--seed N] [TEXT | -]\n"
    "      Encodes TEXT, adds white Gaussian noise at DB decibels of S/N in\n"
    "      2500 Hz (no noise without --snr), decodes it and prints the text\n"
    "      sent, the text received and the character error rate.\n"
    "  transmit [--device NAME] [--port N] [-f HZ] TEXT\n"
    "      Sends TEXT through the sound card, keying the transmitter on serial\n"
    "      port COM N (1 to 4) when given; ends once TEXT is sent, or on Ctrl-C.\n"
    "  receive [--device NAME] [-f HZ] [--class 1|2] [--squelch[=S]]\n"
    "      Receives from the sound card and prints the text until Ctrl-C.\n"
    "  morse [-o FILE] [--rate R] [--format u8|s16] [TEXT | -]\n"
    "      Writes TEXT in Morse code (CW, 20 words per minute, 500 Hz) to a WAV\n"
    "      file (default talven.wav), as the sound card plays it from the keying\n"
    "      of the transmitter to its release: three quarters of a second of\n"
    "      silence, the signs, the silence up to the end of the last buffer.\n"
    "  morse --device NAME [--port N] TEXT\n"
    "      Sends TEXT in Morse code through the sound card, keying the\n"
    "      transmitter on serial port COM N when given; ends once TEXT is sent,\n"
    "      or on Ctrl-C within a quarter of a second.\n"
    "  devices\n"
    "      Lists the sound devices present by the names --device takes: default,\n"
    "      pipewire and pulse when installed, then plughw:CARD=<id>,DEV=<n> for\n"
    "      each device of each card, a name that stays the same whatever order\n"
    "      the cards are found in. '*' marks the chosen one (talven's Sound card\n"
    "      menu, sound_device in talven.conf), shown NOT CONNECTED when missing.\n"
    "\n"
    "Options:\n"
    "  -f HZ          carrier frequency in hertz, one decimal at most, 200.0 to\n"
    "                 2200.0 (default 500.0); decode also takes 'auto': tune on\n"
    "                 the strongest line between 200 and 2200 Hz\n"
    "  --class 1|2    receive processor class (default 2, the costlier one)\n"
    "  --channel N    channel of the file to decode, 1 = first/left (default 1)\n"
    "  --trace        one line per input buffer on standard error: buffer, level,\n"
    "                 S/N, received/transmitted/delta frequencies, lock\n"
    "  --squelch[=S]  show the received characters only while the S/N around the\n"
    "                 tuned frequency, as the receive window shows it, says a\n"
    "                 station is there: it opens at S (default 0.010, about\n"
    "                 -16 dB in 2500 Hz), closes below S/2 held for a second\n"
    "                 in class 2; characters come out 3 s late in class 2, 6 s\n"
    "                 in class 1\n"
    "  -o FILE        output file of encode and morse (default talven.wav); '-'\n"
    "                 for standard output (a pipe gets a WAV of unknown length)\n"
    "  --rate R       sample rate of the output file, Hz (default 11025)\n"
    "  --format F     u8 (default) or s16\n"
    "  --snr DB       signal-to-noise ratio in 2500 Hz, dB\n"
    "  --seed N       seed of the noise (default 1)\n"
    "  --device NAME  ALSA device, by a name 'devices' lists (default: the one\n"
    "                 chosen in talven.conf, else \"default\"); a device that is\n"
    "                 missing is reported, never replaced by another\n"
    "  --port N       serial port keying the transmitter, 1 to 4 (default none)\n"
    "  -h, --help     this text\n"
    "\n"
    "Text: lower case is sent as upper case, accented letters as their plain\n"
    "letter, line feeds are dropped, carriage returns kept; characters the mode\n"
    "cannot send are left out. Put -- before a TEXT that starts with '-'.\n"
    "Morse takes letters (lower case as upper case), digits, space, carriage\n"
    "return, ! \" $ % & ' ( ) * + , - . / : ; = ? _ and £ Ä Ñ Ö Ü à ç é; it\n"
    "leaves out other characters.\n"
    "\n"
    "Exit status: 0 done; 1 failure: a file that cannot be read or written, or\n"
    "holds no usable sound, the sound card, standard output closed or not\n"
    "written (a full disk, a pipe whose reader has gone); 2 bad command line.\n";

namespace {

// Options each command takes, each needing a value except --trace and
// --squelch (whose value, when given, follows '=').
const std::set<std::string>& Options_commande(Commande c) {
  static const std::set<std::string> encode{"-f", "-o", "--rate", "--format"};
  static const std::set<std::string> decode{"-f", "--class", "--channel", "--trace", "--squelch"};
  static const std::set<std::string> loopback{"-f", "--class", "--snr", "--seed"};
  static const std::set<std::string> transmit{"-f", "--device", "--port"};
  static const std::set<std::string> receive{"-f", "--device", "--class", "--squelch"};
  static const std::set<std::string> morse{"-o", "--rate", "--format", "--device", "--port"};
  static const std::set<std::string> aucune;
  switch (c) {
    case Commande::Encode:
      return encode;
    case Commande::Decode:
      return decode;
    case Commande::Loopback:
      return loopback;
    case Commande::Transmit:
      return transmit;
    case Commande::Receive:
      return receive;
    case Commande::Morse:
      return morse;
    case Commande::Devices:
    case Commande::Aide:
      break;
  }
  return aucune;
}

const char* Nom(Commande c) {
  switch (c) {
    case Commande::Encode:
      return "encode";
    case Commande::Decode:
      return "decode";
    case Commande::Loopback:
      return "loopback";
    case Commande::Transmit:
      return "transmit";
    case Commande::Receive:
      return "receive";
    case Commande::Morse:
      return "morse";
    case Commande::Devices:
      return "devices";
    case Commande::Aide:
      break;
  }
  return "help";
}

// A whole decimal number within [min, max].
std::optional<int64_t> Entier(const std::string& t, int64_t min, int64_t max) {
  int64_t v = 0;
  auto [fin, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (t.empty() || ec != std::errc() || fin != t.data() + t.size() || v < min || v > max) return std::nullopt;
  return v;
}

std::optional<double> Reel(const std::string& t) {
  if (t.empty() || std::isspace(static_cast<unsigned char>(t[0]))) return std::nullopt;
  char* fin = nullptr;
  double v = std::strtod(t.c_str(), &fin);
  if (fin != t.c_str() + t.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

}  // namespace

std::optional<int32_t> Lecture_frequence(const std::string& texte) {
  // Digits, then at most one decimal: read exactly, never through a binary
  // real, so that 1000.9 is 10009 tenths.
  size_t point = texte.find('.');
  std::string entier = texte.substr(0, point);
  std::string decimale = point == std::string::npos ? "" : texte.substr(point + 1);
  if (entier.empty() || entier.size() > 5 || decimale.size() > 1) return std::nullopt;
  if (point != std::string::npos && decimale.empty()) return std::nullopt;
  for (char c : entier + decimale)
    if (c < '0' || c > '9') return std::nullopt;
  int32_t dixiemes = std::stoi(entier) * 10 + (decimale.empty() ? 0 : decimale[0] - '0');
  if (dixiemes < 2000 || dixiemes > 22000) return std::nullopt;
  return dixiemes;
}

Lecture_options Analyse_options(const std::vector<std::string>& a) {
  Lecture_options r;
  Options& o = r.options;
  auto erreur = [&r](std::string m) {
    r.erreur = std::move(m);
    return r;
  };
  if (a.empty())
    return erreur("a command is needed: encode, decode, loopback, transmit, receive, morse or devices");
  const std::string& c = a[0];
  if (c == "-h" || c == "--help" || c == "help") return r;
  if (c == "encode") {
    o.commande = Commande::Encode;
  } else if (c == "decode") {
    o.commande = Commande::Decode;
  } else if (c == "loopback") {
    o.commande = Commande::Loopback;
  } else if (c == "transmit") {
    o.commande = Commande::Transmit;
  } else if (c == "receive") {
    o.commande = Commande::Receive;
  } else if (c == "morse") {
    o.commande = Commande::Morse;
  } else if (c == "devices") {
    o.commande = Commande::Devices;
  } else {
    return erreur("unknown command '" + c + "'");
  }
  const std::set<std::string>& admises = Options_commande(o.commande);
  std::vector<std::string> libres;
  std::set<std::string> donnees;  // options given
  bool fin_options = false;
  for (size_t i = 1; i < a.size(); ++i) {
    const std::string& argument = a[i];
    const bool squelch = argument.rfind("--squelch=", 0) == 0;
    const std::string x = squelch ? "--squelch" : argument;
    if (fin_options || x == "-" || x.empty() || x[0] != '-') {
      libres.push_back(x);
      continue;
    }
    if (x == "--") {
      fin_options = true;
      continue;
    }
    if (x == "-h" || x == "--help") {
      o.commande = Commande::Aide;
      return r;
    }
    if (admises.count(x) == 0) {
      // A negative number is text only after "--"; an option unknown to
      // every command and one of another command get different words.
      bool connue = false;
      for (Commande k : {Commande::Encode, Commande::Decode, Commande::Loopback, Commande::Transmit,
                         Commande::Receive, Commande::Morse})
        connue = connue || Options_commande(k).count(x) != 0;
      if (connue) return erreur(std::string("option ") + x + " does not apply to " + Nom(o.commande));
      return erreur("unknown option " + x);
    }
    if (x == "--trace") {
      o.trace = true;
      continue;
    }
    if (x == "--squelch") {
      o.squelch = Silencieux::Seuil_defaut;
      if (!squelch) continue;
      const std::string v = argument.substr(x.size() + 1);
      auto s = Reel(v);
      if (!s || !(*s > 0.0 && *s <= Silencieux::Seuil_maximal))
        return erreur(
            "--squelch takes an S/N above 0 and at most 100, as the receive window shows it "
            "(--squelch=0.02), not '" +
            v + "'");
      o.squelch = *s;
      continue;
    }
    if (i + 1 >= a.size()) return erreur("option " + x + " needs a value");
    const std::string& v = a[++i];
    donnees.insert(x);
    if (x == "-f") {
      if (o.commande == Commande::Decode && v == "auto") {
        o.frequence_auto = true;
        continue;
      }
      auto f = Lecture_frequence(v);
      if (!f)
        return erreur("-f takes a frequency in hertz from 200.0 to 2200.0 with one decimal at most, not '" +
                      v + "'");
      o.frequence = *f;
      o.frequence_auto = false;
    } else if (x == "--class") {
      auto k = Entier(v, 1, 2);
      if (!k) return erreur("--class is 1 or 2, not '" + v + "'");
      o.classe = static_cast<int32_t>(*k);
    } else if (x == "--channel") {
      auto k = Entier(v, 1, 1024);
      if (!k) return erreur("--channel takes a channel number from 1, not '" + v + "'");
      o.voie = static_cast<uint32_t>(*k);
    } else if (x == "-o") {
      o.sortie = v;
    } else if (x == "--rate") {
      auto k = Entier(v, Taux_fichier_min, Taux_fichier_max);
      if (!k)
        return erreur("--rate takes a sample rate in hertz from " + std::to_string(Taux_fichier_min) +
                      " to " + std::to_string(Taux_fichier_max) + ", not '" + v + "'");
      o.taux = static_cast<uint32_t>(*k);
    } else if (x == "--format") {
      if (v != "u8" && v != "s16") return erreur("--format is u8 or s16, not '" + v + "'");
      o.s16 = v == "s16";
    } else if (x == "--snr") {
      auto s = Reel(v);
      if (!s || *s < -60.0 || *s > 100.0)
        return erreur("--snr takes decibels from -60 to 100, not '" + v + "'");
      o.snr_db = *s;
    } else if (x == "--seed") {
      auto k = Entier(v, 0, UINT32_MAX);
      if (!k) return erreur("--seed takes a whole number from 0 to 4294967295, not '" + v + "'");
      o.graine = static_cast<uint32_t>(*k);
    } else if (x == "--device") {
      if (v.empty()) return erreur("--device needs a device name");
      o.peripherique = v;
      o.peripherique_donne = true;
    } else if (x == "--port") {
      auto k = Entier(v, 1, 4);
      if (!k) return erreur("--port is a serial port number from 1 to 4 (COM1 to COM4), not '" + v + "'");
      o.port = static_cast<int32_t>(*k);
    }
  }
  switch (o.commande) {
    case Commande::Decode:
      if (libres.size() != 1)
        return erreur(libres.empty() ? "decode needs the file to decode" : "decode takes one file");
      o.fichier = libres[0];
      break;
    case Commande::Receive:
      if (!libres.empty()) return erreur("receive takes no text or file, only options");
      break;
    case Commande::Devices:
      if (!libres.empty()) return erreur("devices takes no argument");
      break;
    case Commande::Morse:
      // A file or the sound card: the options of one do not go with the
      // other.
      o.carte = donnees.count("--device") != 0;
      for (const char* x : {"-o", "--rate", "--format"})
        if (o.carte && donnees.count(x) != 0)
          return erreur(std::string("option ") + x +
                        " does not apply to morse --device (the sound card plays it)");
      if (!o.carte && donnees.count("--port") != 0)
        return erreur("option --port needs --device: only the sound card keys a transmitter");
      if (libres.size() > 1) return erreur("give the text as one argument (quote it)");
      if (!libres.empty()) o.texte = libres[0];
      if (!o.texte && o.carte) return erreur("morse --device needs the text to send");
      if (!o.texte) o.texte = "-";
      break;
    case Commande::Transmit:
    case Commande::Encode:
    case Commande::Loopback:
      if (libres.size() > 1) return erreur("give the text as one argument (quote it)");
      if (!libres.empty()) o.texte = libres[0];
      if (!o.texte && o.commande == Commande::Transmit) return erreur("transmit needs the text to send");
      if (!o.texte) o.texte = "-";
      break;
    case Commande::Aide:
      break;
  }
  return r;
}

}  // namespace talven::modem
