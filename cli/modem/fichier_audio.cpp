#include "cli/modem/fichier_audio.h"

#include <samplerate.h>
#include <sndfile.h>

#include <cmath>
#include <vector>

namespace talven::modem {

namespace {
constexpr uint32_t Taux_carte = 11025;
}

std::optional<Description_fichier> Description(const std::string& chemin, std::string& erreur) {
  SF_INFO info{};
  SNDFILE* f = sf_open(chemin.c_str(), SFM_READ, &info);
  if (f == nullptr) {
    erreur = sf_strerror(nullptr);
    return std::nullopt;
  }
  sf_close(f);
  if (info.samplerate <= 0 || info.channels <= 0 || info.frames < 0) {
    erreur = "the file has no usable rate, channel count or length";
    return std::nullopt;
  }
  return Description_fichier{info.frames, static_cast<uint32_t>(info.samplerate),
                             static_cast<uint32_t>(info.channels)};
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
