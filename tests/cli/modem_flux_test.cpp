// talven-modem on streams and long work: decode reading standard input or a
// named pipe as it comes, encode writing a WAV stream to standard output or
// a named pipe, and a transmission longer than the QSO record.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/lancement_modem.h"
#include "transceiver/enregistrement_qso.h"

namespace talven::test {
namespace {

namespace fs = std::filesystem;

class ModemFlux : public testing::Test {
 protected:
  void SetUp() override {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    dossier_ = Dossier_temporaire(std::string("flux-") + info->name());
  }
  void TearDown() override { fs::remove_all(dossier_); }

  std::string Chemin(const std::string& nom) const { return (fs::path(dossier_) / nom).string(); }
  std::string Tube(const std::string& nom) const {
    const std::string c = Chemin(nom);
    EXPECT_EQ(::mkfifo(c.c_str(), 0600), 0);
    return c;
  }

  std::string dossier_;
};

uint32_t Mot32(const std::string& s, size_t position) {
  uint32_t v = 0;
  std::memcpy(&v, s.data() + position, sizeof v);
  return v;
}

struct CasFormat {
  std::string nom;
  std::vector<std::string> options;  // of encode
};

class FluxParFormat : public ModemFlux, public testing::WithParamInterface<CasFormat> {};

// The same recording decoded from the file, from standard input as a pipe
// and as a redirected file, and from a named pipe: the same text and the
// same trace, buffer for buffer (a stream ends with the buffer holding its
// last sample, as the file's length says).
TEST_P(FluxParFormat, DecodeReadsAStreamAsItReadsTheFile) {
  std::vector<std::string> encode{"encode", "-f", "900.0", "-o", Chemin("source.wav")};
  encode.insert(encode.end(), GetParam().options.begin(), GetParam().options.end());
  encode.push_back("CQ CQ DE F6XYZ PSE K");
  ASSERT_EQ(Lancer_modem(encode).code, 0);
  const std::string octets = detail::Contenu(Chemin("source.wav"));

  const Execution fichier = Lancer_modem({"decode", "-f", "900.0", "--trace", Chemin("source.wav")});
  ASSERT_EQ(fichier.code, 0) << fichier.erreurs;
  ASSERT_EQ(fichier.sortie, "CQ CQ DE F6XYZ PSE K\n");
  ASSERT_NE(fichier.erreurs.find("buffer 1 "), std::string::npos);

  const std::vector<std::string> flux{"decode", "-f", "900.0", "--trace", "-"};
  const Execution tube = Lancer_modem(flux, octets, {}, Sortie_modem::Fichier, Entree_modem::Tube);
  const Execution redirige = Lancer_modem(flux, octets, {}, Sortie_modem::Fichier, Entree_modem::Fichier);
  const std::string fifo = Tube("fifo.wav");
  Execution nomme;
  {
    Ecrivain_fifo ecrivain(fifo, octets);
    nomme = Lancer_modem({"decode", "-f", "900.0", "--trace", fifo});
  }
  for (const Execution* e : std::vector<const Execution*>{&tube, &redirige, &nomme}) {
    EXPECT_EQ(e->code, 0) << e->erreurs;
    EXPECT_EQ(e->sortie, fichier.sortie);
    EXPECT_EQ(e->erreurs, fichier.erreurs);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, FluxParFormat,
                         testing::Values(CasFormat{"U8At11025Hz", {}},
                                         CasFormat{"S16At48000Hz", {"--rate", "48000", "--format", "s16"}}),
                         [](const testing::TestParamInfo<CasFormat>& i) { return i.param.nom; });

// The recording rewritten by libsndfile in another format; its WAV files
// may end with a LIST chunk of metadata after the samples.
bool Conversion(const std::string& de, const std::string& vers, int format, bool liste_en_fin) {
  SF_INFO info{};
  SNDFILE* entree = sf_open(de.c_str(), SFM_READ, &info);
  if (entree == nullptr) return false;
  std::vector<float> echantillons(static_cast<size_t>(info.frames * info.channels));
  sf_readf_float(entree, echantillons.data(), info.frames);
  sf_close(entree);
  const sf_count_t trames = info.frames;  // opening for writing sets it to 0
  info.format = format;
  SNDFILE* sortie = sf_open(vers.c_str(), SFM_WRITE, &info);
  if (sortie == nullptr) return false;
  const bool ecrit = sf_writef_float(sortie, echantillons.data(), trames) == trames;
  if (liste_en_fin) sf_set_string(sortie, SF_STR_COMMENT, "recorded on 7035 kHz");
  return sf_close(sortie) == 0 && ecrit;
}

struct CasEcrit {
  std::string nom;
  int format;
  bool liste_en_fin = false;
};

class FluxParFormatEcrit : public ModemFlux, public testing::WithParamInterface<CasEcrit> {};

// The formats recording programs write on a pipe, each decoded from a pipe
// as from the file: the same text, the same trace. A length given by the
// header is kept to: the LIST chunk after the samples is not read as sound.
TEST_P(FluxParFormatEcrit, DecodeReadsTheStreamAsTheFile) {
  ASSERT_EQ(Lancer_modem({"encode", "-f", "800.0", "-o", Chemin("u8.wav"), "TEST DE K1ABC"}).code, 0);
  const std::string chemin = Chemin("converti");
  ASSERT_TRUE(Conversion(Chemin("u8.wav"), chemin, GetParam().format, GetParam().liste_en_fin));
  const std::string octets = detail::Contenu(chemin);
  if (GetParam().liste_en_fin) {
    ASSERT_NE(octets.find("LIST", octets.size() - 64), std::string::npos);
  }

  const Execution fichier = Lancer_modem({"decode", "-f", "800.0", "--trace", chemin});
  ASSERT_EQ(fichier.code, 0) << fichier.erreurs;
  ASSERT_EQ(fichier.sortie, "TEST DE K1ABC\n");
  const Execution tube = Lancer_modem({"decode", "-f", "800.0", "--trace", "-"}, octets, {},
                                      Sortie_modem::Fichier, Entree_modem::Tube);
  EXPECT_EQ(tube.code, 0) << tube.erreurs;
  EXPECT_EQ(tube.sortie, fichier.sortie);
  EXPECT_EQ(tube.erreurs, fichier.erreurs);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FluxParFormatEcrit,
    testing::Values(CasEcrit{"WavS16WithListAfterTheSamples", SF_FORMAT_WAV | SF_FORMAT_PCM_16, true},
                    CasEcrit{"WavFloat", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
                    CasEcrit{"RifxS16", SF_FORMAT_WAV | SF_FORMAT_PCM_16 | SF_ENDIAN_BIG},
                    CasEcrit{"ExtensibleS24", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24},
                    CasEcrit{"Rf64S16", SF_FORMAT_RF64 | SF_FORMAT_PCM_16},
                    CasEcrit{"AuMuLaw", SF_FORMAT_AU | SF_FORMAT_ULAW},
                    CasEcrit{"AuS32", SF_FORMAT_AU | SF_FORMAT_PCM_32},
                    CasEcrit{"OggVorbis", SF_FORMAT_OGG | SF_FORMAT_VORBIS}),
    [](const testing::TestParamInfo<CasEcrit>& i) { return i.param.nom; });

// encode -o -: into a file, the same file as -o FILE; into a pipe or a
// named pipe, a header announcing an unknown length (0xFFFFFFFF in the RIFF
// and data chunks), then the same samples, which decode reads back.
TEST_F(ModemFlux, EncodeWritesAStreamToStandardOutputOrANamedPipe) {
  for (const std::vector<std::string>& format :
       {std::vector<std::string>{}, std::vector<std::string>{"--rate", "22050", "--format", "s16"}}) {
    auto encode = [&format](const std::string& sortie) {
      std::vector<std::string> a{"encode", "-f", "700.0", "-o", sortie};
      a.insert(a.end(), format.begin(), format.end());
      a.push_back("STREAMED");
      return a;
    };
    ASSERT_EQ(Lancer_modem(encode(Chemin("ref.wav"))).code, 0);
    const std::string reference = detail::Contenu(Chemin("ref.wav"));
    ASSERT_GT(reference.size(), 44u);

    const Execution fichier = Lancer_modem(encode("-"));
    EXPECT_EQ(fichier.code, 0) << fichier.erreurs;
    EXPECT_NE(fichier.erreurs.find("standard output: "), std::string::npos) << fichier.erreurs;
    EXPECT_EQ(fichier.sortie, reference);

    const Execution tube = Lancer_modem(encode("-"), {}, {}, Sortie_modem::Tube);
    EXPECT_EQ(tube.code, 0) << tube.erreurs;
    ASSERT_GT(tube.sortie.size(), 44u);
    EXPECT_EQ(tube.sortie.substr(0, 4), "RIFF");
    EXPECT_EQ(Mot32(tube.sortie, 4), 0xFFFFFFFFu);
    EXPECT_EQ(tube.sortie.substr(8, 32), reference.substr(8, 32));  // WAVE, the format chunk, "data"
    EXPECT_EQ(Mot32(tube.sortie, 40), 0xFFFFFFFFu);
    EXPECT_EQ(tube.sortie.substr(44), reference.substr(44, Mot32(reference, 40)));

    const std::string fifo = Tube("sortie.wav");
    Lecteur_fifo lecteur(fifo, Chemin("lu.wav"));
    const Execution nomme = Lancer_modem(encode(fifo));
    EXPECT_EQ(nomme.code, 0) << nomme.erreurs;
    EXPECT_EQ(lecteur.Lu(), tube.sortie);
    fs::remove(fifo);

    const Execution d = Lancer_modem({"decode", "-f", "700.0", "-"}, tube.sortie, {}, Sortie_modem::Fichier,
                                     Entree_modem::Tube);
    EXPECT_EQ(d.code, 0) << d.erreurs;
    EXPECT_EQ(d.sortie, "STREAMED\n");
  }
}

// More characters than the QSO record holds: the command line keeps no
// contact, so the transmission is neither stopped nor failed by the full
// record. The shortest character (E, four bits) keeps it to 11 hours of
// sound, written to /dev/null.
TEST_F(ModemFlux, EncodeOfATextLongerThanTheQsoRecord) {
  // With the marker block of the start of transmission, past the threshold.
  const std::string texte(static_cast<size_t>(EnregistrementQso::Seuil_plein), 'E');
  const Execution e = Lancer_modem({"encode", "-o", "/dev/null", "-"}, texte);
  EXPECT_EQ(e.code, 0) << e.erreurs;
  EXPECT_NE(e.erreurs.find(" 99997 characters on 500.0 Hz"), std::string::npos) << e.erreurs;
  EXPECT_EQ(e.erreurs.find("QSO"), std::string::npos) << e.erreurs;
}

}  // namespace
}  // namespace talven::test
