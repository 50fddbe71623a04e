#include "audio/mixer_alsa.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "audio/messages_alsa.h"

namespace talven {

namespace {

constexpr size_t Absent = Elements_mixer::Absent;

// The elements of a real device, through alsa-lib's simple mixer.
class Elements_alsa final : public Elements_mixer {
 public:
  // Opens the device's mixer; null with `erreur` set (a positive code) when
  // it cannot be opened.
  static std::unique_ptr<Elements_alsa> Ouverture(const std::string& peripherique, int& erreur) {
    Capter_messages_alsa();
    snd_mixer_t* m = nullptr;
    int r = snd_mixer_open(&m, 0);
    if (r >= 0) r = snd_mixer_attach(m, peripherique.c_str());
    if (r >= 0) r = snd_mixer_selem_register(m, nullptr, nullptr);
    if (r >= 0) r = snd_mixer_load(m);
    if (r < 0) {
      if (m != nullptr) snd_mixer_close(m);
      erreur = -r;
      return nullptr;
    }
    return std::unique_ptr<Elements_alsa>(new Elements_alsa(m));
  }
  ~Elements_alsa() override { snd_mixer_close(mixer_); }
  Elements_alsa(const Elements_alsa&) = delete;
  Elements_alsa& operator=(const Elements_alsa&) = delete;

  const std::vector<Element_simple>& Elements() const override { return elements_; }

  int Volume(size_t e, bool lecture, int canal, long& valeur) override {
    if (e >= alsa_.size() || canal < 0 || canal > 1) return -EINVAL;
    const auto c = Canal(e, lecture, canal);
    return lecture ? snd_mixer_selem_get_playback_volume(alsa_[e], c, &valeur)
                   : snd_mixer_selem_get_capture_volume(alsa_[e], c, &valeur);
  }
  int Ecriture_volume(size_t e, bool lecture, int canal, long valeur) override {
    if (e >= alsa_.size() || canal > 1) return -EINVAL;
    if (canal < 0)
      return lecture ? snd_mixer_selem_set_playback_volume_all(alsa_[e], valeur)
                     : snd_mixer_selem_set_capture_volume_all(alsa_[e], valeur);
    const auto c = Canal(e, lecture, canal);
    return lecture ? snd_mixer_selem_set_playback_volume(alsa_[e], c, valeur)
                   : snd_mixer_selem_set_capture_volume(alsa_[e], c, valeur);
  }
  int Commutateur(size_t e, bool lecture, bool& actif) override {
    if (e >= alsa_.size()) return -EINVAL;
    int v = 0;
    const int r = lecture ? snd_mixer_selem_get_playback_switch(alsa_[e], SND_MIXER_SCHN_FRONT_LEFT, &v)
                          : snd_mixer_selem_get_capture_switch(alsa_[e], SND_MIXER_SCHN_FRONT_LEFT, &v);
    if (r >= 0) actif = v != 0;
    return r;
  }
  int Ecriture_commutateur(size_t e, bool lecture, bool actif) override {
    if (e >= alsa_.size()) return -EINVAL;
    return lecture ? snd_mixer_selem_set_playback_switch_all(alsa_[e], actif ? 1 : 0)
                   : snd_mixer_selem_set_capture_switch_all(alsa_[e], actif ? 1 : 0);
  }
  int Item(size_t e, unsigned& item) override {
    if (e >= alsa_.size()) return -EINVAL;
    return snd_mixer_selem_get_enum_item(alsa_[e], SND_MIXER_SCHN_FRONT_LEFT, &item);
  }
  int Ecriture_item(size_t e, unsigned item) override {
    if (e >= alsa_.size()) return -EINVAL;
    return snd_mixer_selem_set_enum_item(alsa_[e], SND_MIXER_SCHN_MONO, item);
  }
  void Actualisation() override { snd_mixer_handle_events(mixer_); }

