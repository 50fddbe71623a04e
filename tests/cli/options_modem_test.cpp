// The command line of talven-modem as a user meets it: help, refused
// options with exit status 2 and a message naming the fault, unreadable
// files with exit status 1.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "tests/cli/lancement_modem.h"

namespace talven::test {
namespace {

TEST(OptionsModem, HelpListsEveryCommandOnStandardOutput) {
  for (const char* aide : {"--help", "-h", "help"}) {
    Execution e = Lancer_modem({aide});
    EXPECT_EQ(e.code, 0) << aide;
    for (const char* commande : {"encode", "decode", "loopback", "transmit", "receive", "morse", "devices"})
      EXPECT_NE(e.sortie.find(commande), std::string::npos) << aide << " " << commande;
  }
  EXPECT_EQ(Lancer_modem({"decode", "--help"}).code, 0);
}

struct CasUsage {
  std::vector<std::string> arguments;
  std::string message;  // part of what standard error must say
};

class UsageRefuse : public testing::TestWithParam<CasUsage> {};

TEST_P(UsageRefuse, ExitsWithStatus2AndSaysWhy) {
  Execution e = Lancer_modem(GetParam().arguments);
  EXPECT_EQ(e.code, 2);
  EXPECT_NE(e.erreurs.find(GetParam().message), std::string::npos) << e.erreurs;
  EXPECT_NE(e.erreurs.find("--help"), std::string::npos);
  EXPECT_TRUE(e.sortie.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cas, UsageRefuse,
    testing::Values(CasUsage{{}, "a command is needed"}, CasUsage{{"listen"}, "unknown command 'listen'"},
                    CasUsage{{"encode", "--bogus", "A"}, "unknown option --bogus"},
                    CasUsage{{"encode", "--snr", "3", "A"}, "--snr does not apply to encode"},
                    CasUsage{{"decode", "-o", "x.wav", "f.wav"}, "-o does not apply to decode"},
                    // Frequencies: range edges, more than one decimal, not a number.
                    CasUsage{{"encode", "-f", "199.9", "A"}, "-f takes a frequency"},
                    CasUsage{{"encode", "-f", "2200.1", "A"}, "-f takes a frequency"},
                    CasUsage{{"encode", "-f", "1000.95", "A"}, "-f takes a frequency"},
                    CasUsage{{"encode", "-f", "1e3", "A"}, "-f takes a frequency"},
                    CasUsage{{"encode", "-f", "-500", "A"}, "-f takes a frequency"},
                    CasUsage{{"encode", "-f", "auto", "A"}, "-f takes a frequency"},
                    CasUsage{{"loopback", "-f"}, "-f needs a value"},
                    CasUsage{{"decode", "--class", "3", "f.wav"}, "--class is 1 or 2"},
                    CasUsage{{"decode", "--channel", "0", "f.wav"}, "--channel takes"},
                    CasUsage{{"decode"}, "decode needs the file"},
                    CasUsage{{"decode", "a.wav", "b.wav"}, "decode takes one file"},
                    CasUsage{{"encode", "--format", "s24", "A"}, "--format is u8 or s16"},
                    CasUsage{{"encode", "--rate", "500", "A"}, "--rate takes"},
                    CasUsage{{"encode", "A", "B"}, "give the text as one argument"},
                    CasUsage{{"loopback", "--snr", "nan", "A"}, "--snr takes"},
                    CasUsage{{"loopback", "--seed", "-1", "A"}, "--seed takes"},
                    CasUsage{{"transmit", "--port", "5", "A"}, "--port is a serial port"},
                    CasUsage{{"transmit"}, "transmit needs the text"},
                    CasUsage{{"receive", "TEXT"}, "receive takes no text"},
                    // --squelch: an S/N above 0 and at most 100, after '='; decode and receive only.
                    CasUsage{{"decode", "--squelch=0", "f.wav"}, "--squelch takes an S/N above 0"},
                    CasUsage{{"decode", "--squelch=-0.01", "f.wav"}, "--squelch takes an S/N above 0"},
                    CasUsage{{"decode", "--squelch=100.5", "f.wav"}, "--squelch takes an S/N above 0"},
                    CasUsage{{"receive", "--squelch=abc"}, "not 'abc'"},
                    CasUsage{{"receive", "--squelch="}, "--squelch takes an S/N above 0"},
                    CasUsage{{"decode", "--squelch=nan", "f.wav"}, "--squelch takes an S/N above 0"},
                    CasUsage{{"decode", "--squelch", "0.02", "f.wav"}, "decode takes one file"},
                    CasUsage{{"loopback", "--squelch", "A"}, "--squelch does not apply to loopback"},
                    CasUsage{{"encode", "--squelch=0.02", "A"}, "--squelch does not apply to encode"},
                    CasUsage{{"devices", "all"}, "devices takes no argument"},
                    CasUsage{{"devices", "--device", "pulse"}, "--device does not apply to devices"},
                    // morse: into a file or through the sound card, not both.
                    CasUsage{{"morse", "-f", "500", "E"}, "-f does not apply to morse"},
                    CasUsage{{"morse", "--device", "x", "-o", "x.wav", "E"}, "-o does not apply to morse --"},
                    CasUsage{{"morse", "--rate", "8000", "--device", "x", "E"}, "--rate does not apply to"},
                    CasUsage{{"morse", "--port", "1", "E"}, "--port needs --device"},
                    CasUsage{{"morse", "--device", "x"}, "morse --device needs the text"},
                    CasUsage{{"morse", "--device", "x", "--port", "0", "E"}, "--port is a serial port"},
                    CasUsage{{"morse", "--format", "u16", "E"}, "--format is u8 or s16"},
                    CasUsage{{"morse", "E", "T"}, "give the text as one argument"}));

// A file that cannot be decoded: missing, not sound, a channel it lacks.
TEST(OptionsModem, UnreadableOrCorruptFileExitsWithStatus1) {
  const std::filesystem::path d = Dossier_temporaire("corrompu");
  {
    std::ofstream f(d / "bruit.wav", std::ios::binary);
    f << "RIFF\x10\0\0\0WAVEjunk and more junk that is no sound";
  }
  { std::ofstream f(d / "vide.wav", std::ios::binary); }
  struct Cas {
    std::vector<std::string> arguments;
    std::string message;
  };
  const Cas cas[] = {
      {{"decode", (d / "absent.wav").string()}, "absent.wav"},
      {{"decode", (d / "bruit.wav").string()}, "bruit.wav"},
      {{"decode", (d / "vide.wav").string()}, "vide.wav"},
      {{"decode", "-f", "auto", (d / "bruit.wav").string()}, "bruit.wav"},
  };
  for (const Cas& c : cas) {
    Execution e = Lancer_modem(c.arguments);
    EXPECT_EQ(e.code, 1) << c.arguments.back();
    EXPECT_NE(e.erreurs.find(c.message), std::string::npos) << e.erreurs;
    EXPECT_TRUE(e.sortie.empty());
  }
  std::filesystem::remove_all(d);
}

TEST(OptionsModem, UnwritableOutputExitsWithStatus1) {
  Execution e = Lancer_modem({"encode", "-o", "/nonexistent-dir/x.wav", "A"});
  EXPECT_EQ(e.code, 1);
  EXPECT_NE(e.erreurs.find("/nonexistent-dir/x.wav"), std::string::npos) << e.erreurs;
}

// The sound devices by stable name: listed with the chosen one marked,
// missing or not; a command on the sound card whose chosen device is missing
// stops with status 1 and its name, whether the device comes from
// talven.conf or from --device, before anything is opened.
TEST(OptionsModem, DevicesAndAMissingChosenDevice) {
  const std::filesystem::path d = Dossier_temporaire("peripheriques");
  std::filesystem::create_directories(d / "talven");
  const char* ancien = ::getenv("XDG_CONFIG_HOME");
  const std::optional<std::string> sauve = ancien ? std::optional<std::string>(ancien) : std::nullopt;
  ::setenv("XDG_CONFIG_HOME", d.c_str(), 1);

  Execution e = Lancer_modem({"devices"});
  EXPECT_EQ(e.code, 0) << e.erreurs;
  EXPECT_EQ(e.sortie.rfind("* default ", 0), 0u) << e.sortie;

  std::ofstream(d / "talven" / "talven.conf")
      << "# the radio\nsound_device=plughw:CARD=TALVENABSENTE,DEV=0\n";
  e = Lancer_modem({"devices"});
  EXPECT_EQ(e.code, 0);
  EXPECT_EQ(e.sortie.rfind("  default ", 0), 0u) << e.sortie;
  EXPECT_NE(e.sortie.find("* plughw:CARD=TALVENABSENTE,DEV=0 NOT CONNECTED\n"), std::string::npos)
      << e.sortie;

  const std::string nom_absent = "\"plughw:CARD=TALVENABSENTE,DEV=0\" is not connected";
  for (const std::vector<std::string>& commande :
       {std::vector<std::string>{"receive"},
        {"transmit", "CQ"},
        {"morse", "--device", "plughw:CARD=TALVENABSENTE,DEV=0", "CQ"}}) {
    e = Lancer_modem(commande);
    EXPECT_EQ(e.code, 1) << commande[0];
    EXPECT_NE(e.erreurs.find(nom_absent), std::string::npos) << e.erreurs;
    EXPECT_NE(e.erreurs.find("--device"), std::string::npos) << e.erreurs;
  }
  // --device wins over the file.
  e = Lancer_modem({"receive", "--device", "plughw:CARD=TALVENAUTRE,DEV=1"});
  EXPECT_EQ(e.code, 1);
  EXPECT_NE(e.erreurs.find("\"plughw:CARD=TALVENAUTRE,DEV=1\" is not connected"), std::string::npos)
      << e.erreurs;

  if (sauve) {
    ::setenv("XDG_CONFIG_HOME", sauve->c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
  std::filesystem::remove_all(d);
}

}  // namespace
}  // namespace talven::test
