// The sound card's mixer through ALSA's simple mixer interface, presented as
// the mixer model of modele_mixer.h.
//
// Responsibilities: open the mixer of one ALSA device ("default" unless the
// program is given another, e.g. "hw:1") and map its usual elements:
//   - "Master" (or else "Speaker"): the speaker destination; its playback
//     volume is the destination's VOLUME control, its playback switch the
//     MUTE control (muted = switch off);
//   - "PCM": the wave-output source of the speaker destination (VOLUME, MUTE);
//   - "Line" and "Mic" playback volume and switch: the line and microphone
//     sources of the speaker destination (VOLUME, MUTE);
//   - the recording destination exists when an element has a capture switch
//     or is a capture-source enumeration. Its selector is a MIXER control
//     whose items are the elements with a capture switch (state = switch),
//     or, when the card has none, a MUX control whose items are the values of
//     the capture-source enumeration ("Capture Source", "Input Source").
//     Item lines are typed by name: "Line..." line input, "Mic..."
//     microphone, anything else an analog source named after the element;
//   - the recording volume of an item is that element's capture volume
//     ("Line", "Mic", ...), or the "Capture" element's capture volume when
//     the item has none (enumerated sources).
// An element the card lacks simply gives no line or control, so the mixer
// unit's result flags name what is missing. A device without a mixer gives
// no mixer device at all.
// Collaborations: used by FonctionsMixer through Pilote_mixer.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "audio/mixer_simule.h"
#include "audio/modele_mixer.h"

struct _snd_mixer;
struct _snd_mixer_elem;

namespace talven {

class MixerAlsa final : public Pilote_mixer {
 public:
  // `peripherique`: ALSA control device name. The mixer is opened here; an
  // error leaves the object without a mixer (Nombre_mixers() == 0).
  explicit MixerAlsa(std::string peripherique = "default");
  ~MixerAlsa() override;
  MixerAlsa(const MixerAlsa&) = delete;
  MixerAlsa& operator=(const MixerAlsa&) = delete;

  // The ALSA error code of the opening, 0 when the mixer is open.
  int Erreur_ouverture() const { return erreur_; }

  uint32_t Nombre_mixers() override { return mixer_ != nullptr ? 1 : 0; }
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
  enum class Genre { Volume_lecture, Volume_capture, Sourdine_lecture, Commutateurs_capture, Enumeration };
  struct Liaison {
    Genre genre;
    _snd_mixer_elem* element = nullptr;
    std::vector<_snd_mixer_elem*> elements;  // items of a switch selector
  };
  void Construction();
  _snd_mixer_elem* Element(const char* nom) const;

  _snd_mixer* mixer_ = nullptr;
  int erreur_ = 0;
  // Lines and controls; values are not kept here but read from ALSA.
  MixerSimule topologie_;
  std::map<uint32_t, Liaison> liaisons_;
};

}  // namespace talven
