#include "audio/son_alsa.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "audio/liste_peripheriques_son.h"
#include "audio/messages_alsa.h"

namespace talven {

namespace {

uint32_t Code(int erreur) {
  return static_cast<uint32_t>(erreur < 0 ? -erreur : erreur);
}

snd_pcm_stream_t Flux(Sens sens) {
  return sens == Sens::Entree ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK;
}

}  // namespace

SonAlsa::SonAlsa(std::string nom, std::string configuration) : nom_(std::move(nom)) {
  Capter_messages_alsa();
  if (configuration.empty()) return;
  snd_config_t* systeme = nullptr;
  int r = snd_config_update_ref(&systeme);
  if (r >= 0) r = snd_config_copy(&configuration_, systeme);
  if (systeme != nullptr) snd_config_unref(systeme);
  snd_input_t* texte = nullptr;
  if (r >= 0)
    r = snd_input_buffer_open(&texte, configuration.data(), static_cast<ssize_t>(configuration.size()));
  if (r >= 0) r = snd_config_load(configuration_, texte);
  if (texte != nullptr) snd_input_close(texte);
  if (r < 0) erreur_configuration_ = Code(r);
}

SonAlsa::~SonAlsa() {
  Fermer(Sens::Entree);
  Fermer(Sens::Sortie);
  if (configuration_ != nullptr) snd_config_delete(configuration_);
}

int SonAlsa::Ouvrir_pcm(Sens sens, snd_pcm_t** pcm) {
  if (erreur_configuration_ != 0) return -static_cast<int>(erreur_configuration_);
  // Non-blocking: a device held by another program answers EBUSY at once, and
  // the device thread never sleeps inside ALSA where a reset could not reach it.
  if (configuration_ != nullptr)
    return snd_pcm_open_lconf(pcm, nom_.c_str(), Flux(sens), SND_PCM_NONBLOCK, configuration_);
  return snd_pcm_open(pcm, nom_.c_str(), Flux(sens), SND_PCM_NONBLOCK);
}

uint32_t SonAlsa::Presence() {
  // "default" is ALSA's routing, not a device that can be unplugged: when it
  // does not open there is no card or sound server at all, which the
  // device counts report.
  if (nom_ == "default") return Son_ok;
  for (Sens sens : {Sens::Sortie, Sens::Entree}) {
    // A direction open now is there.
    if (V(sens).pcm != nullptr) return Son_ok;
    snd_pcm_t* pcm = nullptr;
    const int r = Ouvrir_pcm(sens, &pcm);
    if (r == 0) snd_pcm_close(pcm);
    if (!Code_absence(r)) return Son_ok;
  }
  return Son_absent;
}

uint32_t SonAlsa::Nombre_peripheriques(Sens sens) {
  // Device 0 is the chosen PCM: with none that opens (or is merely busy) the
  // direction has no usable device, whatever else the enumeration lists.
  snd_pcm_t* pcm = nullptr;
  int r = Ouvrir_pcm(sens, &pcm);
  if (r == 0) snd_pcm_close(pcm);
  if (r != 0 && r != -EBUSY) return 0;
  uint32_t nombre = 0;
  void** indices = nullptr;
  if (snd_device_name_hint(-1, "pcm", &indices) == 0) {
    const char* voulu = sens == Sens::Entree ? "Input" : "Output";
    for (void** i = indices; *i != nullptr; ++i) {
      char* nom = snd_device_name_get_hint(*i, "NAME");
      char* io = snd_device_name_get_hint(*i, "IOID");
      bool compte =
          nom != nullptr && std::strcmp(nom, "null") != 0 && (io == nullptr || std::strcmp(io, voulu) == 0);
      nombre += compte ? 1 : 0;
      std::free(nom);
      std::free(io);
    }
    snd_device_name_free_hint(indices);
  }
  return std::max<uint32_t>(1, nombre);
}

uint32_t SonAlsa::Capacites(Sens sens, uint32_t& formats) {
  snd_pcm_t* pcm = nullptr;
  int r = Ouvrir_pcm(sens, &pcm);
  if (r < 0) return Code(r);
  snd_pcm_hw_params_t* tous = nullptr;
  snd_pcm_hw_params_t* essai = nullptr;
  snd_pcm_hw_params_malloc(&tous);
  snd_pcm_hw_params_malloc(&essai);
  r = (tous != nullptr && essai != nullptr) ? snd_pcm_hw_params_any(pcm, tous) : -ENOMEM;
  uint32_t bits = 0;
  if (r >= 0) {
    for (uint32_t taux : {11025u, 22050u, 44100u})
      for (uint32_t voies : {1u, 2u})
        for (uint32_t largeur : {8u, 16u}) {
          snd_pcm_hw_params_copy(essai, tous);
          bool ok = snd_pcm_hw_params_set_access(pcm, essai, SND_PCM_ACCESS_RW_INTERLEAVED) == 0 &&
                    snd_pcm_hw_params_set_format(
                        pcm, essai, largeur == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE) == 0 &&
                    snd_pcm_hw_params_set_channels(pcm, essai, voies) == 0 &&
                    snd_pcm_hw_params_test_rate(pcm, essai, taux, 0) == 0;
          if (ok) bits |= Bit_format(taux, voies, largeur);
        }
  }
  snd_pcm_hw_params_free(tous);
  snd_pcm_hw_params_free(essai);
  snd_pcm_close(pcm);
  if (r < 0) return Code(r);
  formats = bits;
  return Son_ok;
}

uint32_t SonAlsa::Ouvrir(Sens sens, const Format_son& format) {
  Voie& voie = V(sens);
  if (voie.pcm != nullptr) return Son_deja_ouvert;
  if (format.Format != 1 || (format.Voies != 1 && format.Voies != 2) ||
      (format.Bits_par_echantillon != 8 && format.Bits_par_echantillon != 16) ||
      format.Echantillons_par_seconde == 0)
    return Son_format_refuse;
  snd_pcm_t* pcm = nullptr;
  int r = Ouvrir_pcm(sens, &pcm);
  if (r < 0) return Code(r);
  snd_pcm_hw_params_t* hw = nullptr;
  snd_pcm_sw_params_t* sw = nullptr;
  snd_pcm_hw_params_malloc(&hw);
  snd_pcm_sw_params_malloc(&sw);
  r = (hw != nullptr && sw != nullptr) ? snd_pcm_hw_params_any(pcm, hw) : -ENOMEM;
  if (r >= 0) r = snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED);
  if (r >= 0)
    r = snd_pcm_hw_params_set_format(
        pcm, hw, format.Bits_par_echantillon == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE);
  if (r >= 0) r = snd_pcm_hw_params_set_channels(pcm, hw, format.Voies);
  if (r >= 0) r = snd_pcm_hw_params_set_rate(pcm, hw, format.Echantillons_par_seconde, 0);
  if (r >= 0) {
    // Only wishes: the device picks the nearest sizes it accepts (some want
    // three periods or more); our buffers do not depend on them.
    unsigned int duree = 500000;  // us
    int dir = 0;
    snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &duree, &dir);
    duree = 100000;
    dir = 0;
    snd_pcm_hw_params_set_period_time_near(pcm, hw, &duree, &dir);
    r = snd_pcm_hw_params(pcm, hw);
  }
  if (r >= 0) r = snd_pcm_sw_params_current(pcm, sw);
  // Playback starts with the first frame written, so a single short buffer
  // plays too; capture starts on Demarrer.
  if (r >= 0 && sens == Sens::Sortie) r = snd_pcm_sw_params_set_start_threshold(pcm, sw, 1);
  if (r >= 0) r = snd_pcm_sw_params(pcm, sw);
  if (r >= 0) r = snd_pcm_prepare(pcm);
  snd_pcm_hw_params_free(hw);
  snd_pcm_sw_params_free(sw);
  if (r < 0) {
    snd_pcm_close(pcm);
    return Code(r);
  }
  voie.pcm = pcm;
  voie.format = format;
  voie.demarre = false;
  voie.ecrits = voie.termines = 0;
  voie.file.Reprendre();
  Lancer(voie);
  return Son_ok;
}

