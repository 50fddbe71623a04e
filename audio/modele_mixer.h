// The mixer as the program sees it: destinations (speaker output, recording)
// each with its sources, every line with its controls, and the three kinds of
// values a control holds (boolean, two-channel unsigned, per-item boolean).
// The line, component and control types keep their published numeric values
// so that a saved setting or a log means the same on every back-end.
//
// A back-end (`Pilote_mixer`) maps a real mixer onto this model: the ALSA
// simple mixer (mixer_alsa.h) or a topology written by a test
// (mixer_simule.h).
#pragma once

#include <cstdint>
#include <vector>

#include "common/texte.h"

namespace talven {

// Component types of lines.
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_DST_SPEAKERS = 4;
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_DST_WAVEIN = 7;
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_LINE = 0x1002;
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE = 0x1003;
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT = 0x1008;
inline constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_ANALOG = 0x1009;

// Control types.
inline constexpr uint32_t MIXERCONTROL_CONTROLTYPE_MUTE = 0x20010002;
inline constexpr uint32_t MIXERCONTROL_CONTROLTYPE_UNSIGNED = 0x30030000;
inline constexpr uint32_t MIXERCONTROL_CONTROLTYPE_VOLUME = 0x50030001;
inline constexpr uint32_t MIXERCONTROL_CONTROLTYPE_BASS = 0x50030002;
inline constexpr uint32_t MIXERCONTROL_CONTROLTYPE_TREBLE = 0x50030003;
inline constexpr uint32_t MIXERCONTROL_CONTROLTYPE_MUX = 0x70010001;
inline constexpr uint32_t MIXERCONTROL_CONTROLTYPE_MIXER = 0x71010001;

// Result codes of the mixer operations (0 is success).
using Resultat_mixer = uint32_t;
inline constexpr Resultat_mixer MMSYSERR_NOERROR = 0;
inline constexpr Resultat_mixer MMSYSERR_BADDEVICEID = 2;
inline constexpr Resultat_mixer MMSYSERR_INVALPARAM = 11;
inline constexpr Resultat_mixer MIXERR_INVALLINE = 1024;
inline constexpr Resultat_mixer MIXERR_INVALCONTROL = 1025;

// At most this many controls of a line and items of a multiple-item control
// are handled; the rest are ignored.
inline constexpr uint32_t Maximum_controles = 49;
inline constexpr uint32_t Maximum_items = 49;

// One line: a destination (speaker output, recording) or one of the sources
// feeding a destination.
struct Ligne_mixer {
  uint32_t Identifiant = 0;        // unique in the mixer
  uint32_t Destination = 0;        // index of the destination, 0 .. destinations - 1
  uint32_t Source = 0;             // index among the destination's sources (sources only)
  uint32_t Type_composant = 0;     // MIXERLINE_COMPONENTTYPE_*
  Texte Nom_court;                 // short name, Windows-1252
  uint32_t Nombre_canaux = 1;      // 1 (mono) or 2 (left, right)
  uint32_t Nombre_connexions = 0;  // number of sources (destinations only)
  uint32_t Nombre_controles = 0;   // number of controls of the line
};

// One control of a line.
struct Controle_mixer {
  uint32_t Identifiant = 0;   // unique in the mixer
  uint32_t Type = 0;          // MIXERCONTROL_CONTROLTYPE_*
  bool Uniforme = true;       // one value for all channels
  uint32_t Nombre_items = 0;  // items of a MIXER/MUX control, 0 otherwise
  int32_t Minimum = 0;        // range of an unsigned or volume control, raw units
  int32_t Maximum = 0;
};

// One item of a MIXER or MUX control: a source line it selects.
struct Item_liste {
  uint32_t Identifiant_ligne = 0;  // line identifier of the source
  uint32_t Type_composant = 0;     // that line's component type
  Texte Nom;                       // that line's short name
};

// A mixer device. Values are exchanged as arrays of 32-bit raw values:
// booleans 0/1 with one channel; unsigned values one per channel; per-item
// booleans `items` groups of `canaux` values (item i, channel c at
// i * canaux + c). Every operation returns a result code and leaves its output
// untouched on failure.
class Pilote_mixer {
 public:
  virtual ~Pilote_mixer() = default;

  // Number of mixer devices (0 or more); the program uses the first.
  virtual uint32_t Nombre_mixers() = 0;
  // The first line of the given component type.
  virtual Resultat_mixer Ligne_par_type(uint32_t type_composant, Ligne_mixer& ligne) = 0;
  virtual Resultat_mixer Ligne_par_identifiant(uint32_t identifiant, Ligne_mixer& ligne) = 0;
  // Source `source` of destination `destination`.
  virtual Resultat_mixer Ligne_par_indices(uint32_t destination, uint32_t source, Ligne_mixer& ligne) = 0;
  // Every control of a line, in the mixer's order.
  virtual Resultat_mixer Controles(uint32_t identifiant_ligne, std::vector<Controle_mixer>& controles) = 0;
  // The items of a MIXER or MUX control.
  virtual Resultat_mixer Textes_liste(uint32_t identifiant_controle, std::vector<Item_liste>& items) = 0;
  // Reads or writes `canaux` x max(items, 1) values of a control.
  virtual Resultat_mixer Lecture(uint32_t identifiant_controle, uint32_t canaux, uint32_t items,
                                 std::vector<uint32_t>& valeurs) = 0;
  virtual Resultat_mixer Ecriture(uint32_t identifiant_controle, uint32_t canaux, uint32_t items,
                                  const std::vector<uint32_t>& valeurs) = 0;
};

}  // namespace talven
