#include "audio/entete_flux_son.h"

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace talven {

namespace {

uint64_t Entier(const uint8_t* p, size_t octets, bool gros_boutiste) {
  uint64_t v = 0;
  for (size_t i = 0; i < octets; ++i) v |= uint64_t{p[gros_boutiste ? octets - 1 - i : i]} << (8 * i);
  return v;
}

// A chunk's name as it can be printed.
std::string Nom_morceau(const uint8_t* p) {
  std::string nom(reinterpret_cast<const char*>(p), 4);
  for (char& c : nom)
    if (c < 0x20 || c > 0x7e) c = '?';
  return nom;
}

// The stream read within the header's bound: every byte counted.
class Lecteur {
 public:
  explicit Lecteur(const Lecture_octets& lire) : lire_(lire) {}

  bool Lire(uint8_t* octets, size_t taille) {
    const size_t lus = lire_(octets, taille);
    lus_ += lus;
    return lus == taille;
  }
  bool Sauter(uint64_t taille) {
    std::array<uint8_t, 4096> rebut;
    while (taille > 0) {
      const auto n = static_cast<size_t>(std::min<uint64_t>(taille, rebut.size()));
      if (!Lire(rebut.data(), n)) return false;
      taille -= n;
    }
    return true;
  }
  // Whether `taille` more bytes keep the header within its bound.
  bool Tient(uint64_t taille) const { return lus_ + taille <= Entete_flux_max; }
  uint32_t Lus() const { return static_cast<uint32_t>(lus_); }

 private:
  const Lecture_octets& lire_;
  uint64_t lus_ = 0;
};

constexpr const char* Fin_dans_entete = "the stream ends inside its header";

std::string Trop_long(const std::string& quoi, uint64_t octets) {
  return quoi + " of " + std::to_string(octets) +
         " bytes before the samples: a stream's header holds at most " + std::to_string(Entete_flux_max) +
         " bytes, it is corrupt";
}

// The channel count and rate, checked; empty when they are usable.
std::string Refus_voies_taux(uint64_t voies, uint64_t taux) {
  if (voies == 0) return "its header announces no channel";
  if (voies > Voies_flux_max)
    return "its header announces " + std::to_string(voies) + " channels, at most " +
           std::to_string(Voies_flux_max) + " are read";
  if (taux == 0) return "its header announces a sample rate of 0 Hz";
  return {};
}

// The rest of a format: the frame's bytes, the frames from the bytes
// announced (-1 unknown).
void Fin_format(Format_flux_son& f, uint32_t octets_echantillon, int64_t octets_donnees) {
  f.octets_trame = octets_echantillon * f.voies;
  f.trames = octets_donnees < 0 ? -1 : octets_donnees / f.octets_trame;
}

// WAV's "fmt " chunk (its first 16 or 40 bytes) into `f`; the reason when
// the stream cannot be read so.
std::string Format_wav(const uint8_t* p, uint32_t longueur, bool gros_boutiste, Format_flux_son& f,
                       uint32_t& octets_echantillon) {
  auto mot = [&](size_t position, size_t octets) { return Entier(p + position, octets, gros_boutiste); };
  uint64_t etiquette = mot(0, 2);
  const uint64_t voies = mot(2, 2);
  const uint64_t taux = mot(4, 4);
  const uint64_t bloc = mot(12, 2);
  const uint64_t bits = mot(14, 2);
  if (etiquette == 0xFFFE) {  // WAVE_FORMAT_EXTENSIBLE: the format is its sub-format's first two bytes
    if (longueur < 40)
      return "its extensible fmt chunk is " + std::to_string(longueur) + " bytes, less than 40";
    static constexpr uint8_t Suite_guid[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                               0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    if (std::memcmp(p + 26, Suite_guid, sizeof Suite_guid) != 0)
      return "its extensible fmt chunk has an unknown sub-format";
    etiquette = mot(24, 2);
  }
  if (std::string refus = Refus_voies_taux(voies, taux); !refus.empty()) return refus;
  int sous_type = 0;
  switch (etiquette) {
    case 1:  // PCM; 8 bits unsigned, more signed
      sous_type = bits == 8    ? SF_FORMAT_PCM_U8
                  : bits == 16 ? SF_FORMAT_PCM_16
                  : bits == 24 ? SF_FORMAT_PCM_24
                  : bits == 32 ? SF_FORMAT_PCM_32
                               : 0;
      break;
    case 3:  // IEEE float
      sous_type = bits == 32 ? SF_FORMAT_FLOAT : bits == 64 ? SF_FORMAT_DOUBLE : 0;
      break;
    case 6:
      sous_type = bits == 8 ? SF_FORMAT_ALAW : 0;
      break;
    case 7:
      sous_type = bits == 8 ? SF_FORMAT_ULAW : 0;
      break;
    default: {
      char etiquette_hex[8];
      std::snprintf(etiquette_hex, sizeof etiquette_hex, "0x%04X", static_cast<unsigned>(etiquette));
      return std::string("its samples are compressed or of an unknown kind (WAV format ") + etiquette_hex +
             "): a stream is read in PCM, float, A-law or mu-law, a file in any format libsndfile knows";
    }
  }
  if (sous_type == 0)
    return "its " + std::to_string(bits) + "-bit samples of WAV format " + std::to_string(etiquette) +
           " are not read from a stream";
  octets_echantillon = static_cast<uint32_t>(bits / 8);
  if (bloc != voies * octets_echantillon)
    return "its block size, " + std::to_string(bloc) + " bytes, does not match " + std::to_string(voies) +
           " channel(s) of " + std::to_string(bits) + " bits";
  f.format = SF_FORMAT_RAW | sous_type | (gros_boutiste ? SF_ENDIAN_BIG : SF_ENDIAN_LITTLE);
  f.voies = static_cast<uint32_t>(voies);
  f.taux = static_cast<uint32_t>(taux);
  return {};
}

std::optional<Format_flux_son> Entete_wav(Lecteur& l, const uint8_t* debut, std::string& erreur) {
  const bool gros_boutiste = std::memcmp(debut, "RIFX", 4) == 0;
  const bool rf64 = std::memcmp(debut, "RF64", 4) == 0;
  if (std::memcmp(debut + 8, "WAVE", 4) != 0) {
    erreur = "not a WAV stream: no WAVE after " + Nom_morceau(debut);
    return std::nullopt;
  }
  Format_flux_son f;
  uint32_t octets_echantillon = 0;
  bool fmt_vu = false;
  int64_t donnees_ds64 = -1;  // RF64's length of the samples, -1 unknown
  for (;;) {
    uint8_t morceau[8];
    if (!l.Lire(morceau, sizeof morceau)) {
      erreur = fmt_vu ? "the stream ends before its data chunk" : Fin_dans_entete;
      return std::nullopt;
    }
    const std::string nom = Nom_morceau(morceau);
    const uint64_t longueur = Entier(morceau + 4, 4, gros_boutiste);
    if (nom == "data") {
      if (!fmt_vu) {
        erreur = "its data chunk comes before its fmt chunk";
        return std::nullopt;
      }
      int64_t octets = longueur == 0 || longueur == 0xFFFFFFFF ? -1 : static_cast<int64_t>(longueur);
      if (rf64 && longueur == 0xFFFFFFFF) octets = donnees_ds64;
      Fin_format(f, octets_echantillon, octets);
      f.octets_entete = l.Lus();
      return f;
    }
    const uint64_t avec_bourrage = longueur + (longueur & 1);  // chunks keep an even length
    if (!l.Tient(avec_bourrage)) {
      erreur = Trop_long("its chunk '" + nom + "'", longueur);
      return std::nullopt;
    }
    if (nom == "fmt ") {
      if (fmt_vu) {
        erreur = "its header has two fmt chunks";
        return std::nullopt;
      }
      if (longueur < 16) {
        erreur = "its fmt chunk is " + std::to_string(longueur) + " bytes, less than 16";
        return std::nullopt;
      }
      uint8_t contenu[40] = {};
      const auto lus = static_cast<uint32_t>(std::min<uint64_t>(longueur, sizeof contenu));
      if (!l.Lire(contenu, lus) || !l.Sauter(avec_bourrage - lus)) {
        erreur = Fin_dans_entete;
        return std::nullopt;
      }
      if (erreur = Format_wav(contenu, static_cast<uint32_t>(longueur), gros_boutiste, f, octets_echantillon);
          !erreur.empty())
        return std::nullopt;
      fmt_vu = true;
    } else if (nom == "ds64" && rf64 && longueur >= 16) {
      uint8_t contenu[16];
      if (!l.Lire(contenu, sizeof contenu) || !l.Sauter(avec_bourrage - sizeof contenu)) {
        erreur = Fin_dans_entete;
        return std::nullopt;
      }
      const uint64_t donnees = Entier(contenu + 8, 8, false);
      if (donnees != 0 && donnees <= static_cast<uint64_t>(INT64_MAX))
        donnees_ds64 = static_cast<int64_t>(donnees);
    } else if (!l.Sauter(avec_bourrage)) {
      erreur = Fin_dans_entete;
      return std::nullopt;
    }
  }
}

std::optional<Format_flux_son> Entete_au(Lecteur& l, const uint8_t* debut, std::string& erreur) {
  uint8_t suite[12];
  if (!l.Lire(suite, sizeof suite)) {
    erreur = Fin_dans_entete;
    return std::nullopt;
  }
  auto mot = [&](size_t position) {
    return position < 12 ? Entier(debut + position, 4, true) : Entier(suite + (position - 12), 4, true);
  };
  const uint64_t decalage = mot(4);
  const uint64_t donnees = mot(8);
  const uint64_t codage = mot(12);
  const uint64_t taux = mot(16);
  const uint64_t voies = mot(20);
  if (decalage < 24) {
    erreur = "its header announces " + std::to_string(decalage) + " bytes, less than 24";
    return std::nullopt;
  }
  if (!l.Tient(decalage - 24)) {
    erreur = Trop_long("its header", decalage);
    return std::nullopt;
  }
  if (!l.Sauter(decalage - 24)) {
    erreur = Fin_dans_entete;
    return std::nullopt;
  }
  if (erreur = Refus_voies_taux(voies, taux); !erreur.empty()) return std::nullopt;
  int sous_type = 0;
  uint32_t octets_echantillon = 1;
  switch (codage) {
    case 1:
      sous_type = SF_FORMAT_ULAW;
      break;
    case 2:
      sous_type = SF_FORMAT_PCM_S8;
      break;
    case 3:
      sous_type = SF_FORMAT_PCM_16, octets_echantillon = 2;
      break;
    case 4:
      sous_type = SF_FORMAT_PCM_24, octets_echantillon = 3;
      break;
    case 5:
      sous_type = SF_FORMAT_PCM_32, octets_echantillon = 4;
      break;
    case 6:
      sous_type = SF_FORMAT_FLOAT, octets_echantillon = 4;
      break;
    case 7:
      sous_type = SF_FORMAT_DOUBLE, octets_echantillon = 8;
      break;
    case 27:
      sous_type = SF_FORMAT_ALAW;
      break;
    default:
      erreur = "its samples are compressed or of an unknown kind (AU encoding " + std::to_string(codage) +
               "): a stream is read in PCM, float, A-law or mu-law, a file in any format libsndfile knows";
      return std::nullopt;
  }
  Format_flux_son f;
  f.format = SF_FORMAT_RAW | sous_type | SF_ENDIAN_BIG;
  f.voies = static_cast<uint32_t>(voies);
  f.taux = static_cast<uint32_t>(taux);
  Fin_format(f, octets_echantillon,
             donnees == 0 || donnees == 0xFFFFFFFF ? -1 : static_cast<int64_t>(donnees));
  f.octets_entete = l.Lus();
  return f;
}

}  // namespace

std::optional<Format_flux_son> Lecture_entete_flux_son(const Lecture_octets& lire, std::string& erreur) {
  Lecteur l(lire);
  uint8_t debut[12];
  if (!l.Lire(debut, sizeof debut)) {
    erreur = Fin_dans_entete;
    return std::nullopt;
  }
  for (const char* magique : {"RIFF", "RIFX", "RF64"})
    if (std::memcmp(debut, magique, 4) == 0) return Entete_wav(l, debut, erreur);
  if (std::memcmp(debut, ".snd", 4) == 0) return Entete_au(l, debut, erreur);
  erreur = "not a WAV or AU stream";
  return std::nullopt;
}

}  // namespace talven
