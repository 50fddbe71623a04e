// Input gain and automatic gain control.
//
// Responsibilities: the operator's gain choice (x 0.2 .. x 1, or automatic),
// routed to the recording volume of the channel that carries the signal
// (the other channel at 0); once per received buffer, the saturation lamp
// and the automatic steps: down 100, 90, ..., 10, 5 on saturated buffers,
// up 5, 10, 20, ..., 100 on pairs of quiet buffers, acting through the
// mixer's recording volume, never by scaling samples; the level and gain
// shown in percent.
// Collaborations: writes the recording levels into the `FonctionsMixer`
// settings and calls its `Reglage_mixer` (after a choice) or
// `Volume_enregistrement` (automatic steps); reads its `Reglage_logiciel`,
// `Choix_microphone` and `Controle_volume_trouve`; the receive pipeline
// calls `Controle_gain` with each buffer copy; the view implements
// `ObservateurGain`.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "audio/fonctions_mixer.h"
#include "common/texte.h"

namespace talven {

class ObservateurGain {
 public:
  virtual ~ObservateurGain() = default;
  // `Niveau` and `Gain` labels: decimal percentages ("73", "100"), valid
  // only during the call.
  virtual void Niveau_gain(VueTexte niveau, VueTexte gain) = 0;
  // Saturation lamp `Label7`: red, or back to the button-face colour.
  virtual void Saturation(bool rouge) = 0;
  // After a gain choice the focus goes back to the received text during
  // reception or to the typing window during transmission.
  virtual void Retour_focus() = 0;
};

class ControleGain {
 public:
  static constexpr int32_t Gain_minimal = 5;      // lowest automatic gain, %
  static constexpr int32_t Gain_maximal = 100;    // %
  static constexpr int32_t Seuil_faible = 40;     // level below which a buffer is quiet, %
  static constexpr int32_t Taille_tampon = 3675;  // samples of a full input buffer

  // `mixer`: the mixer layer whose settings carry the recording levels;
  // must outlive this object.
  explicit ControleGain(FonctionsMixer& mixer);

  void Observateur(ObservateurGain* observateur) { observateur_ = observateur; }

  // Puts g (percent, 0..100) on the channel of the selected input
  // (left for "Line in left channel" and for the microphone, right
  // otherwise) and 0 on the other, into the mixer settings
  // `Niveau_voie_gauche` and `Niveau_voie_droite`.
  void Routage_gain(int32_t g);

  // The gain buttons x 0.2, x 0.4, x 0.6, x 0.8, x 1 and automatic (100 %):
  // choice stored, level routed, mixer set up, focus given back.
  void Gain_entree_fois_0_2MouseUP();
  void Gain_entree_fois0_4MouseUP();
  void Gain_entree_fois0_6MouseUP();
  void Gain_entree_fois0_8MouseUP();
  void Gain_entree_fois1MouseUP();
  void AGCMouseUp();
  // The common handler: v = 20, 40, 60, 80 or 100 (percent), `automatique`
  // for the AGC button (v is then 100). Throws std::invalid_argument for
  // any other v.
  void Choix_gain(int32_t v, bool automatique);

  // Activation of the transceiver window: `Gain_courant` := `Gain_choisi`
  // and routed (the caller then runs the mixer set-up).
  void Activation();

  // One received buffer. `copie`: the buffer copied up to its first sample
  // of value 0, so shorter than `Taille_tampon` when the input saturated;
  // `Niveau_signal`: the level meter, percent 0..100. Updates the lamp, the
  // automatic gain (only with a volume control found, software adjustment
  // and automatic control) and the labels. Returns true when the buffer
  // saturated.
  bool Controle_gain(std::span<const uint8_t> copie, int32_t Niveau_signal);
  // The same with the copy's length only.
  bool Controle_gain(size_t longueur_copie, int32_t Niveau_signal);

  // --- State ---
  int32_t Gain_choisi = 100;     // 20, 40, 60, 80 or 100 (automatic: 100), %
  bool CAG_active = true;        // automatic control chosen
  int32_t Gain_courant = 100;    // gain applied now, 5..100, %
  int32_t Niveau_precedent = 0;  // level of the previous buffer, %
  // Input selection: "Line in left channel"; the microphone is read from the
  // mixer's `Choix_microphone`; neither means "Line in right channel".
  bool Choix_entree_gauche = true;
  bool Saturation_affichee = false;  // `Label7` is red

 private:
  void Affichage_niveau_gain(int32_t niveau);

  FonctionsMixer* mixer_;
  ObservateurGain* observateur_ = nullptr;
};

}  // namespace talven
