#include "audio/mixer_alsa.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cstring>

#include "audio/messages_alsa.h"

namespace talven {

namespace {

constexpr snd_mixer_selem_channel_id_t Canaux_alsa[2] = {SND_MIXER_SCHN_FRONT_LEFT,
                                                         SND_MIXER_SCHN_FRONT_RIGHT};

// Line type of a recording item, from the element's name.
uint32_t Type_par_nom(const char* nom) {
  if (strncasecmp(nom, "Line", 4) == 0) return MIXERLINE_COMPONENTTYPE_SRC_LINE;
  if (strncasecmp(nom, "Mic", 3) == 0) return MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
  return MIXERLINE_COMPONENTTYPE_SRC_ANALOG;
}

// Volumes are presented from 0 to (max - min): the percentage scaling of the
// mixer unit does not add the minimum, ALSA ranges may not start at 0.
int32_t Etendue(long minimum, long maximum) {
  return static_cast<int32_t>(std::clamp<long>(maximum - minimum, 0, INT32_MAX));
}

// Range of the element's playback (lecture) or capture volume.
void Plage_volume(snd_mixer_elem_t* element, bool lecture, long& minimum, long& maximum) {
  if (lecture) {
    snd_mixer_selem_get_playback_volume_range(element, &minimum, &maximum);
  } else {
    snd_mixer_selem_get_capture_volume_range(element, &minimum, &maximum);
  }
}

}  // namespace

MixerAlsa::MixerAlsa(std::string peripherique) {
  Capter_messages_alsa();
  snd_mixer_t* m = nullptr;
  int r = snd_mixer_open(&m, 0);
  if (r >= 0) r = snd_mixer_attach(m, peripherique.c_str());
  if (r >= 0) r = snd_mixer_selem_register(m, nullptr, nullptr);
  if (r >= 0) r = snd_mixer_load(m);
  if (r < 0) {
    if (m != nullptr) snd_mixer_close(m);
    erreur_ = -r;
    return;
  }
  mixer_ = m;
  Construction();
}

MixerAlsa::~MixerAlsa() {
  if (mixer_ != nullptr) snd_mixer_close(mixer_);
}

snd_mixer_elem_t* MixerAlsa::Element(const char* nom) const {
  snd_mixer_selem_id_t* id = nullptr;
  if (snd_mixer_selem_id_malloc(&id) < 0) return nullptr;
  snd_mixer_selem_id_set_name(id, nom);
  snd_mixer_selem_id_set_index(id, 0);
  snd_mixer_elem_t* e = snd_mixer_find_selem(mixer_, id);
  snd_mixer_selem_id_free(id);
  return e;
}

void MixerAlsa::Construction() {
  // Speaker destination and the sources of the playback mix.
  snd_mixer_elem_t* maitre = Element("Master");
  if (maitre == nullptr) maitre = Element("Speaker");
  auto lecture = [&](uint32_t ligne, snd_mixer_elem_t* e) {
    if (snd_mixer_selem_has_playback_volume(e)) {
      long mn = 0, mx = 0;
      snd_mixer_selem_get_playback_volume_range(e, &mn, &mx);
      const uint32_t c = topologie_.Controle(ligne, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, Etendue(mn, mx));
      liaisons_[c] = {Genre::Volume_lecture, e, {}};
    }
    if (snd_mixer_selem_has_playback_switch(e)) {
      const uint32_t c = topologie_.Controle(ligne, MIXERCONTROL_CONTROLTYPE_MUTE, 0, 1);
      liaisons_[c] = {Genre::Sourdine_lecture, e, {}};
    }
  };
  auto canaux_lecture = [](snd_mixer_elem_t* e) { return snd_mixer_selem_is_playback_mono(e) ? 1u : 2u; };
  if (maitre != nullptr) {
    const uint32_t hp = topologie_.Destination(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS,
                                               snd_mixer_selem_get_name(maitre), canaux_lecture(maitre));
    lecture(hp, maitre);
    const struct {
      const char* nom;
      uint32_t type;
    } sources[] = {{"PCM", MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT},
                   {"Line", MIXERLINE_COMPONENTTYPE_SRC_LINE},
                   {"Mic", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE}};
    for (const auto& s : sources) {
      snd_mixer_elem_t* e = Element(s.nom);
      if (e == nullptr || !(snd_mixer_selem_has_playback_volume(e) || snd_mixer_selem_has_playback_switch(e)))
        continue;
      lecture(topologie_.Source(hp, s.type, s.nom, canaux_lecture(e)), e);
    }
  }

  // Recording destination: elements with a capture switch, or else the
  // capture-source enumeration.
  std::vector<snd_mixer_elem_t*> commutateurs;
  snd_mixer_elem_t* enumeration = nullptr;
  for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer_); e != nullptr; e = snd_mixer_elem_next(e)) {
    if (!snd_mixer_selem_is_active(e)) continue;
    if (snd_mixer_selem_has_capture_switch(e) && !snd_mixer_selem_has_capture_switch_exclusive(e))
      commutateurs.push_back(e);
    else if (enumeration == nullptr && snd_mixer_selem_is_enumerated(e) && snd_mixer_selem_is_enum_capture(e))
      enumeration = e;
  }
  if (commutateurs.empty() && enumeration == nullptr) return;
  const uint32_t rec = topologie_.Destination(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, "Capture");
  snd_mixer_elem_t* capture = Element("Capture");
  auto volume_capture = [&](uint32_t ligne, snd_mixer_elem_t* e) {
    if (e == nullptr || !snd_mixer_selem_has_capture_volume(e)) return;
    long mn = 0, mx = 0;
    snd_mixer_selem_get_capture_volume_range(e, &mn, &mx);
    const uint32_t c = topologie_.Controle(ligne, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, Etendue(mn, mx));
    liaisons_[c] = {Genre::Volume_capture, e, {}};
  };
  auto canaux_capture = [](snd_mixer_elem_t* e) {
    return e != nullptr && snd_mixer_selem_has_capture_volume(e) && !snd_mixer_selem_is_capture_mono(e) ? 2u
                                                                                                        : 1u;
  };
  std::vector<uint32_t> items;
  if (!commutateurs.empty()) {
    for (snd_mixer_elem_t* e : commutateurs) {
      const char* nom = snd_mixer_selem_get_name(e);
      snd_mixer_elem_t* volume = snd_mixer_selem_has_capture_volume(e) ? e : capture;
      items.push_back(topologie_.Source(rec, Type_par_nom(nom), nom, canaux_capture(volume)));
      volume_capture(items.back(), volume);
    }
    const uint32_t c = topologie_.Selecteur(rec, MIXERCONTROL_CONTROLTYPE_MIXER, items);
    liaisons_[c] = {Genre::Commutateurs_capture, nullptr, commutateurs};
  } else {
    const int n = std::min(snd_mixer_selem_get_enum_items(enumeration), static_cast<int>(Maximum_items));
    for (int k = 0; k < n; ++k) {
      char nom[64] = {};
      snd_mixer_selem_get_enum_item_name(enumeration, static_cast<unsigned>(k), sizeof nom - 1, nom);
      snd_mixer_elem_t* propre = Element(nom);
      snd_mixer_elem_t* volume =
          propre != nullptr && snd_mixer_selem_has_capture_volume(propre) ? propre : capture;
      items.push_back(topologie_.Source(rec, Type_par_nom(nom), nom, canaux_capture(volume)));
      volume_capture(items.back(), volume);
    }
    const uint32_t c = topologie_.Selecteur(rec, MIXERCONTROL_CONTROLTYPE_MUX, items);
    liaisons_[c] = {Genre::Enumeration, enumeration, {}};
  }
}