 private:
  explicit Elements_alsa(snd_mixer_t* m) : mixer_(m) {
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(m); e != nullptr; e = snd_mixer_elem_next(e)) {
      Element_simple d;
      d.Nom = snd_mixer_selem_get_name(e);
      d.Indice = snd_mixer_selem_get_index(e);
      d.Actif = snd_mixer_selem_is_active(e) != 0;
      d.Volume_lecture = snd_mixer_selem_has_playback_volume(e) != 0;
      d.Volume_capture = snd_mixer_selem_has_capture_volume(e) != 0;
      d.Volume_commun = snd_mixer_selem_has_common_volume(e) != 0;
      d.Commutateur_lecture = snd_mixer_selem_has_playback_switch(e) != 0;
      d.Commutateur_capture = snd_mixer_selem_has_capture_switch(e) != 0;
      d.Capture_exclusive = snd_mixer_selem_has_capture_switch_exclusive(e) != 0;
      d.Lecture_mono = snd_mixer_selem_is_playback_mono(e) != 0;
      d.Capture_mono = snd_mixer_selem_is_capture_mono(e) != 0;
      if (d.Volume_lecture)
        snd_mixer_selem_get_playback_volume_range(e, &d.Minimum_lecture, &d.Maximum_lecture);
      if (d.Volume_capture)
        snd_mixer_selem_get_capture_volume_range(e, &d.Minimum_capture, &d.Maximum_capture);
      if (snd_mixer_selem_is_enumerated(e)) {
        d.Enumeration_capture = snd_mixer_selem_is_enum_capture(e) && !snd_mixer_selem_is_enum_playback(e);
        const int n = std::min(snd_mixer_selem_get_enum_items(e), static_cast<int>(Maximum_items));
        for (int k = 0; k < n; ++k) {
          char nom[64] = {};
          snd_mixer_selem_get_enum_item_name(e, static_cast<unsigned>(k), sizeof nom - 1, nom);
          d.Items.emplace_back(nom);
        }
      }
      elements_.push_back(std::move(d));
      alsa_.push_back(e);
    }
  }
  // A mono element has only its first channel.
  snd_mixer_selem_channel_id_t Canal(size_t e, bool lecture, int canal) const {
    const bool mono = lecture ? elements_[e].Lecture_mono : elements_[e].Capture_mono;
    return mono || canal == 0 ? SND_MIXER_SCHN_FRONT_LEFT : SND_MIXER_SCHN_FRONT_RIGHT;
  }

  snd_mixer_t* mixer_;
  std::vector<snd_mixer_elem_t*> alsa_;
  std::vector<Element_simple> elements_;
};

bool Contient(const std::string& nom, const char* mot) {
  std::string minuscules(nom);
  for (char& c : minuscules) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return minuscules.find(mot) != std::string::npos;
}

// Line type of a recording item, from the element's name ("Mic", "Front
// Mic", "Rear Mic", "Line", "Line In").
uint32_t Type_par_nom(const std::string& nom) {
  if (Contient(nom, "mic")) return MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
  if (Contient(nom, "line")) return MIXERLINE_COMPONENTTYPE_SRC_LINE;
  return MIXERLINE_COMPONENTTYPE_SRC_ANALOG;
}

// Volumes are presented from 0 to (max - min): the percentage scaling of the
// mixer unit does not add the minimum, ALSA ranges may not start at 0.
int32_t Etendue(long minimum, long maximum) {
  return static_cast<int32_t>(std::clamp<long>(maximum - minimum, 0, INT32_MAX));
}

}  // namespace

MixerAlsa::MixerAlsa(std::string peripherique) {
  elements_ = Elements_alsa::Ouverture(peripherique, erreur_);
  if (elements_ != nullptr) Construction();
}

MixerAlsa::MixerAlsa(std::unique_ptr<Elements_mixer> elements) : elements_(std::move(elements)) {
  if (elements_ != nullptr) Construction();
}

MixerAlsa::~MixerAlsa() = default;

