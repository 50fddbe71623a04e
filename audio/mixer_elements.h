// The simple-mixer elements of one ALSA device, as the mixer mapping
// (mixer_alsa.h) sees them: each element's name and index, what it can do
// (playback and capture volume and switch, enumeration) and its values.
//
// Two sets implement it: the elements of a real ALSA device (inside
// mixer_alsa.cpp) and a set read from an `amixer scontents` listing
// (mixer_listing.h), so that the same mapping runs on the card at hand and
// on the listings of cards the machine does not have.
//
// Responsibilities: describe the elements; read and write their values.
// Collaborations: used by MixerAlsa.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talven {

// What one element can do. Volumes are raw values between the minimum and
// the maximum of their direction; channel 0 is front left (or mono),
// channel 1 front right.
struct Element_simple {
  std::string Nom;
  uint32_t Indice = 0;
  bool Actif = true;
  bool Volume_lecture = false;       // playback volume
  bool Commutateur_lecture = false;  // playback switch (off = muted)
  bool Volume_capture = false;       // capture volume
  bool Commutateur_capture = false;  // capture switch (on = recorded)
  bool Capture_exclusive = false;    // the capture switch belongs to an exclusive group
  bool Volume_commun = false;        // one volume for both directions (a boost, say)
  bool Lecture_mono = true;          // a single playback channel
  bool Capture_mono = true;          // a single capture channel
  long Minimum_lecture = 0, Maximum_lecture = 0;
  long Minimum_capture = 0, Maximum_capture = 0;
  bool Enumeration_capture = false;  // a choice among `Items` for capture (a source selector)
  std::vector<std::string> Items;    // the choices of an enumerated element
};

class Elements_mixer {
 public:
  static constexpr size_t Absent = static_cast<size_t>(-1);

  virtual ~Elements_mixer() = default;

  // Every element, in the device's order.
  virtual const std::vector<Element_simple>& Elements() const = 0;

  // Values of element `e`; `lecture` chooses playback, else capture. Each
  // returns 0, or a negative error code and leaves its output alone.
  virtual int Volume(size_t e, bool lecture, int canal, long& valeur) = 0;
  // `canal` -1 sets every channel.
  virtual int Ecriture_volume(size_t e, bool lecture, int canal, long valeur) = 0;
  virtual int Commutateur(size_t e, bool lecture, bool& actif) = 0;
  // Sets every channel.
  virtual int Ecriture_commutateur(size_t e, bool lecture, bool actif) = 0;
  virtual int Item(size_t e, unsigned& item) = 0;
  virtual int Ecriture_item(size_t e, unsigned item) = 0;
  // Takes in changes made by other programs since the last call.
  virtual void Actualisation() {}

  // The element of that name (exact, case included) and index, or Absent.
  size_t Recherche(std::string_view nom, uint32_t indice = 0) const {
    const std::vector<Element_simple>& v = Elements();
    for (size_t k = 0; k < v.size(); ++k)
      if (v[k].Nom == nom && v[k].Indice == indice) return k;
    return Absent;
  }
};

}  // namespace talven
