// Keyboard entry and sequences: the transmit text queue as the operator
// fills it.
//
// Responsibilities: translate typed keys to the mode's alphabet and queue
// them in `Texte_a_emettre`; take back a pending character on backspace or
// queue the deletion character "<" when nothing is pending; queue the eight
// stored sequences on F1..F8 or their buttons, block the keyboard while a
// sequence is sent, echo the sequence's characters into the typing window
// as the transmitter encodes them (skipping those typed before it, already
// shown) and end the sequence when the queue is empty; hand the transmitter
// its next character. Applies every key that reaches the typing window to
// the model `Memo2`.
// Collaborations: reads the transceiver's `Reception_active` and
// `Emission_active` flags and the sequence texts it is given; the
// transmitter calls `Caractere_suivant`, `Vidage` and `Echo_sequence`; the
// view implements `ObservateurSaisie` (focus, stop-of-sequence button) and
// mirrors `Memo2` through its `ObservateurMemo`.
#pragma once

#include <array>
#include <cstdint>

#include "common/langue.h"
#include "common/texte.h"
#include "transceiver/memo.h"

namespace talven {

// The window elements the keyboard entry acts on.
enum class ZoneFocus { Memo1, Memo2 };

class ObservateurSaisie {
 public:
  virtual ~ObservateurSaisie() = default;
  // The keyboard focus goes to the received text (Memo1) or the typing
  // window (Memo2).
  virtual void Focus(ZoneFocus zone) = 0;
  // The stop-of-sequence button `Arret_sequence` is shown with its caption
  // (Windows-1252, valid only during the call) or hidden (empty caption).
  virtual void Arret_sequence(bool visible, VueTexte legende) = 0;
};

class SaisieEmission {
 public:
  static constexpr size_t Longueur_maximale = 10010;    // characters in the queue
  static constexpr uint8_t Retour_arriere = 8;          // backspace key
  static constexpr uint8_t Retour_chariot = 13;         // carriage return
  static constexpr uint8_t Code_echo = 31;              // echo posted by the transmitter
  static constexpr uint8_t Caractere_effacement = '<';  // the mode's deletion character
  static constexpr uint8_t File_vide = 255;             // `Caractere_suivant` of an empty queue
  static constexpr int32_t Nombre_sequences = 8;

  // `Reception_active`, `Emission_active`: the transceiver's state flags
  // (never both true); `Textes_sequences`: sequence n is entry n - 1;
  // `langue`: the interface language. All must outlive this object.
  SaisieEmission(const bool& Reception_active, const bool& Emission_active,
                 const std::array<Texte, Nombre_sequences>& Textes_sequences, const Langue& langue);

  // Who shows focus and the stop-of-sequence button; nullptr for nobody;
  // not owned.
  void Observateur(ObservateurSaisie* observateur) { observateur_ = observateur; }

  // The translation of key byte k (Windows-1252) to the alphabet: lower-case
  // letters to upper case, the listed accented letters folded ("é" to "E");
  // `accepte` tells whether the result can be sent: A-Z, 0-9, carriage
  // return, space to slash, ":", "=", "?" and "@".
  static uint8_t Traduction_caractere(uint8_t k, bool& accepte);

  // Queues key k translated (a backspace on an empty queue queues "<") and
  // returns the character queued, or 0 when refused or the queue is full.
  uint8_t Ajout_caractere(uint8_t k);

  // Queues every character of a sequence text (refused ones, such as line
  // feeds, are dropped), only while transmitting; `Nombre_a_sauter` := the
  // number of characters already waiting.
  void Ajout_texte(VueTexte texte);

  // Starts sending sequence n (1..8) with text `texte`: replaces a sequence
  // in progress (dropping all that is queued), shows `Arret_sequence` with
  // its caption, queues the text, blocks the keyboard.
  void Debut_sequence(VueTexte texte, int32_t n);

  // A character key of the typing window: returns the key that reaches
  // `Memo2` (0 when suppressed) after applying it there. Blocked during a
  // sequence except the echo code 31, which becomes the character being
  // sent, once.
  uint8_t Appui_touche(uint8_t k);

  // A key-down (virtual key code v) of the typing window: returns v for F1
  // to F8 (112..119), 0 for any other key. F n sends sequence n while
  // transmitting (an empty one only refocuses `Memo2`); while receiving the
  // focus goes to `Memo1`.
  int32_t Appui_touche_etendue(int32_t v);

  // The buttons `Sequence1` .. `Sequence8` (n = 1..8; others do nothing).
  void SequenceNClick(int32_t n);
  // The stop-of-sequence button: cancels the sequence while transmitting.
  void Arret_sequenceClick();
  // A click in the typing window: while receiving the focus goes to `Memo1`.
  void Memo2Click();

  // Cancels a sequence in progress (stop requests of the transceiver): the
  // queue emptied, `Arret_sequence` hidden, the keyboard freed, focus on
  // `Memo2`. Characters already modulated still go out.
  void Annulation_sequence();

  // --- Transmitter side ---
  // Removes and returns the first queued character; 255 when the queue is
  // empty.
  uint8_t Caractere_suivant();
  // Start of a transmission: queue emptied, no sequence, no sequence
  // character.
  void Vidage();
  // After the transmitter encoded c: while a sequence is sent, c becomes
  // `Caractere_sequence` and is echoed into `Memo2` (unless characters typed
  // before the sequence are still being skipped), `Memo2` gets the focus,
  // and the sequence ends once the queue is empty. Does nothing outside a
  // sequence.
  void Echo_sequence(uint8_t c);

  // --- State ---
  Texte Texte_a_emettre;           // queued characters, oldest first, <= 10010
  uint16_t Longueur_texte = 0;     // its length, refreshed at every change
  bool Sequence_en_cours = false;  // a sequence is being sent
  uint8_t Caractere_sequence = 0;  // the character being encoded for the echo, 0 for none
  bool Echo_fait = true;           // the latest posted echo has been inserted
  int32_t Nombre_a_sauter = 0;     // typed characters still ahead of the sequence, >= 0
  // Model of the typing window; attach the view with `Memo2.Observateur`.
  Memo Memo2;

 private:
  void Focus(ZoneFocus zone);
  void Masquage_arret_sequence();

  const bool* reception_active_;
  const bool* emission_active_;
  const std::array<Texte, Nombre_sequences>* textes_sequences_;
  const Langue* langue_;
  ObservateurSaisie* observateur_ = nullptr;
};

}  // namespace talven