void MixerAlsa::Construction() {
  const std::vector<Element_simple>& el = elements_->Elements();
  auto trouve = [&](const char* nom) {
    const size_t k = elements_->Recherche(nom);
    return k != Absent && el[k].Actif ? k : Absent;
  };
  auto lecture = [&](uint32_t ligne, size_t e) {
    if (el[e].Volume_lecture) {
      const uint32_t c = topologie_.Controle(ligne, MIXERCONTROL_CONTROLTYPE_VOLUME, 0,
                                             Etendue(el[e].Minimum_lecture, el[e].Maximum_lecture));
      liaisons_[c] = {Genre::Volume_lecture, e, Absent, {}};
    }
    if (el[e].Commutateur_lecture) {
      const uint32_t c = topologie_.Controle(ligne, MIXERCONTROL_CONTROLTYPE_MUTE, 0, 1);
      liaisons_[c] = {Genre::Sourdine_lecture, e, Absent, {}};
    }
  };
  auto canaux_lecture = [&](size_t e) { return el[e].Lecture_mono ? 1u : 2u; };

  // Speaker destination and the sources of the playback mix.
  size_t maitre = trouve("Master");
  if (maitre == Absent) maitre = trouve("Speaker");
  if (maitre == Absent) maitre = trouve("PCM");
  if (maitre != Absent) {
    const uint32_t hp =
        topologie_.Destination(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, el[maitre].Nom, canaux_lecture(maitre));
    lecture(hp, maitre);
    const size_t pcm = trouve("PCM");
    if (pcm != Absent && pcm != maitre) {
      lecture(topologie_.Source(hp, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, "PCM", canaux_lecture(pcm)), pcm);
    } else {
      topologie_.Source(hp, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, "Wave", canaux_lecture(maitre));
    }
    const struct {
      const char* nom;
      uint32_t type;
    } entrees[] = {{"Line", MIXERLINE_COMPONENTTYPE_SRC_LINE},
                   {"Mic", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE}};
    for (const auto& s : entrees) {
      const size_t e = trouve(s.nom);
      const uint32_t ligne = topologie_.Source(hp, s.type, s.nom, e != Absent ? canaux_lecture(e) : 1u);
      if (e != Absent) lecture(ligne, e);
    }
  }

  // Recording destination.
  std::vector<size_t> commutateurs;
  size_t enumeration = Absent;
  for (size_t k = 0; k < el.size(); ++k) {
    if (!el[k].Actif || el[k].Indice != 0) continue;
    if (el[k].Commutateur_capture && !el[k].Capture_exclusive && el[k].Nom != "Capture")
      commutateurs.push_back(k);
    else if (enumeration == Absent && el[k].Enumeration_capture && !el[k].Items.empty())
      enumeration = k;
  }
  const size_t capture = trouve("Capture");
  const size_t commutateur_general = capture != Absent && el[capture].Commutateur_capture ? capture : Absent;
  auto volume_capture = [&](uint32_t ligne, size_t e) {
    if (e == Absent || !el[e].Volume_capture) return;
    const uint32_t c = topologie_.Controle(ligne, MIXERCONTROL_CONTROLTYPE_VOLUME, 0,
                                           Etendue(el[e].Minimum_capture, el[e].Maximum_capture));
    liaisons_[c] = {Genre::Volume_capture, e, Absent, {}};
  };
  auto canaux_capture = [&](size_t e) {
    return e != Absent && el[e].Volume_capture && !el[e].Capture_mono ? 2u : 1u;
  };
  // An item's recording volume: its own, else the "Capture" element's.
  auto volume_item = [&](size_t e) { return e != Absent && el[e].Volume_capture ? e : capture; };

  if (commutateurs.size() >= 2) {
    const uint32_t rec = topologie_.Destination(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, "Capture");
    std::vector<uint32_t> items;
    for (size_t e : commutateurs) {
      const size_t volume = volume_item(e);
      items.push_back(topologie_.Source(rec, Type_par_nom(el[e].Nom), el[e].Nom, canaux_capture(volume)));
      volume_capture(items.back(), volume);
    }
    const uint32_t c = topologie_.Selecteur(rec, MIXERCONTROL_CONTROLTYPE_MIXER, items);
    liaisons_[c] = {Genre::Commutateurs_capture, Absent, commutateur_general, commutateurs};
    return;
  }
  if (enumeration != Absent) {
    const uint32_t rec = topologie_.Destination(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, "Capture");
    std::vector<uint32_t> items;
    for (const std::string& nom : el[enumeration].Items) {
      const size_t volume = volume_item(trouve(nom.c_str()));
      items.push_back(topologie_.Source(rec, Type_par_nom(nom), nom, canaux_capture(volume)));
      volume_capture(items.back(), volume);
    }
    const uint32_t c = topologie_.Selecteur(rec, MIXERCONTROL_CONTROLTYPE_MUX, items);
    liaisons_[c] = {Genre::Enumeration, enumeration, commutateur_general, {}};
    return;
  }
  // A single recording path.
  size_t chemin = commutateurs.size() == 1 ? commutateurs.front() : Absent;
  if (chemin == Absent && capture != Absent &&
      (el[capture].Volume_capture || el[capture].Commutateur_capture))
    chemin = capture;
  if (chemin == Absent) {
    // The one element with a capture volume of its own (a shared boost
    // stage does not count); none or several: no recording path is known.
    size_t trouves = 0;
    for (size_t k = 0; k < el.size(); ++k) {
      if (!el[k].Actif || el[k].Indice != 0 || !el[k].Volume_capture || el[k].Volume_commun) continue;
      chemin = k;
      ++trouves;
    }
    if (trouves != 1) return;
  }
  const uint32_t rec = topologie_.Destination(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, "Capture");
  const std::string& nom = el[chemin].Nom;
  const size_t volume = volume_item(chemin);
  const uint32_t source = topologie_.Source(rec, Type_par_nom(nom), nom, canaux_capture(volume));
  volume_capture(source, volume);
  const Texte nom_item(nom);
  const uint32_t c = topologie_.Selecteur_items(rec, MIXERCONTROL_CONTROLTYPE_MIXER,
                                                {{source, MIXERLINE_COMPONENTTYPE_SRC_LINE, nom_item},
                                                 {source, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, nom_item}});
  liaisons_[c] = {Genre::Chemin_unique, el[chemin].Commutateur_capture ? chemin : Absent, Absent, {}};
}

