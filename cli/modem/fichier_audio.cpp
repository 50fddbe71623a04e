#include "cli/modem/fichier_audio.h"

#include <fcntl.h>
#include <poll.h>
#include <samplerate.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <vector>

#include "audio/entete_flux_son.h"

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
  if (S_ISFIFO(e.st_mode)) return "is a named pipe, not a regular file";
  if (S_ISSOCK(e.st_mode)) return "is a socket, not a sound file";
  return "is not a regular file";
}

// Why a rate cannot be decoded; empty when it can.
std::string Refus_taux(uint32_t taux) {
  if (taux >= Taux_fichier_min && taux <= Taux_fichier_max) return {};
  return "its sample rate, " + std::to_string(taux) + " Hz, is outside the " +
         std::to_string(Taux_fichier_min) + " to " + std::to_string(Taux_fichier_max) +
         " Hz that decode takes";
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
  // Checked before libsndfile opens it: opening a named pipe waits for a
  // writer, and a device such as /dev/zero never ends.
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
  if (std::string refus = Refus_taux(taux); !refus.empty()) return echec(refus);
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

namespace {

// Why a stream's rate or channels cannot be decoded; empty when they can.
std::string Refus_format(const SF_INFO& info, uint32_t voie) {
  if (info.samplerate <= 0 || info.channels <= 0) return "the stream has no usable rate or channel count";
  if (std::string refus = Refus_taux(static_cast<uint32_t>(info.samplerate)); !refus.empty()) return refus;
  if (voie > static_cast<uint32_t>(info.channels))
    return "has " + std::to_string(info.channels) + " channel(s), no channel " + std::to_string(voie);
  return {};
}

}  // namespace

bool Entree_en_flux(const std::string& chemin) {
  struct stat etat {};
  return chemin == "-" || (::stat(chemin.c_str(), &etat) == 0 && S_ISFIFO(etat.st_mode));
}

namespace {

// The first bytes of the stream `d`, up to `taille`, without taking them
// from it: peeked from a pipe (tee(2) copies what the pipe holds into
// another pipe and leaves it there; a header still coming is waited for),
// read at the current offset of anything else. Fewer when the stream ends
// first, none on an error.
std::string Debut_flux(int d, size_t taille) {
  struct stat e {};
  if (::fstat(d, &e) != 0) return {};
  std::string debut(taille, '\0');
  if (!S_ISFIFO(e.st_mode)) {
    const off_t position = ::lseek(d, 0, SEEK_CUR);
    const ssize_t n = position < 0 ? -1 : ::pread(d, debut.data(), taille, position);
    debut.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return debut;
  }
  int copie[2];
  if (::pipe2(copie, O_CLOEXEC) != 0) return {};
  std::string vu;
  // The first try waits for the stream's first bytes, as a read would; the
  // rest of a header that came in part follows at once from a program that
  // writes one, so it is waited for 10 ms at a time, 5 s at most, or until
  // the writer has gone.
  for (int essai = 0; essai < 500; ++essai) {
    const ssize_t n = ::tee(d, copie[1], taille, essai == 0 ? 0 : SPLICE_F_NONBLOCK);
    if (n == 0) break;  // ended
    if (n > 0) {
      // What tee copied is taken off the copy, so that the next try copies
      // the stream's beginning again.
      std::string lu(static_cast<size_t>(n), '\0');
      if (::read(copie[0], lu.data(), lu.size()) != n) break;
      vu = std::move(lu);
      if (vu.size() >= taille) break;
    } else if (errno != EAGAIN && errno != EINTR) {
      break;
    }
    pollfd etat{d, POLLIN, 0};
    if (::poll(&etat, 1, 0) > 0 && (etat.revents & POLLHUP) != 0) break;
    ::usleep(10000);
  }
  ::close(copie[0]);
  ::close(copie[1]);
  return vu;
}

// What the first bytes of a stream let through, known by its magic: on a
// pipe or a FIFO, WAV (RIFF, RIFX, RF64) and AU, whose header is read here,
// and Ogg, whose pages libsndfile reads through its codecs; on standard
// input redirected from a regular file, AIFF and FLAC as well, which
// libsndfile reads as a file. Anything else is refused: libsndfile's
// guessing and header reading on a pipe are not safe (bytes it took for MPEG
// audio made it read outside its buffer; a Sony Wave64 header made it spin
// for ever at the stream's end; a WAV chunk announcing 4 GB kept it reading
// and allocating), and its FLAC decoder loses sync on a pipe.
std::string Refus_entete_flux(const std::string& debut, bool fichier) {
  if (debut.empty()) return "no sound: the stream is empty";
  for (const char* magique : {"RIFF", "RIFX", "RF64", ".snd", "OggS"})
    if (debut == magique) return {};
  if (fichier && (debut == "FORM" || debut == "fLaC")) return {};
  return "not a WAV, AU or Ogg stream (a stream must start with its header; FLAC, AIFF and other formats "
         "are read from a file)";
}

bool Entete_lue_ici(const std::string& debut) {
  for (const char* magique : {"RIFF", "RIFX", "RF64", ".snd"})
    if (debut == magique) return true;
  return false;
}

// Up to `taille` bytes of `d`, fewer only at its end or on an error.
size_t Lecture_complete(int d, uint8_t* octets, size_t taille) {
  size_t lus = 0;
  while (lus < taille) {
    const ssize_t n = ::read(d, octets + lus, taille - lus);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    lus += static_cast<size_t>(n);
  }
  return lus;
}

}  // namespace

sf_private_tag* Ouverture_flux(const std::string& chemin, uint32_t voie, int& descripteur, int64_t& trames,
                               std::string& erreur) {
  descripteur = -1;
  trames = -1;
  if (chemin == "-" && isatty(STDIN_FILENO) == 1) {
    erreur = "is a terminal: pipe a recording into it (arecord -f U8 -r 11025 | talven-modem decode -)";
    return nullptr;
  }
  const int d = chemin == "-" ? STDIN_FILENO : ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC);
  if (d < 0) {
    erreur = std::strerror(errno);
    return nullptr;
  }
  auto refus = [&](std::string raison) -> sf_private_tag* {
    erreur = std::move(raison);
    if (d != STDIN_FILENO) ::close(d);
    return nullptr;
  };
  struct stat etat {};
  const bool fichier = ::fstat(d, &etat) == 0 && S_ISREG(etat.st_mode);
  const std::string debut = Debut_flux(d, 4);
  if (std::string raison = Refus_entete_flux(debut, fichier); !raison.empty()) return refus(raison);
  SF_INFO info{};
  if (!fichier && Entete_lue_ici(debut)) {
    // The header is taken off the stream here; libsndfile reads the samples
    // that follow it as raw ones, in the format the header gave.
    const Lecture_octets lire = [d](uint8_t* octets, size_t taille) {
      return Lecture_complete(d, octets, taille);
    };
    std::string raison;
    const std::optional<Format_flux_son> format = Lecture_entete_flux_son(lire, raison);
    if (!format) return refus(raison);
    if (std::string raison_taux = Refus_taux(format->taux); !raison_taux.empty()) return refus(raison_taux);
    info.format = format->format;
    info.samplerate = static_cast<int>(format->taux);
    info.channels = static_cast<int>(format->voies);
    trames = format->trames;
  }
  SNDFILE* f = sf_open_fd(d, SFM_READ, &info, d != STDIN_FILENO ? SF_TRUE : SF_FALSE);
  if (f == nullptr) return refus(sf_strerror(nullptr));
  if (erreur = Refus_format(info, voie); !erreur.empty()) {
    sf_close(f);
    return nullptr;
  }
  descripteur = d;
  return f;
}

