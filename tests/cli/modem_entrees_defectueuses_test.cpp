// talven-modem fed what it cannot use: a path that is no sound file, a
// header that lies about its length, too few samples, rates out of range,
// samples that are not numbers, an output that cannot be written, in files
// and in streams (standard input, a named pipe). Each row
// runs the program on an input the test makes and expects a clean end: the
// exit status (1 for a file, a device or standard output; 0 for the edges
// that must still work), a message on standard error that says what is
// wrong, nothing on standard output for a failure, and no death by a signal
// or a sanitizer's report. A hang is left to the runner's timeout.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/cli/lancement_modem.h"

namespace talven::test {
namespace {

namespace fs = std::filesystem;

constexpr uint16_t Wav_pcm = 1;
constexpr uint16_t Wav_flottant = 3;

void Mot16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}

void Mot32(std::string& s, uint32_t v) {
  Mot16(s, v & 0xFFFF);
  Mot16(s, v >> 16);
}

// A WAV file written byte by byte, so that its header can say anything:
// `donnees` after a data chunk announcing `annonce` bytes (their length
// unless given).
std::string Wav(const std::string& chemin, uint16_t format, uint16_t bits, uint32_t taux, uint16_t voies,
                const std::string& donnees, std::optional<uint32_t> annonce = std::nullopt) {
  const uint32_t bloc = voies * bits / 8u;
  std::string f = "RIFF";
  Mot32(f, static_cast<uint32_t>(36 + donnees.size()));
  f += "WAVEfmt ";
  Mot32(f, 16);
  Mot16(f, format);
  Mot16(f, voies);
  Mot32(f, taux);
  Mot32(f, static_cast<uint32_t>(uint64_t{taux} * bloc));  // bytes per second, wrapped for huge rates
  Mot16(f, bloc);
  Mot16(f, bits);
  f += "data";
  Mot32(f, annonce.value_or(static_cast<uint32_t>(donnees.size())));
  f += donnees;
  std::ofstream(chemin, std::ios::binary) << f;
  return chemin;
}

// `n` samples of a 1 kHz tone at half scale, at `taux` Hz, 16-bit.
std::string Tonalite_s16(size_t n, double taux) {
  std::string s;
  for (size_t i = 0; i < n; ++i)
    Mot16(s,
          static_cast<uint16_t>(static_cast<int16_t>(16000.0 * std::sin(6.283185307 * 1000.0 * i / taux))));
  return s;
}

// A float WAV at 11025 Hz holding `trames` frames of a tone on every
// channel, but for `valeur` at frame `trame` of channel `voie` (0-based).
std::string Wav_flottant_avec(const std::string& chemin, uint16_t voies, size_t trames, size_t trame,
                              uint16_t voie, float valeur) {
  std::string s;
  for (size_t t = 0; t < trames; ++t)
    for (uint16_t c = 0; c < voies; ++c) {
      float x = t == trame && c == voie ? valeur : 0.5f * std::sin(6.283185f * 1000.0f * t / 11025.0f);
      uint32_t bits = 0;
      std::memcpy(&bits, &x, sizeof bits);
      Mot32(s, bits);
    }
  return Wav(chemin, Wav_flottant, 32, 11025, voies, s);
}

// A FLAC file of one second at 11025 Hz whose stream information announces
// 2^36 - 1 frames, the most its 36 bits hold.
std::string Flac_trop_long(const std::string& chemin) {
  SF_INFO info{};
  info.samplerate = 11025;
  info.channels = 1;
  info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(chemin.c_str(), SFM_WRITE, &info);
  EXPECT_NE(f, nullptr) << sf_strerror(nullptr);
  if (f == nullptr) return chemin;
  std::vector<short> tonalite(11025);
  for (size_t i = 0; i < tonalite.size(); ++i)
    tonalite[i] = static_cast<short>(16000.0 * std::sin(6.283185307 * 1000.0 * i / 11025.0));
  sf_write_short(f, tonalite.data(), static_cast<sf_count_t>(tonalite.size()));
  sf_close(f);
  // "fLaC", the block header, then STREAMINFO: block and frame sizes (10
  // bytes), 20 bits of rate, 3 of channels, 5 of sample size and 36 of
  // frames, from the low half of byte 21 to byte 25.
  std::fstream s(chemin, std::ios::binary | std::ios::in | std::ios::out);
  char octets[5];
  s.seekg(21);
  s.read(octets, sizeof octets);
  octets[0] = static_cast<char>(octets[0] | 0x0F);
  for (int i = 1; i < 5; ++i) octets[i] = static_cast<char>(0xFF);
  s.seekp(21);
  s.write(octets, sizeof octets);
  return chemin;
}

// A transmission of `texte` encoded by the program itself, 16-bit at `taux` Hz.
std::string Encode(const std::string& chemin, const std::string& texte, const std::string& frequence,
                   const std::string& taux) {
  Execution e =
      Lancer_modem({"encode", "-f", frequence, "--rate", taux, "--format", "s16", "-o", chemin, texte});
  EXPECT_EQ(e.code, 0) << e.erreurs;
  return chemin;
}

struct CasDefectueux {
  std::string nom;
  // Makes the input in the given directory and gives its path; none when
  // the row needs no file of its own.
  std::function<std::string(const std::string& dossier)> entree;
  // "@" stands for the input's path, in the arguments and in the message.
  std::vector<std::string> arguments;
  Sortie_modem sortie = Sortie_modem::Fichier;
  int code = 1;
  std::string message;  // part of standard error
  std::string texte;    // the whole of standard output
  // The input made, given on standard input through a pipe instead (the
  // arguments say "-").
  bool sur_entree_standard = false;
};

CasDefectueux Ligne(std::string nom, std::function<std::string(const std::string&)> entree,
                    std::vector<std::string> arguments, int code, std::string message,
                    Sortie_modem sortie = Sortie_modem::Fichier, std::string texte = {}) {
  return CasDefectueux{std::move(nom), std::move(entree),  std::move(arguments), sortie,
                       code,           std::move(message), std::move(texte)};
}

// The same row, its input fed to standard input through a pipe.
CasDefectueux Par_entree_standard(CasDefectueux c) {
  c.sur_entree_standard = true;
  return c;
}

void PrintTo(const CasDefectueux& c, std::ostream* os) {
  *os << c.nom;
}

std::string Remplace(std::string s, const std::string& chemin) {
  for (size_t p = 0; (p = s.find('@', p)) != std::string::npos; p += chemin.size()) s.replace(p, 1, chemin);
  return s;
}

// The writers feeding the named pipes of the row under way, ended after it.
std::vector<std::unique_ptr<Ecrivain_fifo>> ecrivains;

class EntreeDefectueuse : public testing::TestWithParam<CasDefectueux> {
 protected:
  void SetUp() override { dossier_ = Dossier_temporaire("defectueuse-" + GetParam().nom); }
  void TearDown() override {
    ecrivains.clear();
    fs::remove_all(dossier_);
  }
  std::string dossier_;
};

TEST_P(EntreeDefectueuse, EndsCleanlyWithStatusAndMessage) {
  const CasDefectueux& c = GetParam();
  const std::string chemin = c.entree ? c.entree(dossier_) : std::string();
  std::vector<std::string> arguments;
  for (const std::string& a : c.arguments) arguments.push_back(Remplace(a, chemin));
  Execution e = c.sur_entree_standard
                    ? Lancer_modem(arguments, detail::Contenu(chemin), {}, c.sortie, Entree_modem::Tube)
                    : Lancer_modem(arguments, {}, {}, c.sortie);
  EXPECT_EQ(e.signal, 0) << "killed by signal " << e.signal << "\n" << e.erreurs;
  EXPECT_EQ(e.code, c.code) << e.erreurs;
  EXPECT_NE(e.erreurs.find(Remplace(c.message, chemin)), std::string::npos) << e.erreurs;
  EXPECT_EQ(e.erreurs.find("Sanitizer"), std::string::npos) << e.erreurs;
  EXPECT_EQ(e.erreurs.find("runtime error"), std::string::npos) << e.erreurs;
  EXPECT_EQ(e.sortie, c.texte);
}

const auto Dossier = [](const std::string& d) {
  fs::create_directory(d + "/dossier.wav");
  return d + "/dossier.wav";
};
// A named pipe whose writer sends a few bytes that are no sound and closes.
const auto Tube_sans_son = [](const std::string& d) {
  ::mkfifo((d + "/tube.wav").c_str(), 0600);
  ecrivains.push_back(std::make_unique<Ecrivain_fifo>(d + "/tube.wav", "not a sound file\n"));
  return d + "/tube.wav";
};
const auto Pas_un_son = [](const std::string& d) {
  std::ofstream(d + "/texte.wav") << "not a sound file\n";
  return d + "/texte.wav";
};
// Bytes that libsndfile takes for MPEG audio when they come on a pipe, and
// then reads outside its buffer (found by fuzz_fichier_son).
const auto Mpeg_suppose = [](const std::string& d) {
  std::ofstream(d + "/mpeg", std::ios::binary) << std::string("\xff\xff\0\0\0gm( \0\0AIFC", 15);
  return d + "/mpeg";
};
// The start of a Sony Wave64 header, on which libsndfile spins for ever at
// a pipe's end (found by fuzz_fichier_son): not let through on a stream.
const auto Debut_w64 = [](const std::string& d) {
  std::ofstream(d + "/w64", std::ios::binary) << std::string("riff\x2e\x91\xcf\x11\xa5\xd6\x28\xdb", 12);
  return d + "/w64";
};
// A WAVE_FORMAT_EXTENSIBLE header whose 'fact' chunk announces 4 GB, on
// which libsndfile kept reading and allocating on a pipe (found by
// fuzz_fichier_son): the stream's header is read within its bound instead.
const auto Morceau_de_4_gio = [](const std::string& d) {
  std::ofstream(d + "/fact", std::ios::binary) << std::string(
      "\x52\x49\x46\x46\x70\x05\x00\x00\x57\x41\x56\x45\x66\x6d\x74\x20"
      "\x28\x00\x00\x00\xfe\xff\x04\x00\xe8\x03\x00\x00\xe0\x2e\x00\x00"
      "\x0c\x00\x18\x00\x16\x00\x18\x00\x33\x00\x00\x00\x01\x00\x00\x00"
      "\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71\x66\x61\x63\x74"
      "\xf7\xff\xff\xff\x6e\x00\x00\x00\x64\x61\x74\x61\x28\x05\x00\x00"
      "\x00\x00\xd0\x07\x00\x00\x70\x17\x00\x00\x03\x00\x08\x00\x64\x61"
      "\x74\x61\x76\xa8\xda\x02\x00\x00\x00",
      105);
  return d + "/fact";
};
// An Ogg Vorbis file whose headers are malformed (found by
// fuzz_fichier_son): libsndfile refuses it, and through libvorbis leaves a
// few kilobytes allocated, once per failed open (tests/lsan.supp).
const auto Vorbis_malforme = [](const std::string&) {
  return std::string(TALVEN_CORPUS_SON) + "/ogg-vorbis-fuite-libvorbis";
};
const auto Seconde_annoncee_4_gio = [](const std::string& d) {
  return Wav(d + "/annonce.wav", Wav_pcm, 16, 11025, 1, Tonalite_s16(11025, 11025.0), 0xFFFFFF00u);
};
const auto Flac = [](const std::string& d) { return Flac_trop_long(d + "/annonce.flac"); };
const auto Vide = [](const std::string& d) { return Wav(d + "/vide.wav", Wav_pcm, 16, 11025, 1, ""); };
const auto Un = [](const std::string& d) {
  return Wav(d + "/un.wav", Wav_pcm, 16, 11025, 1, std::string("\x00\x40", 2));
};
auto Taux(uint32_t taux) {
  return [taux](const std::string& d) {
    return Wav(d + "/taux.wav", Wav_pcm, 16, taux, 1, Tonalite_s16(11025, taux));
  };
}
auto Encode_a(std::string texte, std::string frequence, std::string taux) {
  return [=](const std::string& d) { return Encode(d + "/signal.wav", texte, frequence, taux); };
}
const float Nan = std::numeric_limits<float>::quiet_NaN();
const float Infini = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cas, EntreeDefectueuse,
    testing::Values(
        // Paths that are no sound file; /dev/zero would never end. A named
        // pipe is a stream, read as it comes: here one that carries no
        // sound.
        Ligne("Directory", Dossier, {"decode", "@"}, 1, "@: is a directory"),
        Ligne("DevNull", {}, {"decode", "/dev/null"}, 1, "is a character device"),
        Ligne("DevZero", {}, {"decode", "/dev/zero"}, 1, "is a character device"),
        Ligne("NamedPipeWithoutSound", Tube_sans_son, {"decode", "@"}, 1, "@: not a WAV, AU or Ogg stream"),
        // Streams on standard input: what their header says is checked as
        // it comes; their length and samples as they are read.
        Par_entree_standard(Ligne("StandardInputWithoutSound", Pas_un_son, {"decode", "-"}, 1,
                                  "standard input: not a WAV, AU or Ogg stream")),
        Par_entree_standard(Ligne("StandardInputTakenForMpeg", Mpeg_suppose, {"decode", "-"}, 1,
                                  "standard input: not a WAV, AU or Ogg stream")),
        Par_entree_standard(Ligne("StandardInputWave64", Debut_w64, {"decode", "-"}, 1,
                                  "standard input: not a WAV, AU or Ogg stream")),
        Par_entree_standard(Ligne("StandardInputWavChunkOf4GiB", Morceau_de_4_gio, {"decode", "-"}, 1,
                                  "standard input: its chunk 'fact' of 4294967287 bytes before the samples")),
        Par_entree_standard(Ligne("StandardInputFlac", Flac, {"decode", "-"}, 1,
                                  "standard input: not a WAV, AU or Ogg stream")),
        Ligne("OggVorbisMalformed", Vorbis_malforme, {"decode", "@"}, 1,
              "@: Supported file format but file is malformed."),
        Par_entree_standard(Ligne("StandardInputOggVorbisMalformed", Vorbis_malforme, {"decode", "-"}, 1,
                                  "standard input: Supported file format but file is malformed.")),
        Par_entree_standard(Ligne("StandardInputNoSample", Vide, {"decode", "-"}, 1,
                                  "standard input: the stream holds no samples")),
        Par_entree_standard(
            Ligne("StandardInputOneSample", Un, {"decode", "-"}, 1,
                  "standard input: the stream holds 1 sample(s) at 11025 Hz, less than one symbol")),
        Par_entree_standard(Ligne("StandardInputRate999Hz", Taux(999), {"decode", "-"}, 1,
                                  "999 Hz, is outside")),
        Par_entree_standard(Ligne("StandardInputRate384001Hz", Taux(384001), {"decode", "-"}, 1,
                                  "384001 Hz, is outside")),
        Par_entree_standard(Ligne(
            "StandardInputFloatNaN",
            [](const std::string& d) { return Wav_flottant_avec(d + "/nan.wav", 1, 11025, 5000, 0, Nan); },
            {"decode", "-"}, 1, "standard input: holds a sample that is NaN or infinite")),
        Par_entree_standard(Ligne("StandardInputNoChannel2", Encode_a("CQ", "500.0", "11025"),
                                  {"decode", "--channel", "2", "-"}, 1,
                                  "standard input: has 1 channel(s), no channel 2")),
        Par_entree_standard(Ligne("StandardInputAutoTuning", Encode_a("CQ", "500.0", "11025"),
                                  {"decode", "-f", "auto", "-"}, 1, "-f auto reads the sound twice")),
        // Headers announcing far more than the file holds.
        Ligne("WavDataChunkLongerThanFile", Seconde_annoncee_4_gio, {"decode", "@"}, 1,
              "data chunk announces 4294967040 bytes, the file holds 22050"),
        Ligne("FlacAnnouncingTwoTo36Frames", Flac, {"decode", "-f", "auto", "@"}, 1,
              "announces 68719476735 frames, the file holds 11025"),
        // Too little to decode.
        Ligne("NoSample", Vide, {"decode", "@"}, 1, "@: the file holds no samples"),
        Ligne("OneSample", Un, {"decode", "@"}, 1, "holds 1 frame(s), less than one symbol"),
        // Rates: the range of encode's --rate, its edges decoded.
        Ligne("Rate1Hz", Taux(1), {"decode", "@"}, 1, "1 Hz, is outside"),
        Ligne("Rate999Hz", Taux(999), {"decode", "@"}, 1, "999 Hz, is outside"),
        Ligne("Rate1000Hz", Encode_a("RATE 1000", "300.0", "1000"), {"decode", "-f", "300.0", "@"}, 0, "",
              Sortie_modem::Fichier, "RATE 1000\n"),
        Ligne("Rate8000Hz", Encode_a("RATE 8000", "1500.0", "8000"), {"decode", "-f", "auto", "@"}, 0,
              "tuned on the strongest line", Sortie_modem::Fichier, "RATE 8000\n"),
        Ligne("Rate384000Hz", Encode_a("RATE 384000", "2000.0", "384000"), {"decode", "-f", "2000.0", "@"}, 0,
              "", Sortie_modem::Fichier, "RATE 384000\n"),
        Ligne("Rate384001Hz", Taux(384001), {"decode", "@"}, 1, "384001 Hz, is outside"),
        Ligne("Rate2147483647Hz", Taux(2147483647), {"decode", "@"}, 1, "2147483647 Hz, is outside"),
        // Samples that are not numbers, wherever they are.
        Ligne(
            "FloatNaN",
            [](const std::string& d) { return Wav_flottant_avec(d + "/nan.wav", 1, 11025, 5000, 0, Nan); },
            {"decode", "@"}, 1, "frame 5001 holds a sample that is NaN or infinite"),
        Ligne(
            "FloatInfinity",
            [](const std::string& d) {
              return Wav_flottant_avec(d + "/inf.wav", 1, 11025, 11024, 0, Infini);
            },
            {"decode", "@"}, 1, "frame 11025 holds a sample that is NaN"),
        Ligne(
            "FloatMinusInfinityOnTheOtherChannel",
            [](const std::string& d) {
              return Wav_flottant_avec(d + "/inf2.wav", 2, 11025, 300, 1, -Infini);
            },
            {"decode", "--channel", "1", "@"}, 1, "frame 301 holds a sample"),
        // An output file on a full device.
        Ligne("EncodeToDevFull", {}, {"encode", "-o", "/dev/full", "CQ"}, 1,
              "/dev/full: System error : No space left on device"),
        Ligne("EncodeResampledToDevFull", {},
              {"encode", "--rate", "48000", "--format", "s16", "-o", "/dev/full", "CQ"}, 1,
              "No space left on device"),
        Ligne("MorseToDevFull", {}, {"morse", "-o", "/dev/full", "E"}, 1, "No space left on device"),
        Ligne("EncodeToStandardOutputFull", {}, {"encode", "-o", "-", "CQ"}, 1,
              "standard output: System error : No space left on device", Sortie_modem::Pleine),
        // Standard output closed, full, or a pipe nobody reads: a status 1
        // and the reason, for the commands whose product it is; encode does
        // not need it.
        Ligne("DecodeWithStandardOutputClosed", Encode_a("CQ", "500.0", "11025"), {"decode", "@"}, 1,
              "standard output is closed", Sortie_modem::Fermee),
        Ligne("HelpWithStandardOutputClosed", {}, {"--help"}, 1, "standard output is closed",
              Sortie_modem::Fermee),
        Ligne("EncodeToClosedStandardOutput", {}, {"encode", "-o", "-", "CQ"}, 1, "standard output is closed",
              Sortie_modem::Fermee),
        Ligne(
            "EncodeWithStandardOutputClosed", [](const std::string& d) { return d + "/cq.wav"; },
            {"encode", "-o", "@", "CQ"}, 0, "@: 4.0 s, 2 characters on 500.0 Hz", Sortie_modem::Fermee),
        Ligne("DecodeIntoPipeWithoutReader", Encode_a("CQ", "500.0", "11025"), {"decode", "@"}, 1,
              "standard output: Broken pipe", Sortie_modem::Tube_orphelin),
        Ligne("LoopbackIntoPipeWithoutReader", {}, {"loopback", "CQ"}, 1, "standard output: Broken pipe",
              Sortie_modem::Tube_orphelin),
        Ligne("EncodeIntoPipeWithoutReader", {}, {"encode", "-o", "-", "CQ"}, 1,
              "standard output: Broken pipe", Sortie_modem::Tube_orphelin),
        Ligne("DecodeToFullStandardOutput", Encode_a("CQ", "500.0", "11025"), {"decode", "@"}, 1,
              "standard output: No space left on device", Sortie_modem::Pleine)),
    [](const testing::TestParamInfo<CasDefectueux>& i) { return i.param.nom; });

}  // namespace
}  // namespace talven::test
