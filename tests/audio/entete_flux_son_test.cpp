// The header of a sound stream read as it comes: the formats a recording
// program writes on a pipe taken, exactly up to the first sample; headers
// that are corrupt, compressed or too long refused with their reason.
#include "audio/entete_flux_son.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace talven {
namespace {

struct Octets {
  std::string s;
  bool gros = false;
  Octets& Texte(const char* t) {
    s.append(t, 4);
    return *this;
  }
  Octets& Mot(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) s.push_back(static_cast<char>(v >> (8 * (gros ? n - 1 - i : i))));
    return *this;
  }
  Octets& Bruts(size_t n, char c = 0) {
    s.append(n, c);
    return *this;
  }
};

// A fmt chunk of 16 bytes, or 40 for WAVE_FORMAT_EXTENSIBLE (tag 0xFFFE with
// the sub-format `sous`).
Octets& Fmt(Octets& o, uint64_t etiquette, uint64_t voies, uint64_t taux, uint64_t bits, uint64_t bloc,
            uint64_t sous = 0) {
  const bool etendu = etiquette == 0xFFFE;
  o.Texte("fmt ").Mot(etendu ? 40 : 16, 4).Mot(etiquette, 2).Mot(voies, 2).Mot(taux, 4);
  o.Mot(taux * bloc, 4).Mot(bloc, 2).Mot(bits, 2);
  if (etendu) {
    o.Mot(22, 2).Mot(bits, 2).Mot(0x33, 4).Mot(sous, 2);
    o.s.append("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
  }
  return o;
}

Octets Wav(const char* magique = "RIFF") {
  Octets o;
  o.gros = std::strcmp(magique, "RIFX") == 0;
  o.Texte(magique).Mot(0xFFFFFFFF, 4).Texte("WAVE");
  return o;
}

Octets Au(uint64_t decalage, uint64_t donnees, uint64_t codage, uint64_t taux, uint64_t voies) {
  Octets o;
  o.gros = true;
  o.Texte(".snd").Mot(decalage, 4).Mot(donnees, 4).Mot(codage, 4).Mot(taux, 4).Mot(voies, 4);
  return o.Bruts(decalage > 24 && decalage < 4096 ? decalage - 24 : 0, 'a');
}

struct Cas {
  const char* nom;
  std::string entete;
  // Expected when taken:
  int format = 0;
  uint32_t taux = 0, voies = 0, octets_trame = 0;
  int64_t trames = -1;
  // Expected when refused:
  const char* raison = nullptr;
};

Cas Pris(const char* nom, const Octets& o, int format, uint32_t taux, uint32_t voies, uint32_t octets_trame,
         int64_t trames) {
  return Cas{nom, o.s, format, taux, voies, octets_trame, trames, nullptr};
}
Cas Refuse(const char* nom, const Octets& o, const char* raison) {
  return Cas{nom, o.s, 0, 0, 0, 0, -1, raison};
}

std::vector<Cas> Tous() {
  constexpr int Le = SF_FORMAT_RAW | SF_ENDIAN_LITTLE;
  constexpr int Be = SF_FORMAT_RAW | SF_ENDIAN_BIG;
  std::vector<Cas> c;
  {
    Octets o = Wav();
    Fmt(o, 1, 1, 11025, 8, 1).Texte("data").Mot(1000, 4);
    c.push_back(Pris("U8MonoOfKnownLength", o, Le | SF_FORMAT_PCM_U8, 11025, 1, 1, 1000));
  }
  {  // arecord's and encode's streams: a length unknown while writing
    Octets o = Wav();
    Fmt(o, 1, 2, 48000, 16, 4).Texte("data").Mot(0xFFFFFFFF, 4);
    c.push_back(Pris("S16StereoToTheEnd", o, Le | SF_FORMAT_PCM_16, 48000, 2, 4, -1));
    Octets z = Wav();
    Fmt(z, 1, 1, 8000, 16, 2).Texte("data").Mot(0, 4);
    c.push_back(Pris("LengthZeroToTheEnd", z, Le | SF_FORMAT_PCM_16, 8000, 1, 2, -1));
  }
  {  // metadata of odd length (padded) before and after fmt
    Octets o = Wav();
    o.Texte("LIST").Mot(5, 4).Bruts(6, 'x');
    Fmt(o, 0xFFFE, 4, 1000, 24, 12, 1).Texte("fact").Mot(4, 4).Mot(0, 4).Texte("data").Mot(1200, 4);
    c.push_back(Pris("Extensible24BitsAfterPaddedChunk", o, Le | SF_FORMAT_PCM_24, 1000, 4, 12, 100));
  }
  {
    Octets o = Wav("RIFX");
    Fmt(o, 1, 1, 11025, 16, 2).Texte("data").Mot(22050, 4);
    c.push_back(Pris("RifxBigEndian", o, Be | SF_FORMAT_PCM_16, 11025, 1, 2, 11025));
  }
  {
    Octets o = Wav("RF64");
    o.Texte("ds64").Mot(28, 4).Mot(0, 8).Mot(8000, 8).Mot(2000, 8).Mot(0, 4);
    Fmt(o, 3, 1, 8000, 32, 4).Texte("data").Mot(0xFFFFFFFF, 4);
    c.push_back(Pris("Rf64FloatLengthInDs64", o, Le | SF_FORMAT_FLOAT, 8000, 1, 4, 2000));
    Octets d = Wav();
    Fmt(d, 0xFFFE, 1, 8000, 64, 8, 3).Texte("data").Mot(0xFFFFFFFF, 4);
    c.push_back(Pris("ExtensibleDouble", d, Le | SF_FORMAT_DOUBLE, 8000, 1, 8, -1));
    Octets a = Wav();
    Fmt(a, 6, 1, 8000, 8, 1).Texte("data").Mot(0xFFFFFFFF, 4);
    c.push_back(Pris("ALaw", a, Le | SF_FORMAT_ALAW, 8000, 1, 1, -1));
  }
  c.push_back(
      Pris("AuMuLawWithAnnotation", Au(32, 0xFFFFFFFF, 1, 8000, 1), Be | SF_FORMAT_ULAW, 8000, 1, 1, -1));
  c.push_back(Pris("AuS16Stereo", Au(24, 4000, 3, 11025, 2), Be | SF_FORMAT_PCM_16, 11025, 2, 4, 1000));

  {  // found by fuzz_fichier_son: libsndfile read this on a pipe without bound
    Octets o = Wav();
    Fmt(o, 0xFFFE, 4, 1000, 24, 12, 1).Texte("fact").Mot(0xFFFFFFF7, 4).Mot(110, 4).Texte("data").Mot(8, 4);
    c.push_back(Refuse("ChunkOf4GiB", o, "its chunk 'fact' of 4294967287 bytes before the samples"));
    Octets j = Wav();
    j.Texte("JUNK").Mot(Entete_flux_max, 4);
    c.push_back(Refuse("ChunkPastTheBound", j, "its chunk 'JUNK' of 1048576 bytes"));
  }
  {
    Octets o = Wav();
    o.Texte("data").Mot(100, 4);
    c.push_back(Refuse("DataBeforeFmt", o, "its data chunk comes before its fmt chunk"));
    Octets f = Wav();
    f.Texte("fmt ").Mot(14, 4).Mot(1, 2).Mot(1, 2).Mot(8000, 4).Mot(8000, 4).Mot(1, 2);
    c.push_back(Refuse("FmtOf14Bytes", f, "its fmt chunk is 14 bytes, less than 16"));
    Octets w = Wav();
    w.s.replace(8, 4, "AVI ");
    c.push_back(Refuse("NotWave", w, "not a WAV stream: no WAVE after RIFF"));
  }
  {
    Octets ima = Wav();
    Fmt(ima, 0x11, 1, 11025, 4, 256).Texte("data").Mot(0xFFFFFFFF, 4);
    c.push_back(Refuse("ImaAdpcm", ima, "compressed or of an unknown kind (WAV format 0x0011)"));
    Octets douze = Wav();
    Fmt(douze, 1, 1, 11025, 12, 2).Texte("data").Mot(0xFFFFFFFF, 4);
    c.push_back(Refuse("Pcm12Bits", douze, "its 12-bit samples of WAV format 1 are not read"));
    Octets bloc = Wav();
    Fmt(bloc, 1, 2, 11025, 16, 2).Texte("data").Mot(0xFFFFFFFF, 4);
    c.push_back(
        Refuse("BlockSizeForOneChannel", bloc, "its block size, 2 bytes, does not match 2 channel(s)"));
    Octets voies = Wav();
    Fmt(voies, 1, 0, 11025, 16, 0).Texte("data").Mot(0xFFFFFFFF, 4);
    c.push_back(Refuse("NoChannel", voies, "announces no channel"));
    Octets trop = Wav();
    Fmt(trop, 1, 2000, 11025, 8, 2000).Texte("data").Mot(0xFFFFFFFF, 4);
    c.push_back(Refuse("TwoThousandChannels", trop, "announces 2000 channels, at most 1024"));
    Octets taux = Wav();
    Fmt(taux, 1, 1, 0, 8, 1).Texte("data").Mot(0xFFFFFFFF, 4);
    c.push_back(Refuse("RateZero", taux, "a sample rate of 0 Hz"));
    Octets fin = Wav();
    Fmt(fin, 1, 1, 11025, 8, 1);
    c.push_back(Refuse("EndsBeforeData", fin, "the stream ends before its data chunk"));
    Octets court;
    court.Texte("RIFF");  // and the 7 bytes of samples: fewer than the 12 of the first chunk
    c.push_back(Refuse("EndsInsideTheFirstBytes", court, "the stream ends inside its header"));
  }
  c.push_back(Refuse("AuOffsetBelow24", Au(16, 0, 3, 8000, 1), "announces 16 bytes, less than 24"));
  c.push_back(Refuse("AuG721", Au(24, 0, 23, 8000, 1), "(AU encoding 23)"));
  c.push_back(
      Refuse("AuHeaderPastTheBound", Au(Entete_flux_max + 25, 0, 3, 8000, 1), "bytes before the samples"));
  {
    Octets o;
    o.Texte("FORM").Mot(0, 4).Texte("AIFF");
    c.push_back(Refuse("Aiff", o, "not a WAV or AU stream"));
  }
  return c;
}

class EnteteFluxSon : public testing::TestWithParam<Cas> {};

// The header is read from a stream of the header, then samples: what is
// taken stops exactly at the first sample.
TEST_P(EnteteFluxSon, TakenUpToItsFirstSampleOrRefusedWithItsReason) {
  const Cas& c = GetParam();
  const std::string echantillons = "SAMPLES";
  const std::string flux = c.entete + echantillons;
  size_t position = 0;
  const Lecture_octets lire = [&](uint8_t* octets, size_t taille) {
    const size_t n = std::min(taille, flux.size() - position);
    std::memcpy(octets, flux.data() + position, n);
    position += n;
    return n;
  };
  std::string erreur;
  const auto format = Lecture_entete_flux_son(lire, erreur);
  if (c.raison != nullptr) {
    ASSERT_FALSE(format.has_value());
    EXPECT_NE(erreur.find(c.raison), std::string::npos) << erreur;
    return;
  }
  ASSERT_TRUE(format.has_value()) << erreur;
  EXPECT_EQ(format->format, c.format);
  EXPECT_EQ(format->taux, c.taux);
  EXPECT_EQ(format->voies, c.voies);
  EXPECT_EQ(format->octets_trame, c.octets_trame);
  EXPECT_EQ(format->trames, c.trames);
  EXPECT_EQ(position, c.entete.size());
  EXPECT_EQ(format->octets_entete, c.entete.size());
}

INSTANTIATE_TEST_SUITE_P(Entetes, EnteteFluxSon, testing::ValuesIn(Tous()),
                         [](const testing::TestParamInfo<Cas>& i) { return std::string(i.param.nom); });

}  // namespace
}  // namespace talven
