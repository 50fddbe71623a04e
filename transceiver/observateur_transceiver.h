// What the transceiver window shows, as one interface: the view implements
// it and overrides only what it displays.
//
// Responsibilities: gather every report of the engine to its view — the
// frequency labels (Costas loop), the letter label and lock indicator
// (character decoder), the S/N label and the spectrum redraw (spectrum), the
// focus and the stop-of-sequence button (keyboard entry), level, gain and
// saturation lamp (gain control), the three memos, the late-processing lamp,
// the text-pending indicator, the state captions, visibility of the window's
// elements, the closing of the window and the end of a transmission by the
// transmit watchdog.
// Collaborations: `TraducteurEditeurPsk` hands it to each unit it owns and
// forwards the memo changes with the memo's identity. Every member has a
// no-op default, so a view that shows nothing needs no code at all.
#pragma once

#include <cstdint>

#include "common/texte.h"
#include "dsp/costas.h"
#include "transceiver/analyse_reception.h"
#include "transceiver/controle_gain.h"
#include "transceiver/decodage_caracteres.h"
#include "transceiver/saisie_emission.h"

namespace talven {

// The three text windows: received text, typing window, transmitted strip.
enum class MemoFenetre { Memo1, Memo2, Memo3 };

// Elements of the window whose caption or visibility the engine sets.
enum class ElementFenetre {
  Fenetre,               // the window caption
  RETOUR_MENU,           // "Return to the menu"
  Label1,                // "TRANSLATOR"
  Label2,                // "EDITOR", shown outside reception
  Label9,                // "TRANSMITTED"
  GroupBox1,             // lock indicator's box
  GroupBox2,             // gain choice
  GroupBox3,             // received letter
  GroupBox4,             // sequence buttons
  GroupBox5,             // level and gain
  GroupBox6,             // state buttons
  GroupBox7,             // late-processing lamp
  GroupBox9,             // frequencies
  Nettoyage,             // "Clear windows"
  AGC,                   // automatic gain button
  Mode_esclave,          // slave mode button
  mode_maitre,           // master mode button
  Image_spectre,         // the spectrum, in place of Memo2 and Memo3 during reception
  Memo2,                 // typing window
  Memo3,                 // transmitted-text strip
  S_SUR_B,               // S/N label
  transmission_a_faire,  // text being taken from the queue
};

// Controls that can take the keyboard focus besides the two memos of
// `ZoneFocus`.
enum class ControleFocus {
  Memo1,
  Memo2,
  P66,
  P166,
  AGC,
  FOIS_0_2,
  FOIS_0_4,
  FOIS_0_6,
  FOIS_0_8,
  FOIS_1,
  mode_maitre,
  Mode_esclave
};

class ObservateurTransceiver : public ObservateurCostas,
                               public ObservateurDecodage,
                               public ObservateurSpectre,
                               public ObservateurSaisie,
                               public ObservateurGain {
 public:
  ~ObservateurTransceiver() override = default;

  // --- Costas loop: the three frequency labels (e.g. " 500.0 Hz") ---
  void Etiquettes_frequences(VueTexte, VueTexte, VueTexte) override {}

  // --- Character decoder ---
  // Caption of the `Lettre` label (1 to 3 bytes, shown literally).
  void Lettre(VueTexte) override {}
  // Lock indicator `Label8` shown or hidden (may repeat the current state).
  void Label8(bool) override {}

  // --- Spectrum ---
  // The S/N label, "S/N= 3.250", "S/N>100", "S/N=???" (or "S/B...").
  void S_sur_B(VueTexte) override {}
  // Redraw the spectrum image from `TraducteurEditeurPsk::spectre`.
  void Spectre_a_redessiner() override {}

  // --- Keyboard entry ---
  void Focus(ZoneFocus) override {}
  // The stop-of-sequence button shown with its caption, or hidden.
  void Arret_sequence(bool, VueTexte) override {}

  // --- Gain control ---
  // `Niveau` and `Gain` labels, decimal percentages.
  void Niveau_gain(VueTexte, VueTexte) override {}
  // Saturation lamp `Label7`: true red, false button-face colour.
  void Saturation(bool) override {}
  // After a gain choice: focus back to Memo1 (reception) or Memo2.
  void Retour_focus() override {}

  // --- The engine's own reports ---
  // A character typed at the end of a memo (13: new line, 8: erase the last
  // character or CR LF pair), as `Memo::Frappe` applies it.
  virtual void Memo_caractere(MemoFenetre, uint8_t) {}
  // A memo's whole text replaced (cleared or cut to its end).
  virtual void Memo_texte(MemoFenetre, VueTexte) {}
  // Late-processing lamp `Label5`: true red (samples skipped in reception,
  // buffer completed with carrier in transmission), false button-face.
  virtual void Label5(bool) {}
  // Captions of the three state buttons `Bouton_Edition`, `Bouton_Arret`,
  // `Bouton_traduction` (Windows-1252, valid only during the call).
  virtual void Etiquettes_etat(VueTexte, VueTexte, VueTexte) {}
  // Caption of an element (Windows-1252, valid only during the call).
  virtual void Legende(ElementFenetre, VueTexte) {}
  // An element shown (true) or hidden (false).
  virtual void Visibilite(ElementFenetre, bool) {}
  // The keyboard focus goes to a control.
  virtual void Focus_controle(ControleFocus) {}
  // The window closes: control returns to the main window.
  virtual void Fermeture_fenetre() {}
  // The transmit watchdog ended a transmission left idle for `minutes`
  // minutes; reception has started again. `message` is the operator's
  // notice in the current language (Windows-1252, valid only during the
  // call). Told once per transmission so ended, after the transmitter was
  // released.
  virtual void Fin_emission_garde(int32_t /*minutes*/, VueTexte /*message*/) {}
};

// Forwards every report to the view attached now, or to nobody. The engine
// hands this one object to each unit it owns at construction, so a view can
// be attached when its window opens and detached when it closes while the
// units keep their references.
class RelaisObservateur final : public ObservateurTransceiver {
 public:
  // `vue`: the view to report to, nullptr for nobody; not owned.
  void Cible(ObservateurTransceiver* vue) { vue_ = vue != nullptr ? vue : &muet_; }
  bool Attache() const { return vue_ != &muet_; }