uint32_t SonAlsa::Preparer(Sens, Entete_tampon& entete) {
  return File_tampons::Preparer(entete);
}

uint32_t SonAlsa::Depreparer(Sens, Entete_tampon& entete) {
  return File_tampons::Depreparer(entete);
}

uint32_t SonAlsa::Ajouter(Sens sens, Entete_tampon& entete) {
  Voie& voie = V(sens);
  if (voie.pcm == nullptr) return Son_non_ouvert;
  uint32_t r = voie.file.Ajouter(entete);
  voie.reveil.notify_all();
  return r;
}

uint32_t SonAlsa::Demarrer(Sens sens) {
  Voie& voie = V(sens);
  if (voie.pcm == nullptr) return Son_non_ouvert;
  {
    std::lock_guard v(voie.verrou);
    voie.demarre = true;
  }
  voie.reveil.notify_all();
  return voie.file.Perte();
}

void SonAlsa::Lancer(Voie& voie) {
  voie.arret = false;
  voie.fil = std::thread([this, &voie] { Boucle(voie); });
}

void SonAlsa::Arreter(Voie& voie) {
  {
    std::lock_guard v(voie.verrou);
    voie.arret = true;
  }
  voie.reveil.notify_all();
  if (voie.fil.joinable()) voie.fil.join();
}