Resultat_mixer MixerAlsa::Ligne_par_type(uint32_t type_composant, Ligne_mixer& ligne) {
  if (elements_ == nullptr) return MMSYSERR_BADDEVICEID;
  return topologie_.Ligne_par_type(type_composant, ligne);
}

Resultat_mixer MixerAlsa::Ligne_par_identifiant(uint32_t identifiant, Ligne_mixer& ligne) {
  if (elements_ == nullptr) return MMSYSERR_BADDEVICEID;
  return topologie_.Ligne_par_identifiant(identifiant, ligne);
}

Resultat_mixer MixerAlsa::Ligne_par_indices(uint32_t destination, uint32_t source, Ligne_mixer& ligne) {
  if (elements_ == nullptr) return MMSYSERR_BADDEVICEID;
  return topologie_.Ligne_par_indices(destination, source, ligne);
}

Resultat_mixer MixerAlsa::Controles(uint32_t identifiant_ligne, std::vector<Controle_mixer>& controles) {
  if (elements_ == nullptr) return MMSYSERR_BADDEVICEID;
  return topologie_.Controles(identifiant_ligne, controles);
}

Resultat_mixer MixerAlsa::Textes_liste(uint32_t identifiant_controle, std::vector<Item_liste>& items) {
  if (elements_ == nullptr) return MMSYSERR_BADDEVICEID;
  return topologie_.Textes_liste(identifiant_controle, items);
}

Resultat_mixer MixerAlsa::Lecture(uint32_t identifiant_controle, uint32_t canaux, uint32_t items,
                                  std::vector<uint32_t>& valeurs) {
  if (elements_ == nullptr) return MMSYSERR_BADDEVICEID;
  auto it = liaisons_.find(identifiant_controle);
  if (it == liaisons_.end()) return MIXERR_INVALCONTROL;
  elements_->Actualisation();
  const Liaison& l = it->second;
  const std::vector<Element_simple>& el = elements_->Elements();
  std::vector<uint32_t> lu(static_cast<size_t>(canaux) * std::max<uint32_t>(items, 1), 0);
  int r = 0;
  // The general capture switch, when one goes with the selector: off, no
  // item is recorded.
  bool general = true;
  if (l.commutateur != Absent) r = elements_->Commutateur(l.commutateur, false, general);
  switch (l.genre) {
    case Genre::Volume_lecture:
    case Genre::Volume_capture: {
      const bool lec = l.genre == Genre::Volume_lecture;
      const long mn = lec ? el[l.element].Minimum_lecture : el[l.element].Minimum_capture;
      const long mx = lec ? el[l.element].Maximum_lecture : el[l.element].Maximum_capture;
      for (uint32_t c = 0; c < canaux && c < 2 && r >= 0; ++c) {
        long v = 0;
        r = elements_->Volume(l.element, lec, static_cast<int>(c), v);
        lu[c] = static_cast<uint32_t>(std::clamp<long>(v - mn, 0, Etendue(mn, mx)));
      }
      break;
    }
    case Genre::Sourdine_lecture: {
      bool actif = true;
      r = elements_->Commutateur(l.element, true, actif);
      std::fill(lu.begin(), lu.end(), actif ? 0u : 1u);
      break;
    }
    case Genre::Commutateurs_capture:
      for (size_t k = 0; k < l.elements.size() && k < items && r >= 0; ++k) {
        bool actif = false;
        r = elements_->Commutateur(l.elements[k], false, actif);
        for (uint32_t c = 0; c < canaux; ++c) lu[k * canaux + c] = actif && general ? 1 : 0;
      }
      break;
    case Genre::Enumeration: {
      unsigned choisi = 0;
      if (r >= 0) r = elements_->Item(l.element, choisi);
      if (r >= 0 && general && choisi < items)
        for (uint32_t c = 0; c < canaux; ++c) lu[choisi * canaux + c] = 1;
      break;
    }
    case Genre::Chemin_unique: {
      // Both items name the one path; without a switch it always records.
      bool actif = true;
      if (l.element != Absent) r = elements_->Commutateur(l.element, false, actif);
      std::fill(lu.begin(), lu.end(), actif ? 1u : 0u);
      break;
    }
  }
  if (r < 0) return static_cast<Resultat_mixer>(-r);
  valeurs = std::move(lu);
  return MMSYSERR_NOERROR;
}

