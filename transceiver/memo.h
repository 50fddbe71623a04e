// The text of a memo of the transceiver window, owned by the core so that the
// received text (Memo1) is the same whichever view shows it.
//
// Responsibilities: apply a typed character at the end of the text with the
// editing rules of a multi-line memo, clear it, and keep it bounded.
// Collaborations: an `ObservateurMemo` (the view) mirrors every change.
#pragma once

#include <cstdint>

#include "common/texte.h"

namespace talven {

// What a view implements to mirror a memo.
class ObservateurMemo {
 public:
  virtual ~ObservateurMemo() = default;
  // A character was typed at the end of the text, to be applied with the
  // same rules as `Memo::Frappe` (13 adds CR LF, 8 removes the last
  // character or the CR LF pair).
  virtual void Memo_caractere(uint8_t c) = 0;
  // The whole text was replaced (cut to its end or cleared); `texte` is the
  // new content, Windows-1252, valid only during the call.
  virtual void Memo_texte(VueTexte texte) = 0;
};

class Memo {
 public:
  // Length at which `Limitation` cuts the text, characters (a CR LF pair
  // counts 2).
  static constexpr size_t Longueur_limite = 20000;
  // Characters kept by the cut: the end of the text.
  static constexpr size_t Longueur_gardee = 4999;

  // Empty text; room for the limit is reserved here so that typing up to it
  // allocates nothing.
  Memo();

  // The view to tell of each change, or nullptr for none; it must outlive the
  // memo or be detached first.
  void Observateur(ObservateurMemo* observateur) { observateur_ = observateur; }

  // A character typed at the end: carriage return (13) starts a new line (CR
  // LF is inserted), backspace (8) removes the last character, or the CR LF
  // pair together, and does nothing on an empty text; any other byte is
  // added as it is.
  void Frappe(uint8_t c);
  // Clears the text.
  void Effacement();
  // Keeps the text bounded: when it holds exactly `Longueur_limite`
  // characters, only its last `Longueur_gardee` are kept (the text from
  // index 15001); any other length is left as it is. The typing window's
  // rule.
  void Limitation();
  // The same cut for a text that a carriage return may have taken past the
  // limit (it adds two characters, so a text one short of the limit steps
  // over it): at `Longueur_limite` characters or more, only the last
  // `Longueur_gardee` are kept. At exactly the limit it cuts as
  // `Limitation`. The received-text window's rule: nothing else brings that
  // text back to the limit, so without it the text would grow for as long as
  // characters are received.
  void Limitation_au_dela();

  const Texte& Texte_memo() const { return texte_; }

 private:
  void Remplacement_signale();

  Texte texte_;
  ObservateurMemo* observateur_ = nullptr;
};

}  // namespace talven