  void Etiquettes_frequences(VueTexte r, VueTexte e, VueTexte d) override {
    vue_->Etiquettes_frequences(r, e, d);
  }
  void Lettre(VueTexte t) override { vue_->Lettre(t); }
  void Label8(bool v) override { vue_->Label8(v); }
  void S_sur_B(VueTexte t) override { vue_->S_sur_B(t); }
  void Spectre_a_redessiner() override { vue_->Spectre_a_redessiner(); }
  void Focus(ZoneFocus z) override { vue_->Focus(z); }
  void Arret_sequence(bool v, VueTexte t) override { vue_->Arret_sequence(v, t); }
  void Niveau_gain(VueTexte n, VueTexte g) override { vue_->Niveau_gain(n, g); }
  void Saturation(bool r) override { vue_->Saturation(r); }
  void Retour_focus() override { vue_->Retour_focus(); }
  void Memo_caractere(MemoFenetre m, uint8_t c) override { vue_->Memo_caractere(m, c); }
  void Memo_texte(MemoFenetre m, VueTexte t) override { vue_->Memo_texte(m, t); }
  void Label5(bool r) override { vue_->Label5(r); }
  void Etiquettes_etat(VueTexte a, VueTexte b, VueTexte c) override { vue_->Etiquettes_etat(a, b, c); }
  void Legende(ElementFenetre e, VueTexte t) override { vue_->Legende(e, t); }
  void Visibilite(ElementFenetre e, bool v) override { vue_->Visibilite(e, v); }
  void Focus_controle(ControleFocus c) override { vue_->Focus_controle(c); }
  void Fermeture_fenetre() override { vue_->Fermeture_fenetre(); }
  void Fin_emission_garde(int32_t minutes, VueTexte message) override {
    vue_->Fin_emission_garde(minutes, message);
  }

 private:
  ObservateurTransceiver muet_;
  ObservateurTransceiver* vue_ = &muet_;
};

}  // namespace talven