uint32_t SonAlsa::Reinitialiser(Sens sens) {
  Voie& voie = V(sens);
  if (voie.pcm == nullptr) return Son_non_ouvert;
  Arreter(voie);
  // A lost device may refuse these; the stream is stopped either way.
  snd_pcm_drop(voie.pcm);
  voie.file.Vider();
  if (voie.file.Perte() == 0) snd_pcm_prepare(voie.pcm);
  voie.demarre = false;
  voie.ecrits = voie.termines = 0;
  Lancer(voie);
  return Son_ok;
}

uint32_t SonAlsa::Fermer(Sens sens) {
  Voie& voie = V(sens);
  if (voie.pcm == nullptr) return Son_non_ouvert;
  Arreter(voie);
  snd_pcm_drop(voie.pcm);
  voie.file.Vider();
  int r = snd_pcm_close(voie.pcm);
  voie.pcm = nullptr;
  voie.demarre = false;
  uint32_t perte = voie.file.Perte();
  voie.file.Reprendre();
  return (r < 0 && perte == 0) ? Code(r) : Son_ok;
}

uint32_t SonAlsa::Perte(Sens sens) {
  return V(sens).pcm != nullptr ? V(sens).file.Perte() : 0;
}

void SonAlsa::Reveil(int descripteur) {
  entree_.file.Reveil(descripteur);
  sortie_.file.Reveil(descripteur);
}

void SonAlsa::Perdre(Voie& voie, int erreur) {
  voie.file.Perdre(Code(erreur != 0 ? erreur : -EIO));
}

// After a loss: each queued buffer completes, with its error, after the time
// it would have taken to play or record.
void SonAlsa::Pas_perdu(Voie& voie) {
  std::unique_lock v(voie.verrou);
  uint32_t position = 0;
  Entete_tampon* e = voie.file.Tete(position);
  if (e == nullptr) {
    voie.reveil.wait_for(v, std::chrono::milliseconds(50));
    return;
  }
  uint64_t par_seconde = std::max<uint32_t>(1, voie.format.Octets_par_seconde);
  auto duree = std::chrono::microseconds((e->Longueur_tampon - position) * uint64_t{1000000} / par_seconde);
  if (voie.reveil.wait_for(v, duree, [&] { return voie.arret; })) return;
  voie.file.Terminer_tete_en_perte();
}

bool SonAlsa::Reprise(Voie& voie, snd_pcm_t* pcm, long erreur) {
  if (erreur == -EAGAIN) return true;
  // An overrun (nobody handed a capture buffer back in time) or an underrun
  // (the program was late refilling; what was written has been played) is
  // recovered; what cannot be recovered means the device is gone.
  if (snd_pcm_recover(pcm, static_cast<int>(erreur), 1) < 0) {
    Perdre(voie, static_cast<int>(erreur));
    return false;
  }
  return true;
}

