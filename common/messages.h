// Reports to the operator: modal message boxes of the error kind with a
// single OK button. The core never shows anything itself; it hands the text
// (Windows-1252) to whichever view implements this interface: the window
// shows a message box, the command-line tool prints to standard error, tests
// record.
#pragma once

#include "common/texte.h"

namespace talven {

class Boite_messages {
 public:
  virtual ~Boite_messages() = default;
  // Shows one message and returns when the operator has acknowledged it.
  virtual void Message(VueTexte texte) = 0;
};

// A message box that drops every message, for back-ends used without a view.
class Boite_messages_muette final : public Boite_messages {
 public:
  void Message(VueTexte) override {}
};

}  // namespace talven
