#include "audio/liste_alsa.h"

#include <alsa/asoundlib.h>

#include <cstdlib>
#include <string>

#include "audio/messages_alsa.h"

namespace talven {

namespace {

std::vector<std::string> Noms_indiques() {
  std::vector<std::string> noms;
  void** indices = nullptr;
  if (snd_device_name_hint(-1, "pcm", &indices) != 0) return noms;
  for (void** i = indices; *i != nullptr; ++i) {
    char* nom = snd_device_name_get_hint(*i, "NAME");
    if (nom != nullptr) noms.emplace_back(nom);
    std::free(nom);
  }
  snd_device_name_free_hint(indices);
  return noms;
}

// Whether the card's PCM device `numero` has a `flux` direction.
bool Direction(snd_ctl_t* ctl, snd_pcm_info_t* info, int numero, snd_pcm_stream_t flux, std::string& nom) {
  snd_pcm_info_set_device(info, static_cast<unsigned>(numero));
  snd_pcm_info_set_subdevice(info, 0);
  snd_pcm_info_set_stream(info, flux);
  if (snd_ctl_pcm_info(ctl, info) < 0) return false;
  if (nom.empty() && snd_pcm_info_get_name(info) != nullptr) nom = snd_pcm_info_get_name(info);
  return true;
}

std::vector<Carte_alsa> Cartes() {
  std::vector<Carte_alsa> cartes;
  snd_ctl_card_info_t* carte_info = nullptr;
  snd_pcm_info_t* pcm_info = nullptr;
  if (snd_ctl_card_info_malloc(&carte_info) < 0 || snd_pcm_info_malloc(&pcm_info) < 0) {
    snd_ctl_card_info_free(carte_info);
    return cartes;
  }
  int numero_carte = -1;
  while (snd_card_next(&numero_carte) == 0 && numero_carte >= 0) {
    snd_ctl_t* ctl = nullptr;
    const std::string nom_ctl = "hw:" + std::to_string(numero_carte);
    if (snd_ctl_open(&ctl, nom_ctl.c_str(), 0) < 0) continue;
    if (snd_ctl_card_info(ctl, carte_info) == 0) {
      Carte_alsa carte;
      carte.Id = snd_ctl_card_info_get_id(carte_info);
      carte.Nom_long = snd_ctl_card_info_get_longname(carte_info);
      int numero = -1;
      while (snd_ctl_pcm_next_device(ctl, &numero) == 0 && numero >= 0) {
        Carte_alsa::Pcm pcm;
        pcm.Numero = numero;
        pcm.Lecture = Direction(ctl, pcm_info, numero, SND_PCM_STREAM_PLAYBACK, pcm.Nom);
        pcm.Capture = Direction(ctl, pcm_info, numero, SND_PCM_STREAM_CAPTURE, pcm.Nom);
        carte.Pcms.push_back(pcm);
      }
      cartes.push_back(std::move(carte));
    }
    snd_ctl_close(ctl);
  }
  snd_pcm_info_free(pcm_info);
  snd_ctl_card_info_free(carte_info);
  return cartes;
}

}  // namespace

Liste_alsa::Liste_alsa() {
  Capter_messages_alsa();
}

std::vector<Peripherique_audio> Liste_alsa::Peripheriques() {
  return Liste_depuis_alsa(Noms_indiques(), Cartes());
}

}  // namespace talven