Resultat_mixer MixerAlsa::Ligne_par_type(uint32_t type_composant, Ligne_mixer& ligne) {
  if (mixer_ == nullptr) return MMSYSERR_BADDEVICEID;
  return topologie_.Ligne_par_type(type_composant, ligne);
}

Resultat_mixer MixerAlsa::Ligne_par_identifiant(uint32_t identifiant, Ligne_mixer& ligne) {
  if (mixer_ == nullptr) return MMSYSERR_BADDEVICEID;
  return topologie_.Ligne_par_identifiant(identifiant, ligne);
}

Resultat_mixer MixerAlsa::Ligne_par_indices(uint32_t destination, uint32_t source, Ligne_mixer& ligne) {
  if (mixer_ == nullptr) return MMSYSERR_BADDEVICEID;
  return topologie_.Ligne_par_indices(destination, source, ligne);
}

Resultat_mixer MixerAlsa::Controles(uint32_t identifiant_ligne, std::vector<Controle_mixer>& controles) {
  if (mixer_ == nullptr) return MMSYSERR_BADDEVICEID;
  return topologie_.Controles(identifiant_ligne, controles);
}

Resultat_mixer MixerAlsa::Textes_liste(uint32_t identifiant_controle, std::vector<Item_liste>& items) {
  if (mixer_ == nullptr) return MMSYSERR_BADDEVICEID;
  return topologie_.Textes_liste(identifiant_controle, items);
}

