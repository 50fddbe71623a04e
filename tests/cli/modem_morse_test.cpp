// talven-modem morse as a user runs it: the WAV file holds what the sound
// card plays, read back here from its runs of tone and of silence (the
// silent sample is 128, which the tone never takes).
#include <gtest/gtest.h>
#include <sndfile.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/lancement_modem.h"

namespace talven::test {
namespace {

namespace fs = std::filesystem;

constexpr size_t Tampon = 2756;  // samples per output buffer
constexpr size_t Point = 683;    // a dot, and the gap between elements
constexpr size_t Trait = 2050;   // a dash, and the gap between characters
constexpr size_t Mot = 2734;     // added to the gap between characters for a space

struct Fichier {
  SF_INFO info{};
  std::vector<float> echantillons;
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

struct Plage {
  bool tonalite;
  size_t debut, longueur;
};

// The runs of an 8-bit file read as reals: silence is exactly 0.
std::vector<Plage> Plages(const std::vector<float>& x) {
  std::vector<Plage> p;
  for (size_t i = 0; i < x.size(); ++i) {
    const bool t = x[i] != 0.0f;
    if (p.empty() || p.back().tonalite != t) p.push_back({t, i, 0});
    ++p.back().longueur;
  }
  return p;
}

// What an operator would copy: '.' and '_', a space between characters,
// " / " between words, '?' for a run of any other length; the opening and
// closing silences left out.
std::string Lecture_morse(const std::vector<Plage>& p) {
  std::string s;
  for (size_t i = 1; i < p.size(); ++i) {
    const size_t n = p[i].longueur;
    if (p[i].tonalite) {
      s += n == Point ? "." : n == Trait ? "_" : "?";
    } else if (i + 1 < p.size()) {
      s += n == Point ? "" : n == Trait ? " " : n == Trait + Mot ? " / " : "?";
    }
  }
  return s;
}

class ModemMorse : public testing::Test {
 protected:
  void SetUp() override {
    dossier_ = Dossier_temporaire(testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override { fs::remove_all(dossier_); }

  // Runs morse into `nom` with the options and the text; the file read back.
  Fichier Morse(const std::string& nom, std::vector<std::string> arguments, const std::string& entree = {}) {
    const std::string chemin = (fs::path(dossier_) / nom).string();
    arguments.insert(arguments.begin(), {"morse", "-o", chemin});
    Execution e = Lancer_modem(arguments, entree);
    EXPECT_EQ(e.code, 0) << e.erreurs;
    return Lecture(chemin);
  }

  std::string dossier_;
};

// "E": three buffers of silence (the two the output opens with and the one
// refilled before the text is taken), a dot, and the silence to the end of
// its buffer: four buffers at 11025 Hz, 8-bit unsigned mono.
TEST_F(ModemMorse, WritesWholeBuffersWithTheFirstToneADot) {
  const Fichier f = Morse("e.wav", {"E"});
  ASSERT_EQ(f.info.samplerate, 11025);
  EXPECT_EQ(f.info.channels, 1);
  EXPECT_EQ(f.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
  EXPECT_EQ(f.info.frames, static_cast<sf_count_t>(4 * Tampon));
  const std::vector<Plage> p = Plages(f.echantillons);
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[0].longueur, 3 * Tampon);
  EXPECT_TRUE(p[1].tonalite);
  EXPECT_EQ(p[1].longueur, Point);

  // 16-bit is the same signal exactly scaled; another rate keeps the length.
  const Fichier s16 = Morse("s16.wav", {"--format", "s16", "E"});
  EXPECT_EQ(s16.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  ASSERT_EQ(s16.echantillons.size(), f.echantillons.size());
  for (size_t i = 0; i < f.echantillons.size(); ++i)
    ASSERT_FLOAT_EQ(s16.echantillons[i], f.echantillons[i]) << i;
  const Fichier r = Morse("r.wav", {"--rate", "48000", "E"});
  EXPECT_EQ(r.info.samplerate, 48000);
  EXPECT_NEAR(static_cast<double>(r.info.frames) / 48000.0, 4.0 * Tampon / 11025.0, 0.01);
}

// Read back from the tone and silence runs as an operator copies them.
TEST_F(ModemMorse, RunsReadAsTheCodeOfTheText) {
  struct Cas {
    std::vector<std::string> arguments;
    std::string entree;  // standard input
    std::string lu;
  };
  const Cas cas[] = {
      {{"CQ"}, "", "_._. __._"},
      {{"cq de f6"}, "", "_._. __._ / _.. . / .._. _...."},
      // UTF-8 as typed: é is sent, ä and # are not.
      {{"\xc3\xa9\xc3\xa4#"}, "", ".._.."},
      {{"-"}, "73\n", "__... ...__"},
      {{}, "K", "_._"},
  };
  for (const Cas& c : cas) {
    const Fichier f = Morse("t.wav", c.arguments, c.entree);
    EXPECT_EQ(f.info.frames % static_cast<sf_count_t>(Tampon), 0);
    EXPECT_EQ(Lecture_morse(Plages(f.echantillons)), c.lu) << c.entree;
  }
}

TEST_F(ModemMorse, FailuresExitWithStatus1) {
  Execution fichier = Lancer_modem({"morse", "-o", "/nonexistent-dir/x.wav", "E"});
  EXPECT_EQ(fichier.code, 1);
  EXPECT_NE(fichier.erreurs.find("/nonexistent-dir/x.wav"), std::string::npos) << fichier.erreurs;
  Execution carte = Lancer_modem({"morse", "--device", "talven_no_such_device", "E"});
  EXPECT_EQ(carte.code, 1);
  EXPECT_NE(carte.erreurs.find("talven_no_such_device"), std::string::npos) << carte.erreurs;
}

}  // namespace
}  // namespace talven::test
