// The sound card's mixer through ALSA's simple mixer interface, presented as
// the mixer model of modele_mixer.h.
//
// Responsibilities: open the mixer of one ALSA device ("default" unless the
// program is given another, e.g. "hw:1"), or take a set of elements read
// from an `amixer` listing (mixer_listing.h), and map the usual elements of
// index 0 onto the program's lines:
//   - speaker destination: "Master", else "Speaker", else "PCM"; its
//     playback volume is the destination's VOLUME control, its playback
//     switch the MUTE control (muted = switch off);
//   - wave-output source: "PCM" when it is not the speaker destination
//     itself. Without it (a sound server's default device, a USB card with
//     one output level) the program's sound reaches the speaker destination
//     with no level of its own: the source is there, without controls;
//   - line and microphone sources of the playback mix: the playback volume
//     and switch of "Line" and "Mic". A card without that element does not
//     mix the input into its output at all, which is what the program wants:
//     the source is there, without controls, and nothing needs muting;
//   - recording destination, whose selector is one of:
//       - a MIXER control over the elements with a capture switch of their
//         own (not "Capture"), when there are two or more: item state =
//         that element's capture switch;
//       - a MUX control over the items of the capture-source enumeration
//         ("Input Source", "Capture Source"), the item chosen being recorded
//         while the "Capture" switch is on; selecting an item turns that
//         switch on, selecting none turns it off (so a card found with the
//         switch off gets it back off at exit, its enumeration keeping the
//         source last chosen: with the switch off nothing tells which it
//         was);
//       - with a single recording path (one element with a capture switch,
//         else "Capture", else the one element with a capture volume of its
//         own: a sound server's "Capture", a USB card's "Mic"), a MIXER
//         control of two items, one listed as the line input and one as the
//         microphone, both naming that path: whichever input the operator
//         chose, it is the recording source. Its state is the path's capture
//         switch (always on without one);
//     Item lines are typed by name: containing "Mic", microphone; "Line",
//     line input; anything else an analog source named after the element;
//   - the recording volume of an item is that element's capture volume, or
//     the "Capture" element's when the item has none (enumerated sources).
// An element the card lacks simply gives no line or control, so the mixer
// unit's result flags name what is really missing (a card that cannot
// record has no recording destination). A device without a mixer gives no
// mixer device at all.
// Collaborations: used by FonctionsMixer through Pilote_mixer; the elements
// through Elements_mixer (ALSA's, kept in mixer_alsa.cpp, or a listing's).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "audio/mixer_elements.h"
#include "audio/mixer_simule.h"
#include "audio/modele_mixer.h"

namespace talven {

class MixerAlsa final : public Pilote_mixer {
 public:
  // `peripherique`: ALSA control device name. The mixer is opened here; an
  // error leaves the object without a mixer (Nombre_mixers() == 0).
  explicit MixerAlsa(std::string peripherique = "default");
  // The mapping over a given set of elements; null gives no mixer.
  explicit MixerAlsa(std::unique_ptr<Elements_mixer> elements);
  ~MixerAlsa() override;
  MixerAlsa(const MixerAlsa&) = delete;
  MixerAlsa& operator=(const MixerAlsa&) = delete;

  // The ALSA error code of the opening, 0 when the mixer is open.
  int Erreur_ouverture() const { return erreur_; }

  uint32_t Nombre_mixers() override { return elements_ != nullptr ? 1 : 0; }
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
  enum class Genre {
    Volume_lecture,
    Volume_capture,
    Sourdine_lecture,
    Commutateurs_capture,
    Enumeration,
    Chemin_unique
  };
  struct Liaison {
    Genre genre;
    size_t element = Elements_mixer::Absent;      // the element, or the enumeration
    size_t commutateur = Elements_mixer::Absent;  // "Capture", switched with the enumeration
    std::vector<size_t> elements;                 // items of a switch selector
  };
  void Construction();

  std::unique_ptr<Elements_mixer> elements_;
  int erreur_ = 0;
  // Lines and controls; values are not kept here but read from the elements.
  MixerSimule topologie_;
  std::map<uint32_t, Liaison> liaisons_;
};

}  // namespace talven