namespace {

// The header of a WAV stream of unknown length: PCM, mono, the RIFF and data
// chunks announcing 0xFFFFFFFF bytes.
std::vector<uint8_t> Entete_flux(uint32_t taux, bool s16) {
  std::vector<uint8_t> e;
  auto mot = [&e](uint32_t v, int octets) {
    for (int i = 0; i < octets; ++i) e.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto balise = [&e](const char* b) { e.insert(e.end(), b, b + 4); };
  const uint32_t octets = s16 ? 2 : 1;
  balise("RIFF");
  mot(0xFFFFFFFF, 4);
  balise("WAVE");
  balise("fmt ");
  mot(16, 4);
  mot(1, 2);  // PCM
  mot(1, 2);  // mono
  mot(taux, 4);
  mot(taux * octets, 4);
  mot(octets, 2);
  mot(8 * octets, 2);
  balise("data");
  mot(0xFFFFFFFF, 4);
  return e;
}

}  // namespace

EcritureWav::~EcritureWav() {
  if (convertisseur_ != nullptr) src_delete(convertisseur_);
  if (fichier_ != nullptr) sf_close(fichier_);
  if (descripteur_a_fermer_) ::close(descripteur_);
}

bool EcritureWav::Ouverture(const std::string& chemin, uint32_t taux, bool s16, std::string& erreur) {
  s16_ = s16;
  const int pcm = s16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_U8;
  SF_INFO info{};
  info.samplerate = static_cast<int>(taux);
  info.channels = 1;
  info.format = SF_FORMAT_WAV | pcm;
  struct stat etat {};
  int descripteur = -1;  // a stream
  if (chemin == "-") {
    if (isatty(STDOUT_FILENO) == 1) {
      erreur = "is a terminal: redirect it to a file or a pipe";
      return false;
    }
    if (fstat(STDOUT_FILENO, &etat) == 0 && (S_ISFIFO(etat.st_mode) || S_ISSOCK(etat.st_mode))) {
      descripteur = STDOUT_FILENO;
    } else {
      fichier_ = sf_open_fd(STDOUT_FILENO, SFM_WRITE, &info, SF_FALSE);
    }
  } else if (::stat(chemin.c_str(), &etat) == 0 && S_ISFIFO(etat.st_mode)) {
    // Waits for the reader, as any writer of a named pipe.
    descripteur = ::open(chemin.c_str(), O_WRONLY | O_CLOEXEC);
    if (descripteur < 0) {
      erreur = std::strerror(errno);
      return false;
    }
    descripteur_ = descripteur;
    descripteur_a_fermer_ = true;
  } else {
    fichier_ = sf_open(chemin.c_str(), SFM_WRITE, &info);
  }
  if (descripteur >= 0) {
    // libsndfile writes no WAV to a stream, but raw samples: the header
    // first, then the samples through libsndfile as into a file, with the
    // same conversions.
    const std::vector<uint8_t> entete = Entete_flux(taux, s16);
    for (size_t fait = 0; fait < entete.size();) {
      const ssize_t n = ::write(descripteur, entete.data() + fait, entete.size() - fait);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        erreur = n < 0 ? std::strerror(errno) : "could not write the header";
        return false;
      }
      fait += static_cast<size_t>(n);
    }
    info.format = SF_FORMAT_RAW | pcm | SF_ENDIAN_LITTLE;
    fichier_ = sf_open_fd(descripteur, SFM_WRITE, &info, SF_FALSE);
  }
  if (fichier_ == nullptr) {
    erreur = sf_strerror(nullptr);
    return false;
  }
  if (taux != Taux_carte) {
    int e = 0;
    convertisseur_ = src_new(SRC_SINC_BEST_QUALITY, 1, &e);
    if (convertisseur_ == nullptr) {
      erreur = std::string("resampling failed: ") + src_strerror(e);
      return false;
    }
    rapport_ = static_cast<double>(taux) / Taux_carte;
    // Overshoots of the resampler are clipped, not wrapped.
    sf_command(fichier_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  }
  return true;
}

void EcritureWav::Echec(std::string raison) {
  if (erreur_.empty()) erreur_ = std::move(raison);
}

bool EcritureWav::Ecriture(std::span<const uint8_t> echantillons) {
  if (!erreur_.empty()) return false;
  echantillons_ += echantillons.size();
  const auto n = static_cast<sf_count_t>(echantillons.size());
  sf_count_t ecrit = 0;
  if (convertisseur_ != nullptr) {
    reels_.resize(echantillons.size());
    for (size_t i = 0; i < reels_.size(); ++i) reels_[i] = static_cast<float>(echantillons[i] - 128) / 128.0f;
    return Conversion(reels_.data(), reels_.size());
  }
  if (!s16_) {
    ecrit = sf_write_raw(fichier_, echantillons.data(), n);
  } else {
    entiers_.resize(echantillons.size());
    for (size_t i = 0; i < entiers_.size(); ++i)
      entiers_[i] = static_cast<short>((echantillons[i] - 128) * 256);
    ecrit = sf_write_short(fichier_, entiers_.data(), n);
  }
  if (ecrit != n) Echec(std::string("could not write the whole file: ") + sf_strerror(fichier_));
  return erreur_.empty();
}

// Through the resampler as a stream. `donnees` null: the end of the input,
// the resampler drained.
bool EcritureWav::Conversion(const float* donnees, size_t nombre) {
  static const float rien = 0.0f;
  SRC_DATA d{};
  d.data_in = donnees != nullptr ? donnees : &rien;
  d.input_frames = static_cast<long>(nombre);
  d.end_of_input = donnees == nullptr ? 1 : 0;
  d.src_ratio = rapport_;
  convertis_.resize(4096);
  for (;;) {
    d.data_out = convertis_.data();
    d.output_frames = static_cast<long>(convertis_.size());
    if (int e = src_process(convertisseur_, &d); e != 0) {
      Echec(std::string("resampling failed: ") + src_strerror(e));
      return false;
    }
    const auto n = static_cast<sf_count_t>(d.output_frames_gen);
    if (n > 0 && sf_write_float(fichier_, convertis_.data(), n) != n) {
      Echec(std::string("could not write the whole file: ") + sf_strerror(fichier_));
      return false;
    }
    d.data_in += d.input_frames_used;
    d.input_frames -= d.input_frames_used;
    // Until the input is taken; at the end, until nothing more comes out.
    if (d.end_of_input != 0 ? n == 0 : d.input_frames == 0) return true;
  }
}

bool EcritureWav::Fermeture(std::string& erreur) {
  if (convertisseur_ != nullptr && erreur_.empty()) Conversion(nullptr, 0);
  if (fichier_ != nullptr && sf_close(fichier_) != 0) Echec("could not write the whole file");
  fichier_ = nullptr;
  if (descripteur_a_fermer_ && ::close(descripteur_) != 0) Echec(std::strerror(errno));
  descripteur_a_fermer_ = false;
  descripteur_ = -1;
  erreur = erreur_;
  return erreur_.empty();
}

}  // namespace talven::modem
