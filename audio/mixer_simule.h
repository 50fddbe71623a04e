// A mixer held in memory, whose topology a test or a demonstration writes in
// a few lines:
//
//   MixerSimule m;
//   auto hp = m.Destination(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, "Volume");
//   auto volume = m.Controle(hp, MIXERCONTROL_CONTROLTYPE_VOLUME);
//   auto rec = m.Destination(MIXERLINE_COMPONENTTYPE_DST_WAVEIN, "Recording");
//   auto ligne = m.Source(rec, MIXERLINE_COMPONENTTYPE_SRC_LINE, "Line In");
//   m.Selecteur(rec, MIXERCONTROL_CONTROLTYPE_MUX, {ligne});
//
// Lines are searched by type in the order they were added. Every write is
// counted, so a test can check that nothing touched the mixer.
//
// Responsibilities: keep lines, controls and their values; answer the
// back-end queries of `Pilote_mixer`. Collaborations: none.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "audio/modele_mixer.h"

namespace talven {

class MixerSimule final : public Pilote_mixer {
 public:
  // false models a machine without a mixer device.
  bool Present = true;
  // Number of successful writes so far.
  uint32_t Ecritures = 0;

  // Adds a destination line; returns its line identifier.
  uint32_t Destination(uint32_t type_composant, VueTexte nom, uint32_t canaux = 2);
  // Adds a source line to the destination of line identifier `destination`.
  uint32_t Source(uint32_t destination, uint32_t type_composant, VueTexte nom, uint32_t canaux = 2);
  // Adds a boolean or valued control to a line; values start at `initiale`
  // on every channel. Returns the control identifier.
  uint32_t Controle(uint32_t ligne, uint32_t type, int32_t minimum = 0, int32_t maximum = 65535,
                    uint32_t initiale = 0);
  // Adds a MIXER or MUX control whose items are the given source lines.
  uint32_t Selecteur(uint32_t ligne, uint32_t type, const std::vector<uint32_t>& sources,
                     bool uniforme = true);
  // The same with each item given whole: the source line it selects and the
  // type and name it is listed with, so that two items may select the same
  // line under two types (one recording path serving either input).
  uint32_t Selecteur_items(uint32_t ligne, uint32_t type, const std::vector<Item_liste>& items,
                           bool uniforme = true);

  // The raw values of a control (item-major for selectors); empty if unknown.
  std::vector<uint32_t>& Valeurs(uint32_t controle) { return controles_[controle].valeurs; }
  // Every control's values, to compare whole mixer states.
  std::map<uint32_t, std::vector<uint32_t>> Etat() const;

  uint32_t Nombre_mixers() override { return Present ? 1 : 0; }
  Resultat_mixer Ligne_par_type(uint32_t type_composant, Ligne_mixer& ligne) override;
  Resultat_mixer Ligne_par_identifiant(uint32_t identifiant, Ligne_mixer& ligne) override;
  Resultat_mixer Ligne_par_indices(uint32_t destination, uint32_t source, Ligne_mixer& ligne) override;
  Resultat_mixer Controles(uint32_t identifiant_ligne, std::vector<Controle_mixer>& controles) override;
  Resultat_mixer Textes_liste(uint32_t identifiant_controle, std::vector<Item_liste>& items) override;
  Resultat_mixer Lecture(uint32_t identifiant_controle, uint32_t canaux, uint32_t items,
                         std::vector<uint32_t>& valeurs) override;
  Resultat_mixer Ecriture(uint32_t identifiant_controle, uint32_t canaux, uint32_t items,
                          const std::vector<uint32_t>& valeurs) override;

 private:
  struct Controle_simule {
    Controle_mixer description;
    uint32_t ligne = 0;
    std::vector<Item_liste> items;
    std::vector<uint32_t> valeurs;
  };
  Ligne_mixer* Trouve(uint32_t identifiant);

  std::vector<Ligne_mixer> lignes_;
  std::map<uint32_t, Controle_simule> controles_;
  std::vector<uint32_t> ordre_controles_;
  uint32_t prochain_identifiant_ = 1;
  uint32_t destinations_ = 0;
};

}  // namespace talven