Resultat_mixer MixerAlsa::Ecriture(uint32_t identifiant_controle, uint32_t canaux, uint32_t items,
                                   const std::vector<uint32_t>& valeurs) {
  if (elements_ == nullptr) return MMSYSERR_BADDEVICEID;
  auto it = liaisons_.find(identifiant_controle);
  if (it == liaisons_.end()) return MIXERR_INVALCONTROL;
  if (canaux == 0 || valeurs.size() < static_cast<size_t>(canaux) * std::max<uint32_t>(items, 1))
    return MMSYSERR_INVALPARAM;
  const Liaison& l = it->second;
  const std::vector<Element_simple>& el = elements_->Elements();
  bool un_item = false;  // some item is set
  for (uint32_t k = 0; k < items; ++k) un_item |= valeurs[static_cast<size_t>(k) * canaux] != 0;
  int r = 0;
  switch (l.genre) {
    case Genre::Volume_lecture:
    case Genre::Volume_capture: {
      const bool lec = l.genre == Genre::Volume_lecture;
      const long mn = lec ? el[l.element].Minimum_lecture : el[l.element].Minimum_capture;
      const long mx = lec ? el[l.element].Maximum_lecture : el[l.element].Maximum_capture;
      auto brut = [&](uint32_t v) { return mn + std::min<long>(v, Etendue(mn, mx)); };
      if (canaux == 1) {
        r = elements_->Ecriture_volume(l.element, lec, -1, brut(valeurs[0]));
      } else {
        for (int c = 0; c < 2 && r >= 0; ++c)
          r = elements_->Ecriture_volume(l.element, lec, c, brut(valeurs[c]));
      }
      break;
    }
    case Genre::Sourdine_lecture:
      r = elements_->Ecriture_commutateur(l.element, true, valeurs[0] == 0);
      break;
    case Genre::Commutateurs_capture:
      for (size_t k = 0; k < l.elements.size() && k < items && r >= 0; ++k)
        r = elements_->Ecriture_commutateur(l.elements[k], false, valeurs[k * canaux] != 0);
      break;
    case Genre::Enumeration:
      // An enumeration records one source: the first item set.
      for (uint32_t k = 0; k < items; ++k) {
        if (valeurs[static_cast<size_t>(k) * canaux] == 0) continue;
        r = elements_->Ecriture_item(l.element, k);
        break;
      }
      break;
    case Genre::Chemin_unique:
      if (l.element != Absent) r = elements_->Ecriture_commutateur(l.element, false, un_item);
      break;
  }
  // The general capture switch follows the selection: on while some item is
  // recorded.
  if (r >= 0 && l.commutateur != Absent) r = elements_->Ecriture_commutateur(l.commutateur, false, un_item);
  return r < 0 ? static_cast<Resultat_mixer>(-r) : MMSYSERR_NOERROR;
}

}  // namespace talven
