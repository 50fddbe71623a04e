#include "audio/son_simule.h"

#include <samplerate.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "common/arrondi.h"

namespace talven {

namespace {

// 128 + 127 x and 32767 x, rounded half to even. A float times 127 or 32767
// needs at most 39 bits, so these are exact in doubles.
uint8_t Vers_u8(float x) {
  const double v = 128.0 + 127.0 * static_cast<double>(std::clamp(x, -1.0f, 1.0f));
  return static_cast<uint8_t>(std::lrint(v));
}

int16_t Vers_s16(float x) {
  return static_cast<int16_t>(std::lrint(32767.0 * static_cast<double>(std::clamp(x, -1.0f, 1.0f))));
}

}  // namespace

SonSimule::SonSimule(Rythme rythme) : rythme_(rythme) {
  if (rythme_ == Rythme::Temps_reel) cadence_ = std::thread([this] { Cadence(); });
}

SonSimule::~SonSimule() {
  {
    std::lock_guard v(verrou_);
    fin_ = true;
  }
  reveil_.notify_all();
  if (cadence_.joinable()) cadence_.join();
  Fermer(Sens::Entree);
  Fermer(Sens::Sortie);
  Fermer_fichier();
}

void SonSimule::Definir_peripheriques(Sens sens, uint32_t nombre, uint32_t formats) {
  std::lock_guard v(verrou_);
  V(sens).nombre = nombre;
  V(sens).formats = formats;
}

void SonSimule::Definir_occupe(Sens sens, bool occupe) {
  std::lock_guard v(verrou_);
  V(sens).occupe = occupe;
}

void SonSimule::Injecter_echec(Operation operation, Sens sens, uint32_t code) {
  std::lock_guard v(verrou_);
  echecs_[{operation, sens}] = code;
}

void SonSimule::Debrancher(Sens sens, uint32_t code) {
  std::lock_guard v(verrou_);
  if (V(sens).ouvert && code != 0) V(sens).file.Perdre(code);
  reveil_.notify_all();
}

void SonSimule::Ajout_peripherique(const Peripherique_audio& peripherique) {
  std::lock_guard v(verrou_);
  for (Simule& p : peripheriques_)
    if (p.peripherique.Nom == peripherique.Nom) {
      p = {peripherique, true};
      return;
    }
  peripheriques_.push_back({peripherique, true});
}

void SonSimule::Debranchement(const std::string& nom) {
  std::lock_guard v(verrou_);
  for (Simule& p : peripheriques_)
    if (p.peripherique.Nom == nom) p.branche = false;
  if (nom != nom_) return;
  for (Voie* voie : {&entree_, &sortie_})
    if (voie->ouvert) voie->file.Perdre(Son_absent);
  reveil_.notify_all();
}

void SonSimule::Branchement(const std::string& nom) {
  std::lock_guard v(verrou_);
  for (Simule& p : peripheriques_)
    if (p.peripherique.Nom == nom) p.branche = true;
}

std::vector<std::string> SonSimule::Noms_ouverts() {
  std::lock_guard v(verrou_);
  return noms_ouverts_;
}

std::string SonSimule::Nom() const {
  return nom_;
}

void SonSimule::Choix_nom(std::string nom) {
  std::lock_guard v(verrou_);
  nom_ = std::move(nom);
}

bool SonSimule::Present(Sens sens) const {
  for (const Simule& p : peripheriques_)
    if (p.peripherique.Nom == nom_)
      return p.branche && (sens == Sens::Entree ? p.peripherique.Capture : p.peripherique.Lecture);
  return false;
}

uint32_t SonSimule::Presence() {
  std::lock_guard v(verrou_);
  return Present(Sens::Entree) || Present(Sens::Sortie) ? Son_ok : Son_absent;
}

std::vector<Peripherique_audio> SonSimule::Peripheriques() {
  std::lock_guard v(verrou_);
  std::vector<Peripherique_audio> liste;
  for (const Simule& p : peripheriques_)
    if (p.branche) liste.push_back(p.peripherique);
  return liste;
}

uint32_t SonSimule::Echec(Operation operation, Sens sens) {
  auto it = echecs_.find({operation, sens});
  if (it == echecs_.end()) return Son_ok;
  uint32_t code = it->second;
  echecs_.erase(it);
  return code;
}

void SonSimule::Source_silence() {
  std::lock_guard v(verrou_);
  source_ = Source::Silence;
}

void SonSimule::Source_generateur(Generateur generateur, bool avec_boucle) {
  std::lock_guard v(verrou_);
  generateur_ = std::move(generateur);
  generateur_avec_boucle_ = avec_boucle;
  source_ = generateur_ || avec_boucle ? Source::Generateur : Source::Silence;
}

void SonSimule::Source_boucle() {
  std::lock_guard v(verrou_);
  source_ = Source::Boucle;
}

bool SonSimule::Source_fichier(const std::string& chemin, uint32_t voie) {
  SF_INFO info{};
  SNDFILE* f = sf_open(chemin.c_str(), SFM_READ, &info);
  if (f == nullptr) return false;
  return Source_fichier_ouvert(f, voie);
}

bool SonSimule::Source_fichier_ouvert(sf_private_tag* f, uint32_t voie, int64_t trames) {
  if (f == nullptr) return false;
  SF_INFO info{};
  sf_command(f, SFC_GET_CURRENT_SF_INFO, &info, sizeof info);
  if (info.channels <= 0 || info.samplerate <= 0 || voie > static_cast<uint32_t>(info.channels)) {
    sf_close(f);
    return false;
  }
  std::lock_guard v(verrou_);
  Fermer_fichier();
  fichier_ = f;
  frequence_fichier_ = static_cast<uint32_t>(info.samplerate);
  voies_fichier_ = static_cast<uint32_t>(info.channels);
  voie_fichier_ = voie;
  fichier_rembobinable_ = info.seekable != 0;
  trames_source_ = trames_restantes_ = trames;
  source_ = Source::Fichier;
  // A stream starts where it is, once.
  bloc_.clear();
  position_bloc_ = 0;
  fin_lecture_ = fin_conversion_ = fin_fichier_ = false;
  echantillons_fichier_ = non_finis_ = 0;
  Rembobiner_fichier(entree_.ouvert ? entree_.format.Echantillons_par_seconde : frequence_fichier_);
  return true;
}

uint64_t SonSimule::Echantillons_fichier() {
  std::lock_guard v(verrou_);
  return echantillons_fichier_;
}

bool SonSimule::Fin_fichier() {
  std::lock_guard v(verrou_);
  return fin_fichier_;
}

uint64_t SonSimule::Echantillons_non_finis() {
  std::lock_guard v(verrou_);
  return non_finis_;
}

void SonSimule::Fermer_fichier() {
  if (convertisseur_ != nullptr) src_delete(convertisseur_);
  convertisseur_ = nullptr;
  if (fichier_ != nullptr) sf_close(fichier_);
  fichier_ = nullptr;
}

void SonSimule::Rembobiner_fichier(uint32_t frequence_hz) {
  if (fichier_ == nullptr) return;
  // A stream cannot seek (trying would leave libsndfile's error set and
  // its reads failing): it goes on from the samples already read.
  if (fichier_rembobinable_) {
    sf_seek(fichier_, 0, SEEK_SET);
    trames_restantes_ = trames_source_;
    bloc_.clear();
    position_bloc_ = 0;
    fin_lecture_ = false;
    fin_conversion_ = false;
    fin_fichier_ = false;
    echantillons_fichier_ = 0;
    non_finis_ = 0;
  }
  if (convertisseur_ != nullptr) src_delete(convertisseur_);
  convertisseur_ = nullptr;
  // Already at the open rate: a resampler would only filter it.
  if (frequence_hz == frequence_fichier_ || frequence_hz == 0) return;
  int erreur = 0;
  convertisseur_ = src_new(SRC_SINC_FASTEST, 1, &erreur);
  rapport_ = static_cast<double>(frequence_hz) / frequence_fichier_;
  // A resampler that cannot be made leaves the input silent.
  if (convertisseur_ == nullptr) fin_lecture_ = fin_conversion_ = fin_fichier_ = true;
}

bool SonSimule::Charger_bloc() {
  constexpr sf_count_t Trames_par_bloc = 4096;
  const size_t voies = voies_fichier_;
  entrelace_.resize(static_cast<size_t>(Trames_par_bloc) * voies);
  const sf_count_t demandees =
      trames_restantes_ < 0 ? Trames_par_bloc : std::min<sf_count_t>(Trames_par_bloc, trames_restantes_);
  const sf_count_t lues =
      fin_lecture_ || demandees == 0 ? 0 : sf_readf_float(fichier_, entrelace_.data(), demandees);
  if (trames_restantes_ > 0 && lues > 0) trames_restantes_ -= lues;
  position_bloc_ = 0;
  if (lues <= 0) {
    fin_lecture_ = true;
    bloc_.clear();
    return false;
  }
  bloc_.resize(static_cast<size_t>(lues));
  for (size_t i = 0; i < bloc_.size(); ++i) {
    if (voie_fichier_ != 0) {
      bloc_[i] = entrelace_[i * voies + (voie_fichier_ - 1)];
      continue;
    }
    float somme = 0.0f;
    for (size_t c = 0; c < voies; ++c) somme += entrelace_[i * voies + c];
    bloc_[i] = somme / static_cast<float>(voies);
  }
  // No card records a sample that is not a number.
  for (float& x : bloc_) {
    if (!std::isfinite(x)) {
      x = 0.0f;
      ++non_finis_;
    }
  }
  return true;
}

void SonSimule::Lire_fichier(std::span<float> echantillons) {
  size_t rempli = 0;
  while (rempli < echantillons.size() && fichier_ != nullptr && !fin_conversion_) {
    if (position_bloc_ == bloc_.size() && !fin_lecture_) Charger_bloc();
    if (convertisseur_ == nullptr) {
      if (fin_lecture_) break;
      const size_t n = std::min(echantillons.size() - rempli, bloc_.size() - position_bloc_);
      std::copy_n(bloc_.begin() + static_cast<std::ptrdiff_t>(position_bloc_), n,
                  echantillons.begin() + rempli);
      position_bloc_ += n;
      rempli += n;
      continue;
    }
    SRC_DATA d{};
    d.data_in = bloc_.data() + position_bloc_;
    d.input_frames = static_cast<long>(bloc_.size() - position_bloc_);
    d.data_out = echantillons.data() + rempli;
    d.output_frames = static_cast<long>(echantillons.size() - rempli);
    d.end_of_input = fin_lecture_ ? 1 : 0;
    d.src_ratio = rapport_;
    if (src_process(convertisseur_, &d) != 0) {
      fin_lecture_ = fin_conversion_ = true;
      break;
    }
    position_bloc_ += static_cast<size_t>(d.input_frames_used);
    rempli += static_cast<size_t>(d.output_frames_gen);
    // At the end of the input a call that gives nothing has drained it.
    if (fin_lecture_ && d.output_frames_gen == 0) fin_conversion_ = true;
  }
  echantillons_fichier_ += rempli;
  if (rempli < echantillons.size() && fichier_ != nullptr) fin_fichier_ = true;
  std::fill(echantillons.begin() + static_cast<std::ptrdiff_t>(rempli), echantillons.end(), 0.0f);
}

SonSimule::Generateur SonSimule::Tonalite(double frequence_hz, double amplitude) {
  return [frequence_hz, amplitude, phase = 0.0](std::span<float> e, uint32_t taux) mutable {
    const double pas = 2.0 * static_cast<double>(Pi) * frequence_hz / taux;
    for (float& x : e) {
      x = static_cast<float>(amplitude * std::sin(phase));
      phase = std::fmod(phase + pas, 2.0 * static_cast<double>(Pi));
    }
  };
}

SonSimule::Generateur SonSimule::Bruit_gaussien(double ecart_type, uint32_t graine) {
  return [loi = std::normal_distribution<double>(0.0, ecart_type), moteur = std::mt19937(graine)](
             std::span<float> e, uint32_t) mutable {
    for (float& x : e) x = static_cast<float>(loi(moteur));
  };
}

void SonSimule::Sortie_aucune() {
  std::lock_guard v(verrou_);
  destination_ = Destination::Aucune;
}
void SonSimule::Sortie_boucle() {
  std::lock_guard v(verrou_);
  destination_ = Destination::Boucle;
}
void SonSimule::Sortie_memoire() {
  std::lock_guard v(verrou_);
  destination_ = Destination::Memoire;
}
void SonSimule::Sortie_fichier_wav(const std::string& chemin) {
  std::lock_guard v(verrou_);
  destination_ = Destination::Fichier;
  chemin_wav_ = chemin;
}

void SonSimule::Sortie_destinataire(Destinataire destinataire) {
  std::lock_guard v(verrou_);
  destination_ = Destination::Destinataire;
  destinataire_ = std::move(destinataire);
}

std::vector<uint8_t> SonSimule::Octets_joues() {
  std::lock_guard v(verrou_);
  return joues_;
}

uint32_t SonSimule::Nombre_peripheriques(Sens sens) {
  std::lock_guard v(verrou_);
  return Present(sens) ? V(sens).nombre : 0;
}

uint32_t SonSimule::Capacites(Sens sens, uint32_t& formats) {
  std::lock_guard v(verrou_);
  if (uint32_t r = Echec(Operation::Capacites, sens)) return r;
  if (V(sens).nombre == 0 || !Present(sens)) return ENODEV;
  formats = V(sens).formats;
  return Son_ok;
}

uint32_t SonSimule::Ouvrir(Sens sens, const Format_son& format) {
  std::lock_guard v(verrou_);
  noms_ouverts_.push_back(nom_);
  if (uint32_t r = Echec(Operation::Ouvrir, sens)) return r;
  Voie& voie = V(sens);
  if (voie.nombre == 0 || !Present(sens)) return Son_absent;
  if (voie.ouvert) return Son_deja_ouvert;
  if (voie.occupe) return EBUSY;
  uint32_t bit = Bit_format(format.Echantillons_par_seconde, format.Voies, format.Bits_par_echantillon);
  // Rates other than the three classic ones are accepted as the plug layer
  // would, as long as width and channels are.
  bool ok = format.Format == 1 && format.Echantillons_par_seconde > 0 &&
            (format.Voies == 1 || format.Voies == 2) &&
            (format.Bits_par_echantillon == 8 || format.Bits_par_echantillon == 16) &&
            (bit == 0 || (voie.formats & bit) != 0);
  if (!ok) return Son_format_refuse;
  if (sens == Sens::Sortie && destination_ == Destination::Fichier) {
    SF_INFO info{};
    info.samplerate = static_cast<int>(format.Echantillons_par_seconde);
    info.channels = format.Voies;
    info.format = SF_FORMAT_WAV | (format.Bits_par_echantillon == 8 ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_16);
    wav_ = sf_open(chemin_wav_.c_str(), SFM_WRITE, &info);
    if (wav_ == nullptr) return EACCES;
  }
  if (sens == Sens::Entree && source_ == Source::Fichier) Rembobiner_fichier(format.Echantillons_par_seconde);
  voie.format = format;
  voie.ouvert = true;
  voie.demarre = false;
  voie.echeance_fixee = false;
  voie.file.Reprendre();
  reveil_.notify_all();
  return Son_ok;
}

uint32_t SonSimule::Preparer(Sens sens, Entete_tampon& entete) {
  std::lock_guard v(verrou_);
  if (uint32_t r = Echec(Operation::Preparer, sens)) return r;
  return File_tampons::Preparer(entete);
}

uint32_t SonSimule::Depreparer(Sens sens, Entete_tampon& entete) {
  std::lock_guard v(verrou_);
  if (uint32_t r = Echec(Operation::Depreparer, sens)) return r;
  return File_tampons::Depreparer(entete);
}

uint32_t SonSimule::Ajouter(Sens sens, Entete_tampon& entete) {
  std::lock_guard v(verrou_);
  if (uint32_t r = Echec(Operation::Ajouter, sens)) return r;
  if (!V(sens).ouvert) return Son_non_ouvert;
  uint32_t r = V(sens).file.Ajouter(entete);
  reveil_.notify_all();
  return r;
}

uint32_t SonSimule::Demarrer(Sens sens) {
  std::lock_guard v(verrou_);
  if (uint32_t r = Echec(Operation::Demarrer, sens)) return r;
  if (!V(sens).ouvert) return Son_non_ouvert;
  V(sens).demarre = true;
  reveil_.notify_all();
  return V(sens).file.Perte();
}

uint32_t SonSimule::Reinitialiser(Sens sens) {
  std::lock_guard v(verrou_);
  if (uint32_t r = Echec(Operation::Reinitialiser, sens)) return r;
  Voie& voie = V(sens);
  if (!voie.ouvert) return Son_non_ouvert;
  voie.file.Vider();
  voie.demarre = false;
  voie.echeance_fixee = false;
  return Son_ok;
}

void SonSimule::Fermer_wav() {
  if (wav_ != nullptr) sf_close(wav_);
  wav_ = nullptr;
}

uint32_t SonSimule::Fermer(Sens sens) {
  std::lock_guard v(verrou_);
  if (uint32_t r = Echec(Operation::Fermer, sens)) return r;
  Voie& voie = V(sens);
  if (!voie.ouvert) return Son_non_ouvert;
  voie.file.Vider();
  voie.file.Reprendre();
  voie.ouvert = false;
  voie.demarre = false;
  voie.echeance_fixee = false;
  if (sens == Sens::Sortie) Fermer_wav();
  return Son_ok;
}

uint32_t SonSimule::Perte(Sens sens) {
  std::lock_guard v(verrou_);
  return V(sens).ouvert ? V(sens).file.Perte() : 0;
}

void SonSimule::Reveil(int descripteur) {
  std::lock_guard v(verrou_);
  entree_.file.Reveil(descripteur);
  sortie_.file.Reveil(descripteur);
}

float SonSimule::Echantillon_boucle() {
  const Format_son& f = sortie_.format;
  const size_t bloc = std::max<size_t>(1, f.Alignement_bloc);
  if (boucle_.size() < bloc) {
    boucle_.clear();
    return 0.0f;
  }
  float x;
  if (f.Bits_par_echantillon == 16) {
    const auto s = static_cast<int16_t>(boucle_[0] | (boucle_[1] << 8));
    x = static_cast<float>(s / 32767.0);
  } else {
    x = static_cast<float>((boucle_[0] - 128) / 127.0);
  }
  boucle_.erase(boucle_.begin(), boucle_.begin() + static_cast<std::ptrdiff_t>(bloc));
  return x;
}

void SonSimule::Remplir_entree(uint8_t* donnees, uint32_t octets) {
  const Format_son& f = entree_.format;
  const uint32_t bloc = std::max<uint32_t>(1, f.Alignement_bloc);
  const uint32_t trames = octets / bloc;
  if (source_ == Source::Boucle) {
    for (uint32_t i = 0; i < octets; ++i) {
      if (boucle_.empty()) {
        donnees[i] = f.Bits_par_echantillon == 8 ? 128 : 0;
      } else {
        donnees[i] = boucle_.front();
        boucle_.pop_front();
      }
    }
    return;
  }
  travail_.assign(trames, 0.0f);
  if (source_ == Source::Generateur) {
    if (generateur_) generateur_(std::span<float>(travail_), f.Echantillons_par_seconde);
    if (generateur_avec_boucle_)
      for (float& x : travail_) x = std::clamp(x + Echantillon_boucle(), -1.0f, 1.0f);
  } else if (source_ == Source::Fichier) {
    Lire_fichier(std::span<float>(travail_));
  }
  std::memset(donnees, f.Bits_par_echantillon == 8 ? 128 : 0, octets);
  for (uint32_t t = 0; t < trames; ++t) {
    for (uint32_t c = 0; c < f.Voies; ++c) {
      if (f.Bits_par_echantillon == 8) {
        donnees[t * bloc + c] = Vers_u8(travail_[t]);
      } else {
        int16_t s = Vers_s16(travail_[t]);
        donnees[t * bloc + 2 * c] = static_cast<uint8_t>(s & 0xFF);
        donnees[t * bloc + 2 * c + 1] = static_cast<uint8_t>((s >> 8) & 0xFF);
      }
    }
  }
}

void SonSimule::Jouer(const uint8_t* donnees, uint32_t octets) {
  switch (destination_) {
    case Destination::Aucune:
      break;
    case Destination::Boucle:
      boucle_.insert(boucle_.end(), donnees, donnees + octets);
      break;
    case Destination::Memoire:
      joues_.insert(joues_.end(), donnees, donnees + octets);
      break;
    case Destination::Fichier:
      if (wav_ != nullptr) sf_write_raw(wav_, donnees, static_cast<sf_count_t>(octets));
      break;
    case Destination::Destinataire:
      if (destinataire_) destinataire_(std::span<const uint8_t>(donnees, octets));
      break;
  }
}

bool SonSimule::Completer(Sens sens) {
  Voie& voie = V(sens);
  if (!voie.ouvert) return false;
  if (voie.file.Perte() != 0) return voie.file.Terminer_tete_en_perte();
  if (sens == Sens::Entree && !voie.demarre) return false;
  uint32_t position = 0;
  Entete_tampon* e = voie.file.Tete(position);
  if (e == nullptr) return false;
  uint32_t reste = e->Longueur_tampon - position;
  if (sens == Sens::Entree) {
    Remplir_entree(e->Donnees + position, reste);
  } else {
    Jouer(e->Donnees + position, reste);
  }
  voie.file.Avancer(reste);
  return true;
}

bool SonSimule::Completer_entree() {
  std::lock_guard v(verrou_);
  return Completer(Sens::Entree);
}

bool SonSimule::Completer_sortie() {
  std::lock_guard v(verrou_);
  return Completer(Sens::Sortie);
}

void SonSimule::Cadence() {
  using namespace std::chrono;
  std::unique_lock v(verrou_);
  while (!fin_) {
    auto maintenant = steady_clock::now();
    auto reveil = maintenant + milliseconds(20);
    for (Voie* voie : {&entree_, &sortie_}) {
      Sens sens = voie == &entree_ ? Sens::Entree : Sens::Sortie;
      uint32_t position = 0;
      Entete_tampon* e = voie->ouvert ? voie->file.Tete(position) : nullptr;
      bool actif = e != nullptr && (sens == Sens::Sortie || voie->demarre || voie->file.Perte() != 0);
      if (!actif) {
        voie->echeance_fixee = false;
        continue;
      }
      if (!voie->echeance_fixee) {
        uint32_t octets_par_seconde = std::max<uint32_t>(1, voie->format.Octets_par_seconde);
        voie->echeance =
            maintenant + microseconds(uint64_t{e->Longueur_tampon} * 1000000u / octets_par_seconde);
        voie->echeance_fixee = true;
      }
      if (voie->echeance <= maintenant) {
        Completer(sens);
        // The next buffer follows the previous one without a gap.
        auto fin_precedent = voie->echeance;
        voie->echeance_fixee = false;
        Entete_tampon* suivant = voie->file.Tete(position);
        if (suivant != nullptr) {
          uint32_t octets_par_seconde = std::max<uint32_t>(1, voie->format.Octets_par_seconde);
          voie->echeance = fin_precedent +
                           microseconds(uint64_t{suivant->Longueur_tampon} * 1000000u / octets_par_seconde);
          voie->echeance_fixee = true;
        }
      }
      if (voie->echeance_fixee) reveil = std::min(reveil, voie->echeance);
    }
    reveil_.wait_until(v, reveil);
  }
}

}  // namespace talven
