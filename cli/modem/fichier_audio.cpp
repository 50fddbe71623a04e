#include "cli/modem/fichier_audio.h"

#include <samplerate.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <vector>

namespace talven::modem {

namespace {

constexpr uint32_t Taux_carte = 11025;

// What a path that is not a regular file is, for the message; empty for a
// regular file.
std::string Genre_non_fichier(const struct stat& e) {
  if (S_ISREG(e.st_mode)) return {};
  if (S_ISDIR(e.st_mode)) return "is a directory, not a sound file";
  if (S_ISCHR(e.st_mode)) return "is a character device, not a sound file";
  if (S_ISBLK(e.st_mode)) return "is a block device, not a sound file";
  if (S_ISFIFO(e.st_mode) || S_ISSOCK(e.st_mode))
    return "is a pipe or a socket: decode reads its file once per pass, save the sound to a file first";
  return "is not a regular file";
}

uint32_t Mot_le(const unsigned char* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// A RIFF WAV file whose data chunk announces more bytes than follow it:
// libsndfile reads such a file to its end without a word, so its chunks are
// walked here. The reason in `erreur` when it is so; other files and chunk
// lengths left unset (0 or 0xFFFFFFFF, as a writer that streams leaves
// them) pass.
bool Donnees_wav_tronquees(const std::string& chemin, uint64_t taille, std::string& erreur) {
  std::ifstream f(chemin, std::ios::binary);
  unsigned char entete[12];
  if (!f.read(reinterpret_cast<char*>(entete), sizeof entete) || std::memcmp(entete, "RIFF", 4) != 0 ||
      std::memcmp(entete + 8, "WAVE", 4) != 0)
    return false;
  // Each chunk takes 8 bytes at least: the walk ends with the file.
  for (uint64_t position = sizeof entete; position + 8 <= taille;) {
    unsigned char morceau[8];
    f.seekg(static_cast<std::streamoff>(position));
    if (!f.read(reinterpret_cast<char*>(morceau), sizeof morceau)) return false;
    const uint64_t longueur = Mot_le(morceau + 4);
    const uint64_t presents = taille - (position + 8);
    if (std::memcmp(morceau, "data", 4) == 0) {
      if (longueur <= presents || longueur == 0 || longueur == 0xFFFFFFFF) return false;
      erreur = "the data chunk announces " + std::to_string(longueur) + " bytes, the file holds " +
               std::to_string(presents) + ": it is truncated or corrupt";
      return true;
    }
    position += 8 + longueur + (longueur & 1);
  }
  return false;
}

}  // namespace

std::optional<Description_fichier> Description(const std::string& chemin, std::string& erreur) {
  // Checked before libsndfile opens it: opening a pipe waits for a writer,
  // and a device such as /dev/zero never ends.
  struct stat etat {};
  if (::stat(chemin.c_str(), &etat) != 0) {
    erreur = std::strerror(errno);
    return std::nullopt;
  }
  if (erreur = Genre_non_fichier(etat); !erreur.empty()) return std::nullopt;

  SF_INFO info{};
  SNDFILE* f = sf_open(chemin.c_str(), SFM_READ, &info);
  if (f == nullptr) {
    erreur = sf_strerror(nullptr);
    return std::nullopt;
  }
  auto echec = [&](std::string raison) -> std::optional<Description_fichier> {
    sf_close(f);
    erreur = std::move(raison);
    return std::nullopt;
  };
  if (info.samplerate <= 0 || info.channels <= 0 || info.frames < 0)
    return echec("the file has no usable rate, channel count or length");
  const auto taux = static_cast<uint32_t>(info.samplerate);
  const auto voies = static_cast<uint32_t>(info.channels);
  if (taux < Taux_fichier_min || taux > Taux_fichier_max)
    return echec("its sample rate, " + std::to_string(taux) + " Hz, is outside the " +
                 std::to_string(Taux_fichier_min) + " to " + std::to_string(Taux_fichier_max) +
                 " Hz that decode takes");
  if (Donnees_wav_tronquees(chemin, static_cast<uint64_t>(etat.st_size), erreur)) return echec(erreur);

  // The true length, counted: a header may announce anything.
  const sf_count_t trames_bloc = std::max<sf_count_t>(1, 65536 / info.channels);
  std::vector<float> bloc(static_cast<size_t>(trames_bloc) * voies);
  int64_t trames = 0;
  for (sf_count_t lues; (lues = sf_readf_float(f, bloc.data(), trames_bloc)) > 0; trames += lues) {
    const auto n = static_cast<size_t>(lues) * voies;
    for (size_t i = 0; i < n; ++i)
      if (!std::isfinite(bloc[i]))
        return echec("frame " + std::to_string(trames + static_cast<int64_t>(i / voies) + 1) +
                     " holds a sample that is NaN or infinite: the file is corrupt");
  }
  if (sf_error(f) != SF_ERR_NO_ERROR)
    return echec(std::string("cannot read the samples after frame ") + std::to_string(trames) + ": " +
                 sf_strerror(f));
  // MPEG gives only an estimate of its length.
  const bool longueur_estimee = (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG;
  if (!longueur_estimee && info.frames != SF_COUNT_MAX && info.frames > trames)
    return echec("the header announces " + std::to_string(info.frames) + " frames, the file holds " +
                 std::to_string(trames) + ": it is truncated or corrupt");
  sf_close(f);
  if (trames == 0) {
    erreur = "the file holds no samples";
    return std::nullopt;
  }
  if (trames * 10 < static_cast<int64_t>(taux)) {
    erreur = "the file holds " + std::to_string(trames) + " frame(s), less than one symbol (a tenth of a " +
             "second at " + std::to_string(taux) + " Hz): nothing to decode";
    return std::nullopt;
  }
  return Description_fichier{trames, taux, voies};
}

bool Ecriture_wav(const std::string& chemin, std::span<const uint8_t> echantillons, uint32_t taux, bool s16,
                  std::string& erreur) {
  SF_INFO info{};
  info.samplerate = static_cast<int>(taux);
  info.channels = 1;
  info.format = SF_FORMAT_WAV | (s16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_U8);
  SNDFILE* f = sf_open(chemin.c_str(), SFM_WRITE, &info);
  if (f == nullptr) {
    erreur = sf_strerror(nullptr);
    return false;
  }
  sf_count_t attendu = 0;
  sf_count_t ecrit = 0;
  if (taux == Taux_carte && !s16) {
    attendu = static_cast<sf_count_t>(echantillons.size());
    ecrit = sf_write_raw(f, echantillons.data(), attendu);
  } else if (taux == Taux_carte) {
    std::vector<short> t(echantillons.size());
    for (size_t i = 0; i < t.size(); ++i) t[i] = static_cast<short>((echantillons[i] - 128) * 256);
    attendu = static_cast<sf_count_t>(t.size());
    ecrit = sf_write_short(f, t.data(), attendu);
  } else {
    std::vector<float> entree(echantillons.size());
    for (size_t i = 0; i < entree.size(); ++i) entree[i] = static_cast<float>(echantillons[i] - 128) / 128.0f;
    const double rapport = static_cast<double>(taux) / Taux_carte;
    std::vector<float> sortie(static_cast<size_t>(std::ceil(static_cast<double>(entree.size()) * rapport)) +
                              16);
    SRC_DATA d{};
    d.data_in = entree.data();
    d.input_frames = static_cast<long>(entree.size());
    d.data_out = sortie.data();
    d.output_frames = static_cast<long>(sortie.size());
    d.src_ratio = rapport;
    if (int e = src_simple(&d, SRC_SINC_BEST_QUALITY, 1); e != 0) {
      erreur = std::string("resampling failed: ") + src_strerror(e);
      sf_close(f);
      return false;
    }
    // Overshoots of the resampler are clipped, not wrapped.
    sf_command(f, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    attendu = d.output_frames_gen;
    ecrit = sf_write_float(f, sortie.data(), attendu);
  }
  int fermeture = sf_close(f);
  if (ecrit != attendu || fermeture != 0) {
    erreur = "could not write the whole file";
    return false;
  }
  return true;
}

}  // namespace talven::modem