Resultat_mixer MixerAlsa::Lecture(uint32_t identifiant_controle, uint32_t canaux, uint32_t items,
                                  std::vector<uint32_t>& valeurs) {
  if (mixer_ == nullptr) return MMSYSERR_BADDEVICEID;
  auto it = liaisons_.find(identifiant_controle);
  if (it == liaisons_.end()) return MIXERR_INVALCONTROL;
  snd_mixer_handle_events(mixer_);
  const Liaison& l = it->second;
  valeurs.assign(static_cast<size_t>(canaux) * std::max<uint32_t>(items, 1), 0);
  int r = 0;
  switch (l.genre) {
    case Genre::Volume_lecture:
    case Genre::Volume_capture: {
      const bool lec = l.genre == Genre::Volume_lecture;
      long mn = 0, mx = 0;
      Plage_volume(l.element, lec, mn, mx);
      for (uint32_t c = 0; c < canaux && c < 2 && r >= 0; ++c) {
        long v = 0;
        r = lec ? snd_mixer_selem_get_playback_volume(l.element, Canaux_alsa[c], &v)
                : snd_mixer_selem_get_capture_volume(l.element, Canaux_alsa[c], &v);
        valeurs[c] = static_cast<uint32_t>(std::clamp<long>(v - mn, 0, Etendue(mn, mx)));
      }
      break;
    }
    case Genre::Sourdine_lecture: {
      int actif = 1;
      r = snd_mixer_selem_get_playback_switch(l.element, SND_MIXER_SCHN_FRONT_LEFT, &actif);
      std::fill(valeurs.begin(), valeurs.end(), actif ? 0u : 1u);
      break;
    }
    case Genre::Commutateurs_capture:
      for (size_t k = 0; k < l.elements.size() && k < items && r >= 0; ++k) {
        int actif = 0;
        r = snd_mixer_selem_get_capture_switch(l.elements[k], SND_MIXER_SCHN_FRONT_LEFT, &actif);
        for (uint32_t c = 0; c < canaux; ++c) valeurs[k * canaux + c] = actif ? 1 : 0;
      }
      break;
    case Genre::Enumeration: {
      unsigned choisi = 0;
      r = snd_mixer_selem_get_enum_item(l.element, SND_MIXER_SCHN_FRONT_LEFT, &choisi);
      if (r >= 0 && choisi < items)
        for (uint32_t c = 0; c < canaux; ++c) valeurs[choisi * canaux + c] = 1;
      break;
    }
  }
  return r < 0 ? static_cast<Resultat_mixer>(-r) : MMSYSERR_NOERROR;
}

Resultat_mixer MixerAlsa::Ecriture(uint32_t identifiant_controle, uint32_t canaux, uint32_t items,
                                   const std::vector<uint32_t>& valeurs) {
  if (mixer_ == nullptr) return MMSYSERR_BADDEVICEID;
  auto it = liaisons_.find(identifiant_controle);
  if (it == liaisons_.end()) return MIXERR_INVALCONTROL;
  if (canaux == 0 || valeurs.size() < static_cast<size_t>(canaux) * std::max<uint32_t>(items, 1))
    return MMSYSERR_INVALPARAM;
  const Liaison& l = it->second;
  int r = 0;
  switch (l.genre) {
    case Genre::Volume_lecture:
    case Genre::Volume_capture: {
      const bool lec = l.genre == Genre::Volume_lecture;
      long mn = 0, mx = 0;
      Plage_volume(l.element, lec, mn, mx);
      auto brut = [&](uint32_t v) { return mn + std::min<long>(v, Etendue(mn, mx)); };
      if (canaux == 1) {
        r = lec ? snd_mixer_selem_set_playback_volume_all(l.element, brut(valeurs[0]))
                : snd_mixer_selem_set_capture_volume_all(l.element, brut(valeurs[0]));
      } else {
        for (uint32_t c = 0; c < 2 && r >= 0; ++c)
          r = lec ? snd_mixer_selem_set_playback_volume(l.element, Canaux_alsa[c], brut(valeurs[c]))
                  : snd_mixer_selem_set_capture_volume(l.element, Canaux_alsa[c], brut(valeurs[c]));
      }
      break;
    }
    case Genre::Sourdine_lecture:
      r = snd_mixer_selem_set_playback_switch_all(l.element, valeurs[0] ? 0 : 1);
      break;
    case Genre::Commutateurs_capture:
      for (size_t k = 0; k < l.elements.size() && k < items && r >= 0; ++k)
        r = snd_mixer_selem_set_capture_switch_all(l.elements[k], valeurs[k * canaux] ? 1 : 0);
      break;
    case Genre::Enumeration:
      // An enumeration always selects one source: the first item set; none
      // set leaves the current one.
      for (uint32_t k = 0; k < items; ++k) {
        if (valeurs[static_cast<size_t>(k) * canaux] == 0) continue;
        r = snd_mixer_selem_set_enum_item(l.element, SND_MIXER_SCHN_MONO, k);
        break;
      }
      break;
  }
  return r < 0 ? static_cast<Resultat_mixer>(-r) : MMSYSERR_NOERROR;
}

}  // namespace talven
