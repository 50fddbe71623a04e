// talven-modem end to end, as a user runs it: a text encoded to a sound file
// and decoded back, through the transceiver engine and the simulated card.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/lancement_modem.h"
#include "tests/support/synthese_talven.h"
#include "transceiver/code_caractere.h"

namespace talven::test {
namespace {

namespace fs = std::filesystem;

class ModemBoutEnBout : public testing::Test {
 protected:
  void SetUp() override {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string nom = std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : nom)
      if (c == '/') c = '-';
    dossier_ = Dossier_temporaire(nom);
  }
  void TearDown() override { fs::remove_all(dossier_); }

  std::string Chemin(const std::string& nom) const { return (fs::path(dossier_) / nom).string(); }

  // Encodes `texte` with the extra options; the file's path.
  std::string Encode(const std::string& nom, const std::string& texte,
                     std::vector<std::string> options = {}) {
    std::vector<std::string> a{"encode", "-o", Chemin(nom)};
    a.insert(a.end(), options.begin(), options.end());
    a.push_back(texte);
    Execution e = Lancer_modem(a);
    EXPECT_EQ(e.code, 0) << e.erreurs;
    return Chemin(nom);
  }

  std::string dossier_;
};

struct Fichier {
  SF_INFO info{};
  std::vector<float> echantillons;  // interleaved
};

Fichier Lecture(const std::string& chemin) {
  Fichier f;
  SNDFILE* s = sf_open(chemin.c_str(), SFM_READ, &f.info);
  if (s == nullptr) return f;
  f.echantillons.resize(static_cast<size_t>(f.info.frames * f.info.channels));
  sf_readf_float(s, f.echantillons.data(), f.info.frames);
  sf_close(s);
  return f;
}

// Every character an operator can type, in both cases, with folded accents,
// signs the mode cannot send (";", "<", ">", "È") and a CR LF line end.
const std::string Tout_le_clavier =
    "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789 !\"#$%&'()*+,-./:=?@\r\n"
    "\xc3\xa7\xc3\x9c\xc3\xa9\xc3\xa0\xc3\xae\xc3\xb6\xc3\xbf\xc3\xb1;<>\xc3\x88.";
// What the receiving station shows: capitals, accents folded (ç Ü é à î ö ÿ
// ñ), refused signs gone, the CR a new line and the LF dropped.
const std::string Tout_le_clavier_recu =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789 !\"#$%&'()*+,-./:=?@\n"
    "CUEAIOYN.\n";

struct CasAller {
  std::string frequence;
  std::string classe;
};

class AllerRetour : public ModemBoutEnBout, public testing::WithParamInterface<CasAller> {};

TEST_P(AllerRetour, EveryTypeableCharacterComesBack) {
  const std::string f = Encode("clavier.wav", Tout_le_clavier, {"-f", GetParam().frequence});
  Execution d = Lancer_modem({"decode", "-f", GetParam().frequence, "--class", GetParam().classe, f});
  EXPECT_EQ(d.code, 0) << d.erreurs;
  EXPECT_EQ(d.sortie, Tout_le_clavier_recu);
}

INSTANTIATE_TEST_SUITE_P(Frequences, AllerRetour,
                         testing::Values(CasAller{"500.0", "1"}, CasAller{"500", "2"},
                                         CasAller{"1000.9", "1"}, CasAller{"1000.9", "2"},
                                         CasAller{"2100.0", "1"}, CasAller{"2100.0", "2"}));

// The default file is what the sound card would play: 8-bit unsigned mono
// at 11025 Hz, whole buffers of 3675 samples; 16-bit is the same signal
// exactly scaled, and any rate keeps the duration.
TEST_F(ModemBoutEnBout, EncodeWritesTheFormatAsked) {
  const Fichier u8 = Lecture(Encode("u8.wav", "CQ"));
  ASSERT_EQ(u8.info.samplerate, 11025);
  EXPECT_EQ(u8.info.channels, 1);
  EXPECT_EQ(u8.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
  EXPECT_EQ(u8.info.frames % 3675, 0);
  EXPECT_GE(u8.info.frames, 4 * 3675);

  const Fichier s16 = Lecture(Encode("s16.wav", "CQ", {"--format", "s16"}));
  EXPECT_EQ(s16.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  ASSERT_EQ(s16.echantillons.size(), u8.echantillons.size());
  for (size_t i = 0; i < u8.echantillons.size(); ++i)
    ASSERT_FLOAT_EQ(s16.echantillons[i], u8.echantillons[i]) << i;

  const Fichier r = Lecture(Encode("r.wav", "CQ", {"--rate", "48000", "--format", "s16"}));
  EXPECT_EQ(r.info.samplerate, 48000);
  EXPECT_NEAR(static_cast<double>(r.info.frames) / 48000.0, static_cast<double>(u8.info.frames) / 11025.0,
              0.01);
}

// Files at other rates and widths are brought to 11025 Hz 8-bit as the card
// would record them.
TEST_F(ModemBoutEnBout, DecodesAnyRateAndWidth) {
  struct Cas {
    std::string taux, format;
  };
  for (const Cas& c : {Cas{"8000", "u8"}, Cas{"22050", "s16"}, Cas{"44100", "u8"}, Cas{"96000", "s16"}}) {
    const std::string f = Encode(c.taux + c.format + ".wav", "RATE " + c.taux,
                                 {"-f", "1500.0", "--rate", c.taux, "--format", c.format});
    Execution d = Lancer_modem({"decode", "-f", "1500.0", f});
    EXPECT_EQ(d.code, 0) << d.erreurs;
    EXPECT_EQ(d.sortie, "RATE " + c.taux + "\n") << c.taux << " " << c.format;
  }
}

// A stereo file carrying a different station on each side: the channel
// chosen is the one decoded, the first by default; a channel the file does
// not have is refused.
TEST_F(ModemBoutEnBout, DecodesTheChosenChannelOfAStereoFile) {
  const std::vector<std::string> options{"-f", "800.0", "--rate", "48000", "--format", "s16"};
  // The same characters in another order: both transmissions last as long,
  // so neither side ends in silence.
  const Fichier gauche = Lecture(Encode("g.wav", "LEFT SIDE K", options));
  const Fichier droite = Lecture(Encode("d.wav", "K SIDE LEFT", options));
  ASSERT_EQ(gauche.echantillons.size(), droite.echantillons.size());
  const size_t trames = gauche.echantillons.size();
  std::vector<float> stereo(2 * trames);
  for (size_t i = 0; i < trames; ++i) {
    stereo[2 * i] = gauche.echantillons[i];
    stereo[2 * i + 1] = droite.echantillons[i];
  }
  SF_INFO info{};
  info.samplerate = 48000;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  const std::string chemin = Chemin("stereo.wav");
  SNDFILE* s = sf_open(chemin.c_str(), SFM_WRITE, &info);
  ASSERT_NE(s, nullptr);
  sf_writef_float(s, stereo.data(), static_cast<sf_count_t>(trames));
  sf_close(s);

  struct Cas {
    std::vector<std::string> voie;
    std::string attendu;
  };
  for (const Cas& c : {Cas{{}, "LEFT SIDE K\n"}, Cas{{"--channel", "1"}, "LEFT SIDE K\n"},
                       Cas{{"--channel", "2"}, "K SIDE LEFT\n"}}) {
    std::vector<std::string> a{"decode", "-f", "800.0"};
    a.insert(a.end(), c.voie.begin(), c.voie.end());
    a.push_back(chemin);
    Execution d = Lancer_modem(a);
    EXPECT_EQ(d.code, 0) << d.erreurs;
    EXPECT_EQ(d.sortie, c.attendu);
  }
  Execution d = Lancer_modem({"decode", "--channel", "3", chemin});
  EXPECT_EQ(d.code, 1);
  EXPECT_NE(d.erreurs.find("no channel 3"), std::string::npos) << d.erreurs;
}

// -f auto finds a station away from the 500 Hz of the start and tunes on
// it within the 3 Hz of a spectrum bin.
TEST_F(ModemBoutEnBout, AutoTuningFindsTheStrongestLine) {
  const std::string f = Encode("auto.wav", "FOUND ON 1234.5", {"-f", "1234.5"});
  Execution d = Lancer_modem({"decode", "-f", "auto", f});
  EXPECT_EQ(d.code, 0) << d.erreurs;
  EXPECT_EQ(d.sortie, "FOUND ON 1234.5\n");
  const size_t p = d.erreurs.find("tuned on the strongest line: ");
  ASSERT_NE(p, std::string::npos) << d.erreurs;
  EXPECT_NEAR(std::stod(d.erreurs.substr(p + 29)), 1234.5, 3.0);
}

// --trace: one line per input buffer, numbered from 1, with the level, the
// S/N, the three frequency labels and the lock.
TEST_F(ModemBoutEnBout, TraceGivesOneLinePerInputBuffer) {
  const std::string f = Encode("trace.wav", "TRACE TEST DE F6XYZ", {"-f", "700.0"});
  const Fichier lu = Lecture(f);
  Execution d = Lancer_modem({"decode", "-f", "700.0", "--trace", f});
  ASSERT_EQ(d.code, 0);
  std::vector<std::string> lignes;
  for (size_t debut = 0, fin; (fin = d.erreurs.find('\n', debut)) != std::string::npos; debut = fin + 1)
    lignes.push_back(d.erreurs.substr(debut, fin - debut));
  ASSERT_EQ(lignes.size(), static_cast<size_t>(lu.info.frames / 3675));
  EXPECT_EQ(lignes.front().rfind("buffer 1 level ", 0), 0u) << lignes.front();
  EXPECT_NE(lignes.front().find("% - RX  700.0 Hz TX  700.0 Hz delta 0 Hz lock off"), std::string::npos)
      << lignes.front();
  const std::string& fin = lignes.back();
  EXPECT_EQ(fin.rfind("buffer " + std::to_string(lignes.size()) + " level ", 0), 0u) << fin;
  EXPECT_NE(fin.find("% S/N"), std::string::npos) << fin;
  EXPECT_NE(fin.find(" RX  700.0 Hz TX  700.0 Hz delta "), std::string::npos) << fin;
  EXPECT_EQ(fin.substr(fin.size() - 11), " Hz lock on") << fin;
}

// Loopback: exact without noise; heavy noise costs characters, counted as an
// edit distance over the length sent.
TEST_F(ModemBoutEnBout, LoopbackCountsTheCharactersLost) {
  Execution propre = Lancer_modem({"loopback", "-f", "1000.9", "cq de f6xyz"});
  ASSERT_EQ(propre.code, 0) << propre.erreurs;
  EXPECT_NE(
      propre.sortie.find("Sent:     CQ DE F6XYZ\nReceived: CQ DE F6XYZ\nCER: 0.000000 (0 errors in 11 "),
      std::string::npos)
      << propre.sortie;

  Execution bruit = Lancer_modem({"loopback", "--snr", "-30", "--seed", "7", "CQ CQ CQ DE F6XYZ F6XYZ K"});
  ASSERT_EQ(bruit.code, 0) << bruit.erreurs;
  const size_t p = bruit.sortie.find("CER: ");
  ASSERT_NE(p, std::string::npos);
  EXPECT_GT(std::stod(bruit.sortie.substr(p + 5)), 0.3) << bruit.sortie;
  // After "--" a text may start with a minus sign.
  Execution moins = Lancer_modem({"loopback", "--", "-5 DB"});
  ASSERT_EQ(moins.code, 0) << moins.erreurs;
  EXPECT_NE(moins.sortie.find("Received: -5 DB\nCER: 0.000000"), std::string::npos) << moins.sortie;

  // The same seed gives the same noise.
  EXPECT_EQ(Lancer_modem({"loopback", "--snr", "-30", "--seed", "7", "CQ CQ CQ DE F6XYZ F6XYZ K"}).sortie,
            bruit.sortie);
}

// --squelch on a recording that starts with 8 s of digital silence (the
// recorder running before the receiver's audio), then a station made
// independently of the transmitter: the characters decoded from the
// silence are not shown, the station's text is, whole.
TEST_F(ModemBoutEnBout, SquelchHidesWhatTheLeadingSilenceDecodesTo) {
  const std::string texte = "CQ CQ DE F6XYZ PSE K";
  std::string bits;
  for (int i = 0; i < 20; ++i) bits += Code_caractere('>');
  for (char c : texte) bits += Code_caractere(static_cast<uint8_t>(c));
  for (int i = 0; i < 15; ++i) bits += Code_caractere('>');
  Parametres_synthese p;
  p.snr_db = 0.0;
  const std::vector<uint8_t> station = Synthese_talven(bits, p);
  std::vector<float> x(8 * 11025, 0.0f);
  for (uint8_t v : station) x.push_back(static_cast<float>(v - 128) / 127.0f);
  SF_INFO info{};
  info.samplerate = 11025;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  const std::string chemin = Chemin("silence.wav");
  SNDFILE* s = sf_open(chemin.c_str(), SFM_WRITE, &info);
  ASSERT_NE(s, nullptr);
  sf_writef_float(s, x.data(), static_cast<sf_count_t>(x.size()));
  sf_close(s);

  // Without the squelch the silence shows characters before the text.
  Execution brut = Lancer_modem({"decode", "-f", "1000", chemin});
  ASSERT_EQ(brut.code, 0) << brut.erreurs;
  ASSERT_NE(brut.sortie.find(texte), std::string::npos) << brut.sortie;
  EXPECT_GT(brut.sortie.find(texte), 0u) << brut.sortie;
  for (const char* squelch : {"--squelch", "--squelch=0.05"}) {
    Execution d = Lancer_modem({"decode", "-f", "1000", squelch, chemin});
    EXPECT_EQ(d.code, 0) << d.erreurs;
    EXPECT_EQ(d.sortie, texte + "\n") << squelch;
  }
}

// A text longer than the transmit queue (10010 characters) is fed as the
// queue drains: nothing is dropped.
TEST_F(ModemBoutEnBout, TextLongerThanTheQueueIsSentWhole) {
  std::string texte;
  while (texte.size() < 10050) texte += "EE E ";
  texte += "END";
  Execution e = Lancer_modem({"loopback", "--class", "1", "-"}, texte);
  ASSERT_EQ(e.code, 0) << e.erreurs;
  EXPECT_NE(e.sortie.find("CER: 0.000000 (0 errors in 10053 characters"), std::string::npos)
      << e.sortie.substr(e.sortie.find("CER"));
}

}  // namespace
}  // namespace talven::test
