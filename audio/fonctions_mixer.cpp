#include "audio/fonctions_mixer.h"

#include <algorithm>

namespace talven {

namespace {

// Whether a short name begins with the two given upper-case letters, in
// either case ("Line In", "LINE", "line" all begin with "LI").
bool Commence_par(VueTexte nom, char premiere, char seconde) {
  auto majuscule = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
  if (nom.empty() || majuscule(nom[0]) != premiere) return false;
  return seconde == '\0' || (nom.size() >= 2 && majuscule(nom[1]) == seconde);
}

int32_t Borne_pourcentage(int32_t pourcentage) {
  return std::clamp<int32_t>(pourcentage, 0, 100);
}

}  // namespace

uint32_t FonctionsMixer::Valeur_pourcentage(const Controle_mixer& controle, int32_t pourcentage) {
  // 64-bit arithmetic gives the 32-bit result wherever 32 bits do not
  // overflow; the result is handed on as the raw 32-bit value.
  const int64_t etendue = static_cast<int64_t>(controle.Maximum) - controle.Minimum;
  const int64_t p = Borne_pourcentage(pourcentage);
  const int64_t valeur = controle.Maximum >= 65536 ? etendue / 100 * p : etendue * p / 100;
  return static_cast<uint32_t>(valeur);
}

// --- Primitives ---

Resultat_mixer FonctionsMixer::Ligne_par_type(uint32_t type_composant) {
  if (pilote_ == nullptr) return Note(MMSYSERR_BADDEVICEID);
  return Note(pilote_->Ligne_par_type(type_composant, Ligne));
}

Resultat_mixer FonctionsMixer::Ligne_par_identifiant(uint32_t identifiant) {
  if (pilote_ == nullptr) return Note(MMSYSERR_BADDEVICEID);
  return Note(pilote_->Ligne_par_identifiant(identifiant, Ligne));
}

Resultat_mixer FonctionsMixer::Ligne_par_indices(uint32_t destination, uint32_t source) {
  if (pilote_ == nullptr) return Note(MMSYSERR_BADDEVICEID);
  return Note(pilote_->Ligne_par_indices(destination, source, Ligne));
}

Resultat_mixer FonctionsMixer::Destination_haut_parleurs(uint32_t& destination, uint32_t& connexions) {
  const Resultat_mixer r = Ligne_par_type(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
  if (r == MMSYSERR_NOERROR) {
    destination = Ligne.Destination;
    connexions = Ligne.Nombre_connexions;
  }
  return r;
}

Resultat_mixer FonctionsMixer::Controles_ligne() {
  Controles.clear();
  if (pilote_ == nullptr) return Note(MMSYSERR_BADDEVICEID);
  const Resultat_mixer r = Note(pilote_->Controles(Ligne.Identifiant, Controles));
  if (r != MMSYSERR_NOERROR) Controles.clear();
  if (Controles.size() > Maximum_controles) Controles.resize(Maximum_controles);
  return r;
}

Resultat_mixer FonctionsMixer::Textes_liste(size_t indice) {
  Items.clear();
  if (pilote_ == nullptr) return Note(MMSYSERR_BADDEVICEID);
  if (indice >= Controles.size()) return Note(MIXERR_INVALCONTROL);
  const Resultat_mixer r = Note(pilote_->Textes_liste(Controles[indice].Identifiant, Items));
  if (r != MMSYSERR_NOERROR) Items.clear();
  Items.resize(std::min<size_t>({Items.size(), Controles[indice].Nombre_items, Maximum_items}));
  return r;
}

Resultat_mixer FonctionsMixer::Lecture_booleen(uint32_t identifiant_controle, uint32_t& valeur) {
  if (pilote_ == nullptr) return Note(MMSYSERR_BADDEVICEID);
  std::vector<uint32_t> v(1, 0);
  const Resultat_mixer r = Note(pilote_->Lecture(identifiant_controle, 1, 0, v));
  if (r == MMSYSERR_NOERROR && !v.empty()) valeur = v[0];
  return r;
}

Resultat_mixer FonctionsMixer::Ecriture_booleen(uint32_t identifiant_controle, uint32_t valeur) {
  if (pilote_ == nullptr) return Note(MMSYSERR_BADDEVICEID);
  return Note(pilote_->Ecriture(identifiant_controle, 1, 0, {valeur}));
}

namespace {
// The channel count sent for a two-channel value: the line's, within 1 .. 2.
uint32_t Canaux_valeurs(const Ligne_mixer& ligne) {
  return std::clamp<uint32_t>(ligne.Nombre_canaux, 1, 2);
}
}  // namespace

Resultat_mixer FonctionsMixer::Lecture_valeurs(size_t indice, uint32_t& gauche, uint32_t& droite) {
  if (pilote_ == nullptr) return Note(MMSYSERR_BADDEVICEID);
  if (indice >= Controles.size()) return Note(MIXERR_INVALCONTROL);
  const uint32_t canaux = Canaux_valeurs(Ligne);
  std::vector<uint32_t> v(canaux, 0);
  const Resultat_mixer r = Note(pilote_->Lecture(Controles[indice].Identifiant, canaux, 0, v));
  if (r == MMSYSERR_NOERROR && !v.empty()) {
    gauche = v[0];
    droite = v.size() > 1 ? v[1] : v[0];
  }
  return r;
}

Resultat_mixer FonctionsMixer::Ecriture_valeurs(size_t indice, uint32_t gauche, uint32_t droite) {
  if (pilote_ == nullptr) return Note(MMSYSERR_BADDEVICEID);
  if (indice >= Controles.size()) return Note(MIXERR_INVALCONTROL);
  const uint32_t canaux = Canaux_valeurs(Ligne);
  std::vector<uint32_t> v{gauche, droite};
  v.resize(canaux);
  return Note(pilote_->Ecriture(Controles[indice].Identifiant, canaux, 0, v));
}

Resultat_mixer FonctionsMixer::Ecriture_pourcentage(size_t indice, int32_t gauche, int32_t droite) {
  if (indice >= Controles.size()) return Note(MIXERR_INVALCONTROL);
  return Ecriture_valeurs(indice, Valeur_pourcentage(Controles[indice], gauche),
                          Valeur_pourcentage(Controles[indice], droite));
}

namespace {
uint32_t Canaux_items(const Controle_mixer& c, const Ligne_mixer& l) {
  return c.Uniforme ? 1 : Canaux_valeurs(l);
}
uint32_t Nombre_items(const Controle_mixer& c) {
  return std::min(c.Nombre_items, Maximum_items);
}
}  // namespace

Resultat_mixer FonctionsMixer::Lecture_items(size_t indice, std::vector<uint32_t>& etats) {
  if (pilote_ == nullptr) return Note(MMSYSERR_BADDEVICEID);
  if (indice >= Controles.size()) return Note(MIXERR_INVALCONTROL);
  const Controle_mixer& c = Controles[indice];
  const uint32_t canaux = Canaux_items(c, Ligne);
  const uint32_t items = Nombre_items(c);
  std::vector<uint32_t> v(static_cast<size_t>(canaux) * items, 0);
  const Resultat_mixer r = Note(pilote_->Lecture(c.Identifiant, canaux, items, v));
  if (r == MMSYSERR_NOERROR) {
    v.resize(static_cast<size_t>(canaux) * items, 0);
    etats.assign(items, 0);
    for (uint32_t i = 0; i < items; ++i) etats[i] = v[static_cast<size_t>(i) * canaux];
  }
  return r;
}

Resultat_mixer FonctionsMixer::Ecriture_item(size_t indice, uint32_t item, uint32_t etat) {
  if (pilote_ == nullptr) return Note(MMSYSERR_BADDEVICEID);
  if (indice >= Controles.size() || item >= Nombre_items(Controles[indice])) return Note(MMSYSERR_INVALPARAM);
  const Controle_mixer& c = Controles[indice];
  const uint32_t canaux = Canaux_items(c, Ligne);
  const uint32_t items = Nombre_items(c);
  std::vector<uint32_t> v(static_cast<size_t>(canaux) * items, 0);
  const Resultat_mixer r = Note(pilote_->Lecture(c.Identifiant, canaux, items, v));
  if (r != MMSYSERR_NOERROR) return r;
  v.resize(static_cast<size_t>(canaux) * items, 0);
  for (uint32_t k = 0; k < canaux; ++k) v[static_cast<size_t>(item) * canaux + k] = etat;
  return Note(pilote_->Ecriture(c.Identifiant, canaux, items, v));
}

// --- Saving and restoring ---

void FonctionsMixer::Sauve_valeurs(Valeur_sauvee& sauve, size_t indice) {
  if (!sauve.A_sauver) return;
  const Controle_mixer& c = Controles[indice];
  const bool booleen = c.Type == MIXERCONTROL_CONTROLTYPE_MUTE;
  const uint32_t canaux = booleen ? 1 : Canaux_valeurs(Ligne);
  std::vector<uint32_t> v(canaux, 0);
  // A value that cannot be read is not marked saved, so that the restore
  // never writes a value the mixer did not have.
  if (Note(pilote_->Lecture(c.Identifiant, canaux, 0, v)) != MMSYSERR_NOERROR) return;
  v.resize(canaux, 0);
  sauve = {false, c.Identifiant, canaux, 0, std::move(v)};
}

void FonctionsMixer::Sauve_items(Valeur_sauvee& sauve, size_t indice) {
  if (!sauve.A_sauver) return;
  const Controle_mixer& c = Controles[indice];
  const uint32_t canaux = Canaux_items(c, Ligne);
  const uint32_t items = Nombre_items(c);
  std::vector<uint32_t> v(static_cast<size_t>(canaux) * items, 0);
  if (Note(pilote_->Lecture(c.Identifiant, canaux, items, v)) != MMSYSERR_NOERROR) return;
  v.resize(static_cast<size_t>(canaux) * items, 0);
  sauve = {false, c.Identifiant, canaux, items, std::move(v)};
}

void FonctionsMixer::Restaure(const Valeur_sauvee& sauve) {
  if (sauve.A_sauver) return;
  Note(pilote_->Ecriture(sauve.Controle, sauve.Canaux, sauve.Items, sauve.Valeurs));
}

// --- Set-up ---

void FonctionsMixer::Reglage_mixer() {
  if (!Reglage_logiciel) return;
  if (pilote_ == nullptr || pilote_->Nombre_mixers() == 0) {
    Mixer_present = false;
    return;
  }
  Mixer_present = true;
  Reglage_haut_parleurs();
  Reglage_sortie_wave();
  const uint32_t entree =
      Choix_microphone ? MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE : MIXERLINE_COMPONENTTYPE_SRC_LINE;
  const uint32_t autre =
      Choix_microphone ? MIXERLINE_COMPONENTTYPE_SRC_LINE : MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
  Reglage_entree_restitution(entree);
  Reglage_autre_entree(autre);
  Reglage_enregistrement();
  Reglage_volume_source();
}

void FonctionsMixer::Reglage_haut_parleurs() {
  Haut_parleurs_trouves = Ligne_par_type(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS) == MMSYSERR_NOERROR;
  if (!Haut_parleurs_trouves || Controles_ligne() != MMSYSERR_NOERROR) return;
  for (size_t i = 0; i < Controles.size(); ++i) {
    switch (Controles[i].Type) {
      case MIXERCONTROL_CONTROLTYPE_MIXER: {
        Sauve_items(sauves_.Items_haut_parleurs, i);
        for (uint32_t k = 0; k < Nombre_items(Controles[i]); ++k) Ecriture_item(i, k, 1);
        break;
      }
      case MIXERCONTROL_CONTROLTYPE_MUTE:
        Sauve_valeurs(sauves_.Sourdine_haut_parleurs, i);
        Ecriture_booleen(Controles[i].Identifiant, 0);
        break;
      case MIXERCONTROL_CONTROLTYPE_VOLUME:
        Sauve_valeurs(sauves_.Volume_haut_parleurs, i);
        Ecriture_pourcentage(i, Volume_haut_parleur, Volume_haut_parleur);
        break;
      case MIXERCONTROL_CONTROLTYPE_BASS:
        Sauve_valeurs(sauves_.Graves, i);
        Ecriture_pourcentage(i, 100, 100);
        break;
      case MIXERCONTROL_CONTROLTYPE_TREBLE:
        Sauve_valeurs(sauves_.Aigus, i);
        Ecriture_pourcentage(i, 100, 100);
        break;
      case MIXERCONTROL_CONTROLTYPE_UNSIGNED:
        Ecriture_pourcentage(i, Gain_sortie_carte, Gain_sortie_carte);
        break;
      default:
        break;
    }
  }
}

void FonctionsMixer::Reglage_sortie_wave() {
  Sortie_wave_trouvee = Ligne_par_type(MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT) == MMSYSERR_NOERROR;
  if (!Sortie_wave_trouvee || Controles_ligne() != MMSYSERR_NOERROR) return;
  for (size_t i = 0; i < Controles.size(); ++i) {
    if (Controles[i].Type == MIXERCONTROL_CONTROLTYPE_MUTE) {
      Sauve_valeurs(sauves_.Sourdine_wave, i);
      Ecriture_booleen(Controles[i].Identifiant, 0);
    } else if (Controles[i].Type == MIXERCONTROL_CONTROLTYPE_VOLUME) {
      Sauve_valeurs(sauves_.Volume_wave, i);
      Ecriture_pourcentage(i, Volume_wave, Volume_wave);
    }
  }
}

void FonctionsMixer::Sauve_valeurs(std::vector<Valeur_sauvee>& liste, size_t indice) {
  for (const Valeur_sauvee& v : liste)
    if (v.Controle == Controles[indice].Identifiant) return;
  Valeur_sauvee sauve;
  Sauve_valeurs(sauve, indice);
  if (!sauve.A_sauver) liste.push_back(std::move(sauve));
}

void FonctionsMixer::Sauve_sourdine(std::vector<Sourdine_sauvee>& liste, uint32_t identifiant_controle) {
  // A line muted as the other input and chosen later keeps the value saved
  // first, not the muted state this program gave it.
  for (const auto* l : {&sauves_.Sourdines_entree_choisie, &sauves_.Sourdines_autre_entree})
    for (const Sourdine_sauvee& s : *l)
      if (s.Ligne == Ligne.Identifiant) return;
  uint32_t valeur = 0;
  if (Lecture_booleen(identifiant_controle, valeur) == MMSYSERR_NOERROR)
    liste.push_back({Ligne.Identifiant, Ligne.Nombre_controles, valeur});
}

void FonctionsMixer::Reglage_ligne_entree(std::vector<Sourdine_sauvee>& sourdines,
                                          std::vector<Valeur_sauvee>* volumes) {
  if (Controles_ligne() != MMSYSERR_NOERROR) return;
  for (size_t i = 0; i < Controles.size(); ++i) {
    if (Controles[i].Type == MIXERCONTROL_CONTROLTYPE_MUTE) {
      Sauve_sourdine(sourdines, Controles[i].Identifiant);
      Ecriture_booleen(Controles[i].Identifiant, 1);
    } else if (volumes != nullptr && Controles[i].Type == MIXERCONTROL_CONTROLTYPE_VOLUME) {
      Sauve_valeurs(*volumes, i);
      Ecriture_pourcentage(i, Niveau_voie_gauche, Niveau_voie_droite);
    }
  }
}

void FonctionsMixer::Reglage_entree_restitution(uint32_t type_entree) {
  Entree_restitution_trouvee = false;
  if (Ligne_par_type(type_entree) == MMSYSERR_NOERROR) {
    Entree_restitution_trouvee = true;
    Reglage_ligne_entree(sauves_.Sourdines_entree_choisie, &sauves_.Volumes_entree_choisie);
    return;
  }
  // No line of that type: an analog source of the playback mix named like
  // the input ("MIc..." or "LIne...") stands for it.
  uint32_t destination = 0;
  uint32_t connexions = 0;
  if (Destination_haut_parleurs(destination, connexions) != MMSYSERR_NOERROR) return;
  const char seconde = 'I';
  const char premiere = type_entree == MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE ? 'M' : 'L';
  for (uint32_t s = 0; s < connexions; ++s) {
    if (Ligne_par_indices(destination, s) != MMSYSERR_NOERROR) continue;
    if (Ligne.Type_composant != MIXERLINE_COMPONENTTYPE_SRC_ANALOG) continue;
    if (!Commence_par(Ligne.Nom_court, premiere, seconde)) continue;
    Entree_restitution_trouvee = true;
    Reglage_ligne_entree(sauves_.Sourdines_entree_choisie, &sauves_.Volumes_entree_choisie);
  }
}

void FonctionsMixer::Reglage_autre_entree(uint32_t type_autre) {
  if (Ligne_par_type(type_autre) != MMSYSERR_NOERROR) return;
  Reglage_ligne_entree(sauves_.Sourdines_autre_entree, nullptr);
}

void FonctionsMixer::Reglage_enregistrement() {
  Enregistrement_trouve = Ligne_par_type(MIXERLINE_COMPONENTTYPE_DST_WAVEIN) == MMSYSERR_NOERROR;
  if (!Enregistrement_trouve || Controles_ligne() != MMSYSERR_NOERROR) return;
  for (size_t i = 0; i < Controles.size(); ++i) {
    const uint32_t type = Controles[i].Type;
    if (type == MIXERCONTROL_CONTROLTYPE_UNSIGNED) {
      Ecriture_pourcentage(i, Gain_entree_carte, Gain_entree_carte);
    } else if (type == MIXERCONTROL_CONTROLTYPE_MIXER || type == MIXERCONTROL_CONTROLTYPE_MUX) {
      if (Textes_liste(i) != MMSYSERR_NOERROR) continue;
      Sauve_items(sauves_.Items_enregistrement, i);
      Selection_source(i);
    }
  }
}

void FonctionsMixer::Selection_source(size_t indice) {
  bool item_ligne = false;
  for (const Item_liste& item : Items) item_ligne |= item.Type_composant == MIXERLINE_COMPONENTTYPE_SRC_LINE;
  for (uint32_t k = 0; k < Items.size(); ++k) {
    const Item_liste& item = Items[k];
    bool choisi;
    if (Choix_microphone) {
      choisi = item.Type_composant == MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
    } else if (item_ligne) {
      choisi = item.Type_composant == MIXERLINE_COMPONENTTYPE_SRC_LINE;
    } else {
      choisi =
          (item.Type_composant == MIXERLINE_COMPONENTTYPE_SRC_ANALOG && Commence_par(item.Nom, 'L', '\0')) ||
          Commence_par(item.Nom, 'L', 'I');
    }
    if (!choisi) {
      Ecriture_item(indice, k, 0);
      continue;
    }
    Ecriture_item(indice, k, 1);
    source_choisie_ = item.Identifiant_ligne;
    Source_selectionnee = true;
    return;
  }
}

void FonctionsMixer::Reglage_volume_source() {
  if (!Source_selectionnee) return;
  if (Ligne_par_identifiant(source_choisie_) != MMSYSERR_NOERROR) return;
  if (Controles_ligne() != MMSYSERR_NOERROR) return;
  for (size_t i = 0; i < Controles.size(); ++i) {
    if (Controles[i].Type != MIXERCONTROL_CONTROLTYPE_VOLUME) continue;
    Controle_volume_trouve = true;
    Sauve_valeurs(sauves_.Volumes_source_enregistrement, i);
    Ecriture_pourcentage(i, Niveau_voie_gauche, Niveau_voie_droite);
  }
}

void FonctionsMixer::Volume_enregistrement(int32_t gauche, int32_t droite) {
  if (!Reglage_logiciel || !Source_selectionnee || pilote_ == nullptr) return;
  if (Ligne_par_identifiant(source_choisie_) != MMSYSERR_NOERROR) return;
  if (Controles_ligne() != MMSYSERR_NOERROR) return;
  for (size_t i = 0; i < Controles.size(); ++i)
    if (Controles[i].Type == MIXERCONTROL_CONTROLTYPE_VOLUME) Ecriture_pourcentage(i, gauche, droite);
}

// --- Restore ---

void FonctionsMixer::Restauration_sourdine(const Sourdine_sauvee& sourdine) {
  if (Ligne_par_identifiant(sourdine.Ligne) != MMSYSERR_NOERROR) return;
  if (Controles_ligne() != MMSYSERR_NOERROR) return;
  for (const Controle_mixer& c : Controles)
    if (c.Type == MIXERCONTROL_CONTROLTYPE_MUTE) Ecriture_booleen(c.Identifiant, sourdine.Valeur);
}

void FonctionsMixer::Restauration_mixer() {
  if (!Reglage_logiciel || pilote_ == nullptr || pilote_->Nombre_mixers() == 0) return;
  // 1. Recording destination: its unsigned controls to 0 %, then its selector.
  if (Ligne_par_type(MIXERLINE_COMPONENTTYPE_DST_WAVEIN) == MMSYSERR_NOERROR &&
      Controles_ligne() == MMSYSERR_NOERROR) {
    for (size_t i = 0; i < Controles.size(); ++i)
      if (Controles[i].Type == MIXERCONTROL_CONTROLTYPE_UNSIGNED) Ecriture_pourcentage(i, 0, 0);
  }
  Restaure(sauves_.Items_enregistrement);
  // 2. Volume of the selected recording source.
  for (const Valeur_sauvee& v : sauves_.Volumes_source_enregistrement) Restaure(v);
  // 3. Speaker destination.
  Restaure(sauves_.Items_haut_parleurs);
  Restaure(sauves_.Sourdine_haut_parleurs);
  Restaure(sauves_.Volume_haut_parleurs);
  Restaure(sauves_.Graves);
  Restaure(sauves_.Aigus);
  // 4. Wave output.
  Restaure(sauves_.Sourdine_wave);
  Restaure(sauves_.Volume_wave);
  // 5. Inputs in the playback mix.
  for (const Sourdine_sauvee& s : sauves_.Sourdines_entree_choisie) Restauration_sourdine(s);
  for (const Sourdine_sauvee& s : sauves_.Sourdines_autre_entree) Restauration_sourdine(s);
  for (const Valeur_sauvee& v : sauves_.Volumes_entree_choisie) Restaure(v);
}

}  // namespace talven
