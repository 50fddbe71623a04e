#include "audio/mixer_simule.h"

#include <algorithm>

namespace talven {

uint32_t MixerSimule::Destination(uint32_t type_composant, VueTexte nom, uint32_t canaux) {
  Ligne_mixer l;
  l.Identifiant = prochain_identifiant_++;
  l.Destination = destinations_++;
  l.Type_composant = type_composant;
  l.Nom_court = Texte(nom);
  l.Nombre_canaux = canaux;
  lignes_.push_back(l);
  return l.Identifiant;
}

uint32_t MixerSimule::Source(uint32_t destination, uint32_t type_composant, VueTexte nom, uint32_t canaux) {
  Ligne_mixer* d = Trouve(destination);
  if (d == nullptr) return 0;
  Ligne_mixer l;
  l.Identifiant = prochain_identifiant_++;
  l.Destination = d->Destination;
  l.Source = d->Nombre_connexions++;
  l.Type_composant = type_composant;
  l.Nom_court = Texte(nom);
  l.Nombre_canaux = canaux;
  lignes_.push_back(l);
  return l.Identifiant;
}

uint32_t MixerSimule::Controle(uint32_t ligne, uint32_t type, int32_t minimum, int32_t maximum,
                               uint32_t initiale) {
  Ligne_mixer* l = Trouve(ligne);
  if (l == nullptr) return 0;
  const uint32_t id = prochain_identifiant_++;
  Controle_simule& c = controles_[id];
  c.description = {id, type, true, 0, minimum, maximum};
  c.ligne = ligne;
  const bool booleen = type == MIXERCONTROL_CONTROLTYPE_MUTE;
  c.valeurs.assign(booleen ? 1 : l->Nombre_canaux, initiale);
  ++l->Nombre_controles;
  ordre_controles_.push_back(id);
  return id;
}

uint32_t MixerSimule::Selecteur(uint32_t ligne, uint32_t type, const std::vector<uint32_t>& sources,
                                bool uniforme) {
  std::vector<Item_liste> items;
  for (uint32_t source : sources) {
    const Ligne_mixer* l = Trouve(source);
    items.push_back({source, l ? l->Type_composant : 0, l ? l->Nom_court : Texte()});
  }
  return Selecteur_items(ligne, type, items, uniforme);
}

uint32_t MixerSimule::Selecteur_items(uint32_t ligne, uint32_t type, const std::vector<Item_liste>& items,
                                      bool uniforme) {
  Ligne_mixer* l = Trouve(ligne);
  if (l == nullptr) return 0;
  const uint32_t id = prochain_identifiant_++;
  Controle_simule& c = controles_[id];
  const auto nombre = static_cast<uint32_t>(items.size());
  c.description = {id, type, uniforme, nombre, 0, 1};
  c.ligne = ligne;
  c.items = items;
  c.valeurs.assign(static_cast<size_t>(nombre) * (uniforme ? 1 : l->Nombre_canaux), 0);
  ++l->Nombre_controles;
  ordre_controles_.push_back(id);
  return id;
}

std::map<uint32_t, std::vector<uint32_t>> MixerSimule::Etat() const {
  std::map<uint32_t, std::vector<uint32_t>> etat;
  for (const auto& [id, c] : controles_) etat[id] = c.valeurs;
  return etat;
}

Ligne_mixer* MixerSimule::Trouve(uint32_t identifiant) {
  auto it = std::find_if(lignes_.begin(), lignes_.end(),
                         [&](const Ligne_mixer& l) { return l.Identifiant == identifiant; });
  return it == lignes_.end() ? nullptr : &*it;
}

Resultat_mixer MixerSimule::Ligne_par_type(uint32_t type_composant, Ligne_mixer& ligne) {
  if (!Present) return MMSYSERR_BADDEVICEID;
  for (const Ligne_mixer& l : lignes_) {
    if (l.Type_composant == type_composant) {
      ligne = l;
      return MMSYSERR_NOERROR;
    }
  }
  return MIXERR_INVALLINE;
}

Resultat_mixer MixerSimule::Ligne_par_identifiant(uint32_t identifiant, Ligne_mixer& ligne) {
  if (!Present) return MMSYSERR_BADDEVICEID;
  const Ligne_mixer* l = Trouve(identifiant);
  if (l == nullptr) return MIXERR_INVALLINE;
  ligne = *l;
  return MMSYSERR_NOERROR;
}

Resultat_mixer MixerSimule::Ligne_par_indices(uint32_t destination, uint32_t source, Ligne_mixer& ligne) {
  if (!Present) return MMSYSERR_BADDEVICEID;
  // The first line of a destination is the destination itself; its sources follow.
  bool destination_vue = false;
  for (const Ligne_mixer& l : lignes_) {
    if (l.Destination != destination) continue;
    if (!destination_vue) {
      destination_vue = true;
      continue;
    }
    if (l.Source == source) {
      ligne = l;
      return MMSYSERR_NOERROR;
    }
  }
  return MIXERR_INVALLINE;
}

Resultat_mixer MixerSimule::Controles(uint32_t identifiant_ligne, std::vector<Controle_mixer>& controles) {
  if (!Present) return MMSYSERR_BADDEVICEID;
  if (Trouve(identifiant_ligne) == nullptr) return MIXERR_INVALLINE;
  controles.clear();
  for (uint32_t id : ordre_controles_)
    if (controles_[id].ligne == identifiant_ligne) controles.push_back(controles_[id].description);
  return MMSYSERR_NOERROR;
}

Resultat_mixer MixerSimule::Textes_liste(uint32_t identifiant_controle, std::vector<Item_liste>& items) {
  if (!Present) return MMSYSERR_BADDEVICEID;
  auto it = controles_.find(identifiant_controle);
  if (it == controles_.end() || it->second.description.Nombre_items == 0) return MIXERR_INVALCONTROL;
  items = it->second.items;
  return MMSYSERR_NOERROR;
}

Resultat_mixer MixerSimule::Lecture(uint32_t identifiant_controle, uint32_t canaux, uint32_t items,
                                    std::vector<uint32_t>& valeurs) {
  if (!Present) return MMSYSERR_BADDEVICEID;
  auto it = controles_.find(identifiant_controle);
  if (it == controles_.end()) return MIXERR_INVALCONTROL;
  const std::vector<uint32_t>& v = it->second.valeurs;
  valeurs.assign(static_cast<size_t>(canaux) * std::max<uint32_t>(items, 1), 0);
  for (size_t i = 0; i < valeurs.size() && !v.empty(); ++i) valeurs[i] = v[std::min(i, v.size() - 1)];
  return MMSYSERR_NOERROR;
}

Resultat_mixer MixerSimule::Ecriture(uint32_t identifiant_controle, uint32_t canaux, uint32_t items,
                                     const std::vector<uint32_t>& valeurs) {
  if (!Present) return MMSYSERR_BADDEVICEID;
  auto it = controles_.find(identifiant_controle);
  if (it == controles_.end()) return MIXERR_INVALCONTROL;
  if (valeurs.size() != static_cast<size_t>(canaux) * std::max<uint32_t>(items, 1) || valeurs.empty())
    return MMSYSERR_INVALPARAM;
  std::vector<uint32_t>& v = it->second.valeurs;
  // One value sent for a multi-channel control sets every channel.
  if (items == 0 && canaux == 1) {
    std::fill(v.begin(), v.end(), valeurs[0]);
  } else {
    std::copy_n(valeurs.begin(), std::min(v.size(), valeurs.size()), v.begin());
  }
  ++Ecritures;
  return MMSYSERR_NOERROR;
}

}  // namespace talven