bool SonAlsa::Pas_entree(Voie& voie) {
  {
    std::unique_lock v(voie.verrou);
    voie.reveil.wait_for(v, std::chrono::milliseconds(50),
                         [&] { return voie.arret || (voie.demarre && !voie.file.Vide()); });
    if (voie.arret || !voie.demarre || voie.file.Vide()) return true;
  }
  snd_pcm_t* pcm = voie.pcm;
  if (snd_pcm_state(pcm) == SND_PCM_STATE_PREPARED) {
    int r = snd_pcm_start(pcm);
    if (r < 0) {
      Perdre(voie, r);
      return false;
    }
  }
  int r = snd_pcm_wait(pcm, 50);
  if (r < 0 && snd_pcm_recover(pcm, r, 1) < 0) {
    Perdre(voie, r);
    return false;
  }
  uint32_t position = 0;
  Entete_tampon* e = voie.file.Tete(position);
  if (e == nullptr) return true;
  const uint32_t bloc = std::max<uint16_t>(1, voie.format.Alignement_bloc);
  const uint32_t reste = e->Longueur_tampon - position;
  if (reste < bloc) {
    // A length that is not a whole number of frames ends in silence.
    std::memset(e->Donnees + position, voie.format.Bits_par_echantillon == 8 ? 128 : 0, reste);
    voie.file.Avancer(reste);
    return true;
  }
  snd_pcm_sframes_t n = snd_pcm_readi(pcm, e->Donnees + position, reste / bloc);
  if (n < 0) return Reprise(voie, pcm, n);
  voie.file.Avancer(static_cast<uint32_t>(n) * bloc);
  return true;
}

bool SonAlsa::Pas_sortie(Voie& voie) {
  snd_pcm_t* pcm = voie.pcm;
  const uint32_t bloc = std::max<uint16_t>(1, voie.format.Alignement_bloc);
  // Completions: frames that have left the device.
  snd_pcm_sframes_t retard = 0;
  if (snd_pcm_state(pcm) != SND_PCM_STATE_RUNNING || snd_pcm_delay(pcm, &retard) < 0 || retard < 0)
    retard = 0;
  const uint64_t joues = voie.ecrits - std::min<uint64_t>(voie.ecrits, static_cast<uint64_t>(retard) * bloc);
  for (;;) {
    uint32_t position = 0;
    Entete_tampon* e = voie.file.Tete(position);
    if (e == nullptr) break;
    uint64_t reste = e->Longueur_tampon - position;
    if (joues < voie.termines + reste) {
      voie.file.Avancer(static_cast<uint32_t>(joues - voie.termines));
      voie.termines = joues;
      break;
    }
    voie.file.Avancer(static_cast<uint32_t>(reste));
    voie.termines += reste;
  }
  // Where the next write goes: `ecrits - termines` bytes past the head's position.
  uint32_t position = 0;
  voie.file.Tete(position);
  uint64_t decalage = voie.ecrits - voie.termines + position;
  Entete_tampon* cible = nullptr;
  for (size_t rang = 0;; ++rang) {
    cible = voie.file.Rang(rang);
    if (cible == nullptr || decalage < cible->Longueur_tampon) break;
    decalage -= cible->Longueur_tampon;
  }
  if (cible == nullptr) {
    std::unique_lock v(voie.verrou);
    voie.reveil.wait_for(v, std::chrono::milliseconds(10));
    return true;
  }
  int r = snd_pcm_wait(pcm, 50);
  if (r < 0 && snd_pcm_recover(pcm, r, 1) < 0) {
    Perdre(voie, r);
    return false;
  }
  uint32_t octets = cible->Longueur_tampon - static_cast<uint32_t>(decalage);
  if (octets < bloc) {
    // A length that is not a whole number of frames: its last bytes are skipped.
    voie.ecrits += octets;
    return true;
  }
  snd_pcm_sframes_t n = snd_pcm_writei(pcm, cible->Donnees + decalage, octets / bloc);
  if (n < 0) return Reprise(voie, pcm, n);
  voie.ecrits += static_cast<uint64_t>(n) * bloc;
  return true;
}

void SonAlsa::Boucle(Voie& voie) {
  for (;;) {
    {
      std::lock_guard v(voie.verrou);
      if (voie.arret) return;
    }
    if (voie.file.Perte() == 0 && snd_pcm_state(voie.pcm) == SND_PCM_STATE_DISCONNECTED)
      Perdre(voie, -ENODEV);
    if (voie.file.Perte() != 0) {
      Pas_perdu(voie);
      continue;
    }
    if (voie.sens == Sens::Entree) {
      Pas_entree(voie);
    } else {
      Pas_sortie(voie);
    }
  }
}

}  // namespace talven
